#include "settings/window/MeterPage.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/masks/WeightingFile.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "platform/NumberFormat.h"
#include "platform/StringTable.h"
#include "settings/MeterSettings.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsRecompute.h"
#include "settings/window/ImpedanceEntry.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "state/SettingsLoadState.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr QRgb ApplyPendingColour = 0xFFFF00;  // yellow: the page differs from the settings
constexpr QRgb ApplyDoneColour = 0x32CD32;     // lime green: they agree
constexpr int MeterReferenceQuantizer = 3;
constexpr int MeterImpedanceQuantizer = 4;
constexpr int LminQuantizer = 5;
constexpr int SnrQuantizer = 6;
constexpr int MergeIntervalQuantizer = 8;

void ShowMirrors(const std::vector<QPointer<QLineEdit>> &mirrors, const QString &text) {
    for (QLineEdit *edit : mirrors)
        if (edit)
            edit->setText(text);
}

const ValueQuantizer &Quantizer(int index) {
    return ValueQuantizers[index];
}

TZeltCSpinEdit *SpinEdit(QWidget *parent, const char *name) {
    auto *edit = new TZeltCSpinEdit(parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

void SetRange(TZeltCSpinEdit &edit, double min, double max, double increment) {
    edit.SetMaxValue(max);
    edit.SetMinValue(min);
    edit.SetIncrement(increment);
}

void SetQuantizerRange(TZeltCSpinEdit &edit, int quantizer) {
    const ValueQuantizer &q = Quantizer(quantizer);
    SetRange(edit, q.Min, q.Max, q.Step);
}

void ColourButtonText(QPushButton &button, QColor colour) {
    QPalette p = button.palette();
    p.setColor(QPalette::ButtonText, colour);
    button.setPalette(p);
}

// An apply button first shows that it works, lets waiting messages run and pauses 200 ms.
void ShowWorking(QPushButton &button) {
    ColourButtonText(button, QColor(ApplyPendingColour));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(200);
}

QString ClockText(int seconds) {
    return SecondsToClock(seconds, false);
}

QString SixDecimals(double value) {
    return FormatPicture(value, u"0.######");
}

// The phasogram reference as the page holds it: through six decimals.
double PhasingValue(double value) {
    return TextToDouble(SixDecimals(value), 0);
}

// A label and its field in one row; the label takes the design's name where the enabling table uses it.
QLabel *AddRow(QGridLayout &grid, int row, const QString &text, QWidget *field, const char *labelName = nullptr) {
    auto *label = new QLabel(text);
    if (labelName)
        label->setObjectName(QLatin1String(labelName));
    grid.addWidget(label, row, 0);
    grid.addWidget(field, row, 1);
    return label;
}

} // namespace

TMeterPage::TMeterPage(TMeterPageHost host, QWidget *parent) : QWidget(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("TabSheet_Meter"));
    BuildPage();
    BuildMeterGroup();
    impedance_ = new TImpedanceEntry(*Edit_M9_Z, *CB_M9_Z_Hi, false);
    Connect();
}

TMeterPage::~TMeterPage() {
    delete impedance_;
}

void TMeterPage::BuildPage() {
    auto *layout = new QGridLayout(this);

    auto *band = new QGroupBox(QStringLiteral("Полоса анализа, кГц"), this);
    band->setObjectName(QStringLiteral("GroupBox2"));
    auto *bandGrid = new QGridLayout(band);
    Edit_M9_F0 = SpinEdit(band, "Edit_M9_F0");
    Edit_M9_F1 = SpinEdit(band, "Edit_M9_F1");
    Edit_M9_Fc = SpinEdit(band, "Edit_M9_Fc");
    Edit_M9_B = SpinEdit(band, "Edit_M9_B");
    AddRow(*bandGrid, 0, QStringLiteral("F0"), Edit_M9_F0, "Label29");
    AddRow(*bandGrid, 1, QStringLiteral("F1"), Edit_M9_F1, "Label30");
    AddRow(*bandGrid, 2, QStringLiteral("Fc"), Edit_M9_Fc, "Label12");
    AddRow(*bandGrid, 3, QStringLiteral("B"), Edit_M9_B, "Label17");
    for (TZeltCSpinEdit *e : {Edit_M9_F0, Edit_M9_F1, Edit_M9_Fc, Edit_M9_B})
        e->setToolTip(QStringLiteral("Полоса анализа задается границами F0, F1 или центром Fc и шириной B"));
    layout->addWidget(band, 0, 0, 2, 1);

    auto *afc = new QGroupBox(QStringLiteral("АЧХ относительно"), this);
    afc->setObjectName(QStringLiteral("GroupBox1"));
    auto *afcGrid = new QGridLayout(afc);
    CB_M9_AFC = new QComboBox(afc);
    CB_M9_AFC->setObjectName(QStringLiteral("CB_M9_AFC"));
    CB_M9_AFC->addItems({QStringLiteral("Минимального затухания"), QStringLiteral("Опорного уровня"),
                         QStringLiteral("Затухания на опорной частоте")});
    afcGrid->addWidget(CB_M9_AFC, 0, 0, 1, 2);
    Edit_M9_A0 = SpinEdit(afc, "Edit_M9_A0");
    Label20 = AddRow(*afcGrid, 1, QStringLiteral("Fоп, кГц"), Edit_M9_A0);
    layout->addWidget(afc, 0, 1);
    auto *gvp = new QGroupBox(QStringLiteral("ГВП относительно"), this);
    gvp->setObjectName(QStringLiteral("GroupBox3"));
    auto *gvpGrid = new QGridLayout(gvp);
    CB_M9_GrDel = new QComboBox(gvp);
    CB_M9_GrDel->setObjectName(QStringLiteral("CB_M9_GrDel"));
    CB_M9_GrDel->addItems({QStringLiteral("Миним. времени прохождения"), QStringLiteral("Времени на опорной частоте")});
    gvpGrid->addWidget(CB_M9_GrDel, 0, 0, 1, 2);
    Edit_M9_GrDel0 = SpinEdit(gvp, "Edit_M9_GrDel0");
    Label21 = AddRow(*gvpGrid, 1, QStringLiteral("Fоп, кГц"), Edit_M9_GrDel0);
    layout->addWidget(gvp, 1, 1);

    auto *weighting = new QGroupBox(QStringLiteral("Взвешивающая характеристика"), this);
    weighting->setObjectName(QStringLiteral("GroupBox4"));
    auto *weightingGrid = new QGridLayout(weighting);
    Edit_FileName = new QLineEdit(weighting);
    Edit_FileName->setObjectName(QStringLiteral("Edit_FileName"));
    Edit_FileName->setReadOnly(true);
    Button_OpenFile = new QPushButton(QStringLiteral("Файл..."), weighting);
    Button_OpenFile->setObjectName(QStringLiteral("Button_OpenFile"));
    Button_ClearFile = new QPushButton(QStringLiteral("Очистить"), weighting);
    Button_ClearFile->setObjectName(QStringLiteral("Button_ClearFile"));
    weightingGrid->addWidget(Edit_FileName, 0, 0, 1, 2);
    weightingGrid->addWidget(Button_OpenFile, 1, 0);
    weightingGrid->addWidget(Button_ClearFile, 1, 1);
    layout->addWidget(weighting, 2, 0);

    auto *phasing = new QGroupBox(QStringLiteral("Фазограмма"), this);
    auto *phasingGrid = new QGridLayout(phasing);
    CB_M9_PhasingOn = new QCheckBox(QStringLiteral("Включить"), phasing);
    CB_M9_PhasingOn->setObjectName(QStringLiteral("CB_M9_PhasingOn"));
    Edit_M9_Phasing = SpinEdit(phasing, "Edit_M9_Phasing");
    phasingGrid->addWidget(CB_M9_PhasingOn, 0, 0, 1, 2);
    AddRow(*phasingGrid, 1, QStringLiteral("Fоп, кГц"), Edit_M9_Phasing);
    layout->addWidget(phasing, 2, 1);

    auto *recognition = new QGroupBox(QStringLiteral("Распознавание сигнала"), this);
    auto *recognitionGrid = new QGridLayout(recognition);
    Edit_M9_Lmin = SpinEdit(recognition, "Edit_M9_Lmin");
    Edit_M9_SNR = SpinEdit(recognition, "Edit_M9_SNR");
    AddRow(*recognitionGrid, 0, QStringLiteral("Lmin, дБм0"), Edit_M9_Lmin, "Label31");
    AddRow(*recognitionGrid, 1, QStringLiteral("Сигн/шум мин., дБ"), Edit_M9_SNR, "Label32");
    layout->addWidget(recognition, 3, 0);

    auto *averaging = new QGroupBox(QStringLiteral("Усреднение"), this);
    auto *averagingGrid = new QGridLayout(averaging);
    Edit_M9_SpectrStep = SpinEdit(averaging, "Edit_M9_SpectrStep");
    AddRow(*averagingGrid, 0, QStringLiteral("Шаг спектра, кГц"), Edit_M9_SpectrStep, "Label28");
    Edit_M9_Tavr = new QLineEdit(averaging);
    Edit_M9_Tavr->setObjectName(QStringLiteral("Edit_M9_Tavr"));
    Edit_M9_Tavr->setInputMask(QStringLiteral("00:00;_"));
    // The pair of arrows is one control, CSpinButton1, which the enabling table locks with the edit.
    auto *arrows = new QWidget(averaging);
    arrows->setObjectName(QStringLiteral("CSpinButton1"));
    auto *arrowRow = new QHBoxLayout(arrows);
    arrowRow->setContentsMargins(0, 0, 0, 0);
    CSpinButton1Up = new QToolButton(arrows);
    CSpinButton1Up->setArrowType(Qt::UpArrow);
    CSpinButton1Down = new QToolButton(arrows);
    CSpinButton1Down->setArrowType(Qt::DownArrow);
    arrowRow->addWidget(CSpinButton1Down);
    arrowRow->addWidget(CSpinButton1Up);
    auto *clock = new QWidget(averaging);
    auto *clockRow = new QHBoxLayout(clock);
    clockRow->setContentsMargins(0, 0, 0, 0);
    clockRow->addWidget(Edit_M9_Tavr);
    clockRow->addWidget(arrows);
    AddRow(*averagingGrid, 1, QStringLiteral("Время, мм:сс"), clock, "Label33");
    Edit_M9_Tunit = SpinEdit(averaging, "Edit_M9_Tunit");
    AddRow(*averagingGrid, 2, QStringLiteral("Объединение, с"), Edit_M9_Tunit, "Label35");
    Edit_M9_Tunit->setToolTip(QStringLiteral("Интервал объединения случайных событий"));
    layout->addWidget(averaging, 3, 1);

    auto *bottom = new QWidget(this);
    auto *bottomRow = new QHBoxLayout(bottom);
    auto *velocity = new QGroupBox(bottom);
    velocity->setObjectName(QStringLiteral("GroupBox5"));
    auto *velocityRow = new QHBoxLayout(velocity);
    auto *velocityLabel = new QLabel(QStringLiteral("Скорость в кабеле, м/мкс"), velocity);
    velocityLabel->setObjectName(QStringLiteral("Label36"));
    velocityRow->addWidget(velocityLabel);
    Edit_M9_VCable = new QLineEdit(velocity);
    Edit_M9_VCable->setObjectName(QStringLiteral("Edit_M9_VCable"));
    velocityRow->addWidget(Edit_M9_VCable);
    bottomRow->addWidget(velocity);
    bottomRow->addStretch();
    Button_Restart = new QPushButton(QStringLiteral("Рестарт"), bottom);
    Button_Restart->setObjectName(QStringLiteral("Button_Restart"));
    Button_SetParam = new QPushButton(QStringLiteral("Установить"), bottom);
    Button_SetParam->setObjectName(QStringLiteral("Button_SetParam"));
    bottomRow->addWidget(Button_Restart);
    bottomRow->addWidget(Button_SetParam);
    layout->addWidget(bottom, 4, 0, 1, 2);
}

void TMeterPage::BuildMeterGroup() {
    meterGroup_ = new QGroupBox(QStringLiteral("Измеритель"), this);
    meterGroup_->setObjectName(QStringLiteral("GroupBox_Meter"));
    auto *grid = new QGridLayout(meterGroup_);
    CB_M9_ref = new QComboBox(meterGroup_);
    CB_M9_ref->setObjectName(QStringLiteral("CB_M9_ref"));
    CB_M9_ref->addItems({QStringLiteral("=Прямое задание"), QStringLiteral("=0 дБмо (дБм0=дБм)"),
                         QStringLiteral("=0.775 В (дБм0=дБ)"), QStringLiteral("=1.0 В      (дБм0=дБВ)"),
                         QStringLiteral("=+4 дБмо"), QStringLiteral("= Измеренному")});
    Edit_M9_Ref = SpinEdit(meterGroup_, "Edit_M9_Ref");
    AddRow(*grid, 0, QStringLiteral("Уровень отсчета, дБм"), Edit_M9_Ref, "Label26");
    grid->addWidget(CB_M9_ref, 1, 0, 1, 2);
    Edit_M9_Z = SpinEdit(meterGroup_, "Edit_M9_Z");
    AddRow(*grid, 2, QStringLiteral("Сопротивление, Ом"), Edit_M9_Z, "Label24");
    CB_M9_Z_Hi = new QCheckBox(QStringLiteral("высокоомно"), meterGroup_);
    CB_M9_Z_Hi->setObjectName(QStringLiteral("CB_M9_Z_Hi"));
    CB_M9_Z_Hi->setToolTip(QStringLiteral("Входное сопротивление измерителя не менее 10 кОм"));
    grid->addWidget(CB_M9_Z_Hi, 3, 1);
    CB_Lmax_dBm = new QComboBox(meterGroup_);
    CB_Lmax_dBm->setObjectName(QStringLiteral("CB_Lmax_dBm"));
    AddRow(*grid, 4, QStringLiteral("Макс. уровень, дБм0"), CB_Lmax_dBm, "Label27");
    CB_M9_Lmax_Auto = new QCheckBox(QStringLiteral("авто"), meterGroup_);
    CB_M9_Lmax_Auto->setObjectName(QStringLiteral("CB_M9_Lmax_Auto"));
    grid->addWidget(CB_M9_Lmax_Auto, 5, 1);
    Button_M9_SetParam = new QPushButton(QStringLiteral("Установить"), meterGroup_);
    Button_M9_SetParam->setObjectName(QStringLiteral("Button_M9_SetParam"));
    grid->addWidget(Button_M9_SetParam, 6, 1);

    // Shown by the window on its Common page; hidden until it takes it.
    meterGroup_->hide();
}

void TMeterPage::Connect() {
    const auto check = [this] { CheckSetMeter(); };
    for (TZeltCSpinEdit *e : {Edit_M9_A0, Edit_M9_GrDel0, Edit_M9_Lmin, Edit_M9_SNR})
        connect(e, &TZeltCSpinEdit::Change, this, check);
    connect(Edit_FileName, &QLineEdit::textChanged, this, [this](const QString &text) {
        ShowMirrors(Mirrors.Weighting, text);
        CheckSetMeter();
    });
    connect(Edit_M9_Tavr, &QLineEdit::textChanged, this,
            [this](const QString &text) { ShowMirrors(Mirrors.Averaging, text); });
    connect(Edit_M9_VCable, &QLineEdit::textChanged, this, check);
    connect(CB_M9_Lmax_Auto, &QCheckBox::clicked, this, check);

    // Band: each edge bounds the other; leaving any of the four recomputes the others.
    connect(Edit_M9_F0, &TZeltCSpinEdit::Change, this, [this] {
        Edit_M9_F1->SetMinValue(Edit_M9_F0->GetValue() + RoundFrequency(DeviceSettings->SpectrumStep));
        CheckSetMeter();
    });
    connect(Edit_M9_F1, &TZeltCSpinEdit::Change, this, [this] {
        Edit_M9_F0->SetMaxValue(Edit_M9_F1->GetValue() - RoundFrequency(DeviceSettings->SpectrumStep));
        CheckSetMeter();
    });
    connect(Edit_M9_Fc, &TZeltCSpinEdit::Change, this, check);
    connect(Edit_M9_B, &TZeltCSpinEdit::Change, this, check);
    for (TZeltCSpinEdit *e : {Edit_M9_F0, Edit_M9_F1, Edit_M9_Fc, Edit_M9_B}) {
        const bool centre = e == Edit_M9_Fc || e == Edit_M9_B;
        e->installEventFilter(this);
        connect(e, &QAbstractSpinBox::editingFinished, this, [this, centre] { BandLeft(centre); });
    }

    connect(CB_M9_AFC, &QComboBox::activated, this, [this](int item) { ShowAfcKind(item, NoValue); });
    connect(CB_M9_GrDel, &QComboBox::activated, this, [this](int item) { ShowGvpKind(item, NoValue); });
    connect(Button_OpenFile, &QPushButton::clicked, this, &TMeterPage::OpenFileClick);
    connect(Button_ClearFile, &QPushButton::clicked, this, &TMeterPage::ClearFileClick);
    connect(Edit_M9_Tavr, &QLineEdit::textEdited, this, &TMeterPage::AveragingTextChanged);
    connect(CSpinButton1Up, &QToolButton::clicked, this, [this] { StepAveraging(1); });
    connect(CSpinButton1Down, &QToolButton::clicked, this, [this] { StepAveraging(-1); });
    connect(Edit_M9_Tunit, &TZeltCSpinEdit::Change, this, check);
    OnEnterAndExit(Edit_M9_Tunit, [this] { SnapSpinEdit8(*Edit_M9_Tunit, MergeIntervalQuantizer); });
    OnEnterAndExit(Edit_M9_Lmin, [this] {
        SnapSpinEdit8(*Edit_M9_Lmin, LminQuantizer);
        ShowLminMirrors();
    });
    OnEnterAndExit(Edit_M9_SNR, [this] { SnapSpinEdit8(*Edit_M9_SNR, SnrQuantizer); });
    connect(Edit_M9_SpectrStep, &TZeltCSpinEdit::Change, this, &TMeterPage::SpectrumStepChanged);
    OnEnterAndExit(Edit_M9_SpectrStep, [this] { SpectrumStepEntered(); });
    connect(Edit_M9_VCable, &QLineEdit::returnPressed, this, &TMeterPage::VelocityEntered);
    connect(Edit_M9_Phasing, &TZeltCSpinEdit::Change, this, &TMeterPage::CheckPhasingReference);
    connect(CB_M9_PhasingOn, &QCheckBox::clicked, this, &TMeterPage::CheckPhasingReference);
    connect(Button_SetParam, &QPushButton::clicked, this, &TMeterPage::SetParamClick);
    connect(Button_M9_SetParam, &QPushButton::clicked, this, &TMeterPage::M9SetParamClick);
    connect(Button_Restart, &QPushButton::clicked, this, &TMeterPage::RestartClick);

    // The Common page's meter group.
    connect(Edit_M9_Ref, &TZeltCSpinEdit::Change, this, &TMeterPage::MeterRefChanged);
    OnEnterAndExit(Edit_M9_Ref, [this] { SnapSpinEdit(*Edit_M9_Ref, MeterReferenceQuantizer); });
    connect(CB_M9_ref, &QComboBox::activated, this, [this] { MeterRefPresetChanged(true); });
    connect(Edit_M9_Z, &TZeltCSpinEdit::Change, this, &TMeterPage::ImpedanceChanged);
    connect(Edit_M9_Z, &QAbstractSpinBox::editingFinished, this, &TMeterPage::ImpedanceLeft);
    connect(CB_M9_Z_Hi, &QCheckBox::clicked, this, [this] {
        impedance_->FlagClicked();
        CheckSetMeter();
    });
    connect(CB_Lmax_dBm, &QComboBox::activated, this, [this] {
        CheckSetMeter();
        ShowMirrors(Mirrors.Lmax, CB_Lmax_dBm->currentText());
    });
}

bool TMeterPage::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == Edit_M9_F0 || watched == Edit_M9_F1)
            BandEntered(false);
        else if (watched == Edit_M9_Fc || watched == Edit_M9_B)
            BandEntered(true);
    }
    return QWidget::eventFilter(watched, event);
}

void TMeterPage::ShowBand() {
    const TDeviceSettings &s = *DeviceSettings;
    const double step = RoundFrequency(s.SpectrumStep);
    const double M = RoundFrequency(s.MaxFrequency);
    const double lowest = LimitLowFrequency(float(step));
    SetRange(*Edit_M9_F0, lowest, RoundFrequency(s.BandF1) - step, step);
    Edit_M9_F0->SetValue(RoundFrequency(s.BandF0));
    SetRange(*Edit_M9_F1, RoundFrequency(s.BandF0) + step, M, step);
    Edit_M9_F1->SetValue(RoundFrequency(s.BandF1));
    SetRange(*Edit_M9_Fc, lowest, M, step);
    bandFcEntry_ = RoundFrequency((Edit_M9_F1->GetValue() + Edit_M9_F0->GetValue()) * 0.5);
    Edit_M9_Fc->SetValue(bandFcEntry_);
    SetRange(*Edit_M9_B, step, M - step, step);
    bandBEntry_ = RoundFrequency(Edit_M9_F1->GetValue() - Edit_M9_F0->GetValue());
    Edit_M9_B->SetValue(bandBEntry_);
    CheckSetMeter();
}

void TMeterPage::ShowAveraging() {
    Edit_M9_Tavr->setText(ClockText(DeviceSettings->AveragingInterval));
    CheckSetMeter();
}

void TMeterPage::Refresh() {
    refreshing_ = true;
    TDeviceSettings &s = *DeviceSettings;
    // 2: the block size fields (the spectrum sizes themselves are the Common page's).
    RecomputeBlockSizeFields(s);
    const double step = RoundFrequency(s.SpectrumStep);
    const double M = RoundFrequency(s.MaxFrequency);

    // 3: the impedance.
    CB_M9_Z_Hi->setChecked(s.MeterHighImpedance != 0);
    impedance_->Memory = RoundTo3Decimals(s.MeterImpedance);
    SetQuantizerRange(*Edit_M9_Z, MeterImpedanceQuantizer);
    Edit_M9_Z->SetValue(impedance_->Memory);
    impedance_->FlagClicked();

    // 4: the reference and the maximum level.
    SetQuantizerRange(*Edit_M9_Ref, MeterReferenceQuantizer);
    Edit_M9_Ref->SetValue(RoundTo3Decimals(s.MeterRef));
    CB_M9_ref->setCurrentIndex(s.RefPresets & 0xFF);
    MeterRefPresetChanged(false);
    ApplyMaxLevelChoices(s.MaxLevelIndex);
    CB_M9_Lmax_Auto->setChecked(s.AutoMaxLevel != 0);

    // 5: the band.
    ShowBand();

    // 6: the recognition thresholds.
    SetQuantizerRange(*Edit_M9_Lmin, LminQuantizer);
    Edit_M9_Lmin->SetValue(RoundTo3Decimals(s.Lmin));
    ShowLminMirrors();
    SetQuantizerRange(*Edit_M9_SNR, SnrQuantizer);
    Edit_M9_SNR->SetValue(RoundTo3Decimals(s.MinSnr));

    // 7-8: the references; a stored one below the coaxial floor moves up to it.
    if (s.AfcRef > 0)
        s.AfcRef = LimitLowFrequency(s.AfcRef);
    ShowAfcKind(s.AfcRef < 0 ? 1 : s.AfcRef == 0 ? 0 : 2, s.AfcRef);
    if (s.GvpRef != 0)
        s.GvpRef = LimitLowFrequency(s.GvpRef);
    ShowGvpKind(s.GvpRef == 0 ? 0 : 1, s.GvpRef);

    // 9: the weighting characteristic in force.
    weightingPath_ = WeightingPathOf(s);
    ShowFileName(weightingPath_);
    if (WeightingCurve.Count > 0) {
        weightingFreqs_.assign(WeightingCurve.Frequencies, WeightingCurve.Frequencies + WeightingCurve.Count);
        weightingValues_.assign(WeightingCurve.Attenuations, WeightingCurve.Attenuations + WeightingCurve.Count);
    } else {
        weightingFreqs_.clear();
        weightingValues_.clear();
    }

    // 10-12: presentation step, velocity, averaging.
    SetRange(*Edit_M9_SpectrStep, step, s.AdcSize * s.SpectrumStep * 0.125, s.SpectrumStep);
    Edit_M9_SpectrStep->SetValue(RoundFrequency(s.PresentationStep));
    Edit_M9_VCable->setText(VelocityText(s.CableVelocity));
    velocityEntry_ = s.CableVelocity;
    ShowAveraging();
    SetQuantizerRange(*Edit_M9_Tunit, MergeIntervalQuantizer);
    Edit_M9_Tunit->SetValue(RoundTo3Decimals(s.EventMergeInterval));

    // 14: the phasogram (a coaxial meter alone on the line only).
    const bool phasing = s.ConnectionType == 7;
    Edit_M9_Phasing->setEnabled(phasing);
    CB_M9_PhasingOn->setEnabled(phasing);
    SetRange(*Edit_M9_Phasing, 0.001, s.MaxFrequency * 0.001, 0.01);
    Edit_M9_Phasing->SetValue(PhasingValue(s.PhasogramRef));
    CB_M9_PhasingOn->setChecked(s.Phasogram != 0);

    // 15: the reflectometer pulse and the least phasogram reference, shown among the Common page's
    // derived values.
    if (Edit_RND_pulse && s.SampleRate > 0)
        Edit_RND_pulse->setText(FormatPicture(1000.0 / s.SampleRate, u"0.#"));
    if (Edit_Phasing_minF)
        Edit_Phasing_minF->setText(SixDecimals(s.SampleRate / s.AdcSize));

    refreshing_ = false;
    for (QPushButton *b : {Button_SetParam, Button_M9_SetParam})
        ColourButtonText(*b, QColor(ApplyDoneColour));
}

void TMeterPage::ApplyMaxLevelChoices(int index) {
    const TDeviceSettings &s = *DeviceSettings;
    if (index < 0)
        index = std::max<int>(s.MaxLevelIndex, 0);
    if (const auto choices = MaxLevelChoices(Edit_M9_Z->GetValue(), s.ConnectionType, Edit_M9_Ref->GetValue())) {
        const QSignalBlocker quiet(CB_Lmax_dBm);
        if (CB_Lmax_dBm->count() != int(choices->size()))
            CB_Lmax_dBm->clear();
        for (int i = 0; i < int(choices->size()); ++i) {
            const QString text = QString::number((*choices)[std::size_t(i)]);
            if (i < CB_Lmax_dBm->count())
                CB_Lmax_dBm->setItemText(i, text);
            else
                CB_Lmax_dBm->addItem(text);
        }
    }
    CB_Lmax_dBm->setCurrentIndex(index >= 4 ? 2 : index);
    ShowMirrors(Mirrors.Lmax, CB_Lmax_dBm->currentText());
}

void TMeterPage::MeterRefPresetChanged(bool measure) {
    const int item = CB_M9_ref->currentIndex();
    Edit_M9_Ref->setEnabled(item <= 0);
    const double Z = Edit_M9_Z->GetValue();
    if (item == 1 || item == 4) {
        Edit_M9_Ref->SetValue(item == 1 ? 0 : 4);
    } else if (const auto reference = PresetReference(item, Z)) {
        Edit_M9_Ref->SetValue(*reference);
        SnapSpinEdit(*Edit_M9_Ref, MeterReferenceQuantizer);
    } else if (item == 5 && measure) {
        const float level = MeasuredSignalLevel(SignalKind);
        if (level != NoValue) {
            Edit_M9_Ref->SetValue(level + DeviceSettings->MeterRef);
            SnapSpinEdit(*Edit_M9_Ref, MeterReferenceQuantizer);
        }
    }
    ApplyMaxLevelChoices(CB_Lmax_dBm->currentIndex());
    CheckSetMeter();
}

void TMeterPage::ReferenceEdit(TZeltCSpinEdit &edit, QLabel &label, bool enabled, double value) {
    const TDeviceSettings &s = *DeviceSettings;
    edit.setEnabled(enabled);
    label.setEnabled(enabled);
    if (!enabled) {
        SetRange(edit, -1, 0, 1);
        edit.SetValue(value);
        return;
    }
    const double min = LimitLowFrequency(s.SpectrumStep);
    SetRange(edit, min, s.MaxFrequency, s.SpectrumStep);
    edit.SetValue(value == NoValue ? min + (s.MaxFrequency - min) * 0.5 : RoundFrequency(value));
}

void TMeterPage::ShowAfcKind(int item, double value) {
    CB_M9_AFC->setCurrentIndex(item);
    ShowMirrors(Mirrors.Afc, CB_M9_AFC->currentText());
    ReferenceEdit(*Edit_M9_A0, *Label20, item == 2, item == 1 ? -1 : item == 0 ? 0 : value);
    CheckSetMeter();
}

void TMeterPage::ShowGvpKind(int item, double value) {
    CB_M9_GrDel->setCurrentIndex(item);
    ReferenceEdit(*Edit_M9_GrDel0, *Label21, item == 1, item == 0 ? 0 : value);
    CheckSetMeter();
}

void TMeterPage::BandEntered(bool centre) {
    const QColor edges = centre ? Qt::lightGray : Qt::white;
    const QColor middle = centre ? Qt::white : Qt::lightGray;
    for (TZeltCSpinEdit *e : {Edit_M9_F0, Edit_M9_F1, Edit_M9_Fc, Edit_M9_B}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, e == Edit_M9_Fc || e == Edit_M9_B ? middle : edges);
        e->setPalette(p);
    }
}

void TMeterPage::BandLeft(bool centre) {
    const TDeviceSettings &s = *DeviceSettings;
    const TBandEntry band = ChangeBand({Edit_M9_F0->GetValue(), Edit_M9_F1->GetValue(), Edit_M9_Fc->GetValue(),
                                        Edit_M9_B->GetValue()},
                                       centre, s.SpectrumStep, s.MaxFrequency);
    const double step = RoundFrequency(s.SpectrumStep);
    if (centre) {
        Edit_M9_F0->SetMaxValue(RoundFrequency(band.F1 - step));
        Edit_M9_F0->SetValue(band.F0);
        Edit_M9_F1->SetMinValue(RoundFrequency(band.F0 + step));
        Edit_M9_F1->SetValue(band.F1);
    }
    Edit_M9_Fc->SetValue(band.Fc);
    Edit_M9_B->SetValue(band.B);
}

void TMeterPage::AveragingTextChanged() {
    QString text = Edit_M9_Tavr->text();
    for (int i = 0; i < std::min<int>(5, int(text.size())); ++i)
        if (text[i] == QLatin1Char(' '))
            text[i] = QLatin1Char('0');
    const int caret = Edit_M9_Tavr->cursorPosition();
    Edit_M9_Tavr->setText(text);
    Edit_M9_Tavr->setCursorPosition(caret);
    CheckSetMeter();
}

void TMeterPage::StepAveraging(int delta) {
    const int seconds = std::clamp(ParseMinSec(Edit_M9_Tavr->text()) + delta, 0, MaxAveragingSeconds);
    Edit_M9_Tavr->setText(ClockText(seconds));
    CheckSetMeter();
}

void TMeterPage::SpectrumStepChanged() {
    const double step = DeviceSettings->SpectrumStep;
    const double increment = Edit_M9_SpectrStep->Increment();
    Edit_M9_SpectrStep->SetIncrement(increment >= step ? std::trunc(increment / step + 0.5) * step : step);
    CheckSetMeter();
}

void TMeterPage::SpectrumStepEntered() {
    const double step = DeviceSettings->SpectrumStep;
    Edit_M9_SpectrStep->SetValue(RoundFrequency(std::trunc(Edit_M9_SpectrStep->GetValue() / step + 0.5) * step));
}

void TMeterPage::VelocityEntered() {
    const TVelocityEntry v = ParseCableVelocity(Edit_M9_VCable->text());
    if (!v.Ok)
        ShowMessage({LoadStr(421), Edit_M9_VCable->text(), MsgIcon::Warning, MsgButtons::Ok});
    velocityEntry_ = v.Value;
    Edit_M9_VCable->setText(VelocityText(v.Value));
}

void TMeterPage::CheckPhasingReference() {
    if (refreshing_)
        return;
    const TDeviceSettings &s = *DeviceSettings;
    const int chosen = host_.SpectrumSizeChoice ? host_.SpectrumSizeChoice() : s.AdcSizeIndex;
    const int index = std::clamp(chosen, 0, int(SpectrumSizes.size()) - 1);
    const double resolution = s.SampleRate / SpectrumSizes[std::size_t(index)];
    if (CB_M9_PhasingOn->isChecked() && Edit_M9_Phasing->GetValue() < resolution) {
        ShowMessage({QStringLiteral("Заданное значение опорной частоты фазограммы [") +
                         DoubleToText(Edit_M9_Phasing->GetValue(), 4) + QStringLiteral(" кГц] ") +
                         QStringLiteral("\r\nдолжно превышать значение разрешения спектра [") +
                         DoubleToText(resolution, 6) + QStringLiteral(" кГц]") +
                         QStringLiteral("\r\nНеобходимо уменьшить разрешение спектра."),
                     LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
        CB_M9_PhasingOn->setChecked(false);
        return;
    }
    CheckSetMeter();
}

void TMeterPage::MeterRefChanged() {
    ApplyMaxLevelChoices(CB_Lmax_dBm->currentIndex());
    CheckSetMeter();
}

void TMeterPage::ImpedanceChanged() {
    if (!impedance_->Changed())
        return;
    if (const auto reference = PresetReference(CB_M9_ref->currentIndex(), Edit_M9_Z->GetValue())) {
        Edit_M9_Ref->setEnabled(false);
        Edit_M9_Ref->SetValue(*reference);
        SnapSpinEdit(*Edit_M9_Ref, MeterReferenceQuantizer);
    }
    ApplyMaxLevelChoices(CB_Lmax_dBm->currentIndex());
    CheckSetMeter();
}

void TMeterPage::ImpedanceLeft() {
    impedance_->Left();
    ApplyMaxLevelChoices(CB_Lmax_dBm->currentIndex());
}

void TMeterPage::ShowFileName(const QString &path) {
    Edit_FileName->setText(path.isEmpty() ? QString() : QFileInfo(path).fileName());
}

void TMeterPage::ShowLminMirrors() {
    ShowMirrors(Mirrors.Lmin, DoubleToText(Edit_M9_Lmin->GetValue()));
}

void TMeterPage::CheckSetMeter() {
    if (refreshing_)
        return;
    const TDeviceSettings &s = *DeviceSettings;
    const auto rl = [](double v) { return RoundTo3Decimals(v); };
    const auto rf = [](double v) { return RoundFrequency(v); };
    const bool group = CB_M9_Z_Hi->isChecked() != (s.MeterHighImpedance != 0) ||
                       Edit_M9_Z->GetValue() != rl(s.MeterImpedance) ||
                       CB_Lmax_dBm->currentIndex() != s.MaxLevelIndex ||
                       CB_M9_Lmax_Auto->isChecked() != (s.AutoMaxLevel != 0) ||
                       Edit_M9_Ref->GetValue() != rl(s.MeterRef) || CB_M9_ref->currentIndex() != (s.RefPresets & 0xFF);
    const bool page =
        Edit_M9_SNR->GetValue() != rl(s.MinSnr) || Edit_M9_Lmin->GetValue() != rl(s.Lmin) ||
        Edit_M9_F0->GetValue() != rf(s.BandF0) || Edit_M9_F1->GetValue() != rf(s.BandF1) ||
        Edit_M9_Fc->GetValue() != bandFcEntry_ || Edit_M9_B->GetValue() != bandBEntry_ ||
        Edit_M9_A0->GetValue() != rf(s.AfcRef) || Edit_M9_GrDel0->GetValue() != rf(s.GvpRef) ||
        WeightingCurve.Count != int32_t(weightingFreqs_.size()) ||
        Edit_FileName->text() != QFileInfo(WeightingPathOf(s)).fileName() ||
        Edit_M9_Tavr->text() != ClockText(s.AveragingInterval) ||
        Edit_M9_Tunit->GetValue() != rl(s.EventMergeInterval) ||
        Edit_M9_SpectrStep->GetValue() != rf(s.PresentationStep) ||
        Edit_M9_VCable->text() != VelocityText(s.CableVelocity) || CB_M9_PhasingOn->isChecked() != (s.Phasogram != 0) ||
        Edit_M9_Phasing->GetValue() != PhasingValue(s.PhasogramRef);
    ColourButtonText(*Button_M9_SetParam, QColor(group ? ApplyPendingColour : ApplyDoneColour));
    ColourButtonText(*Button_SetParam, QColor(page ? ApplyPendingColour : ApplyDoneColour));
}

void TMeterPage::Apply() {
    if (SettingsLoadState != 1)
        return;
    SettingsLoadState = 2;
    if (Emulator)
        Emulator->Pause();
    TDeviceSettings &s = *DeviceSettings;
    bool changed = false;
    s.MeterHighImpedance = CB_M9_Z_Hi->isChecked() ? 1 : 0;
    s.MeterImpedance = float(RoundTo3Decimals(Edit_M9_Z->GetValue()));
    s.MaxLevelIndex = int8_t(CB_Lmax_dBm->currentIndex());
    if (s.Mirvak.RunState > 0)
        CB_M9_Lmax_Auto->setChecked(false);
    s.AutoMaxLevel = CB_M9_Lmax_Auto->isChecked() ? 1 : 0;
    s.MeterRef = float(Edit_M9_Ref->GetValue());
    s.MinSnr = float(Edit_M9_SNR->GetValue());
    s.Lmin = float(Edit_M9_Lmin->GetValue());
    s.RefPresets = int16_t((s.RefPresets & 0xFF00) | (CB_M9_ref->currentIndex() & 0xFF));

    changed = Edit_M9_F0->GetValue() != RoundFrequency(s.BandF0) || Edit_M9_F1->GetValue() != RoundFrequency(s.BandF1);
    s.BandF0 = float(RoundFrequency(Edit_M9_F0->GetValue()));
    s.BandF1 = float(RoundFrequency(Edit_M9_F1->GetValue()));
    bandBEntry_ = Edit_M9_B->GetValue();
    bandFcEntry_ = Edit_M9_Fc->GetValue();
    s.AfcRef = float(Edit_M9_A0->GetValue());
    s.GvpRef = float(Edit_M9_GrDel0->GetValue());

    ApplyWeighting(s, weightingFreqs_, weightingValues_, weightingPath_);

    const int seconds = std::clamp(ParseMinSec(Edit_M9_Tavr->text()), 0, MaxAveragingSeconds);
    s.AveragingInterval = seconds;
    Edit_M9_Tavr->setText(ClockText(seconds));
    s.EventMergeInterval = float(Edit_M9_Tunit->GetValue());

    if (Edit_M9_SpectrStep->GetValue() != RoundFrequency(s.PresentationStep)) {
        s.SpectrumStepIndex = int32_t(std::trunc(Edit_M9_SpectrStep->GetValue() / s.SpectrumStep + 0.5));
        s.PresentationStep = s.SpectrumStepIndex * s.SpectrumStep;
        changed = true;
    }
    changed = changed || Edit_M9_VCable->text() != VelocityText(s.CableVelocity);
    VelocityEntered();
    s.CableVelocity = velocityEntry_;
    s.PhasogramRef = float(Edit_M9_Phasing->GetValue());
    s.Phasogram = CB_M9_PhasingOn->isChecked() ? 1 : 0;
    if (changed && host_.ApplyBlockSize)
        host_.ApplyBlockSize(false, true);
    if (RecordingOn)
        RecordChangeMask |= 0x01;
    if (Emulator)
        Emulator->Resume();
    SettingsLoadState = 1;
    for (QPushButton *b : {Button_SetParam, Button_M9_SetParam})
        ColourButtonText(*b, QColor(ApplyDoneColour));
}

void TMeterPage::ApplyClick(QPushButton *button, bool measureReference) {
    ShowWorking(*button);
    if (!ConfirmBreakConnection())
        return;
    if (measureReference && CB_M9_ref->currentIndex() == 5)
        MeterRefPresetChanged(true);
    Apply();
    UpdateMttsLoopMode();
    if (host_.ShowMirvakCalibration)
        host_.ShowMirvakCalibration();
    TDeviceSettings &s = *DeviceSettings;
    if (PlaybackOn) {
        RecomputeAfterSettings(0);
    } else if (s.ConnectState <= 0) {
        s.Mode |= 0x101;
        SendCommand();
    } else if (host_.SendRemoteMessage) {
        host_.SendRemoteMessage({22, 23});
    }
}

void TMeterPage::SetParamClick() {
    ApplyClick(Button_SetParam, false);
}

void TMeterPage::M9SetParamClick() {
    ApplyClick(Button_M9_SetParam, true);
}

void TMeterPage::RestartClick() {
    ShowWorking(*Button_Restart);
    TDeviceSettings &s = *DeviceSettings;
    if (PlaybackOn) {
        RecomputeAfterSettings(0);
    } else if (s.ConnectState <= 0) {
        s.Mode |= 0x100;
        SendCommand();
    } else if (host_.SendRemoteMessage) {
        const auto codes = RestartCodes(s);
        host_.SendRemoteMessage({codes.begin(), codes.end()});
    }
    QThread::msleep(300);
    Button_Restart->setPalette(palette());
}

void TMeterPage::OpenFileClick() {
    const QString folder = host_.DirMaskFile ? host_.DirMaskFile() : QString();
    const QString path =
        host_.ChooseWeightingFile
            ? host_.ChooseWeightingFile(folder)
            : QFileDialog::getOpenFileName(this, QString(), folder, QStringLiteral("*.9wf (*.9wf)"));
    if (!path.isEmpty()) {
        const auto points = ReadWeightingFile(path);
        if (!points) {
            ShowMessage({LoadStr(413) + QLatin1Char(' ') + path, LoadStr(7), MsgIcon::Warning, MsgButtons::Ok});
        } else {
            if (host_.DirMaskFile)
                host_.DirMaskFile() = QFileInfo(path).absolutePath() + QLatin1Char('/');
            weightingPath_ = path;
            weightingFreqs_ = points->X;
            weightingValues_ = points->Y;
            ShowFileName(path);
        }
    }
    CheckSetMeter();
}

void TMeterPage::ClearFileClick() {
    weightingFreqs_.clear();
    weightingValues_.clear();
    Edit_FileName->clear();
    CheckSetMeter();
}
