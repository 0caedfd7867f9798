#include "settings/FrequencyCode.h"
#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include "support/Fixtures.h"

namespace {

class FrequencyCodes : public ::testing::Test {
protected:
    void SetUp() override { *DeviceSettings = DefaultDeviceSettings(); }
    void TearDown() override { *DeviceSettings = DefaultDeviceSettings(); }
};

double ParseNumber(const std::string &text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

// The codes of frequency_codes.txt come from quantizer_codes.py, written from the coding rule.
TEST_F(FrequencyCodes, AgreeWithTheIndependentComputation) {
    std::ifstream file(FixturePath(QStringLiteral("catalogue/frequency_codes.txt")).toStdString());
    std::string line;
    int lines = 0;
    while (std::getline(file, line)) {
        SCOPED_TRACE(line);
        std::istringstream fields(line);
        std::string rate, frequency, code, decoded;
        fields >> rate >> frequency >> code >> decoded;
        DeviceSettings->SampleRate = float(ParseNumber(rate));
        EXPECT_EQ(QuantizeFrequency(ParseNumber(frequency)), std::stoul(code));
        EXPECT_DOUBLE_EQ(DequantizeFrequency(uint16_t(std::stoul(code))), ParseNumber(decoded));
        ++lines;
    }
    EXPECT_GT(lines, 50);
}

// Each analyser of a pair decodes at its own sample rate.
TEST_F(FrequencyCodes, DecodedAtTheReceiversRate) {
    DeviceSettings->SampleRate = 640;
    const uint16_t code = QuantizeFrequency(40);
    EXPECT_EQ(code, 128);
    DeviceSettings->SampleRate = 320;
    EXPECT_DOUBLE_EQ(DequantizeFrequency(code), 20);
}

TEST_F(FrequencyCodes, NoSampleRateGivesCodeZero) {
    DeviceSettings->SampleRate = 0;
    EXPECT_EQ(QuantizeFrequency(40), 0);
    DeviceSettings->SampleRate = -5;
    EXPECT_EQ(QuantizeFrequency(40), 0);
}
