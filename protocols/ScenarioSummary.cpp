#include "protocols/ScenarioSummary.h"

#include "chartlib/Chartlib.h"
#include "platform/DateTime.h"
#include "protocols/Form_scn.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarClass.h"
#include "state/MainGlobals.h"

#include <QStringList>

namespace {

const QString Gainsboro = QStringLiteral("<td bgcolor=\"gainsboro\">&nbsp</td>\n");

QString Nobr(const QString &text) {
    return QStringLiteral("<NOBR>") + text + QStringLiteral("</NOBR>");
}

QString VerdictCellStart(int verdict) {
    return verdict == 0 ? QStringLiteral("<td bgcolor=\"lightpink\"><NOBR>") : QStringLiteral("<td><NOBR>");
}

QString PassNumber(int32_t pass) {
    return QStringLiteral("№%1").arg(pass, 4, 10, QLatin1Char('0'));
}

void WriteSummaryContentsRow() {
    const QStringList lines = {
        QStringLiteral("<tr align=center bgcolor=\"gainsboro\"><td align=left><A href=\".\\") +
            ProtocolFileNames[DataPage] + u'#' + ProtocolPageStamp + QStringLiteral("\">"),
        QStringLiteral("<STRONG><SMALL>") + ProtocolEntryTitle + QStringLiteral("</SMALL></STRONG></A></td>\n"),
        QStringLiteral("<td>&nbsp</td><td>&nbsp</td><td>&nbsp</td></tr>"),
        QStringLiteral("</table>"),
    };
    AppendToProtocolPage(ContentsPage, lines);
}

QString WriteScenarioTableRow(const TForm_Scenario &window, int gridRow) {
    const bool summary = gridRow == window.GridRowCount() - 1;
    QString line = QStringLiteral("<tr align=center><td align=left>") + window.Cell(ColConfig, gridRow) +
                   QStringLiteral("</td>\n");
    line +=
        summary ? Gainsboro : QStringLiteral("<td>") + window.Cell(ColDuration, gridRow) + QStringLiteral("</td>\n");
    line += QStringLiteral("<td>") + window.Cell(ColState, gridRow) + QStringLiteral("</td>\n");
    for (const bool local : {true, false}) {
        const QString cell = window.Cell(local ? ColResult : ColRemoteResult, gridRow);
        if (summary) {
            if (cell.isEmpty())
                line += QStringLiteral("<td>&nbsp</td>");
            else
                line += VerdictCellStart(local ? window.LocalVerdict : window.RemoteVerdict) + cell +
                        QStringLiteral("</NOBR></td>\n");
            continue;
        }
        const ScenarioRow &row = CurrentScenario->Rows[std::size_t(gridRow - 1)];
        if (!(local ? row.Prt : row.RemotePrt))
            line += Gainsboro;
        else if (cell.isEmpty())
            line += QStringLiteral("<td>&nbsp</td>\n");
        else
            line += VerdictCellStart(local ? row.NormOk : row.RemoteNormOk) + QStringLiteral(" <A href=\"") +
                    FixedText(local ? row.M_Data : row.R_Data) + QStringLiteral("\">\n") + cell +
                    QStringLiteral("</A></NOBR></td>\n");
    }
    return line + QStringLiteral("</tr>\n");
}

void WriteScenarioTable(const TForm_Scenario &window, QStringList &lines) {
    lines << QStringLiteral("<h5 align=center><FONT COLOR=\"#0000FF\">Результаты исполнения сценария  </FONT></h5>\n");
    lines << QStringLiteral("<table align=center border=\"1\" cellpadding=\"1\" width=\"100%\">\n");
    const auto th = [&window](int column) {
        return QStringLiteral("<TH>") + window.Cell(column, 0) + QStringLiteral("</TH>");
    };
    lines << QStringLiteral("<TR bgcolor=\"wheat\">") + th(ColConfig) + th(ColDuration) + th(ColState) + th(ColResult) +
                 QStringLiteral("<TH><NOBR>") + window.Cell(ColRemoteResult, 0) + QStringLiteral("</NOBR></TH></TR>\n");
    for (int gridRow = 1; gridRow < window.GridRowCount(); ++gridRow)
        lines << WriteScenarioTableRow(window, gridRow);
    lines << QStringLiteral("</table>\n");
}

void WriteSummarySection(const TForm_Scenario &window) {
    QString header =
        Nobr(FileNameWithoutExt(CurrentScenario->Name) + u' ' + PassNumber(CurrentScenario->RepeatNumber)) +
        QStringLiteral("  ");
    if (UnderRemoteControl == 1 && !RemoteScenarioName().isEmpty())
        header = Nobr(RemoteScenarioName() + u' ' + PassNumber(RemoteScenarioNumber())) + QStringLiteral("  ");
    header += ProtocolCommentField();
    QStringList lines = {QStringLiteral("<A NAME=\"") + ProtocolPageStamp + QStringLiteral("\"></A>\n"),
                         QStringLiteral("<H5 align=left><FONT COLOR=\"#0000FF\">") + ProtocolEntryTitle +
                             QStringLiteral(": ") + header + QStringLiteral("</FONT></H5>\n")};
    WriteScenarioTable(window, lines);
    AppendToProtocolPage(DataPage, lines);
}

} // namespace

void WriteScenarioSummary(const TForm_Scenario &window) {
    if (ProtocolState != 1 || !CurrentScenario)
        return;
    // Without measured data yet the summary is stamped with the present moment.
    const QDateTime moment = DateTimeToQDateTime(LastDataTime > 0 ? LastDataTime : Now());
    ProtocolStampText = moment.toString(QStringLiteral("dd.MM.yy hh:mm:ss "));
    ProtocolPageStamp =
        QString(ProtocolStampText).replace(u' ', u'_') + QStringLiteral("ITOG_") + QString::number(InstanceNumber);
    ProtocolEntryTitle = Nobr(ProtocolStampText) + u' ' + Nobr(QStringLiteral("Итог"));
    WriteSummaryContentsRow();
    WriteSummarySection(window);
}
