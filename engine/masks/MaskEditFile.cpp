#include "engine/masks/MaskEditFile.h"

#include "chartlib/Chartlib.h"
#include "engine/masks/MaskFile.h"
#include "platform/Cp1251.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"

#include <QFileInfo>

#include <charconv>
#include <optional>

TMaskEditContents ParseMaskEditFile(const QByteArray &bytes) {
    TMaskEditContents contents;
    QStringList lines = FromCp1251(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the end of the last line, not a line of its own
    // A line that is no comment is a row: a number it does not yield repeats the previous row's (0 before
    // the first), so no line of the file is lost from the table.
    double x = 0, y = 0;
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.contains(QStringLiteral("=="))) {
            contents.Comment.append(line);
            continue;
        }
        ReadPointLine(line, x, y);
        contents.Points.push_back({x, y});
    }
    return contents;
}

QString MaskCellText(double value) {
    return DoubleToText(value, 5);
}

namespace {

TMaskCheck Failure(const QString &message, int row, int column) {
    return {false, message, row, column};
}

// A number in a message: up to 15 significant digits, an exponent only from 1e15 on (5000.1, -40000,
// 250000000).
QString GeneralText(double value) {
    std::array<char, 32> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString RangeMessage(double value, const char *axis, float min, float max) {
    return QStringLiteral("Значение ") + GeneralText(value) + QString::fromUtf8(axis) +
           QStringLiteral(" вне разрешенного диапазона [") + GeneralText(min) + QLatin1Char(',') + GeneralText(max) +
           QLatin1Char(']');
}

} // namespace

TMaskCheck CheckMaskRows(std::vector<TMaskRow> &rows, const TMaskKind &kind) {
    if (rows.size() < 2)
        return Failure(LoadStr(422), int(rows.size()) - 1, 0);
    std::vector<double> xs;
    for (int row = 0; row < int(rows.size()); ++row) {
        for (int column = 0; column < 2; ++column) {
            QString &cell = rows[row][column];
            cell = CommaToDecimalSeparator(cell);
            const std::optional<double> value = ParseDouble(cell);
            if (!value)
                return Failure(LoadStr(421), row, column);
            const bool isX = column == 0;
            const float min = isX ? kind.XMin : kind.YMin;
            const float max = isX ? kind.XMax : kind.YMax;
            if (*value > max || !(*value >= min))
                return Failure(RangeMessage(*value, isX ? " по оси Х" : " по оси Y", min, max), row, column);
            if (isX)
                xs.push_back(*value);
        }
    }
    const bool ascending = xs[1] > xs[0];
    for (size_t row = 2; row < xs.size(); ++row)
        if (ascending ? xs[row - 1] > xs[row] : xs[row - 1] < xs[row])
            return Failure(LoadStr(423), int(row), 0);
    return {};
}

QStringList MaskCommentLines(const QStringList &lines) {
    QStringList result;
    for (const QString &line : lines)
        result.append(line.startsWith(QStringLiteral("==")) ? line : QStringLiteral("==") + line);
    return result;
}

QByteArray MaskEditFileText(const QStringList &comment, const std::vector<TMaskRow> &rows) {
    QString text;
    for (const QString &line : comment)
        text += line + QStringLiteral("\r\n");
    for (const TMaskRow &row : rows)
        text += row[0] + QStringLiteral("   ") + row[1] + QStringLiteral("\r\n");
    return ToCp1251(text);
}

QString MaskPathWithExtension(const QString &path, const TMaskKind &kind) {
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QString::fromUtf8(kind.Pattern).mid(1);
}
