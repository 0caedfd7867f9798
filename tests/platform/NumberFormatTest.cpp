#include "platform/NumberFormat.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>

namespace {

// A comma locale in the C library and in Qt, as a Russian desktop has it, for the duration of a test.
class CommaLocale {
public:
    CommaLocale() : active_(std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr) {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }
    ~CommaLocale() { InitNumberFormat(); }
    bool Active() const { return active_; }

private:
    bool active_;
};

TEST(NumberFormat, InitMakesTheCLibraryAndQtUseADecimalPoint) {
    {
        CommaLocale comma;
        ASSERT_TRUE(comma.Active()) << "the Russian locale must be installed for this test";
        ASSERT_EQ(QLocale().toString(1.5), QStringLiteral("1,5"));
    }
    InitNumberFormat();
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    EXPECT_STREQ(text, "1.5");
    EXPECT_EQ(std::strtod("2.25", nullptr), 2.25);
    EXPECT_EQ(QLocale().toString(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(QLocale().toDouble(QStringLiteral("2.25")), 2.25);
}

TEST(NumberFormat, IntegersInDecimalOrHexadecimal) {
    struct Case {
        const char *text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"12", 12},
        {" -7 ", -7},
        {"+5", 5},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$ff", 255},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
        {"$1FFFFFFFF", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"1.5", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"--1", std::nullopt},
        {"+-1", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"0x-1", std::nullopt},
        {"\xD9\xA1\xD9\xA2", std::nullopt}, // Arabic-Indic digits
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ParseInt(QString::fromUtf8(c.text)), c.value) << c.text;
        EXPECT_EQ(TextToInt(QString::fromUtf8(c.text), -99), c.value.value_or(-99)) << c.text;
    }
}

TEST(NumberFormat, DoublesOnlyWithADecimalPoint) {
    CommaLocale comma;
    struct Case {
        const char *text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"0.25", 0.25},
        {" -1.5e3 ", -1500.0},
        {"+2", 2.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"1E-2", 0.01},
        {"1,5", std::nullopt},
        {"1e400", std::nullopt},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"0x10", std::nullopt},
        {"+-1", std::nullopt},
        {"1.5.", std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ParseDouble(QString::fromUtf8(c.text)), c.value) << c.text;
        EXPECT_EQ(TextToDouble(QString::fromUtf8(c.text), -99), c.value.value_or(-99)) << c.text;
    }
}

TEST(NumberFormat, ShortestTextReadsBackExactly) {
    CommaLocale comma;
    // Expected texts are Python's repr() of the same doubles (whole numbers without Python's ".0").
    struct Case {
        double value;
        const char *text;
    };
    const Case cases[] = {
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {0.1 + 0.2, "0.30000000000000004"},
        {1e20, "1e+20"},
        {1e16, "1e+16"},
        {123.456, "123.456"},
        {-2.5e-300, "-2.5e-300"},
        {5e-324, "5e-324"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {1e-7, "1e-07"},
        {100.0, "100"},
        {0.0, "0"},
        {-0.0, "-0"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DoubleToText(c.value), QLatin1String(c.text)) << c.text;

    std::mt19937_64 random(0);
    std::uniform_int_distribution<uint64_t> bits;
    for (int i = 0; i < 10000; ++i) {
        const uint64_t pattern = bits(random);
        double value = 0;
        std::memcpy(&value, &pattern, sizeof value);
        if (!std::isfinite(value))
            continue;
        const QString text = DoubleToText(value);
        ASSERT_EQ(ParseDouble(text), value) << text.toStdString();
    }
}

TEST(NumberFormat, FixedDecimalsRoundTheExactBinaryValue) {
    CommaLocale comma;
    // Expected texts are Python's "%.*f" of the same doubles.
    struct Case {
        double value;
        int decimals;
        const char *text;
    };
    const Case cases[] = {
        {2.675, 2, "2.67"},
        {0.125, 2, "0.12"},
        {0.375, 2, "0.38"},
        {-0.001, 2, "-0.00"},
        {1e21, 1, "1000000000000000000000.0"},
        {1.5, 0, "2"},
        {2.5, 0, "2"},
        {123.456, 5, "123.45600"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DoubleToText(c.value, c.decimals), QLatin1String(c.text)) << c.text;
    EXPECT_EQ(DoubleToText(-std::numeric_limits<double>::max(), 2).size(), 1 + 309 + 3);
}

} // namespace
