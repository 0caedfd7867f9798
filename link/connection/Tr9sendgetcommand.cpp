#include "link/connection/Tr9sendgetcommand.h"

#include "engine/RandomEventAnalysis.h"
#include "engine/SignalKindChange.h"
#include "engine/evaluation/DispatchTargets.h"
#include "link/Library.h"
#include "link/connection/ConnectionServices.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RemoteMessage.h"

#include <QCoreApplication>

std::int16_t MirvakFirmware = 0;
bool CommandFailed = false;
std::int16_t MeterFramesOn = 0;

namespace {

TConnectionView *View = nullptr;
bool Sending = false;

// The generator commands in the order they are issued.
struct GeneratorCommand {
    std::int32_t bit;
    bool (*issue)();
};
constexpr GeneratorCommand GeneratorCommands[] = {
    {EmuGenBlocked, G9_setMute}, {EmuGenSin, G9_setSin}, {EmuGenSin2, G9_setSin2},
    {EmuGenMtts, G9_setMTTS},    {EmuGenRnd, G9_setRnd}, {EmuGenNoise, G9_setNoise},
};

bool CanIssue() {
    if (View && View->PauseDown())
        return false;
    if (DeviceSettings->Mode <= 0)
        return false;
    return ConnectionKind == 0 || (DspIo && !DspIo->MsgOutBusy());
}

// R9_setMode raises the bits of the generators that are on; those become part of this call's work.
bool IssueMode(std::int32_t &mask) {
    const std::int32_t before = DeviceSettings->Mode;
    const bool ok = R9_setMode();
    mask |= DeviceSettings->Mode & ~before & GeneratorsOnMask();
    return ok;
}

bool IssueGenerator(const GeneratorCommand &command) {
    if (command.bit == EmuGenSin && MirvakFirmware == 1)
        return G9_setSinSst();
    return command.issue();
}

bool IssueMeterFrames(std::int16_t state) {
    if (state == 0)
        return true;
    MeterFramesOn = state == 1 ? 1 : 0;
    return M9_setMet(state == 1);
}

// The evaluation (the automatic input range) and the settings window's services raise Mode bits from below
// the connection control; they reach SendCommand through the dispatch.
void RegisterCommandIssuing() {
    DispatchTargets().SendCommand = SendCommand;
    // A new signal kind shows in the meter summary, and the meter is switched anew for it.
    OnSignalKindChange = [] {
        if (!PlaybackOn)
            RefreshModeState(true);
        DeviceSettings->Mode |= 0x400;
        SendCommand();
    };
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(RegisterCommandIssuing)

void SetConnectionView(TConnectionView *view) {
    View = view;
}

TConnectionView *ConnectionView() {
    return View;
}

// A refused command's message box runs an event loop, so an event handler may raise bits or call here
// before this call ends. Only the bits this call took on are cleared at its end; a call made
// while one runs issues nothing, and its bits wait for the next call.
void SendCommand() {
    if (Sending)
        return;
    if (ConnectionKind == 1 && !DspIo)
        return;
    if (!CanIssue())
        return;
    Sending = true;
    std::int32_t mask = DeviceSettings->Mode;
    const bool onlySelective = mask == PendingSelective;
    const bool onlyMeter = mask == PendingMeterFrames;
    const std::int16_t meterState = mask & PendingMeterFrames ? RandomEventsState(MeterFramesOn != 0) : 0;

    SetLineRelays();
    bool ok = true;
    if (!onlySelective && !onlyMeter)
        ok = StopADC();
    if (ok && mask & PendingMode)
        ok = IssueMode(mask);
    for (const GeneratorCommand &command : GeneratorCommands)
        if (ok && mask & command.bit)
            ok = IssueGenerator(command);
    if (ok && mask & PendingRecompute)
        Dispatch(ConnectionServices().RecomputeAfterSettings, 1);
    if (ok && mask & PendingMeterFrames)
        ok = IssueMeterFrames(meterState);
    if (!onlySelective) {
        // The SYNC command goes out even after a failure: a SYNC run must be switched as asked.
        if (DeviceSettings->SyncGenState >= 1)
            ok = R9_setSyncMet() && ok;
        else if (ok && !onlyMeter)
            ok = M9_setADCsize();
    }
    if (ok && mask & PendingExchangeMode)
        ok = R9_MesMode();
    if (ok && mask & PendingSelective)
        ok = R9_setSST();
    // The message goes last: while it is on its way the packet layer refuses every other packet. One that
    // did not go out has been reported and does not count as a failed command.
    if (ok && mask & PendingMessage)
        GenMsg_set(RemoteMessage.Message, RemoteMessage.Size);
    if (ok)
        RefreshModeState(true, mask);
    DeviceSettings->Mode &= ~mask;
    CommandFailed = !ok;
    Sending = false;
}
