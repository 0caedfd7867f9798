#include "settings/SettingsInterlocks.h"

#include "engine/EngineBuffers.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "settings/ImpedanceRules.h"
#include "state/DeviceSettings.h"

int PreviousConnectionType = 0;

namespace {

bool AskYesNo(const QString &text) {
    return ShowMessage({text, LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes;
}

} // namespace

QString MaxFrequencyRefusal(float F) {
    const TDeviceSettings &s = *DeviceSettings;
    if (F > MatchedFrequencyThreshold) {
        QString lines;
        if (s.GenImpedance > MatchedImpedanceLimit && !s.GenLowImpedance && SideConnected(s.ConnectionType, true))
            lines += QStringLiteral("\nимпеданс генератора ") + DoubleToText(s.GenImpedance) + QStringLiteral(" Ом");
        if (s.MeterImpedance > MatchedImpedanceLimit && !s.MeterHighImpedance && SideConnected(s.ConnectionType, false))
            lines += QStringLiteral("\nимпеданс измерителя ") + DoubleToText(s.MeterImpedance) + QStringLiteral(" Ом");
        if (!lines.isEmpty())
            return QStringLiteral(
                       "Невозможна установка максимальной частоты более 1024 кГц\nпри значениях импедансов "
                       "генератора или измерителя выше 135 Ом\nв согласованном режиме.\nНеобходимо изменить:") +
                   lines;
    }
    if (F < 80 && s.AdcSizeIndex == 4)
        return QStringLiteral("Невозможно изменение максимальной частоты с ") + DoubleToText(s.MaxFrequency) +
               QStringLiteral(" кГц на ") + DoubleToText(F) +
               QStringLiteral(" кГц при наибольшем размере блока.\nУвеличьте значение разрешения спектра.");
    return {};
}

bool CheckMaxFrequencyChange(float F) {
    const QString refusal = MaxFrequencyRefusal(F);
    if (refusal.isEmpty())
        return true;
    ShowMessage({refusal, LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
    return false;
}

void ResetMeterBand() {
    TDeviceSettings &s = *DeviceSettings;
    s.BandF0 = s.SampleRate / 1024;
    s.BandF1 = s.MaxFrequency;
    if (s.ConnectionType > 5 && s.BandF0 < 0.3f)
        s.BandF0 = 0.3f;
}

void ApplyConnectionTypeRules() {
    PreviousConnectionType = DeviceSettings->ConnectionType;
}

void UpdateMttsLoopMode() {
    const TDeviceSettings &s = *DeviceSettings;
    ImpedanceCalState = -2;
    if (s.PeerConnectState <= 0 && (s.ConnectionType == 3 || s.ConnectionType == 8) && s.Mtts.State > 0)
        ImpedanceCalState = s.AutoMaxLevel ? -1 : 1;
}

void BlockGenerator() {
    TDeviceSettings &s = *DeviceSettings;
    s.Mode = (s.Mode & ~0xFC) | 0x04;
    s.Block.State = 1;
    s.Sin.State = 0;
    s.Sin2.State = 0;
    s.Mtts.State = 0;
    s.Rnd.State = 0;
    s.Noise.State = 0;
    UpdateMttsLoopMode();
    SendCommand();
}

bool ConfirmBreakConnection() {
    TDeviceSettings &s = *DeviceSettings;
    if (s.PeerConnectState <= 0)
        return true;
    // The "c" of "c удаленным" is a Latin letter in the program's text.
    if (!AskYesNo(QStringLiteral("Прервать соединение c удаленным комплексом?")))
        return false;
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    return true;
}

bool WarnRemoteParamChange() {
    if (!ConnectionOpen())
        return true;
    TDeviceSettings &s = *DeviceSettings;
    if (s.ConnectState > 0)
        return AskYesNo(QStringLiteral("Установлено соединение с удаленным комплексом.\nПри изменении данного "
                                       "параметра соединение будет разорвано.\nПрервать соединение?"));
    if (s.Mirvak.RunState <= 0) {
        s.Mode |= 0x100;
        SendCommand();
    }
    return true;
}
