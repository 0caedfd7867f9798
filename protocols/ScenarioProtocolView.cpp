#include "protocols/ScenarioProtocolView.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "protocols/ProtocolEntry.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarClass.h"
#include "protocols/ScenarioFiles.h"
#include "state/MainGlobals.h"

#include <QDesktopServices>
#include <QDir>

namespace {

QString PageUrl(const QString &folder, const QString &reference) {
    const qsizetype hash = reference.indexOf(u'#');
    QUrl url = QUrl::fromLocalFile(folder + (hash < 0 ? reference : reference.left(hash)));
    if (hash >= 0)
        url.setFragment(reference.mid(hash + 1));
    return url.toString(QUrl::FullyEncoded);
}

} // namespace

QString ScenarioProtocolBase(const TScenarClass &scenario) {
    const bool seriesUnderWay = scenario.RepeatKind != 1 && scenario.RepeatNumber < scenario.RepeatCount;
    if (seriesUnderWay || ProtocolState == 1)
        return ProtocolWorkFolder();
    const auto &link = ScenarioProtocolLinks().DirReport;
    const QString *dirReport = link ? link() : nullptr;
    QString folder = dirReport ? QString(*dirReport).replace(u'\\', u'/') : QString();
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QByteArray RowProtocolFrameset(const QString &folder, const QString &listReference, const QString &dataReference) {
    return ToCp1251(QStringLiteral("<HTML><HEAD><TITLE>Протокол</TITLE>\n"
                                   "<META content=\"text/html; charset=windows-1251\" http-equiv=Content-Type></HEAD>\n"
                                   "<FRAMESET cols=25%,*>\n<FRAME src=\"") +
                    PageUrl(folder, listReference) + QStringLiteral("\" NAME=\"Frame1\">\n<FRAME src=\"") +
                    PageUrl(folder, dataReference) + QStringLiteral("\" NAME=\"Frame2\"></FRAMESET>\n</HTML>\n"));
}

void ShowProtocol(const TScenarClass &scenario, const QString &listReference, const QString &dataReference,
                  const std::function<void(const QUrl &)> &open) {
    if (scenario.Name.isEmpty()) {
        ShowMessage(
            {QStringLiteral("Не задано имя сценария!"), QStringLiteral("Ошибка!"), MsgIcon::Error, MsgButtons::Ok});
        return;
    }
    const QString page =
        QDir::tempPath() + QStringLiteral("/R9_scenario_protocol_") + QString::number(InstanceNumber) + ".html";
    if (!WriteFileAtomically(page, RowProtocolFrameset(ScenarioProtocolBase(scenario), listReference, dataReference)))
        return;
    const QUrl url = QUrl::fromLocalFile(page);
    if (open)
        open(url);
    else
        QDesktopServices::openUrl(url);
}
