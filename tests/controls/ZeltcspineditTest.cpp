#include "controls/Zeltcspinedit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QTest>

#include <charconv>
#include <string>

namespace {

// Counts beeps instead of sounding them and reaches the text field for setting text and caret.
class SpinEdit : public TZeltCSpinEdit {
public:
    using TZeltCSpinEdit::lineEdit;
    int beeps = 0;

    void SetText(const QString &text, int caret) {
        lineEdit()->setText(text);
        lineEdit()->setCursorPosition(caret);
    }
    void SetText(const QString &text) { SetText(text, static_cast<int>(text.size())); }
    QString Text() const { return lineEdit()->text(); }
    void ClickArrow(QStyle::SubControl arrow) {
        QStyleOptionSpinBox option;
        initStyleOption(&option);
        const QRect area = style()->subControlRect(QStyle::CC_SpinBox, &option, arrow, this);
        QTest::mouseClick(this, Qt::LeftButton, {}, area.center());
    }
    void LeaveField() {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(this, &out);
    }

protected:
    void Beep() override { ++beeps; }
};

double ParseC(const std::string &text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

TEST(ZeltCSpinEdit, StartsAtZeroWithUnitStepAndNoLengthLimit) {
    SpinEdit edit;
    EXPECT_EQ(edit.Text(), "0");
    EXPECT_EQ(edit.Increment(), 1.0);
    EXPECT_EQ(edit.MaxLength(), 0);
    EXPECT_TRUE(edit.EditorEnabled());
}

// Expected texts from Python: Decimal('%.14e' % x) in fixed notation, trailing zeros dropped. Several
// of these values come out of a 15-digit general format with an exponent.
struct FixedCase {
    double value;
    const char *text;
};

TEST(ZeltCSpinEdit, WritesFixedNotationThatReadsBack) {
    const FixedCase cases[] = {
        {1e-5, "0.00001"},
        {1.5e-7, "0.00000015"},
        {-0.000012345, "-0.000012345"},
        {1e15, "1000000000000000"},
        {1e16, "10000000000000000"},
        {1e20, "100000000000000000000"},
        {1.23456789012345e20, "123456789012345000000"},
        {123456789012345678.0, "123456789012346000"},
        {0.1 + 0.2, "0.3"},
        {2.0 / 3.0, "0.666666666666667"},
        {-2.5, "-2.5"},
        {1e-20, "0.00000000000000000001"},
        {9.99999999999999999, "10"},
        {100, "100"},
        {0.0, "0"},
        {-0.0, "0"},
    };
    SpinEdit edit;
    edit.SetMinValue(-1e30);
    edit.SetMaxValue(1e30);
    for (const FixedCase &c : cases) {
        SCOPED_TRACE(c.text);
        edit.SetValue(c.value);
        EXPECT_EQ(edit.Text(), QString::fromLatin1(c.text));
        EXPECT_EQ(edit.GetValue(), ParseC(c.text));
    }
}

TEST(ZeltCSpinEdit, ReadsTheLeadingNumberOfTheText) {
    const struct {
        const char *text;
        double value;
    } cases[] = {
        {"3,25", 3.25}, {"-1.5xyz", -1.5}, {"abc", 0},  {"", 0},     {"1e5", 1}, {"  7", 7},     {"1.2.3", 1.2},
        {"+4", 4},      {"-", 0},          {".5", 0.5}, {"12.", 12}, {"--5", 0}, {"1,5,7", 1.5},
    };
    SpinEdit edit;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        edit.SetText(QString::fromLatin1(c.text));
        EXPECT_EQ(edit.GetValue(), c.value);
    }
}

TEST(ZeltCSpinEdit, ClampsOnWriteAndPinsEqualLimits) {
    const struct {
        double min, max, written, shown;
    } cases[] = {
        {0, 10, 12, 10}, {0, 10, -1, 0}, {0, 10, 3.5, 3.5}, {5, 5, 3, 5},
        {5, 5, 100, 5},  {0, 0, 42, 0},  {-3, -1, 0, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " <- " << c.written);
        SpinEdit edit;
        edit.SetMinValue(c.min);
        edit.SetMaxValue(c.max);
        edit.SetValue(c.written);
        EXPECT_EQ(edit.GetValue(), c.shown);
    }
}

TEST(ZeltCSpinEdit, PinnedValueSurvivesClicksAndLeavingTheField) {
    SpinEdit edit;
    edit.SetMinValue(5);
    edit.SetMaxValue(5);
    edit.SetValue(1);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "5");
    edit.DownClick();
    EXPECT_EQ(edit.Text(), "5");
    edit.SetText("7");
    edit.LeaveField();
    EXPECT_EQ(edit.Text(), "5");
}

TEST(ZeltCSpinEdit, ReadingDoesNotClampButLeavingTheFieldDoes) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(10);
    edit.SetText(QString());
    QTest::keyClicks(&edit, "12");
    EXPECT_EQ(edit.Text(), "12");
    EXPECT_EQ(edit.GetValue(), 12);
    edit.LeaveField();
    EXPECT_EQ(edit.Text(), "10");
}

TEST(ZeltCSpinEdit, EnterClampsNormalisesAndBeeps) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(10);
    edit.SetText(QString());
    QTest::keyClicks(&edit, "12,5");
    EXPECT_EQ(edit.Text(), "12,5");
    EXPECT_EQ(edit.beeps, 0);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(edit.Text(), "10");
    EXPECT_EQ(edit.beeps, 1);

    edit.SetText("7,50");
    QTest::keyClick(&edit, Qt::Key_Enter);
    EXPECT_EQ(edit.Text(), "7.5");
}

// Step chosen by the caret: 10^e so that the digit right of the caret changes.
TEST(ZeltCSpinEdit, StepFollowsTheDigitRightOfTheCaret) {
    const struct {
        const char *text;
        int caret;
        double step;
    } cases[] = {
        {"12.345", 4, 0.01}, {"12.345", 1, 1},   {"12.345", 2, 0.1}, {"12.345", 3, 0.1},
        {"12345", 2, 100},   {"12345", 4, 1},    {"3,25", 2, 0.1},   {"-12", 1, 10},
        {".5", 1, 1},        {"12.345", 6, 7.0}, // at the end: the design step
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " caret " << c.caret);
        SpinEdit edit;
        edit.SetIncrement(7);
        edit.SetText(QString::fromLatin1(c.text), c.caret);
        edit.GetValue();
        EXPECT_DOUBLE_EQ(edit.Increment(), c.step);
    }
}

TEST(ZeltCSpinEdit, CaretAtTheStartKeepsTheStep) {
    SpinEdit edit;
    edit.SetText("12.345", 4);
    edit.GetValue();
    edit.lineEdit()->setCursorPosition(0);
    edit.GetValue();
    EXPECT_DOUBLE_EQ(edit.Increment(), 0.01);
}

TEST(ZeltCSpinEdit, ClicksStepByTheCaretDigitUntilTheCaretGoesToTheEnd) {
    SpinEdit edit;
    edit.SetMinValue(-100);
    edit.SetMaxValue(100);
    edit.SetText("12.345", 4);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "12.355");
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "12.365");
    edit.DownClick();
    edit.DownClick();
    edit.DownClick();
    EXPECT_EQ(edit.Text(), "12.335");

    edit.lineEdit()->end(false);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "13.335");
}

TEST(ZeltCSpinEdit, CursorKeysStepOnce) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(10);
    edit.SetText("5");
    QTest::keyClick(&edit, Qt::Key_Up);
    EXPECT_EQ(edit.Text(), "6");
    edit.lineEdit()->end(false);
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(edit.Text(), "4");
}

TEST(ZeltCSpinEdit, WritingALimitMakesTheCaretStepTheDesignStep) {
    SpinEdit edit;
    edit.SetText("12.345", 4);
    edit.GetValue();
    edit.SetMinValue(-100);
    edit.lineEdit()->end(false);
    edit.GetValue();
    EXPECT_DOUBLE_EQ(edit.Increment(), 0.01);
}

TEST(ZeltCSpinEdit, AStepWrittenByTheProgramIsTheDesignStep) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(100);
    edit.SetText("10");
    edit.GetValue();
    edit.SetIncrement(5);
    edit.lineEdit()->end(false);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "15");
    EXPECT_EQ(edit.Increment(), 5.0);
}

TEST(ZeltCSpinEdit, LengthLimitRefusesDigitsButNotPointOrBackspace) {
    SpinEdit edit;
    edit.SetMaxLength(4);
    edit.SetText("1234");
    EXPECT_FALSE(edit.KeyPress(u'5'));
    EXPECT_EQ(edit.beeps, 1);
    EXPECT_FALSE(edit.KeyPress(u'-'));
    EXPECT_TRUE(edit.KeyPress(u'.'));
    EXPECT_TRUE(edit.KeyPress(u'\b'));
    EXPECT_EQ(edit.beeps, 2);

    QTest::keyClick(&edit, Qt::Key_5);
    EXPECT_EQ(edit.Text(), "1234");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.Text(), "123");
    QTest::keyClick(&edit, Qt::Key_5);
    EXPECT_EQ(edit.Text(), "1235");
}

TEST(ZeltCSpinEdit, OnlyNumberCharactersAreTyped) {
    SpinEdit edit;
    edit.SetMinValue(-100);
    edit.SetMaxValue(100);
    edit.SetText(QString());
    QTest::keyClicks(&edit, "-1a2 ,5x");
    EXPECT_EQ(edit.Text(), "-12,5");
    EXPECT_EQ(edit.beeps, 3);
}

TEST(ZeltCSpinEdit, DisabledEditorRefusesEveryKeyButTheButtonsWork) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(100);
    edit.SetValue(5);
    edit.SetEditorEnabled(false);
    edit.lineEdit()->end(false);
    for (QChar key : {u'7', u'.', u',', u'\b', u'-'})
        EXPECT_FALSE(edit.KeyPress(key)) << QString(key).toStdString();

    QTest::keyClicks(&edit, "7.");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QGuiApplication::clipboard()->setText(QStringLiteral("99"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.Text(), "5");

    edit.lineEdit()->end(false);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "6");
    edit.stepDown();
    EXPECT_EQ(edit.Text(), "5");
}

TEST(ZeltCSpinEdit, ArrowButtonsStepAndOnlyBeepWhenReadOnly) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(100);
    edit.resize(120, 30);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    edit.SetValue(5);
    edit.lineEdit()->end(false);
    edit.ClickArrow(QStyle::SC_SpinBoxUp);
    EXPECT_EQ(edit.Text(), "6");
    edit.lineEdit()->end(false);
    edit.ClickArrow(QStyle::SC_SpinBoxDown);
    edit.lineEdit()->end(false);
    edit.ClickArrow(QStyle::SC_SpinBoxDown);
    EXPECT_EQ(edit.Text(), "4");
    EXPECT_EQ(edit.beeps, 0);

    edit.setReadOnly(true);
    edit.ClickArrow(QStyle::SC_SpinBoxUp);
    edit.ClickArrow(QStyle::SC_SpinBoxDown);
    edit.UpClick();
    EXPECT_EQ(edit.Text(), "4");
    EXPECT_EQ(edit.beeps, 3);
}

TEST(ZeltCSpinEdit, ChangeIsRaisedByWrittenValuesAndTyping) {
    SpinEdit edit;
    edit.SetMinValue(0);
    edit.SetMaxValue(100);
    QSignalSpy change(&edit, &TZeltCSpinEdit::Change);
    edit.SetValue(12);
    EXPECT_EQ(change.count(), 1);
    edit.lineEdit()->end(false);
    QTest::keyClick(&edit, Qt::Key_3);
    EXPECT_EQ(change.count(), 2);
    EXPECT_EQ(edit.GetValue(), 123);
}

TEST(ZeltCSpinEdit, EnteringTheFieldSelectsTheTextUnlessTheMouseIsDown) {
    SpinEdit edit;
    edit.SetText("12.5");
    edit.CMEnter();
    EXPECT_EQ(edit.lineEdit()->selectedText(), "12.5");

    edit.lineEdit()->deselect();
    edit.SetAutoSelect(false);
    edit.CMEnter();
    EXPECT_FALSE(edit.lineEdit()->hasSelectedText());
}

} // namespace
