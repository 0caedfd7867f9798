#pragma once

#include "SettingsFixture.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "platform/MessageService.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteMessageCodec.h"
#include "state/MainGlobals.h"
#include "state/RemoteMessage.h"

#include <QString>

#include <vector>

// Two analysers in one process: the test switches DeviceSettings between the sender's record and the
// receiver's. Without an instrument a message stays in the outgoing buffer (the pending message bit
// raised), where the test reads it; programs run as they would after the transmission.
class RemoteLinkTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        BuildParamCatalogue();
        peer = settings;
        ConnectionKind = 1;
        SetWeightingCurve(0, nullptr, nullptr);
        RemoteLinkPeers() = {};
        RemoteLinkPeers().ShowStatusText = [this](const QString &text) { status.push_back(text); };
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request);
            return int(IdOk);
        });
    }
    void TearDown() override {
        DropRemoteMessages();
        SetMessageBoxHandler({});
        RemoteLinkPeers() = {};
        SetWeightingCurve(0, nullptr, nullptr);
        ScenarioRunning = 0;
        SettingsTest::TearDown();
    }

    // The bytes that a code list puts on the line from the current record; the message is dropped.
    std::vector<uint8_t> Sent(const std::vector<uint8_t> &codes, const TUnsupportedModes &modes = {}) {
        SendRemoteMessage(codes, modes);
        std::vector<uint8_t> bytes = OnLine();
        DropRemoteMessages();
        return bytes;
    }
    static std::vector<uint8_t> OnLine() {
        return {RemoteMessage.Message, RemoteMessage.Message + RemoteMessage.Size};
    }
    static std::vector<uint8_t> ProgramOnLine() {
        return {RemoteMessage.Program, RemoteMessage.Program + RemoteMessage.ProgramCount};
    }
    // The message as the peer's analyser receives it.
    void ReceiveAtPeer(const std::vector<uint8_t> &bytes) {
        DeviceSettings = &peer;
        ParseRemoteMessage(bytes.data(), int32_t(bytes.size()));
    }

    TDeviceSettings peer{};
    std::vector<QString> status;
    std::vector<MessageRequest> boxes;
};
