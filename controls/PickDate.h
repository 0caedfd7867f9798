#pragma once

#include "controls/Dateutil.h"
#include "controls/ToolEdit.h"
#include "controls/Vclutils.h"

#include <QDialog>
#include <QTableWidget>
#include <QToolButton>

#include <memory>

class QLabel;

// A month as a 7 x 7 grid: row 0 the day names, rows 1 to 6 the weeks, column 0 the day `StartOfWeek`. A
// month always begins in week row 1: one that begins in the last column leaves no empty row above it.
class TRxCalendar : public QTableWidget {
    Q_OBJECT
public:
    explicit TRxCalendar(QWidget *parent = nullptr);

    TDateTime CalendarDate() const { return date_; }
    void SetCalendarDate(TDateTime value);
    int Year() const;
    int Month() const;
    int Day() const;
    // Values below 1, beyond the month or equal to the current part are ignored; a new month keeps the day
    // within it. A year that makes 29 February invalid raises EConvertError and changes nothing.
    void SetYear(int value) { SetDatePart(1, value); }
    void SetMonth(int value) { SetDatePart(2, value); }
    void SetDay(int value) { SetDatePart(3, value); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
    void SetStartOfWeek(TDayOfWeekName value);
    bool UseCurrentDate() const { return useCurrentDate_; }
    void SetUseCurrentDate(bool value);
    TColor WeekendColor() const { return weekendColor_; }
    void SetWeekendColor(TColor value);
    TDaysOfWeek Weekends() const { return weekends_; }
    void SetWeekends(TDaysOfWeek value);
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }
    void SetOnDblClick(TNotifyEvent handler) { onDblClick_ = std::move(handler); }

    void GoPrevMonth() { ShiftMonth(-1); }
    void GoNextMonth() { ShiftMonth(1); }
    void GoPrevYear();
    void GoNextYear();
    QString DayCellText(int column, int row) const;
    int MonthLength() const;
    bool IsWeekendColumn(int column) const;
    // The day number in column 0 of week row 1 (1, 0 or negative).
    int MonthOffset() const { return monthOffset_; }
    void RefreshCalendar() { LayoutMonth(false); }
    // The calendar's own keys, for the windows that forward keys to it.
    void KeyDown(QKeyEvent *event) { keyPressEvent(event); }
    void KeyPress(QChar key);

protected:
    virtual void DoCalendarChange();
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void SetDatePart(int index, int value);
    void ShiftMonth(int delta);
    void LayoutMonth(bool dayOnly);
    void CellChosen(int row, int column);

    TDateTime date_;
    bool readOnly_ = false;
    TDayOfWeekName startOfWeek_ = Mon;
    bool useCurrentDate_ = true;
    TColor weekendColor_ = clRed;
    TDaysOfWeek weekends_ = DayBit(Sun);
    int monthOffset_ = 1;
    bool updating_ = false;
    TNotifyEvent onChange_;
    TNotifyEvent onDblClick_;
};

// The calendar of the drop-down: flat, borderless, never focused, today's cell framed.
class TLocCalendar : public TRxCalendar {
    Q_OBJECT
public:
    explicit TLocCalendar(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A button that repeats its click while it is held down.
class TRxTimerSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRxTimerSpeedButton(QWidget *parent = nullptr);
    bool AllowTimer() const { return autoRepeat(); }
    void SetAllowTimer(bool value) { setAutoRepeat(value); }
};

enum TNavigation { PrevYear, PrevMonth, NextMonth, NextYear };
// The 8 x 6 arrows of the navigation buttons: two triangles for a year, one for a month.
QImage NavigationBitmap(TNavigation which);

// The drop-down of the date edit: a title with four repeating buttons and a calendar.
class TPopupCalendar : public TPopupWindow {
    Q_OBJECT
public:
    explicit TPopupCalendar(QWidget *editor);

    QVariant GetValue() const override;
    void SetValue(const QVariant &value) override;
    void PopupKeyDown(QKeyEvent *event) override;
    void PopupKeyPress(QChar key) override;
    TLocCalendar *Calendar() const { return calendar_; }
    QLabel *TitleLabel() const { return title_; }
    TRxTimerSpeedButton *Button(TNavigation which) const { return buttons_[which]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void RefreshTitle();

    TLocCalendar *calendar_;
    QLabel *title_;
    TRxTimerSpeedButton *buttons_[4];
};

// The modal date-selection dialog.
class TSelectDateDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSelectDateDlg(QWidget *parent = nullptr);

    TRxCalendar *Calendar;
    QLabel *TitleLabel;
    TRxTimerSpeedButton *Buttons[4];

    void PrevYearBtnClick() { Calendar->GoPrevYear(); }
    void PrevMonthBtnClick() { Calendar->GoPrevMonth(); }
    void NextMonthBtnClick() { Calendar->GoNextMonth(); }
    void NextYearBtnClick() { Calendar->GoNextYear(); }
    void CalendarChange();
    void CalendarDblClick() { accept(); }
    void TopPanelDblClick() { Calendar->SetCalendarDate(Today()); }
    void FormKeyDown(QKeyEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// PopupCalendarSize: the preferred size of the drop-down, before scaling to the screen's resolution.
inline const QSize PopupCalendarSize(187, 124);

TPopupCalendar *CreatePopupCalendar(QWidget *owner);
void SetupPopupCalendar(TPopupWindow *popup, TDayOfWeekName startOfWeek, TDaysOfWeek weekends, TColor weekendColor,
                        const QStringList &hints, bool fourDigitYear);
std::unique_ptr<TSelectDateDlg> CreateDateDialog(const QString &caption);
void SetDialogDate(TSelectDateDlg &dialog, TDateTime date);
TDateTime DialogDate(const TSelectDateDlg &dialog);
bool SelectDate(TDateTime &date, const QString &caption, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                TColor weekendColor, const QStringList &hints);
bool SelectDateStr(QString &text, const QString &caption, TDayOfWeekName startOfWeek, TDaysOfWeek weekends,
                   TColor weekendColor, const QStringList &hints);
bool PopupDate(TDateTime &date, QWidget *edit);
// Where PopupDate opens a dialog of `dialogSize` for an edit at `editOrigin` of `editSize`.
QPoint PopupDatePosition(const QPoint &editOrigin, const QSize &editSize, const QSize &dialogSize,
                         const QSize &screen);
