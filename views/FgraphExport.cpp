#include "views/Fgraph.h"

#include "chart/ChartlibChart.h"
#include "chart/GraphTableText.h"
#include "chartlib/Chartlib.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "views/GraphHost.h"
#include "views/GraphSources.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// The verdicts of a slot for n points; points the slot's array does not reach count as passed.
std::vector<uint8_t> SlotVerdicts(int32_t slot, int32_t n) {
    std::vector<uint8_t> verdicts(std::size_t(std::max(n, 0)), 1);
    for (int32_t i = 0; i < n; ++i)
        verdicts[std::size_t(i)] = PointVerdictAt(slot, i);
    return verdicts;
}

} // namespace

void TForm_Graphic::N_TableSaveClick() {
    ParamDescriptor *row = FindKindParam();
    if (!row)
        return;
    const TPauseScope pause;
    QString fileName;
    QString *hostMaskFolder = GraphHost.DirMaskFile ? GraphHost.DirMaskFile() : nullptr;
    QString *hostReportFolder = GraphHost.DirReport ? GraphHost.DirReport() : nullptr;
    QString &maskFolder = hostMaskFolder ? *hostMaskFolder : ownMaskFolder_;
    QString &reportFolder = hostReportFolder ? *hostReportFolder : ownReportFolder_;
    if (!AskTableFileName(this, fileName, maskFolder, reportFolder, QString(), TableFileKind::TextOrHtml) &&
        fileName.isEmpty())
        return;

    int columns = 2;
    const float *x = nullptr, *second = nullptr, *y = nullptr;
    int32_t n = 0;
    if (kind_ == 3 || kind_ == 4) {
        const auto rows = GraphSources.Reflections ? GraphSources.Reflections() : std::nullopt;
        if (!rows)
            return;
        columns = 3;
        x = rows->Delay;
        second = rows->Distance;
        y = kind_ == 3 ? rows->Level : rows->Percent;
        n = ReflectionRowCount;
    } else if (const auto curve = GraphCurve(kind_, true)) {
        x = curve->X;
        y = curve->Y;
        n = curve->Count;
    }
    if (n <= 0 || !x || !y)
        return;

    const std::vector<uint8_t> verdicts = SlotVerdicts(WindowMaskSlot, n);
    QStringList lines;
    if (!fileName.endsWith(QStringLiteral(".html"))) {
        WriteGraphTableText(lines, n, kind_, columns, x, second, y, verdicts.data(), kind_ >= 23 && kind_ <= 36);
    } else {
        lines = GraphTableHtmlHead();
        const QStringList names = GraphHost.MaskNames ? GraphHost.MaskNames() : QStringList();
        WriteMaskTablesHtml(lines, *row, names, n, kind_, columns, x, second, y, verdicts.data());
    }
    std::unique_ptr<QFile> file;
    if (OpenFileStream(file, fileName, FileOpenMode::Create, SeekOrigin::Begin))
        WriteTextToFile(*file, lines.join(QString()));
}
