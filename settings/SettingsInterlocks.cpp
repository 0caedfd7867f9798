#include "settings/SettingsInterlocks.h"

#include "engine/EngineBuffers.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "settings/ImpedanceRules.h"
#include "settings/InterlockTargets.h"
#include "settings/RemoteParamChange.h"
#include "settings/remote/RemoteExchange.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <array>
#include <cmath>

int PreviousConnectionType = 0;

namespace {

constexpr float LowestCoaxialFrequency = 0.3f; // kHz
constexpr float CoaxialImpedance = 75;         // Ohm
constexpr float BridgeImpedance = 124;         // Ohm: the asymmetry-attenuation scheme

// The types that set the impedance flags themselves; leaving one of them releases the flags on the rows
// that otherwise keep the user's flags.
constexpr std::array<int, 4> ForcingTypes = {3, 4, 8, 10};
constexpr std::array<int, 6> ReleasingRows = {1, 2, 5, 6, 7, 9};

template <std::size_t N> bool Contains(const std::array<int, N> &set, int value) {
    return std::find(set.begin(), set.end(), value) != set.end();
}

bool AskYesNo(const QString &text) {
    return ShowMessage({text, LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes;
}

} // namespace

QString MaxFrequencyRefusal(float F) {
    const TDeviceSettings &s = *DeviceSettings;
    if (F > MatchedFrequencyThreshold) {
        const bool genOver =
            s.GenImpedance > MatchedImpedanceLimit && !s.GenLowImpedance && SideConnected(s.ConnectionType, true);
        const bool meterOver = s.MeterImpedance > MatchedImpedanceLimit && !s.MeterHighImpedance &&
                               SideConnected(s.ConnectionType, false);
        if (genOver || meterOver) {
            QString text = QStringLiteral("Невозможна установка максимальной частоты более 1024 кГц\nпри значениях "
                                          "импедансов генератора или измерителя выше 135 Ом\nв согласованном "
                                          "режиме.\nНеобходимо изменить:");
            if (genOver)
                text += QStringLiteral("\n        Импеданс генератора [") + FloatToText(s.GenImpedance) +
                        QStringLiteral(" Ом]");
            if (meterOver)
                text += QStringLiteral("\n        Импеданс измерителя [") + FloatToText(s.MeterImpedance) +
                        QStringLiteral(" Ом]");
            return text;
        }
    }
    if (F < 80 && s.AdcSizeIndex == 4)
        return QStringLiteral("Невозможно изменение максимальной частоты с ") + FloatToText(s.MaxFrequency) +
               QStringLiteral(" кГц на ") + FloatToText(F) + QStringLiteral(" кГц") +
               QStringLiteral("\nпри значении разрешения спектра равном ") +
               DoubleToText(s.SampleRate * std::ldexp(1.0, -15)) + ' ' + LoadStr(415) +
               QStringLiteral("\nУвеличьте значение разрешения спектра.");
    return {};
}

bool CheckMaxFrequencyChange(float F) {
    const QString refusal = MaxFrequencyRefusal(F);
    if (refusal.isEmpty())
        return true;
    if (InterlockTargets().ShowMaxFrequency)
        InterlockTargets().ShowMaxFrequency(DeviceSettings->MaxFrequency);
    ShowMessage({refusal, LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
    return false;
}

void ResetMeterBand() {
    TDeviceSettings &s = *DeviceSettings;
    s.BandF0 = LimitLowFrequency(s.SampleRate / 1024);
    s.BandF1 = s.MaxFrequency;
}

float LimitLowFrequency(float x) {
    return DeviceSettings->ConnectionType > 5 && x < LowestCoaxialFrequency ? LowestCoaxialFrequency : x;
}

void ApplyConnectionTypeRules() {
    TDeviceSettings &s = *DeviceSettings;
    const int type = s.ConnectionType;
    const bool released = Contains(ForcingTypes, PreviousConnectionType);
    if (released && Contains(ReleasingRows, type)) {
        // Types 1 and 6 release the generator's flag, 2 and 7 the meter's, 5 and 9 both.
        if (type != 2 && type != 7)
            s.GenLowImpedance = 0;
        if (type != 1 && type != 6)
            s.MeterHighImpedance = 0;
    }
    const bool genFree = s.GenLowImpedance != 0;
    const bool meterFree = s.MeterHighImpedance != 0;
    switch (type) {
    case 1:
    case 5:
    case 11:
        if (!genFree)
            s.GenImpedance = SnapImpedance(float(s.GenImpedance));
        break;
    case 6:
    case 9:
    case 12:
        if (!genFree)
            s.GenImpedance = CoaxialImpedance;
        break;
    default:
        break;
    }
    switch (type) {
    case 2:
    case 5:
    case 12:
        if (!meterFree)
            s.MeterImpedance = SnapImpedance(float(s.MeterImpedance));
        break;
    case 7:
    case 9:
    case 11:
        if (!meterFree)
            s.MeterImpedance = CoaxialImpedance;
        break;
    default:
        break;
    }
    if (type == 3) {
        s.MeterHighImpedance = 1;
        s.GenLowImpedance = 0;
        s.GenImpedance = SnapImpedance(float(s.GenImpedance));
        // A link this side set up keeps the meter at the peer's generator impedance.
        const bool initiatedLink = s.ConnectState >= 1 && s.PeerConnectState == 0;
        if (!initiatedLink)
            s.MeterImpedance = s.GenImpedance;
    } else if (type == 4 || type == 8 || type == 10) {
        s.MeterHighImpedance = 1;
        s.GenLowImpedance = type == 8 ? 0 : 1;
        s.GenImpedance = type == 4 ? BridgeImpedance : CoaxialImpedance;
        s.MeterImpedance = s.GenImpedance;
    }
    // The phasogram needs the coaxial meter alone on the line.
    if (type != 0 && type != 7)
        s.Phasogram = 0;
    PreviousConnectionType = type;
}

void UpdateBandForMtts() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.Mtts.State < 1 || (s.ConnectionType != 3 && s.ConnectionType != 4))
        return;
    s.BandF0 = s.Mtts.F1;
    s.BandF1 = s.Mtts.F2;
    if (InterlockTargets().ResetGraphXRanges)
        InterlockTargets().ResetGraphXRanges();
}

void UpdateMttsLoopMode() {
    const TDeviceSettings &s = *DeviceSettings;
    ImpedanceCalState = -2;
    if (s.PeerConnectState <= 0 && (s.ConnectionType == 3 || s.ConnectionType == 8) && s.Mtts.State > 0)
        ImpedanceCalState = s.AutoMaxLevel ? -1 : 1;
}

bool ConfirmBreakConnection() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.PeerConnectState <= 0)
        return true;
    // The "c" of "c удаленным" is a Latin letter in the program's text.
    if (!AskYesNo(QStringLiteral("Прервать соединение c удаленным комплексом?")))
        return false;
    // The end of the transmission and the break's program code 6 run inside the wait.
    BreakRemoteConnection();
    // It sleeps until the link reports something rather than spinning on the event queue.
    const uint32_t start = GetTickCount();
    for (uint32_t waited = 0; s.PeerConnectState != 0 && waited < RemoteDisconnectWaitMs; waited = TicksSince(start))
        WaitForMessagesExceptInput(RemoteDisconnectWaitMs - waited);
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    return true;
}
