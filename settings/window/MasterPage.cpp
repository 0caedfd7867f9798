#include "settings/window/MasterPage.h"

#include "chartlib/Chartlib.h"
#include "controls/RxCheckListBox.h"
#include "controls/Zeltcspinedit.h"
#include "settings/GeneratorCommands.h"
#include "settings/MasterIntervals.h"
#include "settings/MeterSettings.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/masters/MasterPlan.h"
#include "settings/window/Form_SetDev.h"
#include "settings/window/PresetLists.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t MaxIntervalSeconds = 3599;

QString Name(const char *prefix, const char *suffix) {
    return QLatin1String(prefix) + QLatin1String(suffix);
}

template <typename W> W *Named(W *widget, const QString &name) {
    widget->setObjectName(name);
    return widget;
}

QLineEdit *ReadOnlyEdit(QWidget *parent, const QString &name) {
    auto *edit = Named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

} // namespace

TMasterPage::TMasterPage(const TMasterPageNames &names, TMasterPageHost host, QWidget *parent)
    : QWidget(parent), host_(std::move(host)), index_(names.Index) {
    Build(names);
    SetMasterPageView(index_, this);
}

TMasterPage::~TMasterPage() {
    if (MasterPageView(index_) == this)
        SetMasterPageView(index_, nullptr);
}

void TMasterPage::Build(const TMasterPageNames &n) {
    auto *layout = new QVBoxLayout(this);

    auto *plan = Named(new QGroupBox(this), Name("Panel_Plan_", n.Tag));
    auto *planGrid = new QGridLayout(plan);
    RB_Shop = Named(new QRadioButton(QStringLiteral("Набор"), plan), Name("RB_Shop", n.Shop));
    RB_Range = Named(new QRadioButton(QStringLiteral("Диапазон"), plan), Name("RB_Range", n.Shop));
    TPresetListRules rules;
    rules.Low = [this] { return RowLow(); };
    rules.High = [this] { return RowHigh(); };
    rules.Format = [this](double v) { return FormatRow(v); };
    rules.AcceptsMinus = n.Index == MasterLevIndex;
    rules.Store = [this] { Store(); };
    ShopList = std::make_unique<TPresetList>(plan, QLatin1String(n.Shop), std::move(rules));
    planGrid->addWidget(RB_Shop, 0, 0, 1, 4);
    planGrid->addWidget(ShopList->List, 1, 0, 4, 3);
    int row = 1;
    for (QPushButton *b : {ShopList->Btn_Ins, ShopList->Btn_Add, ShopList->Btn_Edit, ShopList->Btn_Del})
        planGrid->addWidget(b, row++, 3);
    planGrid->addWidget(RB_Range, 0, 4, 1, 2);
    Edit_RangeFirst = NewNamedSpin(plan, n.Range[0]);
    Edit_RangeN = NewNamedSpin(plan, n.Range[1]);
    Edit_RangeStep = NewNamedSpin(plan, n.Range[2]);
    Edit_RangeLast = ReadOnlyEdit(plan, QLatin1String(n.Range[3]));
    const char *rangeCaptions[] = {"Начало", "Количество", "Шаг", "Конец"};
    QWidget *rangeEdits[] = {Edit_RangeFirst, Edit_RangeN, Edit_RangeStep, Edit_RangeLast};
    for (int i = 0; i < 4; ++i) {
        planGrid->addWidget(new QLabel(QString::fromUtf8(rangeCaptions[i]), plan), 1 + i, 4);
        planGrid->addWidget(rangeEdits[i], 1 + i, 5);
    }
    layout->addWidget(plan);

    auto *order = Named(new QGroupBox(QString::fromUtf8(n.OrderCaption), this), QLatin1String(n.Order));
    auto *orderLayout = new QHBoxLayout(order);
    RB_Forward = new QRadioButton(QStringLiteral("прямой"), order);
    RB_Reverse = new QRadioButton(QStringLiteral("обратный"), order);
    RB_Order = new QButtonGroup(order);
    RB_Order->addButton(RB_Forward, 0);
    RB_Order->addButton(RB_Reverse, 1);
    orderLayout->addWidget(RB_Forward);
    orderLayout->addWidget(RB_Reverse);
    layout->addWidget(order);

    auto *gen = Named(new QGroupBox(QStringLiteral("Генератор"), this), Name("GB_Gen_Master", n.Tag + 6));
    auto *genGrid = new QGridLayout(gen);
    CB_SIN = Named(new QCheckBox(QStringLiteral("SIN"), gen), Name("CB_SIN_", n.Tag));
    CB_SIN_R = Named(new QCheckBox(QStringLiteral("уд.SIN"), gen), Name("CB_SIN_R_", n.Tag));
    Edit_SinValue = NewNamedSpin(gen, n.SinValue);
    Edit_SinCurrent = ReadOnlyEdit(gen, QLatin1String(n.SinCurrent));
    genGrid->addWidget(CB_SIN, 0, 0);
    genGrid->addWidget(CB_SIN_R, 1, 0);
    genGrid->addWidget(new QLabel(QString::fromUtf8(n.SinValueCaption), gen), 0, 1);
    genGrid->addWidget(Edit_SinValue, 0, 2);
    genGrid->addWidget(new QLabel(QString::fromUtf8(n.SinCurrentCaption), gen), 1, 1);
    genGrid->addWidget(Edit_SinCurrent, 1, 2);
    layout->addWidget(gen);

    auto *met = Named(new QGroupBox(QStringLiteral("Измеритель"), this), Name("GB_Met_Master", n.Tag + 6));
    auto *metGrid = new QGridLayout(met);
    RB_BandThin = Named(new QRadioButton(QStringLiteral("Измерение уровня\r\nв узкой полосе"), met),
                        Name("RB_", n.Tag) + QStringLiteral("_BandThin"));
    RB_BandThick = Named(new QRadioButton(QStringLiteral("Измерение уровня\r\nв широкой полосе"), met),
                         Name("RB_", n.Tag) + QStringLiteral("_BandThick"));
    Edit_Fc = ReadOnlyEdit(met, Name("Edit_", n.Tag) + QStringLiteral("_Fc"));
    Edit_F0 = NewNamedSpin(met, (QByteArray("Edit_") + n.Tag + "_F0").constData());
    Edit_F1 = NewNamedSpin(met, (QByteArray("Edit_") + n.Tag + "_F1").constData());
    metGrid->addWidget(RB_BandThin, 0, 0);
    metGrid->addWidget(new QLabel(QStringLiteral("Fср, кГц"), met), 0, 1);
    metGrid->addWidget(Edit_Fc, 0, 2);
    metGrid->addWidget(RB_BandThick, 1, 0);
    metGrid->addWidget(new QLabel(QStringLiteral("F0 - F1, кГц"), met), 1, 1);
    metGrid->addWidget(Edit_F0, 1, 2);
    metGrid->addWidget(Edit_F1, 1, 3);
    Edit_Lmax = ReadOnlyEdit(met, Name("Edit_", n.Meter) + QStringLiteral("_Lmax"));
    Edit_Lmin = ReadOnlyEdit(met, Name("Edit_", n.Meter) + QStringLiteral("_Lmin"));
    Edit_AFC = ReadOnlyEdit(met, Name("Edit_", n.Meter) + QStringLiteral("_AFC"));
    metGrid->addWidget(new QLabel(QStringLiteral("Lmax, дБм0"), met), 2, 1);
    metGrid->addWidget(Edit_Lmax, 2, 2);
    metGrid->addWidget(new QLabel(QStringLiteral("Lmin, дБм0"), met), 3, 1);
    metGrid->addWidget(Edit_Lmin, 3, 2);
    metGrid->addWidget(new QLabel(QStringLiteral("АЧХ относительно"), met), 4, 1);
    metGrid->addWidget(Edit_AFC, 4, 2, 1, 2);
    layout->addWidget(met);

    auto *timing = Named(new QGroupBox(this), Name("Panel_Timing_", n.Tag));
    auto *timingLayout = new QHBoxLayout(timing);
    CB_OnTime = Named(new QCheckBox(QString::fromUtf8(n.OnTimeCaption), timing),
                      Name("CB_", n.Tag) + QLatin1Char('_') + QLatin1String(n.OnTime));
    Edit_OnTime = Named(new QLineEdit(timing), Name("Edit_", n.Tag) + QLatin1Char('_') + QLatin1String(n.OnTime));
    Edit_OnTime->setInputMask(QStringLiteral("00:00;_"));
    SpinUp = Named(new QToolButton(timing), QLatin1String(n.SpinButton) + QStringLiteral("Up"));
    SpinDown = Named(new QToolButton(timing), QLatin1String(n.SpinButton) + QStringLiteral("Down"));
    SpinUp->setArrowType(Qt::UpArrow);
    SpinDown->setArrowType(Qt::DownArrow);
    timingLayout->addWidget(CB_OnTime);
    timingLayout->addWidget(Edit_OnTime);
    timingLayout->addWidget(SpinUp);
    timingLayout->addWidget(SpinDown);
    layout->addWidget(timing);

    auto *buttons = new QHBoxLayout;
    Button_Start = NewNamedButton(this, (QByteArray("Button_") + n.Tag + "_Start").constData(), QStringLiteral("Старт"));
    Button_Stop = NewNamedButton(this, (QByteArray("Button_") + n.Tag + "_Stop").constData(), QStringLiteral("Стоп"));
    Button_Next = NewNamedButton(this, (QByteArray("Button_") + n.Tag + "_Next").constData(),
                                 QString::fromUtf8(n.NextCaption));
    for (QPushButton *b : {Button_Start, Button_Stop, Button_Next})
        buttons->addWidget(b);
    layout->addLayout(buttons);
    layout->addStretch();
    lockedInRun_ = {plan, order, gen, met, timing};

    connect(Button_Start, &QPushButton::clicked, this, &TMasterPage::StartClick);
    connect(Button_Stop, &QPushButton::clicked, this, &TMasterPage::StopClick);
    connect(Button_Next, &QPushButton::clicked, this, &TMasterPage::NextClick);
    connect(SpinUp, &QToolButton::clicked, this, &TMasterPage::SpinUpClick);
    connect(SpinDown, &QToolButton::clicked, this, &TMasterPage::SpinDownClick);
    connect(Edit_OnTime, &QLineEdit::textEdited, this, &TMasterPage::OnTimeChange);
    for (QRadioButton *rb : {RB_Shop, RB_Range, RB_BandThin, RB_BandThick})
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool on) {
            if (!on)
                return;
            RefreshState();
            PlanChanged();
            // The chosen source takes the focus, so that the shared menu works on the list at once.
            if ((rb == RB_Shop || rb == RB_Range) && IsActivePage())
                (rb == RB_Shop ? static_cast<QWidget *>(ShopList->List) : Edit_RangeFirst)->setFocus();
        });
    connect(CB_OnTime, &QCheckBox::toggled, this, [this] { RefreshState(); });
    connect(Edit_RangeFirst, &TZeltCSpinEdit::Change, this, [this] { ShowRangeLast(true); });
    connect(Edit_RangeN, &TZeltCSpinEdit::Change, this, [this] { ShowRangeLast(true); });
    connect(Edit_RangeStep, &TZeltCSpinEdit::Change, this, [this] { ShowRangeLast(false); });
    OnEnterAndExit(Edit_RangeFirst, [this] {
        if (!Edit_RangeFirst->hasFocus())
            RangeFirstEnter();
    });
    OnEnterAndExit(Edit_RangeN, [this] {
        if (!Edit_RangeN->hasFocus())
            RangeNEnter();
    });
    OnEnterAndExit(Edit_RangeStep, [this] {
        if (!Edit_RangeStep->hasFocus())
            RangeStepEnter();
    });
    OnReturnKey(Edit_RangeFirst, [this] { RangeFirstEnter(); });
    OnReturnKey(Edit_RangeN, [this] { RangeNEnter(); });
    OnReturnKey(Edit_RangeStep, [this] { RangeStepEnter(); });
    // A mark ticked in the list is part of the plan at once, and the list is stored when it is left, except
    // for its own in-place editor, which stores the page when the edit ends.
    ShopList->List->OnClickCheck = [this](TRxCheckListBox *) { Store(); };
    OnEnterAndExit(ShopList->List, [this] {
        if (!ShopList->List->hasFocus() && !ShopList->Editor->isVisible())
            Store();
    });
    // Every other plan, band, SIN and timing control stores the page when it is left.
    for (QWidget *w : std::initializer_list<QWidget *>{RB_Shop, RB_Range, RB_BandThin, RB_BandThick, CB_OnTime,
                                                       Edit_OnTime, CB_SIN, CB_SIN_R})
        OnEnterAndExit(w, [this, w] {
            if (!w->hasFocus())
                Store();
        });
}

MasterBlock &TMasterPage::Block() const {
    return index_ == MasterLevIndex ? DeviceSettings->MasterL : DeviceSettings->MasterF;
}

const TMasterRun &TMasterPage::Run() const {
    return index_ == MasterLevIndex ? MasterLevRun : MasterFreqRun;
}

bool TMasterPage::IsLevel() const {
    return index_ == MasterLevIndex;
}

bool TMasterPage::Refreshing() const {
    return host_.Refreshing && host_.Refreshing();
}

bool TMasterPage::IsActivePage() const {
    return host_.IsActivePage && host_.IsActivePage(this);
}

int32_t TMasterPage::MinInterval() const {
    const int size = std::clamp(int32_t(DeviceSettings->AdcSizeIndex), 0, 4);
    return IsLevel() ? MasterMinIntervalL[size] : MasterMinIntervalF[size];
}

void TMasterPage::Load() {
    RecomputeMasterMinIntervals();
    MasterBlock &m = Block();
    const TDeviceSettings &s = *DeviceSettings;
    const QSignalBlocker blockShop(RB_Shop), blockRange(RB_Range), blockThin(RB_BandThin), blockThick(RB_BandThick);
    (m.Source & 1 ? RB_Range : RB_Shop)->setChecked(true);
    (m.Source & 2 ? RB_Reverse : RB_Forward)->setChecked(true);
    LoadList();
    LoadRangeLimits();
    FitStep();
    if (s.ConnectionType == 2 || s.ConnectionType == 7)
        m.SinOn = 0;
    CB_SIN->setChecked(m.SinOn);
    CB_SIN_R->setChecked(m.RemoteSinOn);
    (m.BandType == 1 ? RB_BandThick : RB_BandThin)->setChecked(true);
    LoadOwnFields();
    ShowTimingChoice();
    if (m.Interval < MinInterval())
        m.Interval = MinInterval();
    SetOnTime(m.Interval);
    if (m.State > 0 && m.BandType == 0)
        Edit_Fc->setText(FormatFrequency(s.BandF0 + s.SpectrumStep / 2));
    RefreshState();
}

void TMasterPage::ShowTimingChoice() {
    CB_OnTime->setChecked(DeviceSettings->ConnectState > 0 || Block().AutoByTime);
}

void TMasterPage::LoadList() {
    MasterBlock &m = Block();
    TRxCheckListBox *list = ShopList->List;
    list->clear();
    const int rows = SetRowCount(m);
    for (int i = 0; i < rows; ++i) {
        if (!IsLevel() && m.Set[i].Value > DeviceSettings->MaxFrequency)
            m.Set[i].Value = DeviceSettings->MaxFrequency;
        list->addItem(FormatRow(m.Set[i].Value));
        list->SetChecked(i, m.Set[i].Checked);
    }
}

void TMasterPage::StoreList() {
    MasterBlock &m = Block();
    TRxCheckListBox *list = ShopList->List;
    const int rows = std::min(list->count(), MaxStoredRowCount);
    m.SetCount = StoredRowCount(rows);
    for (int i = 0; i < rows; ++i)
        m.Set[i] = {float(ShopList->RowValue(i)), uint8_t(list->GetChecked(i) ? 1 : 0)};
}

void TMasterPage::Store() {
    if (Refreshing())
        return;
    MasterBlock &m = Block();
    m.Source = uint8_t((RB_Range->isChecked() ? 1 : 0) | (RB_Order->checkedId() == 1 ? 2 : 0));
    StoreList();
    m.RangeStart = float(Edit_RangeFirst->GetValue());
    m.RangeN = int32_t(std::trunc(Edit_RangeN->GetValue()));
    m.RangeStep = float(Edit_RangeStep->GetValue());
    m.SinOn = CB_SIN->isChecked();
    m.RemoteSinOn = CB_SIN_R->isChecked();
    m.BandType = RB_BandThick->isChecked();
    m.AutoByTime = CB_OnTime->isChecked();
    m.Interval = ParseMinSec(Edit_OnTime->text());
    StoreOwnFields();
}

void TMasterPage::RefreshState() {
    const MasterBlock &m = Block();
    const TDeviceSettings &s = *DeviceSettings;
    ShopList->SetControlsEnabled(RB_Shop->isChecked(), IsActivePage());
    for (QWidget *w : std::initializer_list<QWidget *>{Edit_RangeFirst, Edit_RangeN, Edit_RangeStep, Edit_RangeLast})
        w->setEnabled(RB_Range->isChecked());
    CB_SIN->setEnabled(s.ConnectionType != 2 && s.ConnectionType != 7);
    Edit_Fc->setEnabled(RB_BandThin->isChecked());
    Edit_F0->setEnabled(RB_BandThick->isChecked());
    Edit_F1->setEnabled(RB_BandThick->isChecked());
    for (QWidget *w : std::initializer_list<QWidget *>{Edit_OnTime, SpinUp, SpinDown})
        w->setEnabled(CB_OnTime->isChecked());
    Button_Next->setEnabled(NextEnabled());
    Button_Stop->setEnabled(m.State != 0);
    for (QWidget *w : lockedInRun_)
        w->setEnabled(m.State == 0);
    CB_SIN_R->setEnabled(s.ConnectState > 0);
    CB_OnTime->setEnabled(s.ConnectState <= 0);
    Button_Start->setEnabled(s.Mirvak.RunState == 0);
    Button_Start->setText(s.ConnectState > 0 ? QStringLiteral("уд.Старт") : QStringLiteral("Старт"));
    ShowState();
}

void TMasterPage::ShowState() {
    TForm_SetDev::SetButtonStateColor(Button_Start, Block().State);
}

// The Generator page's SIN edits follow the step as well.
void TMasterPage::ShowGenStep() {
    const TDeviceSettings &s = *DeviceSettings;
    if (host_.Edit_SIN_F)
        host_.Edit_SIN_F->SetValue(RoundFrequency(s.Sin.F1));
    if (host_.Edit_SIN_L)
        host_.Edit_SIN_L->SetValue(RoundTo3Decimals(s.Sin.Level));
    ShowGenValues();
    if (!RB_Range->isChecked())
        SelectPlanRow(Run().GenIndex);
}

void TMasterPage::ShowMeterStep() {
    const TDeviceSettings &s = *DeviceSettings;
    const MasterBlock &m = Block();
    if (m.BandType != 0)
        return;
    Edit_Fc->setText(FormatFrequency(s.BandF0 + s.SpectrumStep / 2));
    ShowMeterBand();
    if (!RB_Range->isChecked() && !m.SinOn)
        SelectPlanRow(Run().MeterIndex);
}

void TMasterPage::SelectPlanRow(int32_t position) {
    const MasterBlock &m = Block();
    ClearListSelection(ShopList->List);
    if (position < 0 || position >= SetRowCount(m))
        return;
    const int row = PlanRow(m, position);
    ShopList->List->SetItemIndex(row);
    ShopList->List->SetSelected(row, true);
}

void TMasterPage::ClearStepTexts() {
    Edit_Fc->clear();
    Edit_SinCurrent->clear();
}

void TMasterPage::StartClick() {
    ReopenIfSstRunning();
    if (!ConfirmBreakConnection())
        return;
    StopOtherMaster();
    Store();
    if (DeviceSettings->ConnectState > 0)
        SendRemoteMessage(StartCodes());
    else
        StartRun();
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

void TMasterPage::StopClick() {
    if (!ConfirmBreakConnection())
        return;
    StopRunIfRunning();
    if (DeviceSettings->ConnectState > 0)
        SendRemoteMessage(StopCodes());
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

void TMasterPage::NextClick() {
    (IsLevel() ? MasterLevStep : MasterFreqStep)(Button_Next);
}

void TMasterPage::SetOnTime(int32_t seconds) {
    const QString text = SecondsToClock(seconds, false);
    if (Edit_OnTime->text() != text)
        Edit_OnTime->setText(text);
}

void TMasterPage::OnTimeChange() {
    QString text = Edit_OnTime->text();
    text.replace(QLatin1Char(' '), QLatin1Char('0'));
    text.replace(QLatin1Char('_'), QLatin1Char('0'));
    SetOnTime(std::max(ParseMinSec(text), MinInterval()));
}

// The arrows never hold the focus, so each click stores the interval it sets.
void TMasterPage::SpinDownClick() {
    SetOnTime(std::max(ParseMinSec(Edit_OnTime->text()) - 1, MinInterval()));
    Store();
}

void TMasterPage::SpinUpClick() {
    SetOnTime(std::min(ParseMinSec(Edit_OnTime->text()) + 1, MaxIntervalSeconds));
    Store();
}

double TMasterPage::RangeLast() const {
    auto *self = const_cast<TMasterPage *>(this);
    return self->Edit_RangeFirst->GetValue() + (self->Edit_RangeN->GetValue() - 1) * self->Edit_RangeStep->GetValue();
}

void TMasterPage::ShowRangeLast(bool rounded) {
    const double last = RangeLast();
    Edit_RangeLast->setText(QString::number(rounded ? RoundRangeValue(last) : last, 'g', 10));
    PlanChanged();
}

void TMasterPage::RangeFirstEnter() {
    const double n = Edit_RangeN->GetValue();
    double first = Edit_RangeFirst->GetValue();
    if (RangeLast() > RangeMax())
        first = RangeMax() - (n - 1) * Edit_RangeStep->GetValue();
    Edit_RangeFirst->SetValue(RoundRangeValue(first));
    ShowRangeLast(true);
    Store();
}

void TMasterPage::RangeNEnter() {
    double n = std::trunc(Edit_RangeN->GetValue());
    const double step = Edit_RangeStep->GetValue();
    Edit_RangeN->SetValue(n);
    if (RangeLast() > RangeMax() && step > 0) {
        n = std::trunc((RangeMax() - Edit_RangeFirst->GetValue()) / step) + 1;
        Edit_RangeN->SetValue(n);
    }
    ShowRangeLast(true);
    Store();
}

void TMasterPage::RangeStepEnter() {
    FitStep();
    Store();
}

// A step that would carry the last value beyond the maximum is cut down to a whole multiple of 0.00001;
// one below the smallest step takes that step and moves the first value down instead.
void TMasterPage::FitStep() {
    const double n = Edit_RangeN->GetValue();
    double step = Edit_RangeStep->GetValue();
    if (RangeLast() > RangeMax() && n > 1) {
        step = std::floor((RangeMax() - Edit_RangeFirst->GetValue()) / (n - 1) / 0.00001) * 0.00001;
        if (MinRangeStep() > step) {
            step = MinRangeStep();
            Edit_RangeStep->SetValue(RoundRangeValue(step));
            double first = RangeMax() - (n - 1) * Edit_RangeStep->GetValue();
            Edit_RangeFirst->SetValue(RoundRangeValue(first));
        }
    }
    Edit_RangeStep->SetValue(RoundRangeValue(step));
    ShowRangeLast(true);
}
