#pragma once

#include "settings/window/Form_SetDev.h"

#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "settings/GeneratorLevelLimits.h"
#include "settings/MasterIntervals.h"
#include "WaitingRemoteCodes.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/RemoteParamChange.h"
#include "settings/SettingsHost.h"
#include "platform/IniFile.h"
#include "settings/SettingsWindowView.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/SettingsLoadState.h"
#include "support/PausedView.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

inline QColor TextOf(const QWidget *w) {
    return w->palette().color(QPalette::Active, QPalette::ButtonText);
}

const QColor Yellow(255, 255, 0);
const QColor Lime(50, 205, 50);
const QColor Red(255, 0, 0);

// The window on a 256 kHz range (sample rate 640 kHz: SIN2 grid 2.5 kHz, MTTS grid 1.25 kHz), connection
// type 3, in demonstration mode without a running emulator.
class SetDevWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitValueQuantizers();
        settings = DefaultDeviceSettings();
        settings.MaxFrequency = 256;
        RecomputeSampleRateFields(settings);
        settings.ConnectionType = 3;
        settings.Mode = 0;
        for (GenBlock *g : {&settings.Sin, &settings.Sin2, &settings.Mtts, &settings.Rnd, &settings.Noise})
            g->State = 0;
        settings.Block.State = 2;
        settings.ConnectState = 0;
        settings.PeerConnectState = 0;
        saved = DeviceSettings;
        DeviceSettings = &settings;
        ConnectionKind = 0;
        SettingsLoadState = 1;
        SetConnectionView(&paused);
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request);
            return answer;
        });
        window = std::make_unique<TForm_SetDev>();
    }
    void TearDown() override {
        window.reset();
        DropRemoteMessages();
        SetMessageBoxHandler({});
        SetConnectionView(nullptr);
        delete Emulator;
        Emulator = nullptr;
        DeviceSettings = saved;
        PlaybackOn = false;
    }

    TDeviceSettings settings;
    TDeviceSettings *saved = nullptr;
    PausedView paused;
    std::vector<MessageRequest> boxes;
    int answer = IdYes;
    static std::vector<uint8_t> SentCodes() { return TakeWaitingRemoteCodes(); }
    VirtualClock clock{1000, 1};
    std::unique_ptr<TForm_SetDev> window;
};
