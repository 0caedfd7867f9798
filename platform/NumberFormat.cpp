#include "platform/NumberFormat.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <string>

namespace {

// Only ASCII can form a number; anything else becomes a byte that no parser accepts.
std::string Ascii(QStringView text) {
    std::string out;
    out.reserve(text.size());
    for (QChar c : text.trimmed())
        out.push_back(c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7F');
    return out;
}

// The text must be exactly one number; `extra` is the base for integers, the format for doubles.
template <typename T, typename Extra> std::optional<T> ParseWhole(const char *first, const char *last, Extra extra) {
    T value{};
    const auto [end, error] = std::from_chars(first, last, value, extra);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

} // namespace

void InitNumberFormat() {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

std::optional<int> ParseInt(QStringView text) {
    const std::string s = Ascii(text);
    const char *p = s.data();
    const char *end = p + s.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end || *p == '+' || *p == '-')
        return std::nullopt;

    int prefix = 0;
    if (*p == '$')
        prefix = 1;
    else if (end - p > 1 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X'))
        prefix = 2;
    if (prefix > 0) {
        const auto bits = ParseWhole<uint32_t>(p + prefix, end, 16);
        if (!bits)
            return std::nullopt;
        const uint32_t magnitude = negative ? 0u - *bits : *bits;
        return static_cast<int>(magnitude);
    }

    const auto magnitude = ParseWhole<int64_t>(p, end, 10);
    if (!magnitude)
        return std::nullopt;
    const int64_t value = negative ? -*magnitude : *magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<double> ParseDouble(QStringView text) {
    const std::string s = Ascii(text);
    const char *p = s.data();
    const char *end = p + s.size();
    if (p != end && *p == '+') {
        ++p;
        if (p != end && (*p == '+' || *p == '-'))
            return std::nullopt;
    }
    return ParseWhole<double>(p, end, std::chars_format::general);
}

int TextToInt(QStringView text, int def) {
    return ParseInt(text).value_or(def);
}

double TextToDouble(QStringView text, double def) {
    return ParseDouble(text).value_or(def);
}

QString DoubleToText(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString FloatToText(float value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString DoubleToText(double value, int decimals) {
    decimals = std::clamp(decimals, 0, 30);
    // The largest double has 309 integer digits.
    std::array<char, 360> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}
