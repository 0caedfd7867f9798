#include "protocols/ProtocolFiles.h"

#include "chartlib/Chartlib.h"
#include "platform/ProgramDir.h"
#include "state/MainGlobals.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

QString UnsavedProtocolStartPage;
QString UnsavedProtocolFolder;
bool UnsavedProtocolMoved = true;

namespace {

bool protocolOpen = false;

QString PageName(const char *stem) {
    return QString::fromLatin1(stem) + QString::number(InstanceNumber) + QStringLiteral(".html");
}

} // namespace

QString ProtocolFolder() {
    return ReportTempFolder();
}

QString ProtocolStartPage() {
    return ProtocolFolder() + PageName("_Start_");
}

void InitProtocolFiles() {
    const QString folder = ProtocolFolder();
    protocolOpen = QFileInfo::exists(ProtocolStartPage()) && QFileInfo::exists(folder + PageName("cnt0_")) &&
                   QFileInfo::exists(folder + PageName("cnt1_"));
}

bool ProtocolOpen() {
    return protocolOpen;
}

// Filing a protocol of the current run (folder dialog, remote and batch folders) joins here with the
// protocol writer.
void CloseProtocol(bool startUp) {
    if (!protocolOpen || !startUp)
        return;
    QString target = ProgramDir() + QStringLiteral("Report/UnsavedProtocol/");
    const QDir source(ProtocolFolder());
    const QStringList pages = source.entryList(QDir::Files);
    const auto taken = [&pages](const QString &folder) {
        return std::any_of(pages.begin(), pages.end(),
                           [&folder](const QString &page) { return QFileInfo::exists(folder + page); });
    };
    if (taken(target)) {
        const QString stem = target + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss"));
        target = stem + '/';
        for (int n = 2; QFileInfo::exists(target); ++n)
            target = stem + '_' + QString::number(n) + '/';
    }
    if (!QDir().mkpath(target))
        return;
    UnsavedProtocolStartPage = ProtocolStartPage();
    UnsavedProtocolFolder = target;
    UnsavedProtocolMoved = ClearOrMoveFiles(ProtocolFolder(), target, true);
    protocolOpen = !UnsavedProtocolMoved;
}
