#include "sim/SimSignalSource.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <fstream>
#include <string>
#include "support/Fixtures.h"

namespace {

std::vector<std::int16_t> Samples(const SimSignalSource &source, std::size_t count, std::uint64_t first) {
    std::vector<std::int16_t> out(count);
    source.Fill(out.data(), count, first);
    return out;
}

} // namespace

TEST(SimSignalSource, AnySliceOfTheSineMatchesTheNumpyFixture) {
    std::vector<std::int16_t> fixture;
    std::ifstream in(FixturePath(QStringLiteral("sim/sine_frames.txt")).toStdString());
    for (std::string line; std::getline(in, line);) {
        int value = 0;
        if (std::from_chars(line.data(), line.data() + line.size(), value).ec == std::errc())
            fixture.push_back(std::int16_t(value));
    }
    ASSERT_EQ(fixture.size(), 4096u);
    SimSignalSource source;
    source.SetSine(12345, 1234.5, 25600);
    for (std::uint64_t first : {0u, 1u, 777u, 3000u}) {
        const std::vector<std::int16_t> slice = Samples(source, 1000, first);
        EXPECT_TRUE(std::equal(slice.begin(), slice.end(), fixture.begin() + std::ptrdiff_t(first))) << first;
    }
}

TEST(SimSignalSource, TonesAddUpClipAndBadSettingsGiveSilence) {
    struct Case {
        const char *name;
        std::vector<SimTone> tones;
        std::vector<std::int16_t> expected; // samples 0, 1, 2, 3
    };
    const Case cases[] = {
        {"two tones: 1000 sin(pi k / 2) + 500 cos(pi k)", {{1000, 0.25, 0}, {500, 0.5, 0.25}}, {500, 500, 500, -1500}},
        {"clipped to the ADC range", {{40000, 0.25, 0}}, {0, 32767, 0, -32768}},
        {"halves round away from zero", {{2.5, 0.25, 0}}, {0, 3, 0, -3}},
        {"no tones", {}, {0, 0, 0, 0}},
        {"not a number", {{NAN, 0.25, 0}}, {0, 0, 0, 0}},
    };
    for (const Case &c : cases) {
        SimSignalSource source;
        source.SetTones(c.tones);
        EXPECT_EQ(Samples(source, 4, 0), c.expected) << c.name;
    }
    SimSignalSource source;
    source.SetSine(1000, 100, 0);
    EXPECT_EQ(Samples(source, 4, 5), std::vector<std::int16_t>(4, 0)) << "no sample rate: silence";
}
