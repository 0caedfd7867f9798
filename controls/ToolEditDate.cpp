#include "controls/ToolEditDate.h"

#include "controls/LibraryErrors.h"
#include "controls/PickDate.h"
#include "controls/Rxhook.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <cmath>

namespace {

// The default glyph: a small calendar sheet and its greyed form, 14 x 12 each.
QPixmap CalendarGlyph() {
    QImage image(28, 12, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const auto sheet = [&](int x, QColor ink, QColor header) {
        painter.fillRect(x + 1, 1, 12, 10, Qt::white);
        painter.fillRect(x + 1, 1, 12, 3, header);
        painter.setPen(ink);
        painter.drawRect(x + 1, 1, 11, 9);
        for (int row = 5; row <= 8; row += 3)
            for (int column = x + 3; column <= x + 10; column += 3)
                painter.drawPoint(column, row);
    };
    sheet(0, Qt::black, QColor(0, 0, 128));
    sheet(14, QColor(128, 128, 128), QColor(192, 192, 192));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

TCustomDateEdit::TCustomDateEdit(QWidget *parent) : TCustomComboEdit(parent) {
    CreateCalendarPopup();
    SetGlyphKind(gkDefault);
    UpdateMask();
}

void TCustomDateEdit::CreateCalendarPopup() {
    calendarPopup_ = CreatePopupCalendar(this);
    SetPopup(calendarPopup_);
}

QPixmap TCustomDateEdit::GetDefaultBitmap() const {
    static const QPixmap glyph = CalendarGlyph();
    return glyph;
}

bool TCustomDateEdit::FourDigitYearFlag() const {
    return yearDigits_ == dyFour || (yearDigits_ == dyDefault && FourDigitYear());
}

QString TCustomDateEdit::GetDateMask() const {
    return DefDateMask(blanksChar_, FourDigitYearFlag());
}

TDateTime TCustomDateEdit::GetDate() const {
    return StrToDateFmtDef(dateFormat_, Text(), defaultToday_ ? Today() : NullDate);
}

void TCustomDateEdit::SetDate(TDateTime value) {
    if (!ValidDate(value) || value == NullDate)
        value = defaultToday_ ? Today() : NullDate;
    const TDateTime old = GetDate();
    const bool wasFormatting = formatting_;
    formatting_ = true;
    setText(value == NullDate ? QString() : FormatDateFmt(dateFormat_, value));
    formatting_ = wasFormatting;
    setModified(GetDate() != old);
}

void TCustomDateEdit::ApplyDate(TDateTime value) {
    SetDate(value);
    SelectAll();
}

void TCustomDateEdit::UpdateFormat() {
    dateFormat_ = DefDateFormat(FourDigitYearFlag()).left(10);
}

void TCustomDateEdit::UpdateMask() {
    const TDateTime date = dateFormat_.isEmpty() ? NullDate : GetDate();
    const QString oldFormat = dateFormat_;
    UpdateFormat();
    const QString mask = GetDateMask();
    if (mask != EditMask() || oldFormat != dateFormat_) {
        formatting_ = true;
        SetEditMask(QString());
        SetEditMask(mask);
        formatting_ = false;
    }
    UpdatePopup();
    SetDate(date);
}

void TCustomDateEdit::UpdatePopup() {
    if (Popup())
        SetupPopupCalendar(Popup(), startOfWeek_, weekends_, weekendColor_, calendarHints_, FourDigitYearFlag());
}

bool TCustomDateEdit::TextStored() const {
    const QString text = Text();
    for (const QChar c : text)
        if (!c.isNull() && c != QLatin1Char(' ') && c != blanksChar_ && c != DateLocale().dateSeparator)
            return true;
    return false;
}

void TCustomDateEdit::CheckValidDate() {
    if (!TextStored())
        return;
    formatting_ = true;
    try {
        SetDate(StrToDateFmt(dateFormat_, Text()));
    } catch (const EConvertError &) {
        formatting_ = false;
        if (!focusChanging_)
            setFocus(Qt::OtherFocusReason);
        throw;
    }
    formatting_ = false;
}

void TCustomDateEdit::SetBlanksChar(QChar value) {
    if (value.unicode() < ' ')
        value = QLatin1Char(' ');
    if (value == blanksChar_)
        return;
    blanksChar_ = value;
    UpdateMask();
}

void TCustomDateEdit::SetCalendarHints(const QStringList &value) {
    calendarHints_ = value.mid(0, 4);
    UpdatePopup();
}

void TCustomDateEdit::SetStartOfWeek(TDayOfWeekName value) {
    startOfWeek_ = value;
    UpdatePopup();
}

void TCustomDateEdit::SetWeekends(TDaysOfWeek value) {
    weekends_ = value;
    UpdatePopup();
}

void TCustomDateEdit::SetWeekendColor(TColor value) {
    weekendColor_ = value;
    UpdatePopup();
}

void TCustomDateEdit::SetYearDigits(TYearDigits value) {
    if (value == yearDigits_)
        return;
    yearDigits_ = value;
    UpdateMask();
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle value) {
    if (value == CalendarStyle())
        return;
    if (value == csDialog) {
        SetPopup(nullptr);
        delete calendarPopup_;
        calendarPopup_ = nullptr;
    } else {
        CreateCalendarPopup();
        UpdatePopup();
    }
}

void TCustomDateEdit::Change() {
    if (!formatting_)
        TCustomComboEdit::Change();
}

void TCustomDateEdit::SetPopupValue(const QVariant &value) {
    TCustomComboEdit::SetPopupValue(StrToDateFmtDef(dateFormat_, value.toString(), Today()));
}

bool TCustomDateEdit::AcceptPopup(QVariant &value) {
    if (!onAcceptDate_)
        return true;
    TDateTime date = NullDate;
    if (value.isValid() && !value.isNull()) {
        bool ok = false;
        date = value.toDouble(&ok);
        if (!ok || !ValidDate(date))
            date = defaultToday_ ? Today() : NullDate;
    }
    bool action = true;
    onAcceptDate_(this, date, action);
    if (action)
        value = date;
    return action;
}

void TCustomDateEdit::AcceptValue(const QVariant &value) {
    formatting_ = true;
    SetDate(value.toDouble());
    formatting_ = false;
    if (isModified())
        DoChange();
}

void TCustomDateEdit::ButtonClick() {
    TCustomComboEdit::ButtonClick();
    if (CalendarStyle() != csDialog)
        return;
    TDateTime date = GetDate();
    const bool chosen = SelectDate(date, dialogTitle_, startOfWeek_, weekends_, weekendColor_, calendarHints_);
    setFocus(Qt::OtherFocusReason);
    if (!chosen)
        return;
    bool action = true;
    if (onAcceptDate_)
        onAcceptDate_(this, date, action);
    if (!action)
        return;
    SetDate(date);
    if (hasFocus())
        SelectAll();
}

void TCustomDateEdit::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (GetPopupVisible()) {
        static const int forwarded[] = {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Left, Qt::Key_Right,
                                        Qt::Key_Up,     Qt::Key_Down};
        if (std::find(std::begin(forwarded), std::end(forwarded), key) != std::end(forwarded) ||
            (keypad && (key == Qt::Key_Plus || key == Qt::Key_Minus))) {
            Popup()->PopupKeyDown(event);
            event->accept();
            return;
        }
        const QString text = event->text();
        if (text.size() == 1 && QStringLiteral("+-Tt").contains(text[0])) {
            Popup()->PopupKeyPress(text[0]);
            event->accept();
            return;
        }
    } else if (plain && DirectInput()) {
        if (keypad && (key == Qt::Key_Plus || key == Qt::Key_Minus)) {
            const TDateTime base = Text().trimmed().isEmpty() || !TextStored() ? Now() : GetDate();
            ApplyDate(base + (key == Qt::Key_Plus ? 1 : -1));
            event->accept();
            return;
        }
        const QString text = event->text();
        if (text == QLatin1String("+") || text == QLatin1String("-")) {
            event->accept();
            return;
        }
        if (text == QLatin1String("T") || text == QLatin1String("t")) {
            ApplyDate(Today());
            event->accept();
            return;
        }
    }
    TCustomComboEdit::keyPressEvent(event);
}

void TCustomDateEdit::focusOutEvent(QFocusEvent *event) {
    TCustomComboEdit::focusOutEvent(event);
    if (!checkOnExit_)
        return;
    try {
        const QScopedValueRollback<bool> changing(focusChanging_, true);
        CheckValidDate();
    } catch (const EConvertError &error) {
        // The focus goes back once the focus change under way has ended: taking it back inside the change
        // would start it again, endlessly.
        QMetaObject::invokeMethod(
            this,
            [this, message = error.Message()] {
                setFocus(Qt::OtherFocusReason);
                ApplicationHandleException(EConvertError(message));
            },
            Qt::QueuedConnection);
    }
}

void TCustomDateEdit::changeEvent(QEvent *event) {
    TCustomComboEdit::changeEvent(event);
    if (event->type() == QEvent::LocaleChange)
        UpdateMask();
}

TDateEdit::TDateEdit(QWidget *parent) : TCustomDateEdit(parent) {
    UpdateMask();
}

void DateFormatChanged() {
    for (QWidget *widget : QApplication::allWidgets())
        if (auto *edit = qobject_cast<TCustomDateEdit *>(widget))
            edit->UpdateMask();
}
