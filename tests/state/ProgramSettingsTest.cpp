#include "state/ProgramSettings.h"

#include "platform/DateTime.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace {

using Image = std::array<uint8_t, 256>;

Image ImageOfProgramSettings() {
    Image image{};
    std::memcpy(image.data(), &ProgramSettings, image.size());
    return image;
}

template <typename T> T ReadAt(const Image &image, size_t offset) {
    T value;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
}

TEST(ProgramSettings, StartDefaults) {
    std::memset(&ProgramSettings, 0xA5, sizeof ProgramSettings);
    InitProgramSettings();
    const Image image = ImageOfProgramSettings();
    const double start = EncodeDate(2003, 1, 1);
    EXPECT_EQ(DateTimeToText(start), "01.01.2003 00:00:00");
    for (int n = 0; n < RecordingWindowCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ReadAt<int16_t>(image, 24 * n), 0);
        EXPECT_EQ(ReadAt<double>(image, 24 * n + 8), start);
        EXPECT_EQ(ReadAt<double>(image, 24 * n + 16), start);
    }
    EXPECT_EQ(ReadAt<int16_t>(image, 240), 2);
    EXPECT_EQ(ReadAt<int16_t>(image, 242), 0);
    EXPECT_EQ(ReadAt<int16_t>(image, 244), 0);
    EXPECT_EQ(ReadAt<int16_t>(image, 246), 0);
    EXPECT_EQ(ReadAt<int16_t>(image, 248), 1);
    EXPECT_EQ(ReadAt<int8_t>(image, 250), 0);
}

// A legacy configuration carries the image with any bytes in the padding; every byte comes back.
TEST(ProgramSettings, ImageRoundTripsByteForByte) {
    Image written{};
    for (size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<uint8_t>(i * 37 + 11);
    std::memcpy(&ProgramSettings, written.data(), written.size());
    EXPECT_EQ(ImageOfProgramSettings(), written);

    ProgramSettings.RecordingWindows[9].Enabled = 1;
    ProgramSettings.RecordingWindows[9].End = 12345.5;
    ProgramSettings.Precision = 7;
    ProgramSettings.AutoProtocol = 1;
    ProgramSettings.PlaybackPauseIndex = -3;
    const Image changed = ImageOfProgramSettings();
    EXPECT_EQ(ReadAt<int16_t>(changed, 216), 1);
    EXPECT_EQ(ReadAt<double>(changed, 232), 12345.5);
    EXPECT_EQ(ReadAt<int16_t>(changed, 240), 7);
    EXPECT_EQ(ReadAt<int16_t>(changed, 246), 1);
    EXPECT_EQ(ReadAt<int8_t>(changed, 250), -3);
    EXPECT_EQ(ReadAt<uint8_t>(changed, 255), written[255]);
    InitProgramSettings();
}

} // namespace
