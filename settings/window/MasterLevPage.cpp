#include "settings/window/MasterLevPage.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"

#include <QLineEdit>

#include <cmath>

namespace {

constexpr int32_t LevPageSinLevelQuantizer = 9;
constexpr double MinFitIncrement = 0.01;

// clang-format off
const TMasterPageNames LevNames = {
    MasterLevIndex, "Lev",
    {"Edit_RangeLev_L1", "Edit_RangeLev_N", "Edit_RangeLev_dL", "Edit_RangeLev_LN"},
    "RB_MasterL", "masterL", "Edit_SIN_masterL_F", "Edit_SIN_masterL_L", "F, кГц", "L, дБм0", "LevOnTime",
    "CSpinButton3",
    "Порядок формирования уровней", "Автомат изменения \r\nуровня по времени ", "Следующий уровень", "MasterL",
};
// clang-format on

double LowestBandFrequency() {
    const TDeviceSettings &s = *DeviceSettings;
    double f = RoundFrequency(s.SampleRate / 1024);
    if (s.ConnectionType > 5 && f < 0.3)
        f = 0.3;
    return f;
}

} // namespace

TMasterLevPage::TMasterLevPage(TMasterPageHost host, QWidget *parent) : TMasterPage(LevNames, std::move(host), parent) {
    Edit_SinCurrent->setReadOnly(true);
    OnEnterAndExit(Edit_SinValue, [this] {
        if (!Edit_SinValue->hasFocus())
            Edit_SIN_masterL_FEnter();
    });
    OnReturnKey(Edit_SinValue, [this] { Edit_SIN_masterL_FEnter(); });
    // The wide band's edges bound each other; they are stored when they are left.
    connect(Edit_F0, &TZeltCSpinEdit::Change, this, [this] { Edit_F1->SetMinValue(Edit_F0->GetValue()); });
    connect(Edit_F1, &TZeltCSpinEdit::Change, this, [this] { Edit_F0->SetMaxValue(Edit_F1->GetValue()); });
    for (TZeltCSpinEdit *edit : {Edit_F0, Edit_F1})
        OnEnterAndExit(edit, [this, edit] {
            if (!edit->hasFocus())
                Store();
        });
}

double TMasterLevPage::RangeMax() const {
    return host_.Edit_SIN_L ? host_.Edit_SIN_L->MaxValue() : ValueQuantizers[LevPageSinLevelQuantizer].Max;
}

double TMasterLevPage::RoundRangeValue(double value) const {
    return RoundToPrecision(value);
}

double TMasterLevPage::MinRangeStep() const {
    const ValueQuantizer &q = ValueQuantizers[LevPageSinLevelQuantizer];
    return (q.Max - q.Min) / q.Steps;
}

QString TMasterLevPage::FormatRow(double value) const {
    return FormatValue(value);
}

double TMasterLevPage::RowLow() const {
    return host_.Edit_SIN_L ? host_.Edit_SIN_L->MinValue() : ValueQuantizers[LevPageSinLevelQuantizer].Min;
}

double TMasterLevPage::RowHigh() const {
    return RangeMax();
}

void TMasterLevPage::LoadRangeLimits() {
    const MasterBlock &m = DeviceSettings->MasterL;
    SetSpinRange(Edit_RangeFirst, RowLow(), RowHigh(), 1);
    Edit_RangeFirst->SetValue(RoundToPrecision(m.RangeStart));
    SetSpinRange(Edit_RangeN, 1, 1000, 1);
    Edit_RangeN->SetValue(m.RangeN);
    SetSpinRange(Edit_RangeStep, MinRangeStep(), RowHigh() - RowLow(), 1);
    Edit_RangeStep->SetValue(RoundToPrecision(m.RangeStep));
}

void TMasterLevPage::LoadOwnFields() {
    const TDeviceSettings &s = *DeviceSettings;
    const MasterBlock &m = s.MasterL;
    double lowest = s.SampleRate / 1024;
    if (s.ConnectionType > 5 && lowest < 0.3 && s.Sin.MinFreq > 0)
        lowest = std::ceil(0.3 / s.Sin.MinFreq) * s.Sin.MinFreq;
    SetSpinRange(Edit_SinValue, lowest, s.MaxFrequency, Edit_SinValue->Increment());
    Edit_SinValue->SetValue(RoundFrequency(m.SinValue));
    const double increment = RoundFrequency(s.SampleRate / 1024);
    SetSpinRange(Edit_F0, LowestBandFrequency(), RoundFrequency(m.BandF1), increment);
    Edit_F0->SetValue(RoundFrequency(m.BandF0));
    SetSpinRange(Edit_F1, RoundFrequency(m.BandF0), RoundFrequency(s.MaxFrequency), increment);
    Edit_F1->SetValue(RoundFrequency(m.BandF1));
    if (m.State > 0 && m.SinOn)
        Edit_SinCurrent->setText(FormatValue(s.Sin.Level));
}

void TMasterLevPage::StoreOwnFields() {
    MasterBlock &m = DeviceSettings->MasterL;
    m.SinValue = float(Edit_SinValue->GetValue());
    m.BandF0 = float(Edit_F0->GetValue());
    m.BandF1 = float(Edit_F1->GetValue());
}

void TMasterLevPage::Edit_SIN_masterL_FEnter() {
    const TDeviceSettings &s = *DeviceSettings;
    const double v = Edit_SinValue->GetValue();
    if (s.EventCounting && s.Sin.MinFreq > 0) {
        const double step = s.Sin.MinFreq;
        Edit_SinValue->SetValue(std::trunc(v / step + 0.5) * step);
        const double increment = Edit_SinValue->Increment();
        Edit_SinValue->SetIncrement(increment >= step ? std::trunc(increment / step + 0.5) * step : step);
    } else {
        float actual = 0;
        uint32_t phaseStep = 0;
        FitGeneratorFrequency(int16_t(SynthesisTableLength()), float(v), s.SampleRate, actual, phaseStep);
        Edit_SinValue->SetValue(RoundFrequency(actual));
        if (Edit_SinValue->Increment() < MinFitIncrement)
            Edit_SinValue->SetIncrement(MinFitIncrement);
    }
    Store();
}

bool TMasterLevPage::NextEnabled() const {
    const MasterBlock &m = DeviceSettings->MasterL;
    return m.State > 0 && !m.AutoByTime;
}

void TMasterLevPage::StartRun() {
    StartMasterLev();
}

void TMasterLevPage::StopRunIfRunning() {
    StopMasterLevIfRunning();
}

void TMasterLevPage::StopOtherMaster() {
    StopMasterFreqIfRunning();
}

void TMasterLevPage::ShowGenValues() {
    Edit_SinCurrent->setText(FormatValue(DeviceSettings->Sin.Level));
}

std::vector<uint8_t> TMasterLevPage::StartCodes() const {
    return {9, 19};
}

std::vector<uint8_t> TMasterLevPage::StopCodes() const {
    return {34};
}
