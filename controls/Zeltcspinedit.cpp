#include "controls/Zeltcspinedit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr int kSignificantDigits = 15;

// The leading numeric part of a text: blanks, one sign, digits, one '.', digits. Whatever follows is
// ignored; a text without a digit there reads as 0.
double ReadLeadingNumber(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::string number;
    bool point = false;
    bool integerDigits = false; // a non-zero digit before the point
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            anyDigit = true;
            integerDigits = integerDigits || (!point && c != u'0');
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
        number.push_back(static_cast<char>(c.unicode()));
    }
    if (!anyDigit)
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range)
        value = integerDigits ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

// Fixed notation with 15 significant digits, no exponent, no trailing zeros of the fraction and no
// trailing point; zero of either sign is "0".
QString FixedNotation(double value) {
    if (!std::isfinite(value))
        return QStringLiteral("0");
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, kSignificantDigits - 1);
    const std::string scientific(buffer, result.ptr);

    // "-d.dddddddddddddde+XX"
    const bool negative = scientific.front() == '-';
    const std::size_t mantissaStart = negative ? 1 : 0;
    const std::size_t ePos = scientific.find('e');
    std::string digits;
    for (std::size_t k = mantissaStart; k < ePos; ++k)
        if (scientific[k] != '.')
            digits.push_back(scientific[k]);
    const int exponent = std::stoi(scientific.substr(ePos + 1));

    std::string integerPart;
    std::string fraction;
    if (exponent < 0) {
        integerPart = "0";
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else if (exponent + 1 >= static_cast<int>(digits.size())) {
        integerPart = digits + std::string(static_cast<std::size_t>(exponent + 1) - digits.size(), '0');
    } else {
        integerPart = digits.substr(0, static_cast<std::size_t>(exponent + 1));
        fraction = digits.substr(static_cast<std::size_t>(exponent + 1));
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();

    if (integerPart.find_first_not_of('0') == std::string::npos && fraction.empty())
        return QStringLiteral("0");
    std::string text = negative ? "-" : "";
    text += integerPart;
    if (!fraction.empty())
        text += "." + fraction;
    return QString::fromLatin1(text);
}

// The character a key event types, as the character filter sees it: Backspace and Enter as their
// control characters, shortcuts and navigation keys as none.
QChar TypedChar(const QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Backspace:
        return u'\b';
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return u'\r';
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
        return {};
    const QString text = event->text();
    if (text.isEmpty() || !text[0].isPrint())
        return {};
    return text[0];
}

// Keys that change the text without typing a character.
bool EditsWithoutTyping(const QKeyEvent *event) {
    return event->key() == Qt::Key_Delete || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
           event->matches(QKeySequence::DeleteEndOfWord) || event->matches(QKeySequence::DeleteStartOfWord) ||
           event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}

} // namespace

TZeltCSpinEdit::TZeltCSpinEdit(QWidget *parent) : QAbstractSpinBox(parent) {
    // The text is ours alone; the base class keeps no value of its own.
    setKeyboardTracking(false);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TZeltCSpinEdit::Change);
}

TZeltCSpinEdit::~TZeltCSpinEdit() = default;

void TZeltCSpinEdit::SetMinValue(double value) {
    minValue_ = value;
    baseIncrementSaved_ = false;
}

void TZeltCSpinEdit::SetMaxValue(double value) {
    maxValue_ = value;
    baseIncrementSaved_ = false;
}

void TZeltCSpinEdit::SetIncrement(double value) {
    increment_ = value;
    baseIncrementSaved_ = false;
}

double TZeltCSpinEdit::GetValue() {
    if (!baseIncrementSaved_) {
        baseIncrement_ = increment_;
        baseIncrementSaved_ = true;
    }

    QString text = lineEdit()->text();
    int separator = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u',' || text[i] == u'.') {
            text[i] = u'.';
            separator = static_cast<int>(i);
        }
    }
    const double value = ReadLeadingNumber(text);

    const int length = static_cast<int>(text.size());
    const QLineEdit *edit = lineEdit();
    const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    if (caret == length) {
        increment_ = baseIncrement_;
    } else if (caret > 0) {
        int exponent;
        if (separator <= 0)
            exponent = length - caret - 1;
        else if (separator < caret)
            exponent = separator - caret;
        else
            exponent = separator - caret - 1;
        increment_ = std::pow(10.0, exponent);
    }
    return value;
}

void TZeltCSpinEdit::SetValue(double x) {
    if (std::isnan(x))
        x = 0.0;
    lineEdit()->setText(FixedNotation(CheckValue(x)));
    lineEdit()->setCursorPosition(0);
}

double TZeltCSpinEdit::CheckValue(double x) const {
    if (minValue_ == maxValue_)
        return maxValue_;
    if (x < minValue_)
        return minValue_;
    if (x > maxValue_)
        return maxValue_;
    return x;
}

void TZeltCSpinEdit::UpClick() {
    if (isReadOnly()) {
        Beep();
        return;
    }
    const double value = GetValue();
    SetValue(value + increment_);
}

void TZeltCSpinEdit::DownClick() {
    if (isReadOnly()) {
        Beep();
        return;
    }
    const double value = GetValue();
    SetValue(value - increment_);
}

bool TZeltCSpinEdit::IsValidChar(QChar key) {
    bool valid = key == u'.' || key == u',' || key == u'+' || key == u'-' || (key >= u'0' && key <= u'9');
    if (maxLength_ > 0 && lineEdit()->text().size() >= maxLength_)
        valid = false;
    if (key == u'\r')
        SetValue(CheckValue(GetValue()));
    if (key == u'\b' || key == u'.')
        valid = true;
    if (!editorEnabled_)
        valid = false;
    return valid;
}

bool TZeltCSpinEdit::KeyPress(QChar key) {
    if (IsValidChar(key))
        return true;
    Beep();
    return false;
}

void TZeltCSpinEdit::KeyDown(int key) {
    if (key == Qt::Key_Up)
        UpClick();
    else if (key == Qt::Key_Down)
        DownClick();
}

void TZeltCSpinEdit::CMEnter() {
    if (autoSelect_ && !(QApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TZeltCSpinEdit::CMExit() {
    SetValue(CheckValue(GetValue()));
}

void TZeltCSpinEdit::Beep() {
    QApplication::beep();
}

void TZeltCSpinEdit::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        KeyDown(event->key());
        event->accept();
        return;
    }
    if (!editorEnabled_ && EditsWithoutTyping(event)) {
        Beep();
        event->accept();
        return;
    }
    const QChar typed = TypedChar(event);
    if (typed.isNull()) {
        QAbstractSpinBox::keyPressEvent(event);
        return;
    }
    if (!KeyPress(typed)) {
        // Enter has done its work on the text; the window around may still want it (a default button).
        if (typed == u'\r')
            event->ignore();
        else
            event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

void TZeltCSpinEdit::focusInEvent(QFocusEvent *event) {
    QAbstractSpinBox::focusInEvent(event);
    CMEnter();
}

void TZeltCSpinEdit::focusOutEvent(QFocusEvent *event) {
    CMExit();
    QAbstractSpinBox::focusOutEvent(event);
}

void TZeltCSpinEdit::stepBy(int steps) {
    for (int i = 0; i < steps; ++i)
        UpClick();
    for (int i = 0; i > steps; --i)
        DownClick();
}

QAbstractSpinBox::StepEnabled TZeltCSpinEdit::stepEnabled() const {
    // Always on: a click on a read-only edit still arrives, and answers with a beep.
    return StepUpEnabled | StepDownEnabled;
}
