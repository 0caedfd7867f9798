#include "engine/masks/ScanFloat.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

template <typename Number> NumberRead ReadNumber(const std::string &line, std::size_t &pos, Number &value) {
    while (pos < line.size() && IsBlank(line[pos]))
        ++pos;
    std::size_t start = pos;
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
    pos = std::size_t(end - line.data());
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

template NumberRead ReadNumber<float>(const std::string &, std::size_t &, float &);
template NumberRead ReadNumber<double>(const std::string &, std::size_t &, double &);
