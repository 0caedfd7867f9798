#include "chart/GraphTableText.h"

#include "chart/HtmlText.h"
#include "chartlib/Chartlib.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"

#include <QFile>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

QString Caption(int kind) {
    return GraphText(GraphKindTable[kind].Caption);
}

QString Unit(int kind, int column) {
    return GraphText(GraphKindTable[kind].ColumnUnits[std::clamp(column, 0, 2)]);
}

bool ValidKind(int kind) {
    return kind >= 0 && kind < GraphKindCount;
}

QString TextValue(float value) {
    return value == NoValue ? QStringLiteral(" ") : FormatValue(value) + QLatin1Char(' ');
}

QString HtmlValue(float value) {
    return value == NoValue ? QStringLiteral("&nbsp") : FormatValue(value);
}

bool Failed(const uint8_t *marks, int32_t index) {
    return marks && int8_t(marks[index]) < 1;
}

const QString TableOpen = QStringLiteral("<table align=center border=\"1\" cellpadding=\"1\" width=\"100%\">");
constexpr int RowsPerTable = 37;
constexpr int PairsPerRow = 5;

// The name of an applied mask, as the mask lines show it.
QString MaskName(const QStringList &names, int16_t index) {
    if (index < 0 || index >= names.size())
        return {};
    return CutAtSeparator(names[index], QStringLiteral(";"), QStringLiteral("..."));
}

} // namespace

void WriteGraphTableText(QStringList &lines, int32_t n, int kind, int columns, const float *x, const float *second,
                         const float *y, const uint8_t *marks, bool skipGap) {
    (void)marks;
    if (n <= 0 || !ValidKind(kind) || !x || !y || (columns == 3 && !second))
        return;
    lines << QStringLiteral("==") + Caption(kind) + QLatin1Char('\n');
    QString units = QStringLiteral("==");
    for (int c = 0; c < (columns == 3 ? 3 : 2); ++c)
        units += Unit(kind, c) + QLatin1Char(' ');
    lines << units + QLatin1Char('\n');
    for (int32_t i = 0; i < n; ++i) {
        if (skipGap && y[i] == SelectiveGapValue)
            continue;
        QString line = TextValue(x[i]);
        if (columns == 3)
            line += TextValue(second[i]);
        lines << line + TextValue(y[i]) + QLatin1Char('\n');
    }
}

bool SaveGraphTableText(const QString &fileName, int32_t n, int kind, const float *x, const float *y, int unitX,
                        int unitY) {
    QString text;
    if (n > 0 && ValidKind(kind) && x && y) {
        text = QStringLiteral("==") + Caption(kind) + QLatin1Char('\n') + QStringLiteral("==") + Unit(kind, unitX) +
               QLatin1Char(' ') + Unit(kind, unitY) + QLatin1Char(' ') + QLatin1Char('\n');
        const bool selective = IsSelectiveKind(kind);
        for (int32_t i = 0; i < n; ++i) {
            if (!selective) {
                text += (x[i] == NoValue ? QStringLiteral(" ") : FormatValueDigits(x[i], 3) + QLatin1Char(' ')) +
                        (y[i] == NoValue ? QStringLiteral(" ") : FormatValueDigits(y[i], 4) + QLatin1Char(' ')) +
                        QLatin1Char('\n');
                continue;
            }
            if (y[i] == NoValue || x[i] == NoValue || (IsSelectiveLevelKind(kind) && y[i] == SelectiveGapValue))
                continue;
            text += FormatValueDigits(x[i], 4) + QLatin1Char(' ') + FormatValueDigits(y[i], 6) + QLatin1Char(' ') +
                    QLatin1Char('\n');
        }
    }
    std::unique_ptr<QFile> file;
    if (!OpenFileStream(file, fileName, FileOpenMode::Create, SeekOrigin::Begin))
        return false;
    return WriteTextToFile(*file, text);
}

QStringList GraphTableHtmlHead() {
    return {QStringLiteral("<HTML>"),
            QStringLiteral("<HEAD>"),
            QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">"),
            QStringLiteral("</HEAD>"),
            QStringLiteral("<BODY>"),
            QStringLiteral("<style type=\"text/css\"> p { page-break-after: always; margin-top: 0.5em; "
                           "margin-bottom: 0.5em; } </style>\n")};
}

void WriteMaskTablesHtml(QStringList &lines, const ParamDescriptor &row, const QStringList &maskNames, int32_t n,
                         int kind, int columns, const float *x, const float *second, const float *y,
                         const uint8_t *marks) {
    if (n <= 0 || !ValidKind(kind) || !x || !y || (columns == 3 && !second))
        return;
    lines << QStringLiteral("<h5 align=center><FONT COLOR=\"#0000FF\">") + HtmlEscaped(Caption(kind)) +
                 QStringLiteral("</FONT></h5>\n");
    const ParamSettings &s = row.Settings;
    if (row.LowerNormAllowed && s.ApplyLower)
        if (const QString name = MaskName(maskNames, s.LowerMaskName); !name.isEmpty())
            lines << QStringLiteral("Маска снизу: ") + HtmlEscaped(name) + QLatin1Char('\n');
    if (row.UpperNormAllowed && s.ApplyUpper)
        if (const QString name = MaskName(maskNames, s.UpperMaskName); !name.isEmpty())
            lines << QStringLiteral("Маска сверху: ") + HtmlEscaped(name) + QLatin1Char('\n');
    lines << TableOpen + QLatin1Char('\n');

    const int headerCells = columns == 3 ? 3 : 2 * PairsPerRow;
    QString header = QStringLiteral("<TR bgcolor=\"wheat\">");
    for (int i = 0; i < headerCells; ++i)
        header += QStringLiteral("<TH>") + HtmlEscaped(Unit(kind, i % columns)) + QStringLiteral("</TH>");
    header += QStringLiteral("</TR>\n");
    lines << header;

    const auto yCell = [&](int32_t index, const char *width) {
        return QStringLiteral("<td align=left") +
               (Failed(marks, index) ? QStringLiteral(" bgcolor=\"lightpink\"") : QString()) +
               QStringLiteral(" width=\"") + QLatin1String(width) + QStringLiteral("\">");
    };
    if (columns == 3) {
        const QString cell = QStringLiteral("<td align=left width=\"33%\">");
        for (int32_t i = 0; i < n; ++i)
            lines << QStringLiteral("<TR>") + cell + HtmlValue(x[i]) + QStringLiteral("</td>\n") + cell +
                         HtmlValue(second[i]) + QStringLiteral("</td>\n") + yCell(i, "33%") + HtmlValue(y[i]) +
                         QStringLiteral("</td>\n") + QStringLiteral("</TR>\n");
        lines << QStringLiteral("</table>\n");
        return;
    }

    // The points shown, in the order the pairs are filled, and the mark each one carries.
    std::vector<int32_t> shown;
    const bool selective = IsSelectiveKind(kind);
    if (selective) {
        for (int32_t i = 0; i < n; ++i)
            if (y[i] != NoValue && !(IsSelectiveLevelKind(kind) && y[i] == SelectiveGapValue))
                shown.push_back(i);
    }
    const int32_t count = selective ? int32_t(shown.size()) : n;
    const int32_t rows = (count + PairsPerRow - 1) / PairsPerRow;
    // The level curves carry one mark per result item; each measuring point has as many items.
    const int itemsPerPoint = std::max<int>(DeviceSettings->Mirvak.DeviceSubMode, 1);
    const QString xCell = QStringLiteral("<td align=left width=\"8.25%\">");
    for (int32_t r = 0; r < rows; ++r) {
        QString line;
        if (r > 0 && r % RowsPerTable == 0)
            line += QStringLiteral("</table>") + QStringLiteral("<p></p>") + TableOpen + header;
        line += r % 2 ? QStringLiteral("<TR bgcolor=\"gainsboro\">") : QStringLiteral("<TR>");
        for (int c = 0; c < PairsPerRow; ++c) {
            const int32_t k = selective ? r * PairsPerRow + c : c * rows + r;
            if (k >= count) {
                if (!selective)
                    line += xCell + QStringLiteral("&nbsp</td>\n") + xCell + QStringLiteral("&nbsp</td>\n");
                continue;
            }
            const int32_t point = selective ? shown[std::size_t(k)] : k;
            int32_t markIndex = point;
            if (IsSelectiveLevelKind(kind))
                markIndex = point / itemsPerPoint;
            line += xCell + HtmlValue(x[point]) + QStringLiteral("</td>\n") + yCell(markIndex, "8.25%") +
                    HtmlValue(y[point]) + QStringLiteral("</td>\n");
        }
        lines << line + QStringLiteral("</TR>\n");
    }
    lines << QStringLiteral("</table>\n");
}
