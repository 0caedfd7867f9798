#include "chartlib/Chartlib.h"

#include "platform/DateTime.h"
#include "platform/NumberFormat.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

QString PrecisionZeros = QStringLiteral("00");

void SetPrecisionZeros(int precision) {
    PrecisionZeros = QString(std::clamp(precision, 0, 15), QLatin1Char('0'));
}

namespace {

struct Picture {
    int minIntegerDigits = 0;
    int minFractionDigits = 0;
    int maxFractionDigits = 0;
};

Picture ParsePicture(QStringView picture) {
    Picture p;
    const qsizetype point = picture.indexOf(QLatin1Char('.'));
    const QStringView integerPart = point < 0 ? picture : picture.left(point);
    p.minIntegerDigits = int(integerPart.count(QLatin1Char('0')));
    if (point < 0)
        return p;
    bool optionalSeen = false;
    for (QChar c : picture.mid(point + 1)) {
        if (c == QLatin1Char('#')) {
            optionalSeen = true;
            ++p.maxFractionDigits;
        } else if (c == QLatin1Char('0')) {
            ++p.maxFractionDigits;
            if (!optionalSeen)
                ++p.minFractionDigits;
        }
    }
    return p;
}

// Rounds a digit string at keep digits, halves away from zero (the magnitude is rounded up). Returns
// true when the carry ran out of the front, i.e. a new leading digit '1' was added.
bool RoundDigits(std::string &digits, std::size_t keep) {
    if (digits.size() <= keep) {
        digits.append(keep - digits.size(), '0');
        return false;
    }
    const bool up = digits[keep] >= '5';
    digits.resize(keep);
    if (!up)
        return false;
    for (std::size_t i = keep; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
    return true;
}

struct FrequencyPicture {
    double above; // MaxFrequency strictly above this takes the picture
    const char16_t *picture;
    double roundingNudge;
};

// The last row applies to every maximum frequency up to 10 kHz.
constexpr FrequencyPicture FrequencyPictures[] = {
    {1000, u"0.###", 0.0001},
    {100, u"0.####", 0.00001},
    {10, u"0.#####", 0.000001},
    {-HUGE_VAL, u"0.######", 0.0000001},
};

const FrequencyPicture &CurrentFrequencyPicture() {
    const double maxFrequency = DeviceSettings->MaxFrequency;
    for (const FrequencyPicture &row : FrequencyPictures)
        if (maxFrequency > row.above)
            return row;
    return FrequencyPictures[std::size(FrequencyPictures) - 1];
}

QString PrecisionPicture() {
    return QStringLiteral("0.") + PrecisionZeros;
}

QString TwoDigitsAtLeast(std::int32_t part) {
    return part < 10 ? QLatin1Char('0') + QString::number(part) : QString::number(part);
}

} // namespace

QString FormatPicture(double value, QStringView picture) {
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    const Picture p = ParsePicture(picture);

    // 15 significant digits "d.dddddddddddddde+xx"
    char buffer[32];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    const std::string text(buffer, written.ptr);
    const std::size_t exponentAt = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, exponentAt - 2);
    int integerDigits = std::stoi(text.substr(exponentAt + 1)) + 1;
    if (integerDigits < 1) {
        digits.insert(0, std::size_t(1 - integerDigits), '0');
        integerDigits = 1;
    }
    if (RoundDigits(digits, std::size_t(integerDigits + p.maxFractionDigits)))
        ++integerDigits;

    std::string integerPart = digits.substr(0, integerDigits);
    std::string fraction = digits.substr(integerDigits);
    const bool zero =
        integerPart.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
    integerPart.erase(0, std::min(integerPart.find_first_not_of('0'), integerPart.size()));
    if (int(integerPart.size()) < p.minIntegerDigits)
        integerPart.insert(0, std::size_t(p.minIntegerDigits) - integerPart.size(), '0');
    while (int(fraction.size()) > p.minFractionDigits && fraction.back() == '0')
        fraction.pop_back();

    std::string result = (value < 0 && !zero) ? "-" : "";
    result += integerPart;
    if (!fraction.empty())
        result += '.' + fraction;
    return QString::fromLatin1(result.data(), qsizetype(result.size()));
}

QString FormatValue(double value) {
    if (value == NoValue)
        return {};
    return FormatPicture(value, PrecisionPicture());
}

QString FormatValueDigits(double value, int n) {
    if (value == NoValue)
        return {};
    return FormatPicture(value, QStringLiteral("0.") + QString(std::max(n, 0), QLatin1Char('#')));
}

QString FormatFrequency(double kHz) {
    return FormatPicture(kHz, CurrentFrequencyPicture().picture);
}

double RoundToPrecision(double value) {
    return TextToDouble(FormatPicture(value, PrecisionPicture()), 0);
}

double RoundFrequency(double kHz) {
    const FrequencyPicture &row = CurrentFrequencyPicture();
    return TextToDouble(FormatPicture(kHz + row.roundingNudge, row.picture), 0);
}

double RoundTo3Decimals(double value) {
    return TextToDouble(FormatPicture(value, u"0.###"), 0);
}

double RoundTo1Decimal(double value) {
    return TextToDouble(FormatPicture(value, u"0.0"), 0);
}

QString SecondsToClock(std::int32_t seconds, bool withHours) {
    seconds = std::max(seconds, 0);
    if (withHours)
        return TwoDigitsAtLeast(seconds / 3600) + QLatin1Char(':') + TwoDigitsAtLeast(seconds % 3600 / 60) +
               QLatin1Char(':') + TwoDigitsAtLeast(seconds % 60);
    return TwoDigitsAtLeast(seconds / 60) + QLatin1Char(':') + TwoDigitsAtLeast(seconds % 60);
}

QString DayCountToDateText(std::uint16_t days) {
    if (days == 0)
        return {};
    return QStringLiteral(": ") + DateToText(EncodeDate(2003, 1, 1) + days);
}
