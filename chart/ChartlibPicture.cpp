#include "chart/ChartlibChart.h"

#include "chart/Chart.h"
#include "chart/ChartlibChartDialogs.h"
#include "chartlib/Chartlib.h"
#include "platform/ProgramDir.h"

#include <QFileInfo>

namespace {

struct PictureFormat {
    const char *suffix;
    bool (TChart::*save)(const QString &path);
};

const PictureFormat PictureFormats[] = {
    {"jpg", &TChart::SaveToJpegFile},
    {"bmp", &TChart::SaveToBitmapFile},
    {"emf", &TChart::SaveToMetafileEnh},
    {"wmf", &TChart::SaveToMetafile},
};

} // namespace

void SaveChartPicture(QWidget *window, TChart &chart) {
    TSaveDialogRequest request;
    request.fileName = CaptionFileName(window);
    request.filters = DialogFilters(QStringLiteral("(*.jpg)|*.jpg|(*.bmp)|*.bmp|(*.emf)|*.emf|(*.wmf)|*.wmf"));
    request.folder = ProgramDir() + QStringLiteral("Picture");
    request.defaultSuffix = QStringLiteral("jpg");
    const QString fileName = AskSaveFileName(window, request);
    if (fileName.isEmpty())
        return;
    const QString suffix = QFileInfo(fileName).suffix();
    for (const PictureFormat &format : PictureFormats) {
        if (suffix.compare(QLatin1String(format.suffix), Qt::CaseInsensitive) != 0)
            continue;
        if (!(chart.*format.save)(fileName))
            ShowCannotOpen(fileName);
        return;
    }
}

void CopyChartToClipboard(TChart &chart) {
    chart.CopyToClipboardBitmap();
}

void ChooseChartBackColor(QWidget *owner, TChart &chart) {
    const QColor colour = AskColor(owner, chart.BackColor());
    if (colour.isValid())
        chart.SetBackColor(colour);
}
