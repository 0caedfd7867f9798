#pragma once

#include "../LinkTestPorts.h"
#include "support/QuietSettings.h"
#include "support/TempProgramDir.h"

#include "link/Dspio9.h"
#include "link/Ft_spi.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "link/connection/ConnectionServices.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "settings/SettingsServices.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "storage/RecordTick.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <vector>

// What the main window would have shown.
class FakeView : public TConnectionView {
public:
    void SetCounterPanel(const QString &panelName, const QString &text) override { panels[panelName] = text; }
    void SetGeneratorSummary(const QString &caption, int image) override {
        generatorCaption = caption;
        generatorImage = image;
        ++generatorUpdates;
    }
    void SetMeterSummary(const QString &caption) override {
        meterCaption = caption;
        ++meterUpdates;
    }
    void SetOverloadText(const QString &text) override { overloadTexts.push_back(text); }
    bool PauseDown() const override { return pause; }
    void Beep() override { ++beeps; }

    std::map<QString, QString> panels;
    QString generatorCaption, meterCaption;
    int generatorImage = -1, generatorUpdates = 0, meterUpdates = 0, beeps = 0;
    std::vector<QString> overloadTexts;
    bool pause = false;
};

// The services that the settings window and the recorder register when the program starts, for the life
// of a fixture.
struct RegisteredServices {
    RegisteredServices() {
        RegisterSettingsServices();
        RegisterRecorder();
    }
    ~RegisteredServices() { ConnectionServices() = {}; }
};

// The connection's own settings and the view around one test; the test chooses the connection kind.
class ConnectionGlobals : public ::testing::Test {
protected:
    void SetUp() override {
        settings = QuietSettings();
        DeviceSettings = &settings;
        SetConnectionView(&view);
    }
    void TearDown() override {
        SetConnectionView(nullptr);
        DeviceSettings = saved;
        ConnectionKind = 0;
    }

    TDeviceSettings *saved = DeviceSettings;
    TDeviceSettings settings;
    FakeView view;
    RegisteredServices services;
};

// Besides: a program folder with the firmware, the message boxes caught, and the simulated instrument
// under ConnectionPort.
class ConnectionTest : public ConnectionGlobals {
protected:
    explicit ConnectionTest(SimConfig config = SimConfig()) : rig(std::move(config)) {}

    void SetUp() override {
        ConnectionGlobals::SetUp();
        ConnectionKind = 1;
        TechnologyMode = false;
        MeterFramesOn = 0;
        MirvakFirmware = 0;
        CommandFailed = false;
        InstrumentIdent = TInstrumentIdent();
        folder.write(QStringLiteral("r9_307.i00"), FirmwareFolder::SmallProgram());
        ConnectionPort = &rig.Port;
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request);
            if (onBox)
                onBox();
            return int(IdOk);
        });
    }
    void TearDown() override {
        ReleaseLinkObjects();
        SetMessageBoxHandler({});
        ConnectionPort = nullptr;
        ConnectionGlobals::TearDown();
    }

    // The packets the instrument took, waiting until `count` arrived and a little longer for any extra.
    std::vector<SimPacket> Received(std::size_t count) {
        std::vector<SimPacket> packets;
        WaitUntil([&] {
            Drain(packets);
            return packets.size() >= count;
        });
        WaitUntil([] { return false; }, 0.2);
        Drain(packets);
        return packets;
    }
    static std::vector<int> Types(const std::vector<SimPacket> &packets) {
        std::vector<int> types;
        for (const SimPacket &p : packets)
            types.push_back(p.type);
        return types;
    }
    // Throws away what the instrument took so far (the link's own packets after opening).
    void ForgetReceived() {
        std::vector<SimPacket> ignored;
        WaitUntil([] { return false; }, 0.2);
        Drain(ignored);
    }

    TempProgramDir folder;
    SimRig rig;
    std::vector<MessageRequest> boxes;
    std::function<void()> onBox;

private:
    void Drain(std::vector<SimPacket> &packets) {
        while (std::optional<SimPacket> p = rig.Instrument->TakePacket())
            packets.push_back(*p);
    }
};
