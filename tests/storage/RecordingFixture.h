#pragma once

#include "support/TempProgramDir.h"

#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/SstResultItem.h"
#include "link/InstrumentIdent.h"
#include "link/MeterFrameStore.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "state/RecordChangeMask.h"
#include "storage/RecordTick.h"
#include "storage/playback/PlaybackServices.h"
#include "storage/recording/RecordStreams.h"
#include "storage/recording/RecordingFormat.h"
#include "storage/recording/RecordingServices.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstring>
#include <vector>

// A program folder with its Data folder, the recorder idle, the settings and program settings as the
// program starts, and every message recorded instead of shown. The recording switch is the plain flag
// inversion of the main window, counted.
class RecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("Data")));
        savedSettings = *DeviceSettings;
        InitProgramSettings();
        InstanceNumber = 1;
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request.text);
            return int(IdYes);
        });
        RecordingServices() = {};
        PlaybackServices() = {};
        RecordingServices().ToggleRecording = [this] {
            RecordingOn = !RecordingOn;
            ++toggles;
            if (RecordingOn)
                RecordChangeMask |= 0x01;
        };
        CloseRecordFiles();
        Stopping = false;
        RecordingOn = false;
        RecordChangeMask = 0;
        DeviceSettings->AdcSize = 2048;
        DeviceSettings->AdcSizeIndex = 0;
    }
    void TearDown() override {
        CloseRecordFiles();
        RecordingServices() = {};
        PlaybackServices() = {};
        SetMessageBoxHandler({});
        *DeviceSettings = savedSettings;
        InitProgramSettings();
        RecordingOn = false;
        PlaybackOn = false;
        RecordChangeMask = 0;
    }

    // Fills the ADC buffer with a pattern that differs from block to block.
    void FillBlock(int16_t seed) {
        for (int32_t i = 0; i < DeviceSettings->AdcSize; ++i)
            EngineBuffers.AdcSampleBuffer[i] = int16_t(seed * 7 + i % 1000 - 500);
    }

    // One step of the connection control's chain after a signal block at `time`: the samples are raised
    // while recording.
    void BlockStep(double time, int16_t seed) {
        NowStamp = time;
        FillBlock(seed);
        if (RecordingOn)
            RecordChangeMask |= 0x02;
        RecordTick();
    }

    QByteArray File(const char *extension) const {
        return dir.read(QStringLiteral("Data/R9_WriteData1") + QLatin1String(extension));
    }

    std::vector<IndexRecord> IndexRecords() const {
        const QByteArray bytes = File(".idx");
        std::vector<IndexRecord> records(std::size_t(bytes.size()) / sizeof(IndexRecord));
        std::memcpy(records.data(), bytes.constData(), records.size() * sizeof(IndexRecord));
        return records;
    }

    TempProgramDir dir;
    TDeviceSettings savedSettings;
    std::vector<QString> messages;
    int toggles = 0;
};
