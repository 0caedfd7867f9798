#include "controls/LibraryErrors.h"
#include "controls/PickDate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

// English day names and a date fixed at 10 December 2014 (a Wednesday).
class PickDateTest : public testing::Test {
protected:
    PickDateTest() : saved_(DateLocale()), today_(EncodeDate(2014, 12, 10) + 0.4) {
        DateLocale().shortDayNames = QStringList{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
        DateLocale().longMonthNames = QStringList{"January", "February", "March",     "April",   "May",      "June",
                                                  "July",    "August",   "September", "October", "November", "December"};
        DateLocale().dateSeparator = QLatin1Char('.');
    }
    ~PickDateTest() override { DateLocale() = saved_; }
    static TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }
    static void Key(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &event);
    }

private:
    TDateLocale saved_;
    FixedNow today_;
};

// The week rows as text: one line per row, cells separated by '|'.
QString Grid(const TRxCalendar &calendar) {
    QStringList rows;
    for (int row = 0; row < 7; ++row) {
        QStringList cells;
        for (int column = 0; column < 7; ++column)
            cells << calendar.DayCellText(column, row);
        rows << cells.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char('\n'));
}

TEST_F(PickDateTest, MonthLayout) {
    TRxCalendar calendar;
    // June 2014 begins on a Sunday: with Monday first, day 1 sits in column 6 of week row 1.
    calendar.SetCalendarDate(D(2014, 6, 1));
    EXPECT_EQ(calendar.MonthOffset(), -5);
    EXPECT_EQ(calendar.DayCellText(6, 1), QStringLiteral("1"));
    EXPECT_EQ(calendar.DayCellText(5, 1), QString());
    EXPECT_EQ(calendar.currentRow(), 1);
    EXPECT_EQ(calendar.currentColumn(), 6);
    EXPECT_EQ(calendar.DayCellText(0, 0), QStringLiteral("Mon"));
    EXPECT_EQ(calendar.DayCellText(0, 6), QStringLiteral("30"));
    EXPECT_EQ(calendar.DayCellText(1, 6), QString());
    // September 2014 begins on a Monday: column 0.
    calendar.SetCalendarDate(D(2014, 9, 1));
    EXPECT_EQ(calendar.MonthOffset(), 1);
    EXPECT_EQ(calendar.DayCellText(0, 1), QStringLiteral("1"));
    // February 2015 begins on a Sunday; with Sunday first its 28 days fill rows 1 to 4 exactly.
    calendar.SetStartOfWeek(Sun);
    calendar.SetCalendarDate(D(2015, 2, 14));
    EXPECT_EQ(Grid(calendar), QStringLiteral("Sun|Mon|Tue|Wed|Thu|Fri|Sat\n"
                                             "1|2|3|4|5|6|7\n8|9|10|11|12|13|14\n15|16|17|18|19|20|21\n"
                                             "22|23|24|25|26|27|28\n||||||\n||||||"));
    EXPECT_EQ(calendar.currentRow(), 2);
    EXPECT_EQ(calendar.currentColumn(), 6);
    EXPECT_TRUE(calendar.IsWeekendColumn(0));
    EXPECT_FALSE(calendar.IsWeekendColumn(6));
    EXPECT_EQ(calendar.item(0, 0)->foreground().color(), QColor(255, 0, 0)); // the header of a weekend too
}

TEST_F(PickDateTest, StepsKeepTheDayValid) {
    TRxCalendar calendar;
    int changes = 0;
    calendar.SetOnChange([&](QObject *) { ++changes; });
    calendar.SetCalendarDate(D(2015, 1, 31));
    changes = 0;
    calendar.setFocus();
    Key(&calendar, Qt::Key_Right);
    EXPECT_EQ(calendar.CalendarDate(), D(2015, 2, 1));
    EXPECT_EQ(changes, 1);
    Key(&calendar, Qt::Key_Left);
    EXPECT_EQ(calendar.CalendarDate(), D(2015, 1, 31));
    calendar.GoNextMonth();
    EXPECT_EQ(calendar.CalendarDate(), D(2015, 2, 28));
    calendar.SetCalendarDate(D(2016, 3, 31));
    calendar.GoPrevMonth();
    EXPECT_EQ(calendar.CalendarDate(), D(2016, 2, 29));
    calendar.GoNextYear();
    EXPECT_EQ(calendar.CalendarDate(), D(2017, 2, 28));
    calendar.SetCalendarDate(D(2016, 2, 29));
    EXPECT_THROW(calendar.SetYear(2015), EConvertError);
    EXPECT_EQ(calendar.CalendarDate(), D(2016, 2, 29));
    calendar.SetMonth(13);
    calendar.SetDay(0);
    calendar.SetDay(30);
    EXPECT_EQ(calendar.CalendarDate(), D(2016, 2, 29));
    calendar.SetMonth(4);
    EXPECT_EQ(calendar.CalendarDate(), D(2016, 4, 29));
    EXPECT_FALSE(calendar.UseCurrentDate());
    Key(&calendar, Qt::Key_T);
    EXPECT_EQ(calendar.CalendarDate(), D(2014, 12, 10));
}

TEST_F(PickDateTest, ClicksChooseDaysButNotBlanks) {
    TRxCalendar calendar;
    calendar.resize(220, 140);
    calendar.show();
    calendar.SetCalendarDate(D(2014, 6, 15));
    const QRect blank = calendar.visualRect(calendar.model()->index(1, 0));
    QTest::mouseClick(calendar.viewport(), Qt::LeftButton, Qt::NoModifier, blank.center());
    EXPECT_EQ(calendar.CalendarDate(), D(2014, 6, 15));
    const QRect day3 = calendar.visualRect(calendar.model()->index(2, 1)); // Tuesday 3 June
    QTest::mouseClick(calendar.viewport(), Qt::LeftButton, Qt::NoModifier, day3.center());
    EXPECT_EQ(calendar.CalendarDate(), D(2014, 6, 3));
    // Read-only: the user cannot choose, code still moves it.
    calendar.SetReadOnly(true);
    const QRect day10 = calendar.visualRect(calendar.model()->index(3, 1));
    QTest::mouseClick(calendar.viewport(), Qt::LeftButton, Qt::NoModifier, day10.center());
    EXPECT_EQ(calendar.CalendarDate(), D(2014, 6, 3));
    calendar.SetCalendarDate(D(2014, 7, 1));
    EXPECT_EQ(calendar.currentColumn(), 1);
}

TEST_F(PickDateTest, PopupCalendarValuesKeysAndSize) {
    QWidget editor;
    TPopupCalendar popup(&editor);
    const double scale = editor.logicalDpiX() / 96.0;
    EXPECT_EQ(popup.size(), QSize(static_cast<int>(187 * scale), static_cast<int>(124 * scale)));
    popup.SetValue(QVariant());
    EXPECT_EQ(popup.GetValue().toDouble(), D(2014, 12, 10));
    popup.SetValue(D(2016, 2, 29));
    EXPECT_EQ(popup.TitleLabel()->text(), QStringLiteral("February, 2016"));
    QKeyEvent ctrlPageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::ControlModifier);
    popup.PopupKeyDown(&ctrlPageUp);
    EXPECT_EQ(popup.GetValue().toDouble(), D(2015, 2, 28));
    QKeyEvent pageDown(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    popup.PopupKeyDown(&pageDown);
    EXPECT_EQ(popup.GetValue().toDouble(), D(2015, 3, 28));
    EXPECT_EQ(popup.TitleLabel()->text(), QStringLiteral("March, 2015"));
    popup.PopupKeyPress(QLatin1Char('t'));
    EXPECT_EQ(popup.GetValue().toDouble(), D(2014, 12, 10));
    popup.SetValue(QStringLiteral("no date"));
    EXPECT_EQ(popup.GetValue().toDouble(), D(2014, 12, 10));

    // Two hint lines change only the first two buttons; an empty one keeps its default.
    SetupPopupCalendar(&popup, Sun, DayBit(Sat), clBlue, {QStringLiteral("Back a year"), QString()}, true);
    EXPECT_EQ(popup.Button(PrevYear)->toolTip(), QStringLiteral("Back a year"));
    EXPECT_EQ(popup.Button(PrevMonth)->toolTip(), QStringLiteral("Previous Month"));
    EXPECT_EQ(popup.Button(NextYear)->toolTip(), QStringLiteral("Next Year"));
    EXPECT_EQ(popup.Calendar()->StartOfWeek(), Sun);

    // A release on a day closes it accepting; on a blank cell nothing.
    bool closed = false, accepted = false;
    popup.SetOnCloseUp([&](QObject *, bool accept) {
        closed = true;
        accepted = accept;
    });
    popup.Show(QPoint(0, 0));
    TLocCalendar *calendar = popup.Calendar();
    calendar->SetCalendarDate(D(2014, 6, 15));
    const auto release = [&](int row, int column) {
        const QPointF at = calendar->visualRect(calendar->model()->index(row, column)).center();
        QMouseEvent event(QEvent::MouseButtonRelease, at, calendar->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(calendar->viewport(), &event);
    };
    release(5, 3); // after 30 June, Sunday first
    EXPECT_FALSE(closed);
    release(3, 3);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(accepted);
}

TEST_F(PickDateTest, DateDialog) {
    const auto dialog = CreateDateDialog(QString());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select a Date"));
    if (dialog->logicalDpiX() == 96) {
        EXPECT_EQ(dialog->size(), QSize(222, 154));
    }
    SetDialogDate(*dialog, NullDate);
    EXPECT_EQ(DialogDate(*dialog), D(2014, 12, 10));
    SetDialogDate(*dialog, D(2015, 1, 31));
    EXPECT_EQ(dialog->TitleLabel->text(), QStringLiteral("January, 2015"));
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    dialog->FormKeyDown(&tab);
    EXPECT_EQ(DialogDate(*dialog), D(2015, 2, 28));
    QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::ShiftModifier);
    dialog->FormKeyDown(&backtab);
    EXPECT_EQ(DialogDate(*dialog), D(2015, 1, 28));
    EXPECT_EQ(CreateDateDialog(QStringLiteral("When?"))->windowTitle(), QStringLiteral("When?"));

    // A whole modal run: double-clicking a blank cell still closes with OK and the calendar's date.
    TDateTime chosen = D(2014, 6, 15);
    QTimer::singleShot(0, [] {
        auto *running = qobject_cast<TSelectDateDlg *>(QApplication::activeModalWidget());
        ASSERT_NE(running, nullptr);
        const QRect blank = running->Calendar->visualRect(running->Calendar->model()->index(1, 0));
        QTest::mouseDClick(running->Calendar->viewport(), Qt::LeftButton, Qt::NoModifier, blank.center());
    });
    EXPECT_TRUE(SelectDate(chosen, QString(), Mon, DayBit(Sun), clRed, {}));
    EXPECT_EQ(chosen, D(2014, 6, 15));
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_FALSE(SelectDate(chosen, QString(), Mon, DayBit(Sun), clRed, {}));
}

TEST_F(PickDateTest, PopupDateOpensAboveAnEditAtTheBottom) {
    const QSize screen(1024, 768);
    const QSize dialog(222, 154);
    EXPECT_EQ(PopupDatePosition(QPoint(300, 100), QSize(120, 21), dialog, screen), QPoint(198, 120));
    EXPECT_EQ(PopupDatePosition(QPoint(300, 740), QSize(120, 21), dialog, screen), QPoint(198, 587));
    EXPECT_EQ(PopupDatePosition(QPoint(10, 100), QSize(120, 21), dialog, screen), QPoint(10, 120));
}

} // namespace
