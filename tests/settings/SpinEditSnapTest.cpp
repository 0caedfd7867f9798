#include "settings/window/SpinEditSnap.h"
#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ValueQuantizer.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QWidget>

#include <gtest/gtest.h>


namespace {

class SpinEditSnapping : public ::testing::Test {
protected:
    void SetUp() override {
        InitValueQuantizers();
        window.resize(200, 80);
        level = new TZeltCSpinEdit(&window);
        level->SetMinValue(-160);
        level->SetMaxValue(100);
    }

    QWidget window;
    TZeltCSpinEdit *level = nullptr;
};

} // namespace

TEST_F(SpinEditSnapping, SixteenAndEightBitGrids) {
    level->SetValue(3.1234);
    SnapSpinEdit(*level, 9);
    EXPECT_DOUBLE_EQ(level->GetValue(), 3.125);

    level->SetMinValue(-40);
    level->SetMaxValue(20);
    level->SetValue(-12.3);
    SnapSpinEdit8(*level, 0);
    EXPECT_DOUBLE_EQ(level->GetValue(), -12.25);
}

// The handler runs when the edit is entered and again when it is left.
TEST_F(SpinEditSnapping, EnterAndExitBothSnap) {
    int calls = 0;
    OnEnterAndExit(level, [&] {
        ++calls;
        SnapSpinEdit(*level, 9);
    });
    level->SetValue(-20.0012);
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(level, &in);
    EXPECT_EQ(calls, 1);
    EXPECT_DOUBLE_EQ(level->GetValue(), -20);
    level->SetValue(7.0031);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(level, &out);
    EXPECT_EQ(calls, 2);
    EXPECT_DOUBLE_EQ(level->GetValue(), 7.005);
}

// A typed value beyond the edit's range is brought into it before it is snapped, so the text and the
// value a caller then reads are the edit's limit.
TEST_F(SpinEditSnapping, ATypedValueBeyondTheRangeSnapsToTheLimit) {
    const struct {
        bool eightBits;
        int32_t q;
        double min, max;
        const char *typed;
        double expected;
    } cases[] = {{false, 9, -70, 25, "60", 25},   {false, 9, -70, 25, "-99.5", -70},
                 {true, 0, -30, 10, "60", 10},    {true, 0, -30, 10, "-99.5", -30}};
    for (const auto &c : cases) {
        level->SetMaxValue(c.max);
        level->SetMinValue(c.min);
        level->findChild<QLineEdit *>()->setText(QString::fromLatin1(c.typed));
        (c.eightBits ? SnapSpinEdit8 : SnapSpinEdit)(*level, c.q);
        EXPECT_DOUBLE_EQ(level->GetValue(), c.expected) << c.typed << ' ' << c.eightBits;
    }
}
