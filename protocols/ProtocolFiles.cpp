#include "protocols/ProtocolFiles.h"

#include "chartlib/Chartlib.h"
#include "platform/ProgramDir.h"
#include "state/MainGlobals.h"

#include <QDir>
#include <QFileInfo>

QString UnsavedProtocolStartPage;

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
    const QString target = ProgramDir() + QStringLiteral("Report/UnsavedProtocol/");
    if (!QDir().mkpath(target))
        return;
    UnsavedProtocolStartPage = ProtocolStartPage();
    ClearOrMoveFiles(ProtocolFolder(), target, true);
    protocolOpen = false;
}
