// The selective page's enabling and colours: which controls the plan kind, the run, playback, the
// connection type and the sample rate allow, the calibrations still due, the tone a scan plays.

#include "selective/MirvakPage.h"

#include "chartlib/Chartlib.h"
#include "controls/RxCheckListBox.h"
#include "controls/Zeltcspinedit.h"
#include "selective/MirvakPageRules.h"
#include "selective/MirvakPlan.h"
#include "selective/MirvakWork.h"
#include "selective/SstSettingsSnapshot.h"
#include "settings/window/PresetLists.h"
#include "settings/window/SetDevWidgets.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <initializer_list>

namespace {

const QColor MirvakLime(0, 255, 0);
const QColor MirvakYellow(255, 255, 0);
const QColor MirvakWhite(255, 255, 255);

// The background of a control; an invalid colour gives it back the colour of the window around it.
void SetBackColor(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    const QPalette around = widget->parentWidget() ? widget->parentWidget()->palette() : QPalette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button})
        palette.setColor(role, colour.isValid() ? colour : around.color(role));
    widget->setPalette(palette);
    widget->setAutoFillBackground(colour.isValid());
}

// A calibration control's colour: lime once valid and nothing changed, yellow while due, else as is.
void ShowCalibrationColour(QWidget *widget, bool valid, int changed, int dueCode) {
    if (changed == 0 && valid)
        SetBackColor(widget, MirvakLime);
    else if (changed == 1 || changed == dueCode || PlaybackOn)
        SetBackColor(widget, MirvakYellow);
}

// A line measurement's colour: lime once done and nothing changed, yellow while it is to be repeated
// or while the other one is done and this one is still due, button face otherwise.
void ShowLineMeasurementColour(QWidget *widget, bool done, bool otherDone, int changed, int repeatCode) {
    if (done) {
        if (changed == 0)
            SetBackColor(widget, MirvakLime);
        else if (changed == repeatCode)
            SetBackColor(widget, MirvakYellow);
        else if (changed == 1)
            SetBackColor(widget, QColor());
    } else {
        SetBackColor(widget, otherDone && changed == 0 ? MirvakYellow : QColor());
    }
}

void EnableAll(std::initializer_list<QWidget *> widgets, bool enabled) {
    for (QWidget *w : widgets)
        w->setEnabled(enabled);
}

} // namespace

void TMirvakPage::ShowShopPlanState(bool enabled) {
    ShopList->SetControlsEnabled(enabled, PageActive());
    Label_ShopSel->setEnabled(enabled);
}

void TMirvakPage::ApplySubModeRule() {
    const TDeviceSettings &s = *DeviceSettings;
    const TMirvakSubModeRule &rule = MirvakSubModeRule(s.ConnectionType);
    const double fs = s.SampleRate;
    const auto set = [fs](TMirvakEnable how, std::initializer_list<QWidget *> widgets) {
        for (QWidget *w : widgets)
            w->setEnabled(MirvakGroupEnabled(how, fs, w->isEnabled()));
    };
    set(rule.Fc, {RB_FC});
    set(rule.ScanMonitor, {RB_Scan, RB_Monitor});
    if (rule.ImpedancePartly)
        EnableAll({RB_Z, RB_Z_HH, RB_Z_KZ, RB_Z_Ohm, Label_Z_Cal, Label_Z_OhmUnit, Edit_Mirvak_Z_Ohm}, false);
    else
        set(rule.Impedance, {RB_Z, RB_Z_HH, RB_Z_KZ, RB_Z_HH_M, RB_Z_KZ_M, RB_Z_Ohm, Label_Z_Cal, Label_Z_OhmUnit,
                             Edit_Mirvak_Z_Ohm, Label_Lcable, Label_LcableUnit, Edit_Mirvak_Lcable});
    set(rule.AfcCal, {RB_FC_L, Label_FC_L, Label_FC_LUnit});
    set(rule.FcLEdit, {Edit_Mirvak_FC_L});
    const auto shift = [](TMirvakEnable how, QLabel *label, QCheckBox *box, std::initializer_list<QWidget *> rest) {
        if (how == TMirvakEnable::Keep)
            return;
        const bool on = how == TMirvakEnable::On;
        EnableAll({label, box}, on);
        if (!on)
            EnableAll(rest, false);
    };
    shift(rule.GenShift, Label_ShiftG, CB_ShiftSpectrG, {Edit_ShiftSpectr_FcG, RB1_ShiftSpectrG, RB2_ShiftSpectrG});
    shift(rule.MeterShift, Label_ShiftM, CB_ShiftSpectrM, {Edit_ShiftSpectr_FcM, RB1_ShiftSpectrM, RB2_ShiftSpectrM});
    if (s.ConnectionType == 3 || s.ConnectionType == 8)
        CB_SIN_Mirvak->setEnabled(!AnyImpedanceChecked());
}

void TMirvakPage::RefreshMirvakState() {
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t runState = s.Mirvak.RunState;

    ShowShopPlanState(RB_ShopSel->isChecked());
    const bool range = RB_RangeSel->isChecked();
    for (QWidget *w : Panel_RangeSel->findChildren<QWidget *>())
        if (w != RB_RangeSel)
            w->setEnabled(range);

    CB_SIN_Mirvak->setEnabled(s.ConnectionType != 2 && s.ConnectionType != 7);

    EnableAll({Edit_ShiftSpectr_FcM, RB1_ShiftSpectrM, RB2_ShiftSpectrM}, CB_ShiftSpectrM->isChecked());
    EnableAll({Edit_ShiftSpectr_FcG, RB1_ShiftSpectrG, RB2_ShiftSpectrG}, CB_ShiftSpectrG->isChecked());
    EnableAll({Label_Fc1, Label_FcN, Label_FcUnit, Edit_Mirvak_Fc1, Edit_Mirvak_FcN}, RB_Scan->isChecked());

    const bool idle = runState == 0 && !PlaybackOn;
    EnableAll({Panel_ShopSel, Panel_RangeSel, GB_Gen_Mirvak, GB_Met_Mirvak, GB_ShiftSpectr, RB_Mirvak, Panel_SubMode},
              idle);

    const bool afcOrZ = RB_FC->isChecked() || RB_Z->isChecked();
    const bool withMaskDn = afcOrZ || RB_Z_HH_M->isChecked() || RB_Z_KZ_M->isChecked();
    CB_CycleMirvak->setEnabled(runState == 0 && (withMaskDn || RB_Scan->isChecked() || RB_Monitor->isChecked()));
    Btn_Mirvak_Stop->setEnabled(runState != 0 && !PlaybackOn);

    const bool cycle = CB_CycleMirvak->isChecked();
    const bool up = CB_MaskUp_Mirvak->isChecked();
    const bool down = CB_MaskDn_Mirvak->isChecked();
    RB_TwoStep_Mirvak->setEnabled(!up && !down && cycle && afcOrZ);
    RB_OneStep_Mirvak->setEnabled(cycle && (withMaskDn ? !(up && down) : !up));
    CB_MaskUp_Mirvak->setEnabled(cycle);
    CB_MaskDn_Mirvak->setEnabled(cycle && withMaskDn);

    ApplySubModeRule();

    if (RB_Monitor->isChecked()) {
        CB_SIN_Mirvak->setEnabled(false);
        CB_SIN_Mirvak->setChecked(false);
    }
    if (AnyImpedanceChecked())
        for (QCheckBox *box : {CB_ShiftSpectrM, CB_ShiftSpectrG}) {
            box->setEnabled(false);
            box->setChecked(false);
        }
    ShowMirvakStartButton();
}

void TMirvakPage::ShowMirvakStartButton() {
    TForm_SetDev::SetButtonStateColor(Btn_Mirvak_Start, DeviceSettings->Mirvak.RunState);
}

void TMirvakPage::ShowMirvakStopButton(bool stopping) {
    SetTextColor(Btn_Mirvak_Stop, stopping ? MirvakYellow : QColor());
}

void TMirvakPage::ShowMirvakSelectionFreq() {
    if (MirvakSelectionFreq != -9999999.0f)
        Edit_Mirvak_F->setText(FormatValueDigits(RoundTo3Decimals(MirvakSelectionFreq), 3));
}

void TMirvakPage::ShowMirvakCalibration() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    const int changed = PlaybackOn ? 0 : MirvakSettingsChanged();
    if (m.SubMode >= 3 && m.SubMode <= 8) {
        ShowCalibrationColour(RB_Z_HH, MirvakCalOpenValid == 1, changed, 3);
        ShowCalibrationColour(RB_Z_KZ, MirvakCalShortValid == 1, changed, 4);
        ShowCalibrationColour(Edit_Mirvak_Z_Ohm, MirvakCalLoadValid == 1, changed, 5);
        ShowLineMeasurementColour(RB_Z_HH_M, MirvakZOpenValid == 1, MirvakZShortValid == 1, changed, 6);
        ShowLineMeasurementColour(RB_Z_KZ_M, MirvakZShortValid == 1, MirvakZOpenValid == 1, changed, 7);
    } else if (m.SubMode == 0 || m.SubMode == -1) {
        for (QWidget *w : std::initializer_list<QWidget *>{Label_FC_L, Edit_Mirvak_FC_L})
            ShowCalibrationColour(w, MirvakCalAfcValid == 1, changed, 2);
    }
}

void TMirvakPage::ShowMirvakToneEntry() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    for (QWidget *label : std::initializer_list<QWidget *>{Label_RangeF1, Label_RangeF1Unit, Label_RangeFN,
                                                           Label_RangeFNUnit})
        SetBackColor(label, QColor());
    for (QWidget *edit : std::initializer_list<QWidget *>{Edit_RangeSel_F1, Edit_RangeSel_FN})
        SetBackColor(edit, MirvakWhite);
    if (m.RunState <= 0 || m.SubMode != MirvakSubModeScan || !m.SinOn)
        return;
    const bool reverse = (m.Flags & 2) != 0;
    if (m.Flags & 1) {
        const std::initializer_list<QWidget *> first{Label_RangeF1, Label_RangeF1Unit, Edit_RangeSel_F1};
        const std::initializer_list<QWidget *> last{Label_RangeFN, Label_RangeFNUnit, Edit_RangeSel_FN};
        for (QWidget *w : reverse ? last : first)
            SetBackColor(w, MirvakLime);
        return;
    }
    TRxCheckListBox *list = ShopList->List;
    ClearListSelection(list);
    const int row = reverse ? SetRowCount(m) - 1 - MirvakToneIndex : MirvakToneIndex;
    if (MirvakToneIndex >= 0 && row >= 0 && row < list->count()) {
        list->SetItemIndex(row);
        list->SetSelected(row, true);
    }
}

void TMirvakPage::PlanBuilt() {
    Edit_Mirvak_F->clear();
    window_.RB_Spectr->setChecked(true);
    window_.CBox_Spectr->setEnabled(true);
    window_.CBox_Spectr->setCurrentIndex(0);
    window_.ApplyCommonParams();
}
