#include "settings/window/MasterFreqPage.h"

#include "chartlib/Chartlib.h"
#include "controls/RxCheckListBox.h"
#include "controls/Zeltcspinedit.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/window/ImpedanceEntry.h"
#include "settings/window/PresetLists.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SpinEditSnap.h"
#include "state/DeviceSettings.h"

#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>

namespace {

constexpr int32_t FreqPageSinLevelQuantizer = 9;

// clang-format off
const TMasterPageNames FreqNames = {
    MasterFreqIndex, "Freq",
    {"Edit_RangeFreq_F1", "Edit_RangeFreq_N", "Edit_RangeFreq_dF", "Edit_RangeFreq_FN"},
    "RB_MasterF", "masterF", "Edit_SIN_masterF_L", "Edit_SIN_masterF_F", "L, дБм0", "F, кГц", "FreqOnTime",
    "CSpinButton2",
    "Порядок формирования частот", "Автомат изменения \r\nчастоты по времени ", "Следующая частота", "MasterF",
};
// clang-format on

// The lowest frequency of the generator's grid, at least 0.3 kHz on the coaxial and mixed connections.
double LowestFrequency() {
    const TDeviceSettings &s = *DeviceSettings;
    double f = s.SampleRate / 1024;
    if (s.ConnectionType > 5 && f < 0.3)
        f = 0.3;
    return f;
}

} // namespace

TMasterFreqPage::TMasterFreqPage(TMasterPageHost host, QWidget *parent) : TMasterPage(FreqNames, std::move(host), parent) {
    Edit_F0->setReadOnly(true);
    Edit_F1->setReadOnly(true);
    OnEnterAndExit(Edit_SinValue, [this] {
        if (!Edit_SinValue->hasFocus())
            Edit_SIN_masterF_LEnter();
    });
    OnReturnKey(Edit_SinValue, [this] { Edit_SIN_masterF_LEnter(); });
}

double TMasterFreqPage::RangeMax() const {
    return DeviceSettings->MaxFrequency;
}

double TMasterFreqPage::RoundRangeValue(double value) const {
    return RoundFrequency(value);
}

double TMasterFreqPage::MinRangeStep() const {
    return DeviceSettings->SampleRate / 1024;
}

QString TMasterFreqPage::FormatRow(double value) const {
    return FormatFrequency(value);
}

double TMasterFreqPage::RowLow() const {
    return DeviceSettings->MaxFrequency * 0.00001;
}

double TMasterFreqPage::RowHigh() const {
    return DeviceSettings->MaxFrequency;
}

void TMasterFreqPage::LoadRangeLimits() {
    const TDeviceSettings &s = *DeviceSettings;
    const MasterBlock &m = s.MasterF;
    SetSpinRange(Edit_RangeFirst, LowestFrequency(), s.MaxFrequency, s.SampleRate / 1024);
    Edit_RangeFirst->SetValue(RoundFrequency(m.RangeStart));
    SetSpinRange(Edit_RangeN, 1, 1000, 1);
    Edit_RangeN->SetValue(m.RangeN);
    SetSpinRange(Edit_RangeStep, s.MaxFrequency * 0.00001, s.MaxFrequency - s.SampleRate / 1024, 1);
    Edit_RangeStep->SetValue(RoundFrequency(m.RangeStep));
}

void TMasterFreqPage::LoadOwnFields() {
    const TDeviceSettings &s = *DeviceSettings;
    const MasterBlock &m = s.MasterF;
    if (host_.Edit_SIN_L)
        SetSpinRange(Edit_SinValue, host_.Edit_SIN_L->MinValue(), host_.Edit_SIN_L->MaxValue(),
                     host_.Edit_SIN_L->Increment());
    Edit_SinValue->SetValue(RoundTo3Decimals(m.SinValue));
    SetSpinRange(Edit_F0, 0, s.MaxFrequency, 1);
    SetSpinRange(Edit_F1, 0, s.MaxFrequency, 1);
    Edit_F0->SetValue(m.BandF0);
    Edit_F1->SetValue(m.BandF1);
    if (m.State > 0 && m.SinOn)
        Edit_SinCurrent->setText(FormatFrequency(s.Sin.F1));
}

void TMasterFreqPage::StoreOwnFields() {
    DeviceSettings->MasterF.SinValue = float(Edit_SinValue->GetValue());
    UpdateMasterFreqWideBand();
}

void TMasterFreqPage::Edit_SIN_masterF_LEnter() {
    SnapSpinEdit(*Edit_SinValue, FreqPageSinLevelQuantizer);
    Store();
}

void TMasterFreqPage::ApplySinLevelLimit(const LevelLimit &limit) {
    ApplyLevelLimit(*Edit_SinValue, limit);
    SnapSpinEdit(*Edit_SinValue, FreqPageSinLevelQuantizer);
    DeviceSettings->MasterF.SinValue = float(Edit_SinValue->GetValue());
}

void TMasterFreqPage::GetMasterFreqPageBand(double &lo, double &hi) {
    const TDeviceSettings &s = *DeviceSettings;
    const double grid = s.SampleRate / 1024;
    TRxCheckListBox *list = ShopList->List;
    if (!RB_Shop->isChecked()) {
        lo = Edit_RangeFirst->GetValue() - Edit_RangeStep->GetValue();
        hi = Edit_RangeFirst->GetValue() + Edit_RangeN->GetValue() * Edit_RangeStep->GetValue();
    } else if (list->count() < 3) {
        lo = 0;
        hi = s.SampleRate / 2;
    } else {
        lo = hi = ShopList->RowValue(0);
        for (int row = 1; row < list->count(); ++row) {
            const double v = ShopList->RowValue(row);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        lo -= grid;
        hi += grid;
    }
    lo = std::max(lo, RoundFrequency(grid));
    hi = std::min(hi, RoundFrequency(s.MaxFrequency));
}

void TMasterFreqPage::UpdateMasterFreqWideBand() {
    double lo = 0, hi = 0;
    GetMasterFreqPageBand(lo, hi);
    MasterBlock &m = DeviceSettings->MasterF;
    m.BandF0 = float(lo);
    m.BandF1 = float(hi);
    Edit_F0->SetValue(m.BandF0);
    Edit_F1->SetValue(m.BandF1);
}

void TMasterFreqPage::PlanChanged() {
    UpdateMasterFreqWideBand();
}

bool TMasterFreqPage::NextEnabled() const {
    const MasterBlock &m = DeviceSettings->MasterF;
    return m.State > 0 && !m.AutoByTime && (m.SinOn || m.BandType == 0);
}

void TMasterFreqPage::StartRun() {
    StartMasterFreq();
}

void TMasterFreqPage::StopRunIfRunning() {
    StopMasterFreqIfRunning();
}

void TMasterFreqPage::StopOtherMaster() {
    StopMasterLevIfRunning();
}

void TMasterFreqPage::ShowGenValues() {
    Edit_SinCurrent->setText(FormatFrequency(DeviceSettings->Sin.F1));
}

std::vector<uint8_t> TMasterFreqPage::StartCodes() const {
    return {8, 18};
}

std::vector<uint8_t> TMasterFreqPage::StopCodes() const {
    return {33};
}
