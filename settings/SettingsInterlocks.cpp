#include "settings/SettingsInterlocks.h"

#include "engine/EngineBuffers.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"

int PreviousConnectionType = 0;

namespace {

constexpr float MatchedImpedanceLimit = 135;   // Ohm
constexpr float HighFrequencyThreshold = 1100; // kHz

// The generator needs matching except where it alone is switched to the line (types 2 and 7 switch only
// the meter); likewise the meter except on types 1 and 6.
bool GeneratorNeedsMatching(int type) {
    return type != 2 && type != 7;
}

bool MeterNeedsMatching(int type) {
    return type != 1 && type != 6;
}

bool AskYesNo(const QString &text) {
    return ShowMessage({text, LoadStr(7), MsgIcon::Warning, MsgButtons::YesNo}) == IdYes;
}

} // namespace

QString MaxFrequencyRefusal(float F) {
    const TDeviceSettings &s = *DeviceSettings;
    if (F > HighFrequencyThreshold) {
        QString lines;
        if (s.GenImpedance > MatchedImpedanceLimit && !s.GenLowImpedance && GeneratorNeedsMatching(s.ConnectionType))
            lines += QStringLiteral("\nимпеданс генератора ") + DoubleToText(s.GenImpedance) + QStringLiteral(" Ом");
        if (s.MeterImpedance > MatchedImpedanceLimit && !s.MeterHighImpedance && MeterNeedsMatching(s.ConnectionType))
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

void LimitImpedance(float &impedance, bool flag, bool generatorSide) {
    const int type = DeviceSettings->ConnectionType;
    const bool needsMatching = generatorSide ? GeneratorNeedsMatching(type) : MeterNeedsMatching(type);
    if (DeviceSettings->MaxFrequency > HighFrequencyThreshold && impedance > MatchedImpedanceLimit && !flag &&
        needsMatching)
        impedance = MatchedImpedanceLimit;
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
    s.ConnectState = 0;
    s.PeerConnectState = 0;
    return true;
}
