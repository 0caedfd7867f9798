#include "selective/MirvakPage.h"

#include "chartlib/Chartlib.h"
#include "controls/RxCheckListBox.h"
#include "controls/Zeltcspinedit.h"
#include "engine/evaluation/DispatchTargets.h"
#include "selective/MirvakPageRules.h"
#include "selective/MirvakPlan.h"
#include "selective/MirvakRun.h"
#include "settings/SettingsWindowView.h"
#include "settings/window/MeterPage.h"
#include "settings/window/PresetLists.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/MirvakGrid.h"
#include "state/RecordChangeMask.h"
#include "storage/GeneratorRestart.h"

#include <QApplication>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QEvent>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int MirvakRangeMaxN = 340;
// The selection band's bounds, kHz.
constexpr double MirvakLeastBand = 0.001;
constexpr double MirvakWidestBand = 0.5;

// A frequency on the grid as an edit shows it.
double ShownFreq(double v) {
    return RoundTo3Decimals(SnapMirvakFreq(v));
}

QString FreqText(double v) {
    return FormatValueDigits(ShownFreq(v), 3);
}

// The sub-mode buttons manage their group themselves: none checked is a state of its own (the known load).
QRadioButton *SubModeRadio(QWidget *parent, const char *name, const QString &text) {
    auto *button = new QRadioButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoExclusive(false);
    return button;
}

template <typename W> W *NamedWidget(W *widget, const char *name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Calls handler when the widget loses the focus: the control's OnExit.
void OnExit(QWidget *widget, std::function<void()> handler) {
    OnEnterAndExit(widget, [widget, handler] {
        if (!widget->hasFocus())
            handler();
    });
}

// Leaving the edit, or Enter in it, runs the edit's exit handler.
void OnExitOrReturn(QWidget *widget, const std::function<void()> &handler) {
    OnExit(widget, handler);
    OnReturnKey(widget, handler);
}

} // namespace

TMirvakPage::TMirvakPage(TForm_SetDev &window, QWidget *parent) : QWidget(parent), window_(window) {
    setObjectName(QStringLiteral("MirvakPage"));
    Build();
    Connect();
    InstallHooks();
}

TMirvakPage::~TMirvakPage() {
    // A control of the page that has the focus is left now, while its exit handler can still run.
    if (QWidget *focus = QApplication::focusWidget(); focus && isAncestorOf(focus))
        focus->clearFocus();
    TMirvakPlanHooks &hooks = MirvakPlanHooks();
    hooks.PlanBuilt = {};
    hooks.RefreshMirvakState = {};
    hooks.UpdateControlStates = {};
    hooks.ShowMirvakToneEntry = {};
    hooks.ShowMirvakStartButton = {};
    hooks.ShowMirvakCalibration = {};
    hooks.ShowMirvakStopButton = {};
}

void TMirvakPage::InstallHooks() {
    TMirvakPlanHooks &hooks = MirvakPlanHooks();
    hooks.PlanBuilt = [this] { PlanBuilt(); };
    hooks.RefreshMirvakState = [this] { RefreshMirvakState(); };
    hooks.UpdateControlStates = [this] { window_.UpdateControlStates(); };
    hooks.ShowMirvakToneEntry = [this] { ShowMirvakToneEntry(); };
    hooks.ShowMirvakStartButton = [this] { ShowMirvakStartButton(); };
    hooks.ShowMirvakCalibration = [this] { ShowMirvakCalibration(); };
    hooks.ShowMirvakStopButton = [this](bool stopping) { ShowMirvakStopButton(stopping); };
}

bool TMirvakPage::Refreshing() const {
    return window_.Refreshing != 0;
}

bool TMirvakPage::PageActive() const {
    return window_.PageControl1 && window_.PageControl1->currentWidget() == window_.TabSheet_Mirvak;
}

void TMirvakPage::Build() {
    auto *layout = new QGridLayout(this);
    auto *plan = new QWidget(this);
    BuildPlan(plan);
    layout->addWidget(plan, 0, 0, 3, 1);
    BuildGenMeter();
    layout->addWidget(GB_Gen_Mirvak, 0, 1);
    layout->addWidget(GB_Met_Mirvak, 1, 1);
    BuildShift();
    layout->addWidget(GB_ShiftSpectr, 2, 1);
    BuildSubModes();
    layout->addWidget(Panel_SubMode, 3, 0, 1, 2);
    BuildOptions();
    layout->addWidget(Panel_Options, 4, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    Btn_Mirvak_Start = NewNamedButton(this, "Btn_Mirvak_Start", QStringLiteral("Старт"));
    Btn_Mirvak_Stop = NewNamedButton(this, "Btn_Mirvak_Stop", QStringLiteral("Стоп"));
    buttons->addWidget(Btn_Mirvak_Start);
    buttons->addWidget(Btn_Mirvak_Stop);
    buttons->addStretch();
    layout->addLayout(buttons, 5, 0, 1, 2);
    layout->setRowStretch(6, 1);
}

void TMirvakPage::BuildPlan(QWidget *panel) {
    auto *column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    Panel_ShopSel = NamedWidget(new QGroupBox(panel), "Panel_ShopSel");
    auto *shop = new QGridLayout(Panel_ShopSel);
    RB_ShopSel = SubModeRadio(Panel_ShopSel, "RB_ShopSel", QString());
    Label_ShopSel = NewNamedLabel(Panel_ShopSel, "Label_ShopSel", QStringLiteral("Набор\r\nчастот, кГц"));
    TPresetListRules rules;
    rules.Low = [] { return MirvakLowestFreq; };
    rules.High = [] { return MirvakTopFreq; };
    rules.Format = [](double v) { return FreqText(v); };
    rules.Store = [this] { SetMirvak(); };
    ShopList = std::make_unique<TPresetList>(Panel_ShopSel, QStringLiteral("Sel"), std::move(rules));
    shop->addWidget(RB_ShopSel, 0, 0);
    shop->addWidget(Label_ShopSel, 0, 1, 1, 2);
    shop->addWidget(ShopList->List, 1, 0, 4, 2);
    int row = 1;
    for (QPushButton *b : {ShopList->Btn_Ins, ShopList->Btn_Add, ShopList->Btn_Edit, ShopList->Btn_Del})
        shop->addWidget(b, row++, 2);
    column->addWidget(Panel_ShopSel, 1);

    Panel_RangeSel = NamedWidget(new QGroupBox(panel), "Panel_RangeSel");
    auto *range = new QGridLayout(Panel_RangeSel);
    RB_RangeSel = SubModeRadio(Panel_RangeSel, "RB_RangeSel", QString());
    Label_RangeSel = NewNamedLabel(Panel_RangeSel, "Label_RangeSel", QStringLiteral("Диапазон частот"));
    range->addWidget(RB_RangeSel, 0, 0);
    range->addWidget(Label_RangeSel, 0, 1, 1, 2);
    Edit_RangeSel_F1 = NewNamedSpin(Panel_RangeSel, "Edit_RangeSel_F1");
    Edit_RangeSel_N = NewNamedSpin(Panel_RangeSel, "Edit_RangeSel_N");
    Edit_RangeSel_dF = NewNamedSpin(Panel_RangeSel, "Edit_RangeSel_dF");
    Edit_RangeSel_FN = NewNamedReadOnly(Panel_RangeSel, "Edit_RangeSel_FN");
    Label_RangeF1 = NewNamedLabel(Panel_RangeSel, "Label_RangeF1", QStringLiteral("F1"));
    Label_RangeF1Unit = NewNamedLabel(Panel_RangeSel, "Label_RangeF1Unit", QStringLiteral("кГц"));
    Label_RangeFN = NewNamedLabel(Panel_RangeSel, "Label_RangeFN", QStringLiteral("FN"));
    Label_RangeFNUnit = NewNamedLabel(Panel_RangeSel, "Label_RangeFNUnit", QStringLiteral("кГц"));
    const struct {
        QLabel *Caption;
        QWidget *Edit;
        QLabel *Unit;
    } rows[] = {{Label_RangeF1, Edit_RangeSel_F1, Label_RangeF1Unit},
                {NewNamedLabel(Panel_RangeSel, "Label_RangeN", QStringLiteral("N")), Edit_RangeSel_N, nullptr},
                {NewNamedLabel(Panel_RangeSel, "Label_RangedF", QStringLiteral("dF")), Edit_RangeSel_dF,
                 NewNamedLabel(Panel_RangeSel, "Label_RangedFUnit", QStringLiteral("кГц"))},
                {Label_RangeFN, Edit_RangeSel_FN, Label_RangeFNUnit}};
    row = 1;
    for (const auto &r : rows) {
        range->addWidget(r.Caption, row, 0);
        range->addWidget(r.Edit, row, 1);
        if (r.Unit)
            range->addWidget(r.Unit, row, 2);
        ++row;
    }
    column->addWidget(Panel_RangeSel);

    RB_Mirvak = NamedWidget(new QGroupBox(QStringLiteral("Порядок"), panel), "RB_Mirvak");
    auto *order = new QHBoxLayout(RB_Mirvak);
    RB_Mirvak_Direct = new QRadioButton(QStringLiteral("прямой"), RB_Mirvak);
    RB_Mirvak_Reverse = new QRadioButton(QStringLiteral("обратный"), RB_Mirvak);
    order->addWidget(RB_Mirvak_Direct);
    order->addWidget(RB_Mirvak_Reverse);
    column->addWidget(RB_Mirvak);
}

void TMirvakPage::BuildGenMeter() {
    GB_Gen_Mirvak = NamedWidget(new QGroupBox(QStringLiteral("Генератор"), this), "GB_Gen_Mirvak");
    auto *gen = new QGridLayout(GB_Gen_Mirvak);
    CB_SIN_Mirvak = NamedWidget(new QCheckBox(QStringLiteral("SIN"), GB_Gen_Mirvak), "CB_SIN_Mirvak");
    Edit_SIN_Mirvak_L = NewNamedSpin(GB_Gen_Mirvak, "Edit_SIN_Mirvak_L");
    gen->addWidget(CB_SIN_Mirvak, 0, 0);
    gen->addWidget(new QLabel(QStringLiteral("L, дБм0"), GB_Gen_Mirvak), 0, 1);
    gen->addWidget(Edit_SIN_Mirvak_L, 0, 2);

    GB_Met_Mirvak = NamedWidget(new QGroupBox(QStringLiteral("Измеритель"), this), "GB_Met_Mirvak");
    auto *met = new QGridLayout(GB_Met_Mirvak);
    Edit_Mirvak_B = NewNamedSpin(GB_Met_Mirvak, "Edit_Mirvak_B");
    Edit_Mirvak_F = NewNamedReadOnly(GB_Met_Mirvak, "Edit_Mirvak_F");
    met->addWidget(new QLabel(QStringLiteral("Полоса селекции, кГц"), GB_Met_Mirvak), 0, 0);
    met->addWidget(Edit_Mirvak_B, 0, 1);
    met->addWidget(new QLabel(QStringLiteral("Частота селекции, кГц"), GB_Met_Mirvak), 1, 0);
    met->addWidget(Edit_Mirvak_F, 1, 1);
    // The meter page's settings that a selective run measures with, as read-only copies it keeps up.
    Edit_Mirvak_Lmax = NewNamedReadOnly(GB_Met_Mirvak, "Edit_Mirvak_Lmax");
    Edit_Mirvak_AFC = NewNamedReadOnly(GB_Met_Mirvak, "Edit_Mirvak_AFC");
    Edit_Mirvak_Weight = NewNamedReadOnly(GB_Met_Mirvak, "Edit_Mirvak_Weight");
    Edit_Mirvak_Tavr = NewNamedReadOnly(GB_Met_Mirvak, "Edit_Mirvak_Tavr");
    const std::pair<const char *, QLineEdit *> copies[] = {{"Lmax, дБм0", Edit_Mirvak_Lmax},
                                                           {"АЧХ относительно", Edit_Mirvak_AFC},
                                                           {"Взвешивание", Edit_Mirvak_Weight},
                                                           {"Tусредн., мм:сс", Edit_Mirvak_Tavr}};
    int row = 2;
    for (const auto &[caption, edit] : copies) {
        met->addWidget(new QLabel(QString::fromUtf8(caption), GB_Met_Mirvak), row, 0);
        met->addWidget(edit, row++, 1);
    }
    if (TMeterPage *meter = window_.MeterPage) {
        meter->Mirrors.Lmax.emplace_back(Edit_Mirvak_Lmax);
        meter->Mirrors.Afc.emplace_back(Edit_Mirvak_AFC);
        meter->Mirrors.Weighting.emplace_back(Edit_Mirvak_Weight);
        meter->Mirrors.Averaging.emplace_back(Edit_Mirvak_Tavr);
    }
}

void TMirvakPage::BuildShift() {
    GB_ShiftSpectr = NamedWidget(new QGroupBox(QStringLiteral("Перенос спектра"), this), "GB_ShiftSpectr");
    auto *grid = new QGridLayout(GB_ShiftSpectr);
    const auto side = [this, grid](int row, const char *label, const char *tag, QLabel *&caption, QCheckBox *&box,
                                   TZeltCSpinEdit *&edit, QRadioButton *&direct, QRadioButton *&inverse) {
        caption = NewNamedLabel(GB_ShiftSpectr, (QByteArray("Label_Shift") + tag).constData(), QString::fromUtf8(label));
        box = NamedWidget(new QCheckBox(QStringLiteral("Fc, кГц"), GB_ShiftSpectr),
                          (QByteArray("CB_ShiftSpectr") + tag).constData());
        edit = NewNamedSpin(GB_ShiftSpectr, (QByteArray("Edit_ShiftSpectr_Fc") + tag).constData());
        direct = NamedWidget(new QRadioButton(QStringLiteral("Fc+F"), GB_ShiftSpectr),
                             (QByteArray("RB1_ShiftSpectr") + tag).constData());
        inverse = NamedWidget(new QRadioButton(QStringLiteral("Fc-F"), GB_ShiftSpectr),
                              (QByteArray("RB2_ShiftSpectr") + tag).constData());
        auto *pair = new QButtonGroup(GB_ShiftSpectr);
        pair->addButton(direct);
        pair->addButton(inverse);
        grid->addWidget(caption, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(edit, row, 2);
        grid->addWidget(direct, row, 3);
        grid->addWidget(inverse, row, 4);
    };
    side(0, "Изм", "M", Label_ShiftM, CB_ShiftSpectrM, Edit_ShiftSpectr_FcM, RB1_ShiftSpectrM, RB2_ShiftSpectrM);
    side(1, "Ген", "G", Label_ShiftG, CB_ShiftSpectrG, Edit_ShiftSpectr_FcG, RB1_ShiftSpectrG, RB2_ShiftSpectrG);
}

void TMirvakPage::BuildSubModes() {
    Panel_SubMode = NamedWidget(new QGroupBox(QStringLiteral("Режим"), this), "Panel_SubMode");
    QWidget *p = Panel_SubMode;
    auto *grid = new QGridLayout(p);
    RB_FC = SubModeRadio(p, "RB_FC", QStringLiteral("АЧХ"));
    RB_FC_L = SubModeRadio(p, "RB_FC_L", QString());
    Label_FC_L = NewNamedLabel(p, "Label_FC_L", QStringLiteral("Калибровка"));
    Edit_Mirvak_FC_L = NewNamedSpin(p, "Edit_Mirvak_FC_L");
    Label_FC_LUnit = NewNamedLabel(p, "Label_FC_LUnit", QStringLiteral("дБ"));
    RB_Scan = SubModeRadio(p, "RB_Scan", QStringLiteral("Скан"));
    Label_Fc1 = NewNamedLabel(p, "Label_Fc1", QStringLiteral("от Fc1"));
    Edit_Mirvak_Fc1 = NewNamedSpin(p, "Edit_Mirvak_Fc1");
    Label_FcN = NewNamedLabel(p, "Label_FcN", QStringLiteral("до FсN"));
    Edit_Mirvak_FcN = NewNamedSpin(p, "Edit_Mirvak_FcN");
    Label_FcUnit = NewNamedLabel(p, "Label_FcUnit", QStringLiteral("кГц"));
    RB_Monitor = SubModeRadio(p, "RB_Monitor", QStringLiteral("Мониторинг"));
    RB_Z = SubModeRadio(p, "RB_Z", QStringLiteral("Z"));
    Label_Z_Cal = NewNamedLabel(p, "Label_Z_Cal", QStringLiteral("Калибровка Z:"));
    RB_Z_HH = SubModeRadio(p, "RB_Z_HH", QStringLiteral("ХХ"));
    RB_Z_KZ = SubModeRadio(p, "RB_Z_KZ", QStringLiteral("КЗ"));
    RB_Z_Ohm = SubModeRadio(p, "RB_Z_Ohm", QString());
    Edit_Mirvak_Z_Ohm = NewNamedSpin(p, "Edit_Mirvak_Z_Ohm");
    Label_Z_OhmUnit = NewNamedLabel(p, "Label_Z_OhmUnit", QStringLiteral("Ом"));
    RB_Z_HH_M = SubModeRadio(p, "RB_Z_HH_M", QStringLiteral("Zхх"));
    RB_Z_KZ_M = SubModeRadio(p, "RB_Z_KZ_M", QStringLiteral("Zкз"));
    Label_Lcable = NewNamedLabel(p, "Label_Lcable", QStringLiteral("Lкаб"));
    Edit_Mirvak_Lcable = NewNamedSpin(p, "Edit_Mirvak_Lcable");
    Label_LcableUnit = NewNamedLabel(p, "Label_LcableUnit", QStringLiteral("м"));

    grid->addWidget(RB_FC, 0, 0);
    grid->addWidget(RB_FC_L, 0, 1);
    grid->addWidget(Label_FC_L, 0, 2);
    grid->addWidget(Edit_Mirvak_FC_L, 0, 3);
    grid->addWidget(Label_FC_LUnit, 0, 4);
    grid->addWidget(RB_Scan, 1, 0);
    grid->addWidget(Label_Fc1, 1, 1);
    grid->addWidget(Edit_Mirvak_Fc1, 1, 2);
    grid->addWidget(Label_FcN, 1, 3);
    grid->addWidget(Edit_Mirvak_FcN, 1, 4);
    grid->addWidget(Label_FcUnit, 1, 5);
    grid->addWidget(RB_Monitor, 2, 0);
    grid->addWidget(RB_Z, 3, 0);
    grid->addWidget(Label_Z_Cal, 3, 1);
    grid->addWidget(RB_Z_HH, 3, 2);
    grid->addWidget(RB_Z_KZ, 3, 3);
    grid->addWidget(RB_Z_Ohm, 3, 4);
    grid->addWidget(Edit_Mirvak_Z_Ohm, 3, 5);
    grid->addWidget(Label_Z_OhmUnit, 3, 6);
    grid->addWidget(RB_Z_HH_M, 4, 0);
    grid->addWidget(RB_Z_KZ_M, 4, 1);
    grid->addWidget(Label_Lcable, 4, 2);
    grid->addWidget(Edit_Mirvak_Lcable, 4, 3);
    grid->addWidget(Label_LcableUnit, 4, 4);
}

void TMirvakPage::BuildOptions() {
    Panel_Options = NamedWidget(new QGroupBox(this), "Panel_Options");
    auto *row = new QHBoxLayout(Panel_Options);
    CB_CycleMirvak = NamedWidget(new QCheckBox(QStringLiteral("Непрерывно"), Panel_Options), "CB_CycleMirvak");
    CB_MaskUp_Mirvak = NamedWidget(new QCheckBox(QStringLiteral("Маска верх."), Panel_Options), "CB_MaskUp_Mirvak");
    CB_MaskDn_Mirvak = NamedWidget(new QCheckBox(QStringLiteral("Маска ниж."), Panel_Options), "CB_MaskDn_Mirvak");
    RB_OneStep_Mirvak = SubModeRadio(Panel_Options, "RB_OneStep_Mirvak", QStringLiteral("1 след"));
    RB_TwoStep_Mirvak = SubModeRadio(Panel_Options, "RB_TwoStep_Mirvak", QStringLiteral("2 след"));
    for (QWidget *w : std::initializer_list<QWidget *>{CB_CycleMirvak, CB_MaskUp_Mirvak, CB_MaskDn_Mirvak,
                                                       RB_OneStep_Mirvak, RB_TwoStep_Mirvak})
        row->addWidget(w);
    row->addStretch();
}

QList<QRadioButton *> TMirvakPage::SubModeButtons() const {
    return {RB_FC, RB_FC_L, RB_Scan, RB_Monitor, RB_Z, RB_Z_HH, RB_Z_KZ, RB_Z_HH_M, RB_Z_KZ_M, RB_Z_Ohm};
}

namespace {

// The sub-mode of each button of SubModeButtons, in that order.
constexpr int8_t SubModeOfButton[] = {0, -1, 1, 2, 3, 4, 5, 7, 8, 6};
constexpr int8_t SubModeNoneChecked = 6;

} // namespace

void TMirvakPage::CheckSubMode(QRadioButton *button) {
    for (QRadioButton *b : SubModeButtons())
        b->setChecked(b == button);
}

bool TMirvakPage::AnyImpedanceChecked() const {
    return RB_Z->isChecked() || RB_Z_HH->isChecked() || RB_Z_KZ->isChecked() || RB_Z_Ohm->isChecked() ||
           RB_Z_HH_M->isChecked() || RB_Z_KZ_M->isChecked();
}

void TMirvakPage::ShowMirvak() {
    TDeviceSettings &s = *DeviceSettings;
    MirvakBlock &m = s.Mirvak;
    const bool range = (m.Flags & 1) != 0;
    RB_RangeSel->setChecked(range);
    RB_ShopSel->setChecked(!range);
    RB_Mirvak_Reverse->setChecked((m.Flags & 2) != 0);
    RB_Mirvak_Direct->setChecked((m.Flags & 2) == 0);

    TRxCheckListBox *list = ShopList->List;
    list->clear();
    SetMirvakGrid(s.SampleRate);
    MirvakLowestFreq = 0.04;
    if (m.B < MirvakQuantum)
        m.B = float(MirvakQuantum);
    // The selection band is at most 0.5 kHz and never narrower than the grid allows.
    SetSpinRange(Edit_Mirvak_B, std::max(MirvakQuantum, MirvakLeastBand), MirvakWidestBand, MirvakQuantum);
    Edit_Mirvak_B->SetValue(ShownFreq(m.B));

    const int rows = std::min(SetRowCount(m), TPresetList::RowLimit);
    for (int i = 0; i < rows; ++i) {
        list->addItem(FreqText(m.Set[i].Value));
        list->SetChecked(i, m.Set[i].Checked != 0);
    }

    SetSpinRange(Edit_RangeSel_F1, MirvakLowestFreq, MirvakTopFreq, MirvakQuantum);
    Edit_RangeSel_F1->SetValue(ShownFreq(m.RangeStart));
    SetSpinRange(Edit_RangeSel_N, 1, MirvakRangeMaxN, 1);
    Edit_RangeSel_N->SetValue(m.RangeN);
    SetSpinRange(Edit_RangeSel_dF, MirvakQuantum, MirvakTopFreq - MirvakQuantum, MirvakQuantum);
    Edit_RangeSel_dF->SetValue(ShownFreq(m.RangeStep));
    UpdateMirvakRange();

    if (s.ConnectionType == 2 || s.ConnectionType == 7)
        m.SinOn = 0;
    CB_SIN_Mirvak->setChecked(m.SinOn != 0);
    if (TZeltCSpinEdit *level = window_.Edit_SIN_L)
        SetSpinRange(Edit_SIN_Mirvak_L, level->MinValue(), level->MaxValue(), level->Increment());
    Edit_SIN_Mirvak_L->SetValue(RoundTo3Decimals(m.SinLevel));

    for (TZeltCSpinEdit *e : {Edit_Mirvak_Fc1, Edit_Mirvak_FcN, Edit_ShiftSpectr_FcM, Edit_ShiftSpectr_FcG})
        SetSpinRange(e, MirvakLowestFreq, MirvakTopFreq, MirvakQuantum);
    Edit_Mirvak_Fc1->SetValue(ShownFreq(m.Fc1));
    Edit_Mirvak_FcN->SetValue(LimitMirvakScanEnd(m.Fc1, m.FcN, m.B));
    Edit_ShiftSpectr_FcM->SetValue(ShownFreq(m.FcM));
    Edit_ShiftSpectr_FcG->SetValue(ShownFreq(m.FcG));

    const int32_t o = m.Options;
    CB_ShiftSpectrM->setChecked(o & MirvakMeterShift);
    RB1_ShiftSpectrM->setChecked(o & MirvakMeterShiftDirect);
    RB2_ShiftSpectrM->setChecked(!(o & MirvakMeterShiftDirect));
    CB_CycleMirvak->setChecked(o & MirvakContinuous);
    CB_MaskUp_Mirvak->setChecked(o & MirvakUpperTraceMask);
    CB_MaskDn_Mirvak->setChecked(o & MirvakLowerTraceMask);
    RB_TwoStep_Mirvak->setChecked(o & MirvakTwoTraces);
    RB_OneStep_Mirvak->setChecked(!(o & MirvakTwoTraces));
    CB_ShiftSpectrG->setChecked(o & MirvakGenShift);
    RB1_ShiftSpectrG->setChecked(o & MirvakGenShiftDirect);
    RB2_ShiftSpectrG->setChecked(!(o & MirvakGenShiftDirect));

    SetSpinRange(Edit_Mirvak_Lcable, 1, 100000, 0.1);
    Edit_Mirvak_Lcable->SetValue(RoundTo3Decimals(m.CableLength));
    SetSpinRange(Edit_Mirvak_FC_L, -140, 140, 0.01);
    Edit_Mirvak_FC_L->SetValue(RoundTo3Decimals(m.AfcCalDb));
    SetSpinRange(Edit_Mirvak_Z_Ohm, 30, 3000, 0.1);
    Edit_Mirvak_Z_Ohm->SetValue(RoundTo3Decimals(m.LoadOhm));

    m.SubMode = MirvakSubModeForConnection(s.ConnectionType, m.SubMode);
    const QList<QRadioButton *> buttons = SubModeButtons();
    for (int i = 0; i < buttons.size(); ++i)
        if (SubModeOfButton[i] == m.SubMode)
            CheckSubMode(buttons[i]);
    if (m.SubMode >= 3 && m.SubMode <= 8) {
        // The impedance modes always use the generator; the box shows it, so that a store keeps it.
        m.SinOn = 1;
        CB_SIN_Mirvak->setChecked(true);
    }
    ShowMirvakCalibration();
}

void TMirvakPage::SetMirvak() {
    if (Refreshing())
        return;
    TDeviceSettings &s = *DeviceSettings;
    MirvakBlock &m = s.Mirvak;
    m.Flags = uint8_t((RB_RangeSel->isChecked() ? 1 : 0) | (RB_Mirvak_Reverse->isChecked() ? 2 : 0));

    const int rows = std::min(ShopList->List->count(), TPresetList::RowLimit);
    m.SetCount = StoredRowCount(rows);
    for (int i = 0; i < rows; ++i) {
        m.Set[i].Value = float(SnapMirvakFreq(ShopList->RowValue(i)));
        m.Set[i].Checked = ShopList->List->GetChecked(i) ? 1 : 0;
    }

    m.RangeStart = float(SnapMirvakFreq(Edit_RangeSel_F1->GetValue()));
    m.RangeN = int32_t(Edit_RangeSel_N->GetValue());
    m.RangeStep = float(SnapMirvakFreq(Edit_RangeSel_dF->GetValue()));
    m.SinOn = CB_SIN_Mirvak->isChecked() ? 1 : 0;
    m.SinLevel = float(Edit_SIN_Mirvak_L->GetValue());
    double first = 0;
    if (MirvakFirstPlanFreq(m, first))
        m.FirstFreq = float(first);
    m.B = float(Edit_Mirvak_B->GetValue());

    const std::pair<const QAbstractButton *, MirvakOption> options[] = {
        {CB_ShiftSpectrM, MirvakMeterShift},   {RB1_ShiftSpectrM, MirvakMeterShiftDirect},
        {CB_CycleMirvak, MirvakContinuous},    {CB_MaskUp_Mirvak, MirvakUpperTraceMask},
        {CB_MaskDn_Mirvak, MirvakLowerTraceMask}, {RB_TwoStep_Mirvak, MirvakTwoTraces},
        {CB_ShiftSpectrG, MirvakGenShift},     {RB1_ShiftSpectrG, MirvakGenShiftDirect}};
    m.Options = 0;
    for (const auto &[button, bit] : options)
        if (button->isChecked())
            m.Options |= bit;

    m.FcM = float(SnapMirvakFreq(Edit_ShiftSpectr_FcM->GetValue()));
    m.FcG = float(SnapMirvakFreq(Edit_ShiftSpectr_FcG->GetValue()));
    m.Fc1 = float(SnapMirvakFreq(Edit_Mirvak_Fc1->GetValue()));
    m.FcN = float(SnapMirvakFreq(Edit_Mirvak_FcN->GetValue()));
    m.AfcCalDb = float(Edit_Mirvak_FC_L->GetValue());
    m.LoadOhm = float(Edit_Mirvak_Z_Ohm->GetValue());
    m.CableLength = float(Edit_Mirvak_Lcable->GetValue());

    m.SubMode = SubModeNoneChecked;
    const QList<QRadioButton *> buttons = SubModeButtons();
    for (int i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked()) {
            m.SubMode = SubModeOfButton[i];
            break;
        }
    SetMirvakDeviceMode();
    ShowMirvakCalibration();
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

void TMirvakPage::ShowRangeLast() {
    const double f1 = SnapMirvakFreq(Edit_RangeSel_F1->GetValue());
    const double dF = SnapMirvakFreq(Edit_RangeSel_dF->GetValue());
    const int n = int(Edit_RangeSel_N->GetValue());
    Edit_RangeSel_FN->setText(FreqText((n - 1) * dF + f1));
}

void TMirvakPage::UpdateMirvakRange() {
    const double f1 = SnapMirvakFreq(Edit_RangeSel_F1->GetValue());
    double dF = SnapMirvakFreq(Edit_RangeSel_dF->GetValue());
    const int n = int(Edit_RangeSel_N->GetValue());
    double fN = (n - 1) * dF + f1;
    if (fN > MirvakTopFreq && n > 1) {
        // The step shrinks to the grid point at or below the one that ends on the top frequency.
        dF = std::floor((MirvakTopFreq - f1) / (n - 1) / MirvakQuantum) * MirvakQuantum;
        if (dF < MirvakQuantum) {
            dF = MirvakQuantum;
            Edit_RangeSel_dF->SetValue(RoundTo3Decimals(dF));
            Edit_RangeSel_F1Enter();
        }
    }
    Edit_RangeSel_dF->SetValue(ShownFreq(dF));
    fN = (n - 1) * dF + SnapMirvakFreq(Edit_RangeSel_F1->GetValue());
    Edit_RangeSel_FN->setText(FreqText(fN));
}

void TMirvakPage::Edit_RangeSel_F1Enter() {
    double f1 = SnapMirvakFreq(Edit_RangeSel_F1->GetValue());
    const double dF = SnapMirvakFreq(Edit_RangeSel_dF->GetValue());
    const int n = int(Edit_RangeSel_N->GetValue());
    if ((n - 1) * dF + f1 > MirvakTopFreq)
        f1 = SnapMirvakFreq(MirvakTopFreq - (n - 1) * dF);
    Edit_RangeSel_F1->SetValue(RoundTo3Decimals(f1));
    ShowRangeLast();
    SetMirvak();
}

void TMirvakPage::Edit_RangeSel_NEnter() {
    const double f1 = SnapMirvakFreq(Edit_RangeSel_F1->GetValue());
    const double dF = SnapMirvakFreq(Edit_RangeSel_dF->GetValue());
    int n = int(Edit_RangeSel_N->GetValue());
    if ((n - 1) * dF + f1 > MirvakTopFreq && dF > 0)
        n = int(std::trunc((MirvakTopFreq - f1) / dF)) + 1;
    Edit_RangeSel_N->SetValue(n);
    ShowRangeLast();
    SetMirvak();
}

void TMirvakPage::Edit_RangeSel_dFEnter() {
    Edit_RangeSel_dF->SetValue(ShownFreq(Edit_RangeSel_dF->GetValue()));
    UpdateMirvakRange();
    SetMirvak();
}

void TMirvakPage::LB_ShopSelClick() {
    RB_ShopSel->setChecked(true);
    RB_RangeSel->setChecked(false);
    RefreshMirvakState();
    SetMirvak();
    QCoreApplication::processEvents();
}

void TMirvakPage::RB_RangeSelClick() {
    RB_RangeSel->setChecked(true);
    RB_ShopSel->setChecked(false);
    RefreshMirvakState();
    SetMirvak();
}

void TMirvakPage::ShowFcPair(double fc1, double fcN) {
    Edit_Mirvak_Fc1->SetValue(ShownFreq(fc1));
    Edit_Mirvak_FcN->SetValue(ShownFreq(fcN));
    SetMirvak();
}

void TMirvakPage::Edit_Mirvak_Fc1Enter() {
    const double fc1 = Edit_Mirvak_Fc1->CheckValue(SnapMirvakFreq(Edit_Mirvak_Fc1->GetValue()));
    const double fcN = std::max(SnapMirvakFreq(Edit_Mirvak_FcN->GetValue()), fc1);
    const double b = SnapMirvakFreq(Edit_Mirvak_B->GetValue());
    const bool fits = !(b > 0) || std::round((fcN - fc1) / b) + 1 < MirvakMaxScanPoints;
    ShowFcPair(fc1, fits ? fcN : fc1 + (MirvakMaxScanPoints - 1) * b);
}

void TMirvakPage::Edit_Mirvak_FcNEnter() {
    const double fcN = Edit_Mirvak_FcN->CheckValue(SnapMirvakFreq(Edit_Mirvak_FcN->GetValue()));
    const double fc1 = std::min(SnapMirvakFreq(Edit_Mirvak_Fc1->GetValue()), fcN);
    const double b = SnapMirvakFreq(Edit_Mirvak_B->GetValue());
    const bool fits = !(b > 0) || std::round((fcN - fc1) / b) + 1 < MirvakMaxScanPoints;
    ShowFcPair(fits ? fc1 : fcN - (MirvakMaxScanPoints - 1) * b, fcN);
}

void TMirvakPage::Connect() {
    connect(RB_ShopSel, &QRadioButton::clicked, this, &TMirvakPage::LB_ShopSelClick);
    connect(RB_RangeSel, &QRadioButton::clicked, this, &TMirvakPage::RB_RangeSelClick);
    for (QLabel *label : {Label_ShopSel, Label_RangeSel})
        label->installEventFilter(this);
    for (TZeltCSpinEdit *e : {Edit_RangeSel_F1, Edit_RangeSel_N, Edit_RangeSel_dF})
        connect(e, &TZeltCSpinEdit::Change, this, &TMirvakPage::ShowRangeLast);
    OnExitOrReturn(Edit_RangeSel_F1, [this] { Edit_RangeSel_F1Enter(); });
    OnExitOrReturn(Edit_RangeSel_N, [this] { Edit_RangeSel_NEnter(); });
    OnExitOrReturn(Edit_RangeSel_dF, [this] { Edit_RangeSel_dFEnter(); });
    for (QRadioButton *b : {RB_Mirvak_Direct, RB_Mirvak_Reverse})
        connect(b, &QRadioButton::clicked, this, &TMirvakPage::SetMirvak);
    for (QWidget *w : std::initializer_list<QWidget *>{CB_SIN_Mirvak, RB_RangeSel, RB_ShopSel, ShopList->List})
        OnExit(w, [this] { SetMirvak(); });
    for (QRadioButton *b : SubModeButtons())
        OnExit(b, [this] { SetMirvak(); });

    const struct {
        QRadioButton *Button;
        void (TMirvakPage::*Handler)();
    } subModes[] = {{RB_FC, &TMirvakPage::RB_FCClick},         {RB_FC_L, &TMirvakPage::RB_FC_LClick},
                    {RB_Scan, &TMirvakPage::RB_ScanClick},     {RB_Monitor, &TMirvakPage::RB_MonitorClick},
                    {RB_Z, &TMirvakPage::RB_ZClick},           {RB_Z_HH, &TMirvakPage::RB_Z_HHClick},
                    {RB_Z_KZ, &TMirvakPage::RB_Z_KZClick},     {RB_Z_Ohm, &TMirvakPage::RB_Z_OhmClick},
                    {RB_Z_HH_M, &TMirvakPage::RB_Z_HH_MClick}, {RB_Z_KZ_M, &TMirvakPage::RB_Z_KZ_MClick}};
    for (const auto &s : subModes)
        connect(s.Button, &QRadioButton::clicked, this, s.Handler);

    connect(CB_ShiftSpectrM, &QCheckBox::clicked, this, &TMirvakPage::CB_ShiftSpectrMClick);
    connect(CB_ShiftSpectrG, &QCheckBox::clicked, this, &TMirvakPage::CB_ShiftSpectrGClick);
    for (QRadioButton *b : {RB1_ShiftSpectrM, RB2_ShiftSpectrM})
        connect(b, &QRadioButton::clicked, this, &TMirvakPage::RB1_ShiftSpectrMClick);
    for (QRadioButton *b : {RB1_ShiftSpectrG, RB2_ShiftSpectrG})
        connect(b, &QRadioButton::clicked, this, &TMirvakPage::RB1_ShiftSpectrGClick);
    connect(Edit_ShiftSpectr_FcM, &TZeltCSpinEdit::Change, this, &TMirvakPage::Edit_ShiftSpectr_FcMChange);
    OnExitOrReturn(Edit_ShiftSpectr_FcM, [this] { Edit_ShiftSpectr_FcMExit(); });
    OnExitOrReturn(Edit_ShiftSpectr_FcG, [this] { Edit_ShiftSpectr_FcEnter(); });

    OnEnterAndExit(Edit_Mirvak_B, [this] {
        if (Edit_Mirvak_B->hasFocus())
            SetMirvak();
        else
            Edit_Mirvak_BExit();
    });
    OnReturnKey(Edit_Mirvak_B, [this] { Edit_Mirvak_BExit(); });
    OnExitOrReturn(Edit_SIN_Mirvak_L, [this] { Edit_SIN_Mirvak_LEnter(); });
    OnExitOrReturn(Edit_Mirvak_Fc1, [this] { Edit_Mirvak_Fc1Enter(); });
    OnExitOrReturn(Edit_Mirvak_FcN, [this] { Edit_Mirvak_FcNEnter(); });
    OnExitOrReturn(Edit_Mirvak_FC_L, [this] { Edit_Mirvak_FC_LExit(); });
    OnExitOrReturn(Edit_Mirvak_Z_Ohm, [this] { Edit_Mirvak_Z_OhmExit(); });
    OnExitOrReturn(Edit_Mirvak_Lcable, [this] { Edit_Mirvak_LcableExit(); });

    connect(CB_CycleMirvak, &QCheckBox::clicked, this, &TMirvakPage::RefreshMirvakState);
    connect(CB_MaskUp_Mirvak, &QCheckBox::clicked, this, &TMirvakPage::CB_MaskClick);
    connect(CB_MaskDn_Mirvak, &QCheckBox::clicked, this, &TMirvakPage::CB_MaskClick);
    connect(RB_OneStep_Mirvak, &QRadioButton::clicked, this, &TMirvakPage::RB_OneStep_MirvakClick);
    connect(RB_TwoStep_Mirvak, &QRadioButton::clicked, this, &TMirvakPage::RB_TwoStep_MirvakClick);
    connect(Btn_Mirvak_Start, &QPushButton::clicked, this, &TMirvakPage::Btn_Mirvak_StartClick);
    connect(Btn_Mirvak_Stop, &QPushButton::clicked, this, &TMirvakPage::Btn_Mirvak_StopClick);
}

// The captions beside the two plan buttons choose their plan as the buttons do.
bool TMirvakPage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == Label_ShopSel)
            LB_ShopSelClick();
        else if (watched == Label_RangeSel)
            RB_RangeSelClick();
    }
    return QWidget::eventFilter(watched, event);
}

void RegisterMirvakPage() {
    MirvakPageFactory() = [](TForm_SetDev &window, QWidget *tab) -> TSetDevMirvakPage * {
        auto *page = new TMirvakPage(window, tab);
        (new QVBoxLayout(tab))->addWidget(page);
        return page;
    };
    DispatchTargets().ShowMirvakSelectionFreq = [] {
        if (auto *window = dynamic_cast<TForm_SetDev *>(SettingsWindowView()))
            window->ShowMirvakSelectionFreq();
    };
    // A configuration that stores a selective run starts it again once it is in force.
    GeneratorRestartServices().StartMirvak = StartMirvak;
}
