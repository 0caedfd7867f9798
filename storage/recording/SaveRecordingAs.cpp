#include "storage/recording/SaveRecordingAs.h"

#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "storage/recording/RecordStreams.h"
#include "storage/recording/RecordingFormat.h"
#include "storage/recording/RecordingServices.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The first of the targets that exists, empty when none does.
QString ExistingTarget(const std::array<QString, 8> &targets) {
    for (const QString &target : targets)
        if (QFileInfo::exists(target))
            return target;
    return {};
}

} // namespace

std::array<QString, 8> RecordingTargets(const QString &chosen) {
    const qsizetype dot = chosen.lastIndexOf('.');
    const QString base = dot > chosen.lastIndexOf('/') ? chosen.left(dot) : chosen;
    std::array<QString, 8> targets;
    targets[0] = base + QLatin1String(IndexExtension);
    for (int32_t i = 0; i < RecordStreamCount; ++i)
        targets[std::size_t(i) + 1] = base + QLatin1String(StreamExtensions[std::size_t(i)]);
    return targets;
}

void SaveRecordingAs() {
    if (!RecordFilesOpen())
        return;
    CloseRecordFiles();
    // Batch work opens no window: its recording stays in the Data folder.
    if (BatchMessagesDiverted())
        return;
    const std::array<QString, 8> sources = RecordingFileNames();
    TSaveDialogRequest request;
    request.title = LoadStr(275);
    request.fileName = QStringLiteral("noname");
    request.filters = DialogFilters(LoadStr(276) + QStringLiteral("( *.idx)|*.idx|"));
    request.folder = ProgramDir() + QStringLiteral("Data");
    request.defaultSuffix = QStringLiteral("idx");
    std::array<QString, 8> targets;
    for (;;) {
        const QString chosen = AskSaveFileName(nullptr, request);
        if (chosen.isEmpty())
            return;
        targets = RecordingTargets(chosen);
        if (const auto &remember = RecordingServices().RememberDataFolder)
            remember(QFileInfo(chosen).absolutePath() + QLatin1Char('/'));
        // The chosen index file was asked about by the dialog; the other seven are asked about here.
        const QString existing = QFileInfo::exists(chosen) ? QString() : ExistingTarget(targets);
        if (existing.isEmpty())
            break;
        const QString text = LoadStr(174) + QStringLiteral(" '") + existing + QStringLiteral("' ") + LoadStr(175);
        if (ShowMessage({text, LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes)
            break;
        request.fileName = QFileInfo(chosen).fileName();
        request.folder = QFileInfo(chosen).absolutePath();
    }
    for (const QString &target : targets)
        QFile::remove(target);
    for (std::size_t i = 0; i < targets.size(); ++i)
        if (QFileInfo::exists(sources[i]) && !QFile::copy(sources[i], targets[i]))
            ShowCannotOpen(targets[i]);
}
