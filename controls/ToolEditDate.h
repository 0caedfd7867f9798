#pragma once

#include "controls/Dateutil.h"
#include "controls/ToolEdit.h"

#include <QStringList>

class TPopupCalendar;

enum TYearDigits { dyDefault, dyFour, dyTwo };
enum TCalendarStyle { csPopup, csDialog };
using TExecDateDialog = std::function<void(QObject *sender, TDateTime &date, bool &action)>;

// An edit for one date, typed through a mask in the locale's order of day, month and year, or chosen in
// the drop-down calendar (or the date dialog). The mask and format follow the locale when it changes.
class TCustomDateEdit : public TCustomComboEdit {
    Q_OBJECT
public:
    explicit TCustomDateEdit(QWidget *parent = nullptr);

    // Unreadable text gives today (with DefaultToday) or NullDate; never raises.
    TDateTime GetDate() const;
    void SetDate(TDateTime value);
    void ApplyDate(TDateTime value);
    QString GetDateFormat() const { return dateFormat_; }
    QString GetDateMask() const;
    // Raises EConvertError for text that is no date and puts the focus back.
    void CheckValidDate();
    void UpdateMask();

    QChar BlanksChar() const { return blanksChar_; }
    void SetBlanksChar(QChar value);
    QStringList CalendarHints() const { return calendarHints_; }
    void SetCalendarHints(const QStringList &value);
    bool CheckOnExit() const { return checkOnExit_; }
    void SetCheckOnExit(bool value) { checkOnExit_ = value; }
    bool DefaultToday() const { return defaultToday_; }
    void SetDefaultToday(bool value) { defaultToday_ = value; }
    QString DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const QString &value) { dialogTitle_ = value; }
    TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
    void SetStartOfWeek(TDayOfWeekName value);
    TDaysOfWeek Weekends() const { return weekends_; }
    void SetWeekends(TDaysOfWeek value);
    TColor WeekendColor() const { return weekendColor_; }
    void SetWeekendColor(TColor value);
    TYearDigits YearDigits() const { return yearDigits_; }
    void SetYearDigits(TYearDigits value);
    TCalendarStyle CalendarStyle() const { return Popup() ? csPopup : csDialog; }
    void SetCalendarStyle(TCalendarStyle value);
    void SetOnAcceptDate(TExecDateDialog handler) { onAcceptDate_ = std::move(handler); }
    // The text is worth keeping only when something in it is filled in.
    bool TextStored() const;

protected:
    QPixmap GetDefaultBitmap() const override;
    int DefaultGlyphCount() const override { return 2; }
    bool AcceptPopup(QVariant &value) override;
    void AcceptValue(const QVariant &value) override;
    void SetPopupValue(const QVariant &value) override;
    void ButtonClick() override;
    void Change() override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    bool FourDigitYearFlag() const;
    void UpdateFormat();
    void UpdatePopup();
    void CreateCalendarPopup();

    QString dateFormat_;
    QString dialogTitle_ = QStringLiteral("Select a Date");
    QChar blanksChar_ = QLatin1Char(' ');
    QStringList calendarHints_;
    bool checkOnExit_ = false;
    bool defaultToday_ = false;
    bool formatting_ = false;
    bool focusChanging_ = false;
    TDayOfWeekName startOfWeek_ = Mon;
    TDaysOfWeek weekends_ = DayBit(Sun);
    TColor weekendColor_ = clRed;
    TYearDigits yearDigits_ = dyDefault;
    TExecDateDialog onAcceptDate_;
    TPopupCalendar *calendarPopup_ = nullptr;
};

class TDateEdit : public TCustomDateEdit {
    Q_OBJECT
public:
    explicit TDateEdit(QWidget *parent = nullptr);
};

// Re-applies the masks of every date edit of the program (after the locale's date settings changed).
void DateFormatChanged();
