#pragma once

#include "settings/window/Form_SetDev.h"

#include <QWidget>

#include <memory>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPresetList;
class TZeltCSpinEdit;

// The page "Мирвак" of the settings window: the plan of measuring frequencies (a preset list or a
// range, in direct or reverse order), the generator, the meter's selection band, the spectrum shifts, the
// sub-mode (frequency response and its calibration, scan, monitoring, impedance with its calibrations and
// line measurements), the options, and the run's Start and Stop. The page keeps no state of its own:
// ShowMirvak fills it from MirvakBlock, SetMirvak writes it back, and RefreshMirvakState decides the
// enabling from the controls, the settings and the run state each time.
class TMirvakPage : public QWidget, public TSetDevMirvakPage {
    Q_OBJECT
public:
    TMirvakPage(TForm_SetDev &window, QWidget *parent);
    ~TMirvakPage() override;

    // TSetDevMirvakPage
    void ShowMirvak() override;
    void RefreshMirvakState() override;
    void ShowMirvakStartButton() override;
    void ShowMirvakSelectionFreq() override;
    void ShowMirvakCalibration() override;
    void ApplySinLevelLimit(const LevelLimit &limit) override;

    // The page into MirvakBlock; nothing while the window fills its pages.
    void SetMirvak();
    void UpdateMirvakRange();
    void ShowMirvakToneEntry();
    void ShowMirvakStopButton(bool stopping);

    // Plan.
    void LB_ShopSelClick();
    void RB_RangeSelClick();
    void Edit_RangeSel_F1Enter();
    void Edit_RangeSel_NEnter();
    void Edit_RangeSel_dFEnter();
    void ShowRangeLast(); // the range edits' OnChange

    // Sub-modes (the impedance group's handlers differ only in what they switch on and off).
    void RB_FCClick();
    void RB_FC_LClick();
    void RB_ScanClick();
    void RB_MonitorClick();
    void RB_ZClick();
    void RB_Z_HHClick();
    void RB_Z_KZClick();
    void RB_Z_OhmClick();
    void RB_Z_HH_MClick();
    void RB_Z_KZ_MClick();

    // Spectrum shifts.
    void CB_ShiftSpectrMClick();
    void CB_ShiftSpectrGClick();
    void RB1_ShiftSpectrMClick();
    void RB1_ShiftSpectrGClick();
    void Edit_ShiftSpectr_FcMChange();
    void Edit_ShiftSpectr_FcMExit();
    void Edit_ShiftSpectr_FcEnter(); // OnExit of the generator's reference

    // Band, level, scan band and the impedance edits.
    void Edit_Mirvak_BExit();
    void Edit_SIN_Mirvak_LEnter();
    void Edit_Mirvak_Fc1Enter();
    void Edit_Mirvak_FcNEnter();
    void Edit_Mirvak_FC_LExit();
    void Edit_Mirvak_Z_OhmExit();
    void Edit_Mirvak_LcableExit();

    // Options.
    void CB_MaskClick(); // CB_MaskUp_Mirvak and CB_MaskDn_Mirvak
    void RB_OneStep_MirvakClick();
    void RB_TwoStep_MirvakClick();

    void Btn_Mirvak_StartClick();
    void Btn_Mirvak_StopClick();

    // Plan.
    QRadioButton *RB_ShopSel = nullptr, *RB_RangeSel = nullptr;
    QLabel *Label_ShopSel = nullptr, *Label_RangeSel = nullptr;
    std::unique_ptr<TPresetList> ShopList; // LB_ShopSel, Editor_ShopSel, Btn_InsSel, ...
    TZeltCSpinEdit *Edit_RangeSel_F1 = nullptr, *Edit_RangeSel_N = nullptr, *Edit_RangeSel_dF = nullptr;
    QLineEdit *Edit_RangeSel_FN = nullptr;
    QLabel *Label_RangeF1 = nullptr, *Label_RangeF1Unit = nullptr, *Label_RangeFN = nullptr, *Label_RangeFNUnit = nullptr;
    QGroupBox *Panel_ShopSel = nullptr, *Panel_RangeSel = nullptr;
    QGroupBox *RB_Mirvak = nullptr; // the order: item 0 "прямой", item 1 "обратный"
    QRadioButton *RB_Mirvak_Direct = nullptr, *RB_Mirvak_Reverse = nullptr;

    // Generator, meter and the spectrum shift.
    QGroupBox *GB_Gen_Mirvak = nullptr, *GB_Met_Mirvak = nullptr, *GB_ShiftSpectr = nullptr;
    QCheckBox *CB_SIN_Mirvak = nullptr;
    TZeltCSpinEdit *Edit_SIN_Mirvak_L = nullptr, *Edit_Mirvak_B = nullptr;
    QLineEdit *Edit_Mirvak_F = nullptr;
    QLineEdit *Edit_Mirvak_Lmax = nullptr, *Edit_Mirvak_AFC = nullptr, *Edit_Mirvak_Weight = nullptr;
    QLineEdit *Edit_Mirvak_Tavr = nullptr;
    QLabel *Label_ShiftM = nullptr, *Label_ShiftG = nullptr;
    QCheckBox *CB_ShiftSpectrM = nullptr, *CB_ShiftSpectrG = nullptr;
    TZeltCSpinEdit *Edit_ShiftSpectr_FcM = nullptr, *Edit_ShiftSpectr_FcG = nullptr;
    QRadioButton *RB1_ShiftSpectrM = nullptr, *RB2_ShiftSpectrM = nullptr;
    QRadioButton *RB1_ShiftSpectrG = nullptr, *RB2_ShiftSpectrG = nullptr;

    // Sub-modes.
    QGroupBox *Panel_SubMode = nullptr;
    QRadioButton *RB_FC = nullptr, *RB_FC_L = nullptr, *RB_Scan = nullptr, *RB_Monitor = nullptr;
    QRadioButton *RB_Z = nullptr, *RB_Z_HH = nullptr, *RB_Z_KZ = nullptr, *RB_Z_Ohm = nullptr;
    QRadioButton *RB_Z_HH_M = nullptr, *RB_Z_KZ_M = nullptr;
    QLabel *Label_FC_L = nullptr, *Label_FC_LUnit = nullptr;
    TZeltCSpinEdit *Edit_Mirvak_FC_L = nullptr;
    QLabel *Label_Fc1 = nullptr, *Label_FcN = nullptr, *Label_FcUnit = nullptr;
    TZeltCSpinEdit *Edit_Mirvak_Fc1 = nullptr, *Edit_Mirvak_FcN = nullptr;
    QLabel *Label_Z_Cal = nullptr, *Label_Z_OhmUnit = nullptr;
    TZeltCSpinEdit *Edit_Mirvak_Z_Ohm = nullptr;
    QLabel *Label_Lcable = nullptr, *Label_LcableUnit = nullptr;
    TZeltCSpinEdit *Edit_Mirvak_Lcable = nullptr;

    // Options and the run.
    QGroupBox *Panel_Options = nullptr;
    QCheckBox *CB_CycleMirvak = nullptr, *CB_MaskUp_Mirvak = nullptr, *CB_MaskDn_Mirvak = nullptr;
    QRadioButton *RB_OneStep_Mirvak = nullptr, *RB_TwoStep_Mirvak = nullptr;
    QPushButton *Btn_Mirvak_Start = nullptr, *Btn_Mirvak_Stop = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Build();
    void BuildPlan(QWidget *panel);
    void BuildGenMeter();
    void BuildShift();
    void BuildSubModes();
    void BuildOptions();
    void Connect();
    void InstallHooks();
    bool Refreshing() const;
    bool PageActive() const;
    // The ten sub-mode buttons in the order SetMirvak tests them, with their sub-mode.
    QList<QRadioButton *> SubModeButtons() const;
    void CheckSubMode(QRadioButton *button);
    bool AnyImpedanceChecked() const;
    // A sub-mode button's click: the button checked, and what the sub-mode asks besides (the generator on
    // with the spectrum shifts off, a single pass instead of a continuous run, the page stored at once).
    struct TSubModeChoice {
        bool GeneratorOn = false;
        bool OnePass = false;
        bool Store = false;
    };
    void ChooseSubMode(QRadioButton *button, TSubModeChoice choice);
    void ShowShopPlanState(bool enabled);
    void ApplySubModeRule();
    void ShowFcPair(double fc1, double fcN);
    void SwitchOffAutoMaxLevel();
    void PlanBuilt();

    TForm_SetDev &window_;
};

// Puts the page into every settings window from now on, and makes it the settings' and the evaluation's
// way to the page.
void RegisterMirvakPage();
