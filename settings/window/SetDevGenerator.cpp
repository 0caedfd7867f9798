#include "settings/window/Form_SetDev.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "settings/GeneratorCommands.h"
#include "settings/GeneratorLevelLimits.h"
#include "settings/GeneratorStates.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/ImpedanceRules.h"
#include "settings/SettingsInterlocks.h"
#include "settings/window/SetDevGeneratorTable.h"
#include "settings/window/ImpedanceEntry.h"
#include "settings/window/MasterFreqPage.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr int GenRefQuantizer = 1;
constexpr int GenImpedanceQuantizer = 2;
constexpr double GeneratorLevelMin = -100;
constexpr double GeneratorLevelMax = 100;
constexpr int Sin2ToneGap = 4; // grid steps between the two SIN2 tones
constexpr int MttsMinTones = 3;
constexpr int MttsMaxTones = 255;
constexpr int MttsMaxSpacingSteps = 32;
const QColor GeneratorLabelChanged(255, 255, 0);

// The lowest generator frequency on the coaxial types is 0.3 kHz, on the grid.
double CoaxialMinimum(double minimum, double step) {
    if (DeviceSettings->ConnectionType > 5 && minimum < 0.3 && step > 0)
        return std::ceil(0.3 / step) * step;
    return minimum;
}

void Flag() {
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}

bool HighByteItem(int item) {
    return (DeviceSettings->RefPresets >> 8 & 0xFF) == item;
}

} // namespace

void TForm_SetDev::BuildGeneratorPage() {
    auto *grid = new QGridLayout(TabSheet_Gen);
    QWidget *p = TabSheet_Gen;
    int row = 0;
    auto buttons = [&](QPushButton *&local, const char *localName, const QString &caption, QPushButton *&remote,
                       const char *remoteName) {
        local = NewNamedButton(p, localName, caption);
        remote = NewNamedButton(p, remoteName, QStringLiteral("уд.") + caption);
        grid->addWidget(local, row, 0);
        grid->addWidget(remote, row, 1);
    };
    // One labelled field in columns col, col + 1 and col + 2 of the current row.
    auto field = [&](QLabel *&label, const char *labelName, const QString &caption, QWidget *edit, int col,
                     const char *unitName, const QString &unit) {
        label = NewNamedLabel(p, labelName, caption);
        grid->addWidget(label, row, col);
        grid->addWidget(edit, row, col + 1);
        grid->addWidget(NewNamedLabel(p, unitName, unit), row, col + 2);
    };
    const QString dBm0 = QStringLiteral("дБм0");
    const QString kHz = QStringLiteral("кГц");

    buttons(Button_SIN, "Button_SIN", QStringLiteral("SIN"), Button_SIN_R, "Button_SIN_R");
    Edit_SIN_L = NewNamedSpin(p, "Edit_SIN_L");
    Edit_SIN_F = NewNamedSpin(p, "Edit_SIN_F");
    field(Label_SIN_L, "Label_SIN_L", QStringLiteral("L"), Edit_SIN_L, 2, "Label3", dBm0);
    field(Label_SIN_F, "Label_SIN_F", QStringLiteral("F"), Edit_SIN_F, 5, "Label4", kHz);
    ++row;
    buttons(Button_SIN2, "Button_SIN2", QStringLiteral("SIN2"), Button_SIN2_R, "Button_SIN2_R");
    Edit_SIN2_L = NewNamedSpin(p, "Edit_SIN2_L");
    Edit_SIN2_F1 = NewNamedSpin(p, "Edit_SIN2_F1");
    Edit_SIN2_F2 = NewNamedSpin(p, "Edit_SIN2_F2");
    field(Label_SIN2_L, "Label_SIN2_L", QStringLiteral("L"), Edit_SIN2_L, 2, "Label6", dBm0);
    field(Label_SIN2_F1, "Label_SIN2_F1", QStringLiteral("F1"), Edit_SIN2_F1, 5, "Label7", kHz);
    field(Label_SIN2_F2, "Label_SIN2_F2", QStringLiteral("F2"), Edit_SIN2_F2, 8, "Label13", kHz);
    ++row;
    buttons(Button_MTTS, "Button_MTTS", QStringLiteral("МЧС"), Button_MTTS_R, "Button_MTTS_R");
    Edit_MTTS_L = NewNamedSpin(p, "Edit_MTTS_L");
    Edit_MTTS_F1 = NewNamedSpin(p, "Edit_MTTS_F1");
    Edit_MTTS_N = NewNamedSpin(p, "Edit_MTTS_N");
    Edit_MTTS_dF = NewNamedSpin(p, "Edit_MTTS_dF");
    Edit_MTTS_FN = new QLineEdit(p);
    Edit_MTTS_FN->setObjectName(QStringLiteral("Edit_MTTS_FN"));
    Edit_MTTS_FN->setReadOnly(true);
    field(Label_MTTS_L, "Label_MTTS_L", QStringLiteral("L"), Edit_MTTS_L, 2, "Label14", dBm0);
    field(Label_MTTS_F1, "Label_MTTS_F1", QStringLiteral("F1"), Edit_MTTS_F1, 5, "Label15", kHz);
    ++row;
    QLabel *unused = nullptr;
    field(Label_MTTS_N, "Label_MTTS_N", QStringLiteral("N"), Edit_MTTS_N, 2, "Label18", QString());
    field(Label_MTTS_dF, "Label_MTTS_dF", QStringLiteral("dF"), Edit_MTTS_dF, 5, "Label19", kHz);
    field(unused, "Label22", QStringLiteral("FN"), Edit_MTTS_FN, 8, "Label22_Unit", kHz);
    ++row;
    buttons(Button_RND, "Button_RND", QStringLiteral("ПСС"), Button_RND_R, "Button_RND_R");
    Edit_RND_L = NewNamedSpin(p, "Edit_RND_L");
    field(Label_RND_L, "Label_RND_L", QStringLiteral("L"), Edit_RND_L, 2, "Label23", dBm0);
    ++row;
    buttons(Button_NOISE, "Button_NOISE", QStringLiteral("ШУМ"), Button_NOISE_R, "Button_NOISE_R");
    Edit_NOISE_L = NewNamedSpin(p, "Edit_NOISE_L");
    field(Label_NOISE_L, "Label_NOISE_L", QStringLiteral("L"), Edit_NOISE_L, 2, "Label10", dBm0);
    ++row;
    buttons(Button_Block, "Button_Block", QStringLiteral("Блокировка"), Button_Block_R, "Button_Block_R");
    grid->setRowStretch(row + 1, 1);
    grid->setColumnStretch(11, 1);
    SetSpinRange(Edit_MTTS_N, MttsMinTones, MttsMaxTones, 1);
}

void TForm_SetDev::ConnectGeneratorPage() {
    for (const TGeneratorPageKind &k : GeneratorPageKinds()) {
        const int kind = k.Kind;
        if (kind == GenKindBlock)
            continue;
        connect(this->*k.Local, &QPushButton::clicked, this, [this, kind] { GeneratorButtonClick(kind, false); });
        connect(this->*k.Remote, &QPushButton::clicked, this, [this, kind] { GeneratorButtonClick(kind, true); });
        TZeltCSpinEdit *level = this->*k.Level;
        const int q = k.LevelQuantizer;
        OnEnterAndExit(level, [level, q] { SnapSpinEdit(*level, q); });
        OnReturnKey(level, [this, kind, level] { GeneratorEditKeyDown(kind, level); });
        connect(level, &TZeltCSpinEdit::Change, this, [this, kind] { LevelChange(kind); });
    }
    connect(Button_Block, &QPushButton::clicked, this, [this] { Button_BlockClick(); });
    connect(Button_Block_R, &QPushButton::clicked, this, [this] { Button_Block_RClick(); });

    struct FrequencyEdit {
        TZeltCSpinEdit *edit;
        int kind;
        void (TForm_SetDev::*enter)();
    };
    const FrequencyEdit frequencies[] = {
        {Edit_SIN_F, GenKindSin, &TForm_SetDev::Edit_SIN_FEnter},
        {Edit_SIN2_F1, GenKindSin2, &TForm_SetDev::Edit_SIN2_F1Enter},
        {Edit_SIN2_F2, GenKindSin2, &TForm_SetDev::Edit_SIN2_F2Enter},
        {Edit_MTTS_F1, GenKindMtts, &TForm_SetDev::Edit_MTTS_F1Enter},
        {Edit_MTTS_N, GenKindMtts, &TForm_SetDev::Edit_MTTS_NEnter},
        {Edit_MTTS_dF, GenKindMtts, &TForm_SetDev::Edit_MTTS_dFEnter},
    };
    for (const FrequencyEdit &f : frequencies) {
        OnEnterAndExit(f.edit, [this, enter = f.enter] { (this->*enter)(); });
        OnReturnKey(f.edit, [this, kind = f.kind, edit = f.edit] { GeneratorEditKeyDown(kind, edit); });
    }
    connect(Edit_SIN_F, &TZeltCSpinEdit::Change, this, [this] {
        MarkLabel(Label_SIN_F, GenKindSin, Edit_SIN_F->GetValue() != RoundTo3Decimals(DeviceSettings->Sin.F1));
    });
    connect(Edit_SIN2_F1, &TZeltCSpinEdit::Change, this, [this] { Edit_SIN2_F1Change(); });
    connect(Edit_SIN2_F2, &TZeltCSpinEdit::Change, this, [this] { Edit_SIN2_F2Change(); });
    for (TZeltCSpinEdit *edit : {Edit_MTTS_F1, Edit_MTTS_N, Edit_MTTS_dF})
        connect(edit, &TZeltCSpinEdit::Change, this, [this] {
            const TDeviceSettings &s = *DeviceSettings;
            ShowMttsLast();
            MarkLabel(Label_MTTS_F1, GenKindMtts, Edit_MTTS_F1->GetValue() != s.Mtts.F1);
            MarkLabel(Label_MTTS_N, GenKindMtts, int(Edit_MTTS_N->GetValue()) != s.Mtts.Count);
            MarkLabel(Label_MTTS_dF, GenKindMtts, Edit_MTTS_dF->GetValue() != s.Mtts.Step);
        });

    GenImpedanceInput = std::make_unique<TImpedanceEntry>(*Edit_G9_Z, *CB_G9_Z_Low, true);
    connect(Edit_G9_Ref, &TZeltCSpinEdit::Change, this, [this] { CheckSetGen(); });
    connect(Edit_G9_Z, &TZeltCSpinEdit::Change, this, [this] { Edit_G9_ZChange(); });
    OnEnterAndExit(Edit_G9_Ref, [this] { SnapSpinEdit(*Edit_G9_Ref, GenRefQuantizer); });
    connect(CB_G9_Z_Low, &QCheckBox::clicked, this, [this] { CB_G9_Z_LowClick(); });
    // Leaving the edit or its box snaps the load.
    OnEnterAndExit(Edit_G9_Z, [this] {
        if (!Edit_G9_Z->hasFocus())
            Edit_G9_ZEnter();
    });
    OnEnterAndExit(CB_G9_Z_Low, [this] {
        if (!CB_G9_Z_Low->hasFocus())
            Edit_G9_ZEnter();
    });
    connect(CB_G9_ref, &QComboBox::currentIndexChanged, this, [this] { CB_G9_refChange(); });
    connect(Button_SetGen, &QPushButton::clicked, this, [this] { Button_SetGenClick(); });
}

void TForm_SetDev::RefreshGeneratorPage() {
    const TDeviceSettings &s = *DeviceSettings;
    std::vector<QSignalBlocker> quiet;
    quiet.reserve(16);
    for (QObject *o : std::initializer_list<QObject *>{Edit_G9_Z, Edit_G9_Ref, CB_G9_ref, CB_G9_Z_Low, Edit_SIN_L,
                                                       Edit_SIN_F, Edit_SIN2_L, Edit_SIN2_F1, Edit_SIN2_F2, Edit_MTTS_L,
                                                       Edit_MTTS_F1, Edit_MTTS_N, Edit_MTTS_dF, Edit_RND_L, Edit_NOISE_L})
        quiet.emplace_back(o);

    CB_G9_Z_Low->setChecked(s.GenLowImpedance != 0);
    GenImpedanceInput->Memory = RoundTo3Decimals(s.GenImpedance);
    SetSpinRange(Edit_G9_Z, GenImpedanceQuantizer);
    Edit_G9_Z->SetValue(GenImpedanceInput->Memory);
    GenImpedanceInput->FlagClicked();
    SetSpinRange(Edit_G9_Ref, GenRefQuantizer);
    Edit_G9_Ref->SetValue(RoundTo3Decimals(s.GenRef));
    CB_G9_ref->setCurrentIndex(s.RefPresets >> 8 & 0xFF);
    Edit_G9_Ref->setEnabled(CB_G9_ref->currentIndex() == 0);

    const double lowest = s.SampleRate / 1024;
    const double sinStep = s.Sin.MinFreq;
    if (s.EventCounting) {
        const double top = sinStep > 0 ? std::trunc(s.MaxFrequency / sinStep) * sinStep : s.MaxFrequency;
        SetSpinRange(Edit_SIN_F, CoaxialMinimum(lowest, sinStep), top, sinStep);
        Edit_SIN_F->SetValue(s.Sin.F1);
    } else {
        SetSpinRange(Edit_SIN_F, CoaxialMinimum(lowest, sinStep), s.MaxFrequency, 0.01);
        Edit_SIN_F->SetValue(RoundFrequency(s.Sin.F1));
    }
    const double sin2Step = s.Sin2.MinFreq;
    SetSpinRange(Edit_SIN2_F1, CoaxialMinimum(lowest, sin2Step), s.MaxFrequency - Sin2ToneGap * sin2Step, sin2Step);
    SetSpinRange(Edit_SIN2_F2, CoaxialMinimum(lowest + Sin2ToneGap * sin2Step, sin2Step), s.MaxFrequency, sin2Step);
    Edit_SIN2_F1->SetValue(s.Sin2.F1);
    Edit_SIN2_F2->SetValue(s.Sin2.F2);
    const double mttsStep = s.Mtts.MinFreq;
    SetSpinRange(Edit_MTTS_F1, CoaxialMinimum(mttsStep, mttsStep), s.MaxFrequency, mttsStep);
    Edit_MTTS_F1->SetValue(s.Mtts.F1);
    Edit_MTTS_N->SetValue(s.Mtts.Count);
    SetSpinRange(Edit_MTTS_dF, mttsStep, MttsMaxSpacingSteps * mttsStep, mttsStep);
    Edit_MTTS_dF->SetValue(s.Mtts.Step);
    RecomputeMttsLastFrequency(*DeviceSettings);
    ShowMttsLast();

    for (const TGeneratorPageKind &k : GeneratorPageKinds())
        if (k.Level) {
            SetSpinRange(this->*k.Level, GeneratorLevelMin, GeneratorLevelMax, ValueQuantizers[k.LevelQuantizer].Step);
            (this->*k.Level)->SetValue(RoundTo3Decimals(GeneratorBlock(k.Kind)->Level));
        }
    ApplyGeneratorLevelLimits();
    ShowApplyState(Button_SetGen, false);
}

void TForm_SetDev::ShowMttsLast() {
    const double step = DeviceSettings->Mtts.MinFreq;
    const double f1 = GridValue(Edit_MTTS_F1->GetValue(), step);
    const double df = GridValue(Edit_MTTS_dF->GetValue(), step);
    const int n = int(Edit_MTTS_N->GetValue());
    Edit_MTTS_FN->setText(QString::number(RoundFrequency(f1 + (n - 1) * df), 'g', 12));
}

void TForm_SetDev::MarkLabel(QLabel *label, int kind, bool differs) {
    if (LocalGenState(kind) < 1 && RemoteGenStateOf(kind) < 1)
        return;
    SetTextColor(label, differs ? GeneratorLabelChanged : QColor());
}

void TForm_SetDev::LevelChange(int kind) {
    const TGeneratorPageKind *k = GeneratorPageKind(kind);
    MarkLabel(this->*k->LevelLabel, kind, (this->*k->Level)->GetValue() != RoundTo3Decimals(GeneratorBlock(kind)->Level));
}

void TForm_SetDev::SnapGridEdit(TZeltCSpinEdit *edit, float step) {
    const double read = edit->GetValue();
    edit->SetIncrement(GridIncrement(edit->Increment(), step));
    const double snapped = GridValue(read, step);
    if (snapped != read)
        edit->SetValue(snapped);
}

void TForm_SetDev::Edit_SIN_FEnter() {
    const TDeviceSettings &s = *DeviceSettings;
    if (s.EventCounting) {
        SnapGridEdit(Edit_SIN_F, s.Sin.MinFreq);
        return;
    }
    float actual = 0;
    uint32_t phaseStep = 0;
    FitGeneratorFrequency(int16_t(SynthesisTableLength()), float(Edit_SIN_F->GetValue()), s.SampleRate, actual,
                          phaseStep);
    Edit_SIN_F->SetValue(RoundFrequency(actual));
    if (Edit_SIN_F->Increment() < 0.01)
        Edit_SIN_F->SetIncrement(0.01);
}

void TForm_SetDev::Edit_SIN2_F1Enter() {
    SnapGridEdit(Edit_SIN2_F1, DeviceSettings->Sin2.MinFreq);
}

void TForm_SetDev::Edit_SIN2_F2Enter() {
    SnapGridEdit(Edit_SIN2_F2, DeviceSettings->Sin2.MinFreq);
}

void TForm_SetDev::Edit_SIN2_F1Change() {
    const double gap = Sin2ToneGap * DeviceSettings->Sin2.MinFreq;
    const double f1 = Edit_SIN2_F1->GetValue();
    MarkLabel(Label_SIN2_F1, GenKindSin2, f1 != DeviceSettings->Sin2.F1);
    if (Edit_SIN2_F2->GetValue() < f1 + gap)
        Edit_SIN2_F2->SetValue(f1 + gap);
}

void TForm_SetDev::Edit_SIN2_F2Change() {
    const double gap = Sin2ToneGap * DeviceSettings->Sin2.MinFreq;
    const double f2 = Edit_SIN2_F2->GetValue();
    MarkLabel(Label_SIN2_F2, GenKindSin2, f2 != DeviceSettings->Sin2.F2);
    if (Edit_SIN2_F1->GetValue() > f2 - gap)
        Edit_SIN2_F1->SetValue(f2 - gap);
}

// F1 moves down so that the last tone stays within the maximum frequency.
void TForm_SetDev::FitMttsF1() {
    const TDeviceSettings &s = *DeviceSettings;
    const double step = s.Mtts.MinFreq;
    const int n = int(Edit_MTTS_N->GetValue());
    const double df = Edit_MTTS_dF->GetValue();
    const double f1 = Edit_MTTS_F1->GetValue();
    if (f1 + (n - 1) * df > s.MaxFrequency && step > 0)
        Edit_MTTS_F1->SetValue(std::trunc((s.MaxFrequency - (n - 1) * df) / step) * step);
    ShowMttsLast();
}

void TForm_SetDev::Edit_MTTS_F1Enter() {
    SnapGridEdit(Edit_MTTS_F1, DeviceSettings->Mtts.MinFreq);
    FitMttsF1();
}

void TForm_SetDev::Edit_MTTS_NEnter() {
    const TDeviceSettings &s = *DeviceSettings;
    int n = int(Edit_MTTS_N->GetValue());
    const double f1 = Edit_MTTS_F1->GetValue();
    const double df = Edit_MTTS_dF->GetValue();
    if (f1 + (n - 1) * df > s.MaxFrequency && df > 0)
        n = int(std::trunc((s.MaxFrequency - f1) / df)) + 1;
    const bool tooFew = n < MttsMinTones;
    if (tooFew)
        n = MttsMinTones;
    Edit_MTTS_N->SetValue(n);
    if (tooFew)
        FitMttsF1();
    ShowMttsLast();
}

void TForm_SetDev::Edit_MTTS_dFEnter() {
    const TDeviceSettings &s = *DeviceSettings;
    const double step = s.Mtts.MinFreq;
    SnapGridEdit(Edit_MTTS_dF, step);
    const int n = int(Edit_MTTS_N->GetValue());
    const double f1 = Edit_MTTS_F1->GetValue();
    double df = Edit_MTTS_dF->GetValue();
    if (f1 + (n - 1) * df > s.MaxFrequency && n > 1 && step > 0) {
        df = std::trunc(((s.MaxFrequency - f1) / (n - 1)) / step) * step;
        const bool tooNarrow = df < s.SampleRate / 512;
        if (tooNarrow)
            df = s.SampleRate / 512;
        Edit_MTTS_dF->SetValue(df);
        if (tooNarrow)
            FitMttsF1();
    }
    ShowMttsLast();
}

void TForm_SetDev::StoreSinFields() {
    TDeviceSettings &s = *DeviceSettings;
    SnapSpinEdit(*Edit_SIN_L, 9);
    s.Sin.Level = float(Edit_SIN_L->GetValue());
    Edit_SIN_FEnter();
    s.Sin.F1 = float(Edit_SIN_F->GetValue());
    for (QLabel *label : {Label_SIN_L, Label_SIN_F})
        SetTextColor(label, QColor());
    Flag();
}

void TForm_SetDev::StoreSin2Fields() {
    TDeviceSettings &s = *DeviceSettings;
    SnapSpinEdit(*Edit_SIN2_L, 10);
    s.Sin2.Level = float(Edit_SIN2_L->GetValue());
    Edit_SIN2_F1Enter();
    Edit_SIN2_F2Enter();
    s.Sin2.F1 = float(Edit_SIN2_F1->GetValue());
    s.Sin2.F2 = float(Edit_SIN2_F2->GetValue());
    for (QLabel *label : {Label_SIN2_L, Label_SIN2_F1, Label_SIN2_F2})
        SetTextColor(label, QColor());
    Flag();
}

void TForm_SetDev::StoreMttsFields() {
    TDeviceSettings &s = *DeviceSettings;
    SnapSpinEdit(*Edit_MTTS_L, 13);
    s.Mtts.Level = float(Edit_MTTS_L->GetValue());
    Edit_MTTS_F1Enter();
    Edit_MTTS_NEnter();
    Edit_MTTS_dFEnter();
    s.Mtts.F1 = float(Edit_MTTS_F1->GetValue());
    s.Mtts.Step = float(Edit_MTTS_dF->GetValue());
    s.Mtts.F2 = Edit_MTTS_FN->text().toFloat();
    s.Mtts.Count = int16_t(Edit_MTTS_N->GetValue());
    for (QLabel *label : {Label_MTTS_L, Label_MTTS_F1, Label_MTTS_N, Label_MTTS_dF})
        SetTextColor(label, QColor());
    Flag();
}

void TForm_SetDev::StoreRndFields() {
    SnapSpinEdit(*Edit_RND_L, 11);
    DeviceSettings->Rnd.Level = float(Edit_RND_L->GetValue());
    SetTextColor(Label_RND_L, QColor());
    Flag();
}

void TForm_SetDev::StoreNoiseFields() {
    SnapSpinEdit(*Edit_NOISE_L, 12);
    DeviceSettings->Noise.Level = float(Edit_NOISE_L->GetValue());
    SetTextColor(Label_NOISE_L, QColor());
    Flag();
}

void TForm_SetDev::StoreFields(int kind) {
    switch (kind) {
    case GenKindSin:
        StoreSinFields();
        break;
    case GenKindSin2:
        StoreSin2Fields();
        break;
    case GenKindMtts:
        StoreMttsFields();
        break;
    case GenKindRnd:
        StoreRndFields();
        break;
    case GenKindNoise:
        StoreNoiseFields();
        break;
    default:
        break;
    }
}

void TForm_SetDev::Button_Block_RClick() {
    ReopenIfSstRunning();
    SetRemoteGenState(GenKindBlock, 1);
    SendRemoteMessage(GeneratorPageKind(GenKindBlock)->PeerCode);
}

void TForm_SetDev::GeneratorButtonClick(int kind, bool remote) {
    const TGeneratorPageKind *k = GeneratorPageKind(kind);
    ReopenIfSstRunning();
    if (!ConfirmBreakConnection())
        return;
    StoreFields(kind);
    const bool both = (remote && LocalGenState(kind) > 0) || (!remote && RemoteGenStateOf(kind) > 0);
    if (both) {
        SetRemoteGenState(kind, 1);
        SetLocalGenState(kind, 1);
        MarkLocalGenButton(kind);
        SendRemoteMessage(k->BothCodes);
    } else if (!remote) {
        k->Start();
    } else {
        SetRemoteGenState(kind, 1);
        SendRemoteMessage(k->PeerCode);
    }
}

void TForm_SetDev::Button_SINClick(QObject *sender) {
    GeneratorButtonClick(GenKindSin, sender == Button_SIN_R);
}

void TForm_SetDev::Button_SIN2Click(QObject *sender) {
    GeneratorButtonClick(GenKindSin2, sender == Button_SIN2_R);
}

void TForm_SetDev::Button_MTTSClick(QObject *sender) {
    GeneratorButtonClick(GenKindMtts, sender == Button_MTTS_R);
}

void TForm_SetDev::Button_RNDClick(QObject *sender) {
    GeneratorButtonClick(GenKindRnd, sender == Button_RND_R);
}

void TForm_SetDev::Button_NOISEClick(QObject *sender) {
    GeneratorButtonClick(GenKindNoise, sender == Button_NOISE_R);
}

void TForm_SetDev::Button_BlockClick() {
    ReopenIfSstRunning();
    if (!ConfirmBreakConnection())
        return;
    DeviceSettings->Mode |= 0x100;
    BlockGenerator();
    Flag();
}

void TForm_SetDev::GeneratorEditKeyDown(int kind, TZeltCSpinEdit *edit) {
    const int local = LocalGenState(kind);
    const int remote = RemoteGenStateOf(kind);
    const bool mtts = edit == Edit_MTTS_F1 || edit == Edit_MTTS_N || edit == Edit_MTTS_dF;
    const bool tone = edit == Edit_SIN_F || edit == Edit_SIN2_F1 || edit == Edit_SIN2_F2;
    auto enter = [this, edit] {
        if (edit == Edit_SIN_F)
            Edit_SIN_FEnter();
        else if (edit == Edit_SIN2_F1)
            Edit_SIN2_F1Enter();
        else if (edit == Edit_SIN2_F2)
            Edit_SIN2_F2Enter();
        else if (edit == Edit_MTTS_F1)
            Edit_MTTS_F1Enter();
        else if (edit == Edit_MTTS_N)
            Edit_MTTS_NEnter();
        else if (edit == Edit_MTTS_dF)
            Edit_MTTS_dFEnter();
    };
    if (mtts)
        enter();
    if (local <= 0 && remote > 0)
        GeneratorButtonClick(kind, true);
    else if (local > 0)
        GeneratorButtonClick(kind, false);
    else if (tone)
        enter();
}

void TForm_SetDev::CheckSetGen() {
    const TDeviceSettings &s = *DeviceSettings;
    const bool differs = Edit_G9_Z->GetValue() != RoundTo3Decimals(s.GenImpedance) ||
                         CB_G9_Z_Low->isChecked() != (s.GenLowImpedance != 0) ||
                         Edit_G9_Ref->GetValue() != RoundTo3Decimals(s.GenRef) || !HighByteItem(CB_G9_ref->currentIndex());
    ShowApplyState(Button_SetGen, differs);
}

void TForm_SetDev::CB_G9_refChange() {
    const int item = CB_G9_ref->currentIndex();
    const double z = Edit_G9_Z->GetValue();
    Edit_G9_Ref->setEnabled(item == 0);
    switch (item) {
    case 1:
        Edit_G9_Ref->SetValue(0);
        break;
    case 2:
    case 3:
        if (const std::optional<double> reference = PresetReference(item, z)) {
            Edit_G9_Ref->SetValue(*reference);
            SnapSpinEdit(*Edit_G9_Ref, GenRefQuantizer);
        }
        break;
    case 4:
        Edit_G9_Ref->SetValue(-13);
        break;
    default:
        break;
    }
    CheckSetGen();
}

void TForm_SetDev::Button_SetGenClick() {
    ShowApplying(Button_SetGen);
    if (!ConfirmBreakConnection())
        return;
    TDeviceSettings &s = *DeviceSettings;
    s.GenLowImpedance = CB_G9_Z_Low->isChecked() ? 1 : 0;
    s.GenImpedance = float(Edit_G9_Z->GetValue());
    ApplyGeneratorLevelLimits();
    s.GenRef = float(Edit_G9_Ref->GetValue());
    s.RefPresets = int16_t((s.RefPresets & 0x00FF) | (CB_G9_ref->currentIndex() & 0xFF) << 8);
    UpdateMttsLoopMode();
    ShowApplyState(Button_SetGen, false);
    if (MirvakPage)
        MirvakPage->ShowMirvakCalibration();
    if (s.ConnectState <= 0) {
        s.Mode |= 0x101;
        SendCommand();
    } else {
        SendRemoteMessage({5, 15});
    }
    Flag();
}

void TForm_SetDev::CB_G9_Z_LowClick() {
    GenImpedanceInput->FlagClicked();
    CheckSetGen();
}

void TForm_SetDev::Edit_G9_ZChange() {
    if (!GenImpedanceInput->Changed())
        return;
    if (const std::optional<double> reference = PresetReference(CB_G9_ref->currentIndex(), Edit_G9_Z->GetValue()))
        Edit_G9_Ref->SetValue(*reference);
    CheckSetGen();
}

void TForm_SetDev::Edit_G9_ZEnter() {
    GenImpedanceInput->Left();
}

void TForm_SetDev::ApplyGeneratorLevelLimits() {
    const TDeviceSettings &s = *DeviceSettings;
    const std::array<LevelLimit, LevelEditCount> limits =
        GeneratorLevelLimits(GreatestGeneratorLevel(s), Edit_G9_Ref->GetValue(), s.MaxFrequency, s.ConnectionType);
    auto limit = [&limits](LevelEdit edit) { return limits[std::size_t(edit)]; };
    ApplyLevelLimit(*Edit_SIN_L, limit(LevelEdit::Sin));
    StoreSinFields();
    ApplyLevelLimit(*Edit_SIN2_L, limit(LevelEdit::Sin2));
    StoreSin2Fields();
    ApplyLevelLimit(*Edit_RND_L, limit(LevelEdit::Rnd));
    StoreRndFields();
    ApplyLevelLimit(*Edit_MTTS_L, limit(LevelEdit::Mtts));
    StoreMttsFields();
    ApplyLevelLimit(*Edit_NOISE_L, limit(LevelEdit::Noise));
    StoreNoiseFields();
    ApplyLevelLimit(*Edit_CONNECT_L, limit(LevelEdit::Connect));
    SnapSpinEdit8(*Edit_CONNECT_L, 0);
    MasterFreqPage->ApplySinLevelLimit(limit(LevelEdit::MasterFreqSin));
    if (MirvakPage)
        MirvakPage->ApplySinLevelLimit(limit(LevelEdit::MirvakSin));
}
