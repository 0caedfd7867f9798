#include "settings/window/ImpedanceEntry.h"

#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "settings/GeneratorLevelLimits.h"
#include "settings/ImpedanceRules.h"
#include "state/DeviceSettings.h"

#include <QAbstractButton>

#include <algorithm>

namespace {

const ValueQuantizer &ImpedanceQuantizer(bool isGenerator) {
    return ValueQuantizers[isGenerator ? 2 : 4];
}

} // namespace

void LimitImpedanceEdit(TZeltCSpinEdit &edit, double &memory, bool flag, bool isGenerator) {
    double value = edit.GetValue();
    const ImpedanceRange range = ImpedanceRangeFor(DeviceSettings->ConnectionType, flag, isGenerator);
    LimitImpedanceValue(value, memory, range.Max, flag, isGenerator);
    edit.SetMaxValue(range.Max);
    edit.SetMinValue(range.Min);
    edit.SetValue(value);
}

TImpedanceEntry::TImpedanceEntry(TZeltCSpinEdit &edit, QAbstractButton &flagBox, bool isGenerator)
    : edit_(edit), flagBox_(flagBox), isGenerator_(isGenerator) {}

void TImpedanceEntry::FlagClicked() {
    LimitImpedanceEdit(edit_, Memory, flagBox_.isChecked(), isGenerator_);
}

bool TImpedanceEntry::Changed() {
    if (!(edit_.GetValue() > 0))
        return false;
    if (!flagBox_.isChecked()) {
        if (SnapsWhileTyping(DeviceSettings->ConnectionType, isGenerator_))
            LimitImpedanceEdit(edit_, Memory, false, isGenerator_);
        edit_.SetIncrement(ImpedanceQuantizer(isGenerator_).Step);
    }
    return true;
}

void TImpedanceEntry::Left() {
    Memory = edit_.GetValue();
    SnapValue(ImpedanceQuantizer(isGenerator_), Memory);
    edit_.SetValue(Memory);
}

void DisableImpedanceControls(QWidget &genLowBox, QWidget &meterHighBox, QWidget &genEdit, QWidget &meterEdit) {
    const int type = DeviceSettings->ConnectionType;
    if (type == 3 || type == 8 || type == 4 || type == 10) {
        genLowBox.setEnabled(false);
        meterHighBox.setEnabled(false);
    }
    if (type == 4 || type == 10) {
        genEdit.setEnabled(false);
        meterEdit.setEnabled(false);
    }
}

void ApplyLevelLimit(TZeltCSpinEdit &edit, const LevelLimit &limit) {
    const double min = limit.HasMin ? limit.Min : edit.MinValue();
    edit.SetMaxValue(std::max<double>(limit.Max, min));
    edit.SetMinValue(min);
    edit.SetValue(edit.GetValue());
}
