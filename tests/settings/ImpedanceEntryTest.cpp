#include "settings/window/ImpedanceEntry.h"

#include "controls/Zeltcspinedit.h"
#include "settings/GeneratorLevelLimits.h"
#include "settings/SettingsFixture.h"

#include <QCheckBox>
#include <QObject>

namespace {

// The meter's impedance edit and high-ohm box wired as the page wires them.
class ImpedanceEntry : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        edit.SetMaxValue(1500);
        edit.SetMinValue(30);
        edit.SetIncrement(0.1);
        QObject::connect(&edit, &TZeltCSpinEdit::Change, [this] { entry.Changed(); });
        QObject::connect(&box, &QCheckBox::clicked, [this] { entry.FlagClicked(); });
    }
    void Show(double value) {
        entry.Memory = value;
        edit.SetValue(value);
        entry.FlagClicked();
    }

    TZeltCSpinEdit edit;
    QCheckBox box;
    TImpedanceEntry entry{edit, box, false};
};

TEST_F(ImpedanceEntry, SpinClicksStepThroughTheStandardImpedances) {
    settings.ConnectionType = 5;
    Show(135);
    edit.SetValue(135.1); // one click up
    EXPECT_EQ(edit.GetValue(), 600);
    edit.SetValue(edit.GetValue() - 0.1); // and down again
    EXPECT_EQ(edit.GetValue(), 135);
    edit.SetValue(134.9);
    EXPECT_EQ(edit.GetValue(), 120);
    EXPECT_EQ(entry.Memory, 120);
}

TEST_F(ImpedanceEntry, At2048KilohertzTheClickUpEndsAt135Ohm) {
    settings.ConnectionType = 5;
    settings.MaxFrequency = 2048;
    Show(135);
    edit.SetValue(135.1);
    EXPECT_EQ(edit.GetValue(), 135);
}

TEST_F(ImpedanceEntry, TheHighOhmBoxFreesTheValueAndLeavingSnapsItToTheQuantizerGrid) {
    settings.ConnectionType = 5;
    Show(135);
    box.click();
    EXPECT_EQ(edit.MinValue(), 30);
    EXPECT_EQ(edit.MaxValue(), 1500);
    edit.SetValue(333.333);
    EXPECT_DOUBLE_EQ(edit.GetValue(), 333.333);
    entry.Left();
    EXPECT_DOUBLE_EQ(edit.GetValue(), 333.35); // the grid of 0.05 Ohm
    EXPECT_DOUBLE_EQ(entry.Memory, 333.35);
}

TEST_F(ImpedanceEntry, AFixedRangeShowsItsOneValue) {
    settings.ConnectionType = 7;
    Show(600);
    EXPECT_EQ(edit.MinValue(), 75);
    EXPECT_EQ(edit.MaxValue(), 75);
    EXPECT_EQ(edit.GetValue(), 75);
}

TEST_F(ImpedanceEntry, TypesThatBoundNeitherSideLeaveTheTypedValueFree) {
    settings.ConnectionType = 9; // the meter stays 75 Ohm only without the box
    box.setChecked(true);
    Show(200);
    edit.SetValue(217);
    EXPECT_EQ(edit.GetValue(), 217);
    settings.ConnectionType = 8;
    box.setChecked(false);
    edit.SetValue(218);
    EXPECT_EQ(edit.GetValue(), 218);
}

TEST_F(ImpedanceEntry, TheConnectionTypeDisablesTheControlsItSetsItself) {
    const struct {
        int type;
        bool boxes, edits;
    } cases[] = {{3, false, true}, {8, false, true}, {4, false, false}, {10, false, false}, {5, true, true}};
    for (const auto &c : cases) {
        settings.ConnectionType = int16_t(c.type);
        QCheckBox low, high;
        TZeltCSpinEdit gen, meter;
        DisableImpedanceControls(low, high, gen, meter);
        EXPECT_EQ(low.isEnabled(), c.boxes) << c.type;
        EXPECT_EQ(high.isEnabled(), c.boxes) << c.type;
        EXPECT_EQ(gen.isEnabled(), c.edits) << c.type;
        EXPECT_EQ(meter.isEnabled(), c.edits) << c.type;
    }
}

TEST_F(ImpedanceEntry, ALevelEditIsClampedIntoItsNewRange) {
    TZeltCSpinEdit level;
    level.SetMinValue(-200);
    level.SetMaxValue(200);
    level.SetValue(15);
    ApplyLevelLimit(level, {10, -70, true});
    EXPECT_EQ(level.MaxValue(), 10);
    EXPECT_EQ(level.MinValue(), -70);
    EXPECT_EQ(level.GetValue(), 10);
    // The remote-control level keeps its own minimum and its maximum never goes below it.
    TZeltCSpinEdit control;
    control.SetMinValue(-40);
    control.SetMaxValue(20);
    control.SetValue(-10);
    ApplyLevelLimit(control, {-50, 0, false});
    EXPECT_EQ(control.MinValue(), -40);
    EXPECT_EQ(control.MaxValue(), -40);
    EXPECT_EQ(control.GetValue(), -40);
}

} // namespace
