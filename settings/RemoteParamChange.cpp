#include "settings/RemoteParamChange.h"

#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsRecompute.h"
#include "settings/remote/RemoteExchange.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

namespace {

bool AskToBreakLink() {
    return ShowMessage({QStringLiteral("Установлено соединение с удаленным комплексом.\nПри изменении данного "
                                       "параметра соединение будет разорвано.\nПрервать соединение?"),
                        LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes;
}

} // namespace

bool WarnRemoteParamChange() {
    TDeviceSettings &s = *DeviceSettings;
    if (PlaybackOn) {
        RecomputeAfterSettings(0);
        return true;
    }
    if (!ConnectionOpen())
        return true;
    if (s.ConnectState > 0) {
        if (!AskToBreakLink())
            return false;
        AbortRemoteMessages();
        BreakRemoteConnection();
        const uint32_t start = GetTickCount();
        while (s.ConnectState != 0 && !ScenarioRunning && TicksSince(start) < RemoteDisconnectWaitMs)
            PumpMessagesExceptInput();
        return true;
    }
    if (s.Mirvak.RunState <= 0) {
        s.Mode |= 0x100;
        SendCommand();
    }
    return true;
}
