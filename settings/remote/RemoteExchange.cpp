#include "settings/remote/RemoteExchange.h"

#include "link/Dspio9.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "settings/GeneratorCommands.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteMessageCodec.h"
#include "settings/remote/RemoteProgram.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"
#include "state/ProgramSettings.h"
#include "state/RemoteMessage.h"

#include <algorithm>
#include <cstring>
#include <deque>

namespace {

constexpr int32_t PendingRemoteMessage = 0x200;

// Messages built while another one was on the line, oldest first.
std::deque<TRemoteOutgoing> &WaitingMessages() {
    static std::deque<TRemoteOutgoing> waiting;
    return waiting;
}

QString Kilobytes(double bytes) {
    return DoubleToText(bytes / 1024.0, 3);
}

void ShowTooLong(std::size_t bytes) {
    ShowMessage({QStringLiteral("Длина сообщения слишком велика!\nДлина Вашего сообщения равна ") + Kilobytes(double(bytes)) +
                     QStringLiteral(" Кб.\nМаксимальный размер сообщения равен ") +
                     Kilobytes(RemoteMaxWords * 2.0) + QStringLiteral(" Кб."),
                 LoadStr(5), MsgIcon::Error, MsgButtons::Ok});
}

// The message goes into the one buffer that the message command reads.
void PutOnLine(const TRemoteOutgoing &message) {
    ClearRemoteMessage(RemoteMessage);
    RemoteMessage.Size = int32_t(message.Data.size());
    RemoteMessage.Message = new uint8_t[message.Data.size()];
    std::memcpy(RemoteMessage.Message, message.Data.data(), message.Data.size());
    RemoteMessage.ProgramCount = int16_t(message.Program.size());
    RemoteMessage.Program = new uint8_t[std::max<std::size_t>(message.Program.size(), 1)];
    std::copy(message.Program.begin(), message.Program.end(), RemoteMessage.Program);
    std::copy(message.Unsupported.begin(), message.Unsupported.end(), RemoteMessage.UnsupportedModes);
}

bool OnLine() {
    return RemoteMessage.Size > 0;
}

// The pending-message bit of a message that is in the outgoing buffer and not yet handed to the
// instrument: SendCommand clears the bit when it hands the message over, so no other handler may.
int32_t WaitingMessageBit() {
    return OnLine() ? DeviceSettings->Mode & PendingRemoteMessage : 0;
}

} // namespace

bool SendRemoteMessage(const std::vector<uint8_t> &codes, const TUnsupportedModes &unsupported) {
    if (codes.empty())
        return true;
    TRemoteOutgoing message;
    message.Unsupported = unsupported;
    for (uint8_t code : codes)
        EncodeRemoteItem(code, message);
    if (message.Data.size() % 2)
        message.Data.push_back(0);
    if (message.Data.size() / 2 > std::size_t(RemoteMaxWords)) {
        ShowTooLong(message.Data.size());
        return false;
    }
    if (message.Data.size() <= std::size_t(RemoteHeaderSize)) {
        RunProgram(message.Program.data(), int32_t(message.Program.size()), message.Unsupported);
    } else {
        WaitingMessages().push_back(std::move(message));
        SendQueuedRemoteMessage();
    }
    UpdateControlStates();
    return true;
}

void SendQueuedRemoteMessage() {
    std::deque<TRemoteOutgoing> &waiting = WaitingMessages();
    TDeviceSettings &s = *DeviceSettings;
    while (!OnLine() && !waiting.empty()) {
        PutOnLine(waiting.front());
        waiting.pop_front();
        s.Mode |= PendingRemoteMessage;
        SendCommand();
        // Still pending: the next SendCommand takes it out.
        if (s.Mode & PendingRemoteMessage)
            return;
        // On its way: the instrument reports its end.
        if (DspIo && DspIo->MsgOutBusy())
            return;
        // It could not go out (reported by the command), or no instrument carries it.
        ClearRemoteMessage(RemoteMessage);
    }
}

void EndRemoteTransmission(bool success, int receipt) {
    TDeviceSettings &s = *DeviceSettings;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    s.Mode |= 0x100;
    if (success) {
        BlockGenerator();
        HandleRemoteReceipt(receipt);
        if (s.ConnectState == 1)
            s.ConnectState = 2;
        CallPeer(peers.ShowStatusText, LoadStr(160));
    } else {
        CallPeer(peers.ShowStatusText, LoadStr(159));
        if (s.ConnectState == 1) {
            s.ConnectState = -1;
            s.PeerConnectState = 0;
            s.RemoteGenState[GenKindBlock - 1] = 2;
            SelectRemoteGenerator(GenKindBlock);
        }
        s.Mode = 0x001;
        BlockGenerator();
    }
    RunOwnProgram();
    RefreshGenButtons();
    UpdateControlStates();
    ClearRemoteMessage(RemoteMessage);
    CallPeer(peers.RefreshTextMessageWindow);
    SendQueuedRemoteMessage();
}

void RemoteMessageFailed() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectState == 1) {
        s.ConnectState = -1;
        s.PeerConnectState = 0;
    }
    s.Mode = 0x001 | WaitingMessageBit();
    s.RemoteGenState[GenKindBlock - 1] = 2;
    SelectRemoteGenerator(GenKindBlock);
    MarkRemoteGenButton(GenKindBlock);
    SendCommand();
    CallPeer(RemoteLinkPeers().ShowStatusText, LoadStr(453));
}

void RemoteMessageArrived(const uint8_t *data, int32_t length) {
    DeviceSettings->Mode &= ~PendingRemoteMessage | WaitingMessageBit();
    ParseRemoteMessage(data, length);
}

void RunOwnProgram() {
    TUnsupportedModes modes{};
    std::copy(std::begin(RemoteMessage.UnsupportedModes), std::end(RemoteMessage.UnsupportedModes), modes.begin());
    // A step may end the link and drop the message, so the position is read afresh each time.
    while (RemoteMessage.ProgramPosition < RemoteMessage.ProgramCount) {
        const uint8_t code = RemoteMessage.Program[RemoteMessage.ProgramPosition++];
        RunProgramStep(code, modes);
    }
    DeviceSettings->Mode |= 0x1;
    SendCommand();
}

void DropRemoteMessages() {
    WaitingMessages().clear();
    ClearRemoteMessage(RemoteMessage);
    DeviceSettings->Mode &= ~PendingRemoteMessage;
}

void AbortRemoteMessages() {
    if (DspIo)
        DspIo->MesOutAbort();
    DropRemoteMessages();
}

void BreakRemoteConnection() {
    const TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectState > 0 || s.PeerConnectState > 0)
        SendRemoteMessage({PrgBreak, Break_R});
}

bool IsRemoteLinkAvailable() {
    const int type = DeviceSettings->ConnectionType;
    return type >= 2 && type <= 9 && type != 6;
}

void ConnectRemote() {
    TDeviceSettings &s = *DeviceSettings;
    const TRemoteLinkPeers &peers = RemoteLinkPeers();
    s.ConnectState = 1;
    s.PeerConnectState = 0;
    ProgramSettings.AutoWindowChange = 0;
    CallPeer(peers.RefreshProgramSettingsDialog);
    RefreshGenButtons();
    CallPeer(peers.StopMasterFreq);
    CallPeer(peers.StopMasterLev);
    SendRemoteMessage({Sync_R, G9_Change_R, ChangeM9_R, ParamSettings_R, PrgParamSettings, Plug_R});
}
