#include "engine/masks/MaskFile.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1251.h"
#include "platform/NumberFormat.h"

#include <QFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <system_error>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

enum class NumberRead { Missing, Read, OutOfRange };

// One "%f" conversion at pos: blanks skipped, an optional sign, then the longest number that follows.
// Trailing text after the number is left for the next conversion, as the C library's scanner does.
template <typename Number> NumberRead ReadNumber(const std::string &line, size_t &pos, Number &value) {
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    size_t start = pos;
    bool negative = false;
    if (start < line.size() && (line[start] == '+' || line[start] == '-')) {
        negative = line[start] == '-';
        ++start;
    }
    if (start < line.size() && (line[start] == '+' || line[start] == '-'))
        return NumberRead::Missing;
    Number magnitude = 0;
    const auto [end, error] = std::from_chars(line.data() + start, line.data() + line.size(), magnitude);
    if (end == line.data() + start)
        return NumberRead::Missing;
    pos = size_t(end - line.data());
    if (error == std::errc::result_out_of_range) {
        // Too small for the type reads as zero, as the C library's scanner gives it.
        long double wide = 0;
        const auto tiny = std::from_chars(line.data() + start, end, wide);
        if (tiny.ec != std::errc() || std::fabs(wide) >= 1)
            return NumberRead::OutOfRange;
        magnitude = 0;
    }
    value = negative ? -magnitude : magnitude;
    return std::isfinite(value) ? NumberRead::Read : NumberRead::OutOfRange;
}

bool Descending(const std::vector<TMaskPoint> &points) {
    bool strictlyDown = false;
    for (size_t i = 1; i < points.size(); ++i) {
        if (points[i].x > points[i - 1].x)
            return false;
        strictlyDown = strictlyDown || points[i].x < points[i - 1].x;
    }
    return strictlyDown;
}

} // namespace

TMaskFileContents ParseMaskPoints(const QByteArray &bytes) {
    TMaskFileContents contents;
    const QStringList lines = FromCp1251(bytes).split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString &text = lines[n];
        if (text.contains(QLatin1Char('=')))
            continue;
        const std::string line = text.toStdString();
        size_t pos = 0;
        float x = 0, y = 0;
        const NumberRead first = ReadNumber(line, pos, x);
        const NumberRead second = first == NumberRead::Read ? ReadNumber(line, pos, y) : NumberRead::Missing;
        if (first == NumberRead::OutOfRange || second == NumberRead::OutOfRange) {
            contents.Points.clear();
            contents.Error = QStringLiteral("строка %1: число вне допустимого диапазона").arg(n + 1);
            return contents;
        }
        if (second == NumberRead::Read)
            contents.Points.push_back({double(x), double(y)});
    }
    if (Descending(contents.Points))
        std::reverse(contents.Points.begin(), contents.Points.end());
    return contents;
}

bool ReadPointLine(const QString &line, double &x, double &y) {
    const std::string text = line.toStdString();
    size_t pos = 0;
    double readX = 0, readY = 0;
    if (ReadNumber(text, pos, readX) != NumberRead::Read || ReadNumber(text, pos, readY) != NumberRead::Read)
        return false;
    x = readX;
    y = readY;
    return true;
}

TMaskFileContents ReadMaskPoints(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("не могу открыть файл")};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("невозможно чтение из файла")};
    return ParseMaskPoints(bytes);
}

QByteArray CombinedMaskSetText(const QString &path, const std::vector<TMaskPoint> &points) {
    QString text = QStringLiteral("==Маска ") + path + QStringLiteral(" \n");
    text += QStringLiteral("==ед.изм1==ед.изм2 \n");
    for (const TMaskPoint &p : points)
        text += QStringLiteral("   ") + DoubleToText(p.x, 6) + QStringLiteral("    ") + DoubleToText(p.y, 6) +
                QLatin1Char('\n');
    text += QString(21, QLatin1Char('=')) + QLatin1Char('\n');
    return ToCp1251(text);
}

bool WriteCombinedMaskSet(const QString &path, const std::vector<TMaskPoint> &points) {
    return WriteFileAtomically(path, CombinedMaskSetText(path, points));
}
