// The remote-control group of the Common page ("Управление удаленным R-9"): pairing, breaking, the peer's
// results, the text messages and the control multitone's level and band that travel with each message.
#include "settings/window/Form_SetDev.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "engine/MeterRange.h"
#include "settings/GeneratorCommands.h"
#include "settings/SettingsInterlocks.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/remote/RemoteLinkPeers.h"
#include "settings/remote/RemoteMessageParts.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ControlLevelQuantizer = 0;
const QColor ControlLabelChanged(255, 255, 0);

bool LinkedAsActive() {
    return DeviceSettings->ConnectState > 0;
}

} // namespace

void TForm_SetDev::ConnectRemoteGroup() {
    connect(Button_CONNECT, &QPushButton::clicked, this, [this] { Button_CONNECTClick(); });
    connect(Button_CONNECT_OFF, &QPushButton::clicked, this, [this] { Button_CONNECT_OFFClick(); });
    connect(Button_GetResult, &QPushButton::clicked, this, [this] { Button_GetResultClick(); });
    connect(Button_TextMsg, &QPushButton::clicked, this, [this] { Button_TextMsgClick(); });
    OnEnterAndExit(Edit_CONNECT_L, [this] { SnapSpinEdit8(*Edit_CONNECT_L, ControlLevelQuantizer); });
    OnEnterAndExit(Edit_CONNECT_F1, [this] { Edit_CONNECT_F1Enter(); });
    OnEnterAndExit(Edit_CONNECT_F2, [this] { Edit_CONNECT_F2Enter(); });
    OnReturnKey(Edit_CONNECT_L, [this] { Edit_CONNECT_LKeyDown(); });
    OnReturnKey(Edit_CONNECT_F1, [this] { Edit_CONNECT_F1KeyDown(); });
    OnReturnKey(Edit_CONNECT_F2, [this] { Edit_CONNECT_F2KeyDown(); });
    connect(Edit_CONNECT_L, &TZeltCSpinEdit::Change, this, [this] { Edit_CONNECT_LChange(); });
    connect(Edit_CONNECT_F1, &TZeltCSpinEdit::Change, this, [this] { Edit_CONNECT_F1Change(); });
    connect(Edit_CONNECT_F2, &TZeltCSpinEdit::Change, this, [this] { Edit_CONNECT_F2Change(); });
}

void TForm_SetDev::RefreshRemoteGroup() {
    TDeviceSettings &s = *DeviceSettings;
    RG_B_Precision->setCurrentIndex(s.ExchangeMode);
    // Filling the edits stores nothing: their change handlers would write the half-filled band back.
    const QSignalBlocker blockLevel(Edit_CONNECT_L);
    const QSignalBlocker blockF1(Edit_CONNECT_F1);
    const QSignalBlocker blockF2(Edit_CONNECT_F2);
    SetSpinRange(Edit_CONNECT_L, ControlLevelQuantizer);
    Edit_CONNECT_L->SetValue(RoundTo3Decimals(s.ControlLevel));
    RecomputeControlToneFields(s);
    const double lowest = s.SampleRate / 1024;
    // On the coaxial types the control tones keep above 0.3 kHz.
    const double coaxialLift = std::ceil(0.3 / s.ControlStep) * s.ControlStep;
    double f1Min = RoundFrequency(lowest);
    if (s.ConnectionType > 5 && f1Min < 0.3)
        f1Min = RoundFrequency(coaxialLift + lowest);
    SetSpinRange(Edit_CONNECT_F1, f1Min, s.MaxFrequency - s.ControlMinSpan, s.ControlStep);
    const double f2Min = RoundFrequency(lowest + s.ControlMinSpan + (s.ConnectionType > 5 ? coaxialLift : 0));
    SetSpinRange(Edit_CONNECT_F2, f2Min, s.MaxFrequency, s.ControlStep);
    Edit_CONNECT_F1->SetValue(RoundFrequency(s.ControlF1));
    Edit_CONNECT_F2->SetValue(RoundFrequency(s.ControlFN));
    Button_CONNECT->setEnabled(IsRemoteLinkAvailable());
    UpdateRemoteButtons();
    RefreshAnalysisMode();
}

void TForm_SetDev::UpdateRemoteButtons() {
    const TDeviceSettings &s = *DeviceSettings;
    const bool established = s.ConnectState == 2;
    // The remote twins of the generator buttons and the results request act on the peer, which only an
    // established link of this side reaches; either side may break the link and exchange texts.
    for (QPushButton *button :
         {Button_SIN_R, Button_SIN2_R, Button_MTTS_R, Button_RND_R, Button_NOISE_R, Button_Block_R, Button_GetResult})
        button->setEnabled(established);
    const bool paired = established || s.PeerConnectState > 0;
    Button_CONNECT_OFF->setEnabled(paired);
    Button_TextMsg->setEnabled(paired);
}

void TForm_SetDev::Button_CONNECTClick() {
    ReopenIfSstRunning();
    if (!ConfirmBreakConnection())
        return;
    TDeviceSettings &s = *DeviceSettings;
    SnapSpinEdit8(*Edit_CONNECT_L, ControlLevelQuantizer);
    Edit_CONNECT_F1Enter();
    Edit_CONNECT_F2Enter();
    s.ControlLevel = float(Edit_CONNECT_L->GetValue());
    s.ControlF1 = float(RoundFrequency(Edit_CONNECT_F1->GetValue()));
    s.ControlFN = float(RoundFrequency(Edit_CONNECT_F2->GetValue()));
    s.ExchangeMode = int16_t(std::max(RG_B_Precision->currentIndex(), 0));
    for (QLabel *label : {Label_CONNECT_L, Label_CONNECT_F1, Label_CONNECT_F2})
        SetTextColor(label, QColor());
    ConnectRemote();
}

void TForm_SetDev::Button_CONNECT_OFFClick() {
    BreakRemoteConnection();
}

void TForm_SetDev::Button_GetResultClick() {
    SendRemoteMessage({GetResults_R});
}

void TForm_SetDev::Button_TextMsgClick() {
    CallPeer(RemoteLinkPeers().ShowTextMessageWindow);
}

// Without a link of this side the edits are the settings; with one, the settings are what the peer was
// sent, and a label shows that its edit now differs.
void TForm_SetDev::StoreOrMarkControlEdits() {
    TDeviceSettings &s = *DeviceSettings;
    const double level = Edit_CONNECT_L->GetValue();
    const double f1 = Edit_CONNECT_F1->GetValue();
    const double f2 = Edit_CONNECT_F2->GetValue();
    if (!LinkedAsActive()) {
        s.ControlLevel = float(level);
        s.ControlF1 = float(f1);
        s.ControlFN = float(f2);
        return;
    }
    SetTextColor(Label_CONNECT_L, level != RoundTo3Decimals(s.ControlLevel) ? ControlLabelChanged : QColor());
    SetTextColor(Label_CONNECT_F1, f1 != RoundFrequency(s.ControlF1) ? ControlLabelChanged : QColor());
    SetTextColor(Label_CONNECT_F2, f2 != RoundFrequency(s.ControlFN) ? ControlLabelChanged : QColor());
}

void TForm_SetDev::Edit_CONNECT_LChange() {
    StoreOrMarkControlEdits();
}

// The band of the control tones snaps as the analysis band does; the edit that did not change makes room.
void TForm_SetDev::ControlToneChange(bool f1Changed) {
    const TDeviceSettings &s = *DeviceSettings;
    float f0 = float(Edit_CONNECT_F1->GetValue());
    float f1 = float(Edit_CONNECT_F2->GetValue());
    SnapBandLimits(f0, f1);
    if (f1Changed) {
        if (Edit_CONNECT_F2->GetValue() < f1) {
            const QSignalBlocker block(Edit_CONNECT_F2);
            Edit_CONNECT_F2->SetValue(RoundFrequency(f1));
        }
    } else if (Edit_CONNECT_F1->GetValue() > Edit_CONNECT_F2->GetValue() - s.ControlMinSpan) {
        const QSignalBlocker block(Edit_CONNECT_F1);
        Edit_CONNECT_F1->SetValue(RoundFrequency(Edit_CONNECT_F2->GetValue() - s.ControlMinSpan));
    }
    StoreOrMarkControlEdits();
}

void TForm_SetDev::Edit_CONNECT_F1Change() {
    ControlToneChange(true);
}

void TForm_SetDev::Edit_CONNECT_F2Change() {
    ControlToneChange(false);
}

void TForm_SetDev::SnapControlTone(TZeltCSpinEdit &edit) {
    const float step = DeviceSettings->ControlStep;
    edit.SetIncrement(GridIncrement(edit.Increment(), step));
    edit.SetValue(RoundFrequency(GridValue(edit.GetValue(), step)));
}

void TForm_SetDev::Edit_CONNECT_F1Enter() {
    SnapControlTone(*Edit_CONNECT_F1);
}

void TForm_SetDev::Edit_CONNECT_F2Enter() {
    SnapControlTone(*Edit_CONNECT_F2);
}

void TForm_SetDev::ControlEditReturn(const std::function<void()> &leave) {
    if (LinkedAsActive())
        Button_CONNECT->click();
    else
        leave();
}

void TForm_SetDev::Edit_CONNECT_LKeyDown() {
    ControlEditReturn([this] { SnapSpinEdit8(*Edit_CONNECT_L, ControlLevelQuantizer); });
}

void TForm_SetDev::Edit_CONNECT_F1KeyDown() {
    ControlEditReturn([this] { Edit_CONNECT_F1Enter(); });
}

void TForm_SetDev::Edit_CONNECT_F2KeyDown() {
    ControlEditReturn([this] { Edit_CONNECT_F2Enter(); });
}
