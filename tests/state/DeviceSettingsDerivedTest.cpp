#include "state/DeviceSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <set>
#include <vector>

namespace {

TEST(DeviceSettingsDerived, SampleRateFieldsFollowTheMaximumFrequency) {
    // Expected values computed independently in single precision (numpy float32).
    struct Case {
        float maxFrequency;
        float sampleRate, sinMin, sin2Min, mttsMin, controlStep, controlMinSpan;
    };
    const Case cases[] = {
        {256, 640, 0.625f, 2.5f, 1.25f, 5, 15.625f},
        {4096, 10240, 10, 40, 20, 80, 250},
        {4, 10, 0.009765625f, 0.0390625f, 0.01953125f, 0.078125f, 0.244140625f},
        {1100, 2750, 2.685546875f, 10.7421875f, 5.37109375f, 21.484375f, 67.138671875f},
    };
    for (const Case &c : cases) {
        TDeviceSettings s = DefaultDeviceSettings();
        s.MaxFrequency = c.maxFrequency;
        RecomputeSampleRateFields(s);
        SCOPED_TRACE(c.maxFrequency);
        EXPECT_FLOAT_EQ(s.SampleRate, c.sampleRate);
        EXPECT_FLOAT_EQ(s.Sin.MinFreq, c.sinMin);
        EXPECT_FLOAT_EQ(s.Sin2.MinFreq, c.sin2Min);
        EXPECT_FLOAT_EQ(s.Mtts.MinFreq, c.mttsMin);
        EXPECT_FLOAT_EQ(s.ControlStep, c.controlStep);
        EXPECT_FLOAT_EQ(s.ControlMinSpan, c.controlMinSpan);
        // The default MTTS comb (102 tones from 2.5 kHz in steps of 2.5 kHz) ends at 255 kHz.
        EXPECT_FLOAT_EQ(s.Mtts.F2, 255);
    }
}

TEST(DeviceSettingsDerived, MttsLastFrequencyIsFirstPlusCountMinusOneSteps) {
    struct Case {
        int32_t count;
        float f1, step, f2;
    };
    const Case cases[] = {
        {102, 2.5f, 2.5f, 255},
        {3, 10, 0.3125f, 10.625f},
        {255, 1.25f, 1.25f, 318.75f},
        {1, 7.5f, 2.5f, 7.5f},
    };
    for (const Case &c : cases) {
        TDeviceSettings s = DefaultDeviceSettings();
        s.Mtts.Count = c.count;
        s.Mtts.F1 = c.f1;
        s.Mtts.Step = c.step;
        RecomputeMttsLastFrequency(s);
        EXPECT_FLOAT_EQ(s.Mtts.F2, c.f2) << c.count;
    }
}

TEST(DeviceSettingsDerived, BlockSizeFieldsFollowTheSizeIndex) {
    struct Case {
        int32_t index;
        int32_t expectedIndex, adcSize;
        float spectrumStep, presentationStep;
    };
    // At 640 kHz with every third spectrum line presented. Indexes outside 0..4 come from damaged files.
    const Case cases[] = {
        {0, 0, 2048, 0.3125f, 0.9375f},
        {1, 1, 4096, 0.15625f, 0.46875f},
        {2, 2, 8192, 0.078125f, 0.234375f},
        {3, 3, 16384, 0.0390625f, 0.1171875f},
        {4, 4, 32768, 0.01953125f, 0.05859375f},
        {-1, 0, 2048, 0.3125f, 0.9375f},
        {5, 4, 32768, 0.01953125f, 0.05859375f},
        {std::numeric_limits<int32_t>::min(), 0, 2048, 0.3125f, 0.9375f},
        {std::numeric_limits<int32_t>::max(), 4, 32768, 0.01953125f, 0.05859375f},
    };
    for (const Case &c : cases) {
        TDeviceSettings s = DefaultDeviceSettings();
        s.SampleRate = 640;
        s.SpectrumStepIndex = 3;
        s.AdcSizeIndex = c.index;
        RecomputeBlockSizeFields(s);
        SCOPED_TRACE(c.index);
        EXPECT_EQ(s.AdcSizeIndex, c.expectedIndex);
        EXPECT_EQ(s.AdcSize, c.adcSize);
        EXPECT_FLOAT_EQ(s.SpectrumStep, c.spectrumStep);
        EXPECT_FLOAT_EQ(s.PresentationStep, c.presentationStep);
    }
}

TEST(DeviceSettingsDerived, SyncMinIntervalAddsTheDelayOfTheEdgeMode) {
    struct Case {
        int32_t sizeIndex;
        int8_t edgeMode;
        float delay; // placed at the edge mode's slot when that slot exists
        int32_t expected;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {0, 0, 0, 150000},
        {2, 1, 12.9f, 600012}, // truncated, not rounded
        {0, 3, -0.5f, 149999}, // truncation toward zero of 149999.5
        {4, 2, -3e6f, -600000},
        {1, 0, 1e30f, std::numeric_limits<int32_t>::max()},
        {1, 0, -1e30f, std::numeric_limits<int32_t>::min()},
        {1, 0, nan, 300000}, // no usable delay
        {1, 2, inf, 300000},
        {1, 4, 77, 300000}, // no such edge mode: no delay
        {1, -1, 77, 300000},
        {9, 0, 0, 2400000}, // size index of a damaged file: nearest valid one
        {-3, 0, 0, 150000},
    };
    for (const Case &c : cases) {
        TDeviceSettings s = DefaultDeviceSettings();
        for (int k = 0; k < 4; ++k)
            s.SyncDelay[k] = 1000.0f * float(k + 1); // would show up if the wrong slot were read
        s.AdcSizeIndex = c.sizeIndex;
        s.SyncEdgeMode = c.edgeMode;
        if (c.edgeMode >= 0 && c.edgeMode < 4)
            s.SyncDelay[c.edgeMode] = c.delay;
        RecomputeSyncMinInterval(s);
        EXPECT_EQ(s.SyncMinInterval, c.expected) << c.sizeIndex << " " << int(c.edgeMode) << " " << c.delay;
    }
}

// Each recomputation writes its own fields and nothing else; the reserved bytes in particular come
// through untouched.
TEST(DeviceSettingsDerived, RecomputationsLeaveEveryOtherByteAlone) {
    struct Range {
        size_t begin, end;
    };
    const struct {
        const char *name;
        void (*recompute)(TDeviceSettings &);
        std::vector<Range> written;
    } cases[] = {
        {"sample rate", RecomputeSampleRateFields, {{0, 4}, {41, 45}, {69, 73}, {93, 101}, {308, 312}, {322, 326}}},
        {"MTTS last frequency", RecomputeMttsLastFrequency, {{93, 97}}},
        {"control tone", RecomputeControlToneFields, {{308, 312}, {322, 326}}},
        {"block size", RecomputeBlockSizeFields, {{221, 233}, {237, 241}}},
        {"sync interval", RecomputeSyncMinInterval, {{12209, 12213}}},
    };

    std::mt19937 random(7);
    std::vector<uint8_t> image(sizeof(TDeviceSettings));
    for (uint8_t &b : image)
        b = uint8_t(random());
    TDeviceSettings original;
    std::memcpy(&original, image.data(), image.size());
    original.AdcSizeIndex = 9; // also invalid indexes must not lead to writes elsewhere
    original.SyncEdgeMode = 2;
    std::memcpy(image.data(), &original, image.size());

    for (const auto &c : cases) {
        TDeviceSettings s = original;
        c.recompute(s);
        std::vector<uint8_t> after(sizeof(TDeviceSettings));
        std::memcpy(after.data(), &s, after.size());
        for (size_t i = 0; i < image.size(); ++i) {
            bool allowed = false;
            for (const Range &r : c.written)
                allowed = allowed || (i >= r.begin && i < r.end);
            if (!allowed) {
                EXPECT_EQ(after[i], image[i]) << c.name << " changed byte " << i;
            }
        }
    }
}

TEST(DeviceSettingsRowCounts, CountBytesOfEightyHexAndAboveMeanAnEmptyList) {
    const struct {
        uint8_t stored;
        int rows;
    } cases[] = {{0x00, 0}, {0x01, 1}, {0x7F, 127}, {0x80, 0}, {0xC8, 0}, {0xFF, 0}};
    for (const auto &c : cases) {
        TDeviceSettings s = DefaultDeviceSettings();
        std::memcpy(reinterpret_cast<unsigned char *>(&s) + 5347, &c.stored, 1);  // MasterF.SetCount
        std::memcpy(reinterpret_cast<unsigned char *>(&s) + 10385, &c.stored, 1); // MasterL.SetCount
        std::memcpy(reinterpret_cast<unsigned char *>(&s) + 12123, &c.stored, 1); // Mirvak.SetCount
        EXPECT_EQ(SetRowCount(s.MasterF), c.rows) << int(c.stored);
        EXPECT_EQ(SetRowCount(s.MasterL), c.rows) << int(c.stored);
        EXPECT_EQ(SetRowCount(s.Mirvak), c.rows) << int(c.stored);
    }
}

// A list longer than the byte can express keeps its first 127 rows instead of turning into a negative
// count, which every reader would take for an empty list.
TEST(DeviceSettingsRowCounts, StoredCountKeepsAtMost127Rows) {
    const struct {
        int rows;
        int kept;
    } cases[] = {{-4, 0}, {0, 0}, {5, 5}, {127, 127}, {128, 127}, {200, 127}, {256, 127}, {340, 127}, {1000, 127}};
    for (const auto &c : cases) {
        TDeviceSettings s = DefaultDeviceSettings();
        s.MasterF.SetCount = StoredRowCount(c.rows);
        s.Mirvak.SetCount = StoredRowCount(c.rows);
        EXPECT_EQ(SetRowCount(s.MasterF), c.kept) << c.rows;
        EXPECT_EQ(SetRowCount(s.Mirvak), c.kept) << c.rows;
    }
}

} // namespace
