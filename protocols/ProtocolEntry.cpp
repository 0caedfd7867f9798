#include "protocols/ProtocolEntry.h"

#include "chart/HtmlText.h"
#include "chartlib/Chartlib.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/DateTime.h"
#include "platform/StringTable.h"
#include "protocols/PackageWork.h"
#include "protocols/ProtocolDataPage.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolSettingsPage.h"
#include "protocols/ProtocolState.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

TProtocolScenario &ProtocolScenario() {
    static TProtocolScenario scenario;
    return scenario;
}

namespace {

const QString MetaLine =
    QStringLiteral("<HEAD><META content=\"text/html; charset=windows-1251\" http-equiv=Content-Type></HEAD>\n");

// The maximum frequency's text, 4096 kHz down to 4 kHz in halving steps; the nearest one for the current
// maximum frequency.
QString RateName(double maxFrequency) {
    const double steps = maxFrequency > 0 ? std::trunc(std::log2(4096.0 / maxFrequency) + 0.5) : 0.0;
    const int index = std::isfinite(steps) ? int(std::clamp(steps, 0.0, 10.0)) : 0;
    return QString::number(4096 >> index) + QLatin1Char(' ') + LoadStr(415);
}

// A time that names no moment (no data yet) stamps the entry with the present moment.
QString StampText(double time) {
    QDateTime moment = DateTimeToQDateTime(time);
    if (!std::isfinite(time) || time <= 0 || !moment.isValid())
        moment = DateTimeToQDateTime(Now());
    return moment.toString(QStringLiteral("dd.MM.yy hh:mm:ss "));
}

QString Nobr(const QString &text) {
    return QStringLiteral("<NOBR>") + text + QStringLiteral("</NOBR>");
}

template <typename Hook, typename Value> Value Ask(const Hook &hook, Value fallback) {
    return hook ? hook() : fallback;
}

QString PassPart(const QString &name, int32_t pass) {
    return Nobr(HtmlEscaped(name) + QStringLiteral(" №") + QStringLiteral("%1").arg(pass, 4, 10, QLatin1Char('0'))) +
           QStringLiteral("  ");
}

QString PageName(const QString &stem, const char *kind) {
    return stem + QLatin1String(kind) + QString::number(InstanceNumber) + QStringLiteral(".html");
}

// Creates a page with its first lines unless it exists.
bool CreatePageOnce(int page, const QStringList &lines) {
    return QFileInfo::exists(ProtocolFilePaths[std::size_t(page)]) || AppendToProtocolPage(page, lines);
}

} // namespace

QString ProtocolWorkFolder() {
    if (PackageWork) {
        QString folder = PackageWork->ResultPath;
        if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
            folder += QLatin1Char('/');
        return folder;
    }
    return ReportTempFolder();
}

QString BuildEntryTitle(int remote, int scenarioRow, const QString &comment) {
    const QString s = Nobr(ProtocolStampText) + QLatin1Char(' ');
    const QString ktf = ProtocolKindName + '/' + ProtocolConnName + '/' + ProtocolRateName;
    const QString peer = QStringLiteral("<FONT COLOR=\"#008000\">");
    if (scenarioRow != 0) {
        const QString c = HtmlEscaped(FileNameWithoutExt(Ask(ProtocolScenario().RowConfigPath, QString())));
        return s + Nobr(remote ? c + ' ' + peer + QStringLiteral("(уд.R-9)</FONT>") : c);
    }
    if (UnderRemoteControl == 1)
        return s + Nobr(RemoteScenarioName().isEmpty() ? ktf : HtmlEscaped(RemoteConfigName()));
    if (remote)
        return s + Nobr(ktf + peer + QStringLiteral(" (уд.R-9)</FONT>"));
    const QString m = comment.isEmpty()
                          ? QString()
                          : peer + QStringLiteral("&nbsp(") + HtmlEscaped(comment) + QStringLiteral(")</FONT>");
    return s + Nobr(ktf + m);
}

bool StartProtocol(int scenarioRow) {
    const QString folder = ProtocolWorkFolder();
    QString part;
    if (scenarioRow != 0) {
        const TProtocolScenario &scenario = ProtocolScenario();
        part = PassPart(FileNameWithoutExt(Ask(scenario.ScenarioPath, QString())), Ask(scenario.RepeatNumber, 0));
    }
    if (UnderRemoteControl == 1 && !RemoteScenarioName().isEmpty())
        part = PassPart(RemoteScenarioName(), RemoteScenarioNumber());
    ProtocolHeaderText = ProtocolStampText + part + ProtocolCommentField();
    QDir().mkpath(folder);

    QString stem = ProtocolStampText;
    stem.remove(QLatin1Char('.')).remove(QLatin1Char(':'));
    ProtocolFileNames = {PageName(QStringLiteral("_Start_"), ""), PageName(QStringLiteral("cnt0_"), ""),
                         PageName(QStringLiteral("cnt1_"), ""), PageName(stem, "_data_"), PageName(stem, "_sett_")};
    for (int page = 0; page < ProtocolPageCount; ++page)
        ProtocolFilePaths[std::size_t(page)] = folder + ProtocolFileNames[std::size_t(page)];

    const QString &p = ProtocolPageStamp;
    const QStringList frameset = {
        QStringLiteral("<HTML><HEAD><TITLE>") + LoadStr(449) + QStringLiteral("</TITLE>\n"),
        QStringLiteral("<META content=\"text/html; charset=windows-1251\" http-equiv=Content-Type></HEAD>\n"),
        QStringLiteral("<FRAMESET cols=25%,*>\n"),
        QStringLiteral("<FRAME src=\"") + ProtocolFileNames[ListPage] + QStringLiteral("\" NAME=\"Frame1\">\n"),
        QStringLiteral("<FRAME src=\"") + ProtocolFileNames[ContentsPage] +
            QStringLiteral("\" NAME=\"Frame2\"></FRAMESET>\n"),
        QStringLiteral("</HTML>\n"),
    };
    const QStringList list = {
        MetaLine,
        QStringLiteral("<BASE TARGET=\"Frame2\">\n"),
        QStringLiteral("<LI><A NAME=\"") + p + QStringLiteral("\"></A><A href=\".\\") +
            ProtocolFileNames[ContentsPage] + '#' + p + QStringLiteral("\">\n"),
        QStringLiteral("<NOBR><STRONG><SMALL>") + ProtocolHeaderText +
            QStringLiteral("</SMALL></STRONG></NOBR></A></LI>\n"),
    };
    const QStringList contents = {
        MetaLine,
        QStringLiteral("</table>"),
        QStringLiteral("<A NAME=\"") + p + QStringLiteral("\"></A>\n"),
        QStringLiteral("<H5 align=left>") + Nobr(ProtocolHeaderText) + QStringLiteral("</H5>\n"),
        QStringLiteral("<table border=\"1\" cellpadding=\"1\" width=\"100%\">"),
        QStringLiteral("<tr bgcolor=\"wheat\" align=center><td>Результаты измерений</td><td width=\"15%\">Качество</td>"
                       "<td width=\"15%\">Отметка соответствия</td><td width=\"15%\">&nbsp</td></tr>"),
    };
    const bool opened = CreatePageOnce(FramesetPage, frameset) && AppendToProtocolPage(ListPage, list) &&
                        AppendToProtocolPage(ContentsPage, contents) && CreatePageOnce(DataPage, {MetaLine}) &&
                        CreatePageOnce(SettingsPage, {MetaLine});
    if (opened)
        ProtocolState = 1;
    return opened;
}

void WriteContentsRow(const std::vector<ParamDescriptor> &rows) {
    const QString &p = ProtocolPageStamp;
    QStringList lines = {QStringLiteral("<tr align=center><td align=left><A href=\".\\") + ProtocolFileNames[DataPage] +
                         '#' + p + QStringLiteral("\"><STRONG><SMALL>") + ProtocolEntryTitle +
                         QStringLiteral("</SMALL></STRONG></A></td>\n")};
    const bool quality = rows.size() > std::size_t(QualityRow) && rows[QualityRow].Settings.Analyse &&
                         rows[QualityRow].Result.Value != NoValue;
    lines << (quality ? QStringLiteral("<td>") + FormatValue(rows[QualityRow].Result.Value) + QStringLiteral(" дБ</td>")
                      : QStringLiteral("<td>-</td>"));
    const int verdict = rows.size() > std::size_t(ComplianceRow) ? rows[ComplianceRow].Result.Verdict : -1;
    if (verdict == ParamFailed)
        lines << QStringLiteral("<td bgcolor=\"lightpink\">") + LoadStr(37) + QStringLiteral("</td>");
    else if (verdict == ParamPassed)
        lines << QStringLiteral("<td>") + LoadStr(36) + QStringLiteral("</td>");
    else
        lines << QStringLiteral("<td>&nbsp</td>");
    lines << QStringLiteral("<td><A href=\".\\") + ProtocolFileNames[SettingsPage] + '#' + p + QStringLiteral("\">\n") +
                 QStringLiteral(
                     "<FONT COLOR=\"#78CEEB\"><SMALL><STRONG>Настройки</STRONG></SMALL></FONT></A></td></tr>\n");
    AppendToProtocolPage(ContentsPage, lines);
}

void AddProtocolEntry(int remote, TProtocolSnapshot &holder, int scenarioRow, const QString &comment) {
    if (Stopping || holder.HasData == 0 || ProtocolClosing())
        return;
    std::vector<ParamResult> results;
    TProtocolHeader header;
    if (!DecodeProtocolResults(holder.Results, header, results)) {
        DebugLog(QStringLiteral("Протокол: блок результатов (") + QString::number(holder.Results.size()) +
                 QStringLiteral(" байт) не принят"));
        holder.HasData = 0;
        holder.MasterDone = 0;
        holder.Results.clear();
        return;
    }
    ProtocolHeader = header;
    UnderRemoteControl = DeviceSettings->PeerConnectState > 0 ? 1 : 0;
    // The peer's block carries the peer's clock; the entry is stamped with this analyser's newest data.
    const double time = remote ? LastDataTime : header.Time;
    ProtocolConnName = ConnectionTypeNames.value(header.ConnectionType);
    ProtocolKindName = SignalKindName(header.Kind);
    const std::vector<ParamDescriptor> rows = ProtocolEntryRows(header.Kind, results);
    ProtocolStampText = StampText(time);
    ProtocolPageStamp = QString(ProtocolStampText).replace(QLatin1Char(' '), QLatin1Char('_')) +
                        (remote ? QStringLiteral("REMOTE_R9") : QString()) + '_' + QString::number(InstanceNumber);
    ProtocolRateName = RateName(DeviceSettings->MaxFrequency);
    ProtocolEntryTitle = BuildEntryTitle(remote, scenarioRow, comment);
    if (ProtocolState < 1 && !StartProtocol(scenarioRow))
        return;
    WriteContentsRow(rows);
    WriteDataSection(holder, rows.data(), int(rows.size()), remote);
    WriteSettingsSection(remote);
    holder.HasData = 0;
    holder.MasterDone = 0;
}
