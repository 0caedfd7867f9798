// The selective page's handlers: the sub-mode buttons, the spectrum shifts, the band and the other
// edits, the options, and the run's Start and Stop.

#include "selective/MirvakPage.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "platform/MessageService.h"
#include "selective/MirvakPlan.h"
#include "selective/MirvakRun.h"
#include "settings/GeneratorLevelLimits.h"
#include "settings/SettingsInterlocks.h"
#include "settings/window/ImpedanceEntry.h"
#include "settings/window/MeterPage.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QRadioButton>

namespace {

constexpr int32_t SinLevelQuantizer = 9;

// The generator's shift follows the meter's on the connections where both ends share one line side.
bool GenShiftFollowsMeter() {
    const int type = DeviceSettings->ConnectionType;
    return type == 3 || type == 4 || type == 8;
}

void SnapFreqEdit(TZeltCSpinEdit *edit) {
    edit->SetValue(RoundTo3Decimals(SnapMirvakFreq(edit->GetValue())));
}

} // namespace

void TMirvakPage::ChooseSubMode(QRadioButton *button, TSubModeChoice choice) {
    CheckSubMode(button);
    if (choice.GeneratorOn) {
        CB_SIN_Mirvak->setChecked(true);
        CB_ShiftSpectrM->setChecked(false);
        CB_ShiftSpectrG->setChecked(false);
    }
    if (choice.OnePass)
        CB_CycleMirvak->setChecked(false);
    RefreshMirvakState();
    if (choice.Store)
        SetMirvak();
}

// The impedance sub-modes measure with the page's own generator and no spectrum shift; a calibration
// takes one pass.
void TMirvakPage::RB_FCClick() {
    ChooseSubMode(RB_FC, {.Store = true});
}

void TMirvakPage::RB_FC_LClick() {
    ChooseSubMode(RB_FC_L, {.OnePass = true});
}

void TMirvakPage::RB_ScanClick() {
    ChooseSubMode(RB_Scan, {.Store = true});
}

void TMirvakPage::RB_MonitorClick() {
    ChooseSubMode(RB_Monitor, {.Store = true});
}

void TMirvakPage::RB_ZClick() {
    ChooseSubMode(RB_Z, {.GeneratorOn = true, .Store = true});
}

void TMirvakPage::RB_Z_HHClick() {
    ChooseSubMode(RB_Z_HH, {.GeneratorOn = true, .OnePass = true, .Store = true});
}

void TMirvakPage::RB_Z_KZClick() {
    ChooseSubMode(RB_Z_KZ, {.GeneratorOn = true, .OnePass = true, .Store = true});
}

void TMirvakPage::RB_Z_OhmClick() {
    ChooseSubMode(RB_Z_Ohm, {.GeneratorOn = true, .OnePass = true});
}

void TMirvakPage::RB_Z_HH_MClick() {
    ChooseSubMode(RB_Z_HH_M, {.GeneratorOn = true});
}

void TMirvakPage::RB_Z_KZ_MClick() {
    ChooseSubMode(RB_Z_KZ_M, {.GeneratorOn = true});
}

void TMirvakPage::CB_ShiftSpectrMClick() {
    if (GenShiftFollowsMeter())
        CB_ShiftSpectrG->setChecked(CB_ShiftSpectrM->isChecked());
    RefreshMirvakState();
    ShowMirvakCalibration();
}

void TMirvakPage::CB_ShiftSpectrGClick() {
    RefreshMirvakState();
    ShowMirvakCalibration();
    SetMirvak();
}

void TMirvakPage::RB1_ShiftSpectrMClick() {
    if (GenShiftFollowsMeter()) {
        RB1_ShiftSpectrG->setChecked(RB1_ShiftSpectrM->isChecked());
        RB2_ShiftSpectrG->setChecked(!RB1_ShiftSpectrM->isChecked());
    }
    ShowMirvakCalibration();
}

void TMirvakPage::RB1_ShiftSpectrGClick() {
    ShowMirvakCalibration();
    SetMirvak();
}

void TMirvakPage::Edit_ShiftSpectr_FcMChange() {
    if (GenShiftFollowsMeter())
        Edit_ShiftSpectr_FcG->SetValue(Edit_ShiftSpectr_FcM->GetValue());
}

void TMirvakPage::Edit_ShiftSpectr_FcMExit() {
    SnapFreqEdit(Edit_ShiftSpectr_FcM);
    Edit_ShiftSpectr_FcMChange();
    ShowMirvakCalibration();
}

void TMirvakPage::Edit_ShiftSpectr_FcEnter() {
    SnapFreqEdit(Edit_ShiftSpectr_FcG);
    ShowMirvakCalibration();
    SetMirvak();
}

void TMirvakPage::Edit_Mirvak_BExit() {
    SnapFreqEdit(Edit_Mirvak_B);
    ShowMirvakCalibration();
    SetMirvak();
}

void TMirvakPage::Edit_SIN_Mirvak_LEnter() {
    SnapSpinEdit(*Edit_SIN_Mirvak_L, SinLevelQuantizer);
    SetMirvak();
}

void TMirvakPage::ApplySinLevelLimit(const LevelLimit &limit) {
    ApplyLevelLimit(*Edit_SIN_Mirvak_L, limit);
    Edit_SIN_Mirvak_LEnter();
}

void TMirvakPage::Edit_Mirvak_FC_LExit() {
    Edit_Mirvak_FC_L->SetValue(RoundTo3Decimals(Edit_Mirvak_FC_L->GetValue()));
}

void TMirvakPage::Edit_Mirvak_Z_OhmExit() {
    Edit_Mirvak_Z_Ohm->SetValue(RoundTo3Decimals(Edit_Mirvak_Z_Ohm->GetValue()));
}

void TMirvakPage::Edit_Mirvak_LcableExit() {
    Edit_Mirvak_Lcable->SetValue(RoundTo1Decimal(Edit_Mirvak_Lcable->GetValue()));
}

void TMirvakPage::CB_MaskClick() {
    RB_OneStep_Mirvak->setChecked(!(CB_MaskUp_Mirvak->isChecked() && CB_MaskDn_Mirvak->isChecked()));
    RefreshMirvakState();
}

void TMirvakPage::RB_OneStep_MirvakClick() {
    RB_OneStep_Mirvak->setChecked(true);
    RB_TwoStep_Mirvak->setChecked(false);
    RefreshMirvakState();
}

void TMirvakPage::RB_TwoStep_MirvakClick() {
    RB_TwoStep_Mirvak->setChecked(true);
    RB_OneStep_Mirvak->setChecked(false);
    RefreshMirvakState();
}

void TMirvakPage::SwitchOffAutoMaxLevel() {
    if (TMeterPage *meter = window_.MeterPage; meter && meter->CB_M9_Lmax_Auto->isChecked()) {
        meter->CB_M9_Lmax_Auto->setChecked(false);
        meter->CheckSetMeter();
    }
    // The page shows the started run before the link is reopened.
    QCoreApplication::processEvents();
}

void TMirvakPage::Btn_Mirvak_StartClick() {
    if (PlaybackOn || !ConfirmBreakConnection())
        return;
    QString maxLevel;
    if (TMeterPage *meter = window_.MeterPage)
        maxLevel = meter->CB_Lmax_dBm->itemText(DeviceSettings->MaxLevelIndex);
    QString message = MirvakStartRefusal(maxLevel);
    if (message.isEmpty())
        message = BeginMirvakRun({[this] { SetMirvak(); }, [this] { RefreshMirvakState(); },
                                  [this] { SwitchOffAutoMaxLevel(); }});
    if (!message.isEmpty())
        ShowMessage({message, QStringLiteral("Внимание!"), MsgIcon::Warning, MsgButtons::Ok});
}

void TMirvakPage::Btn_Mirvak_StopClick() {
    StopMirvakRun();
}
