#include "shell/ChartlibChart.h"

#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "shell/ChartlibChartDialogs.h"
#include "views/chart/Chart.h"

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

// File failures of the helper library are recorded by batch control with code 1.
void ShowPictureNotWritten(const QString &fileName) {
    ShowMessage({LoadStr(413) + QLatin1Char(' ') + fileName, LoadStr(5), MsgIcon::Warning, MsgButtons::Ok, 1});
}

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
            ShowPictureNotWritten(fileName);
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
