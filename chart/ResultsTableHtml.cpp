#include "chart/ResultsTableHtml.h"

#include "chart/HtmlText.h"
#include "chartlib/Chartlib.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/masks/MaskArray.h"
#include "platform/NoValue.h"
#include "platform/StringTable.h"

namespace {

// The row of every table that holds the compliance mark.
constexpr int ComplianceRow = 1;

const QString PlainCell = QStringLiteral("<td align=center width=\"15%\">");
const QString OffCell = QStringLiteral("<td align=center bgcolor=\"yellow\" width=\"15%\">");
const QString NotApplicableCell = QStringLiteral("<td align=center bgcolor=\"gainsboro\" width=\"15%\">");
const QString Blank = QStringLiteral("&nbsp");

QString ValueOrBlank(float value) {
    return value == NoValue ? Blank : FormatValue(value);
}

QString VerdictText(bool passed) {
    return LoadStr(passed ? 36 : 37);
}

QString ValueCell(const ParamDescriptor &row, int index) {
    const ParamResult &result = row.Result;
    QString cell =
        result.Verdict != 0 ? PlainCell : QStringLiteral("<td align=center bgcolor=\"lightpink\" width=\"15%\">");
    if (index == ComplianceRow) {
        cell += result.Verdict <= 1 ? VerdictText(result.Verdict == 1) : Blank;
    } else if (row.MaskSlot < 0) {
        cell += ValueOrBlank(result.Value);
    } else {
        // Verdicts are bytes; a negative one of the stored signed form is a failure too.
        const bool failed = int8_t(result.Verdict) <= 0;
        const ParamSettings &s = row.Settings;
        const bool judged = (s.ApplyLower && SlotMask(row.MaskSlot, MaskLowerSide)) ||
                            (s.ApplyUpper && SlotMask(row.MaskSlot, MaskUpperSide));
        cell += failed ? VerdictText(false) : judged ? VerdictText(true) : Blank;
    }
    return cell + QStringLiteral("</td>\n");
}

struct NormSide {
    bool allowed;
    bool applied;
    int16_t maskName;
    float norm;
    const char *maskSign;
    const char *numberSign;
};

QString NormCell(const ParamDescriptor &row, const NormSide &side, const QStringList &maskNames) {
    if (!side.allowed)
        return NotApplicableCell + QStringLiteral("</td>\n");
    QString cell = side.applied ? PlainCell : OffCell;
    if (row.TextNorms) {
        // An index beyond the list (a damaged configuration) counts as no template.
        const QString name =
            side.maskName >= 0 && side.maskName < maskNames.size() ? maskNames[side.maskName] : QString();
        cell += side.applied && !name.isEmpty()
                    ? QLatin1String(side.maskSign) +
                          HtmlEscaped(CutAtSeparator(name, QStringLiteral(";"), QStringLiteral("...")))
                    : Blank;
    } else {
        cell += side.applied ? QLatin1String(side.numberSign) + FormatValue(side.norm) : Blank;
    }
    return cell + QStringLiteral("</td>\n");
}

QString MarginCell(const ParamDescriptor &row) {
    if (!row.MarginAllowed)
        return NotApplicableCell + QStringLiteral("</td></tr>\n");
    return (row.Settings.ComputeMargin ? PlainCell : OffCell) + ValueOrBlank(row.Result.Margin) +
           QStringLiteral("</td></tr>\n");
}

} // namespace

void WriteResultsTableHtml(QStringList &lines, const ParamDescriptor *rows, int count, int mode,
                           const QStringList &maskNames, const QString &kindName) {
    if (mode == 0)
        lines << QStringLiteral("<h5 align=center><NOBR><FONT COLOR=\"#0000FF\">Результаты измерения:  </FONT><FONT "
                                "COLOR=\"#008000\">") +
                     kindName + QStringLiteral("</NOBR></FONT></h5>\n");
    else if (mode == 1)
        lines << QStringLiteral("<h5 align=center><FONT COLOR=\"#0000FF\">Результаты измерения от удаленного прибора:  "
                                "</FONT><FONT COLOR=\"#008000\">") +
                     kindName + QStringLiteral("</FONT></h5>\n");
    lines << QStringLiteral("<table align=center border=\"1\" cellpadding=\"1\" width=\"100%\">\n");
    lines << QStringLiteral("<TR bgcolor=\"wheat\"><TH>") + LoadStr(427) + QStringLiteral("</TH><TH>") + LoadStr(439) +
                 QStringLiteral("</TH><TH>") + LoadStr(430) + QStringLiteral("</TH><TH>") + LoadStr(431) +
                 QStringLiteral("</TH><TH>Запас</TH></TR>\n");
    for (int i = 0; rows && i < count; ++i) {
        const ParamDescriptor &row = rows[i];
        const ParamSettings &s = row.Settings;
        if (!s.Analyse || (mode != -1 && !s.Protocol))
            continue;
        lines << QStringLiteral("<tr><td align=left>") + HtmlEscaped(QString::fromUtf8(row.Caption)) +
                     QStringLiteral("</td>\n");
        lines << ValueCell(row, i);
        lines << NormCell(row,
                          {bool(row.LowerNormAllowed), bool(s.ApplyLower), s.LowerMaskName, s.LowerNorm, "&gt ", ">="},
                          maskNames);
        lines << NormCell(row,
                          {bool(row.UpperNormAllowed), bool(s.ApplyUpper), s.UpperMaskName, s.UpperNorm, "&lt ", "<="},
                          maskNames);
        lines << MarginCell(row);
    }
    lines << QStringLiteral("</table>\n");
}
