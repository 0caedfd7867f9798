#include "settings/window/SetDevWidgets.h"

#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "platform/Clock.h"

#include <QColor>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <cmath>

QLabel *NewNamedLabel(QWidget *parent, const char *name, const QString &text) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPushButton *NewNamedButton(QWidget *parent, const char *name, const QString &text) {
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

TZeltCSpinEdit *NewNamedSpin(QWidget *parent, const char *name) {
    auto *edit = new TZeltCSpinEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMinimumWidth(90);
    return edit;
}

QLineEdit *NewNamedReadOnly(QWidget *parent, const char *name) {
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    return edit;
}

void SetSpinRange(TZeltCSpinEdit *edit, int q) {
    const ValueQuantizer &quantizer = ValueQuantizers[q];
    SetSpinRange(edit, quantizer.Min, quantizer.Max, quantizer.Step);
}

void SetSpinRange(TZeltCSpinEdit *edit, double min, double max, double increment) {
    edit->SetMinValue(min);
    edit->SetMaxValue(max);
    edit->SetIncrement(increment);
}

double GridValue(double value, double step) {
    return step > 0 ? std::trunc(value / step + 0.5) * step : value;
}

double GridIncrement(double increment, double step) {
    return increment < step ? step : GridValue(increment, step);
}

void SetTextColor(QWidget *widget, const QColor &color) {
    // A disabled control keeps the grey text that shows it is disabled.
    QPalette palette = widget->palette();
    const QPalette standard;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::ButtonText, QPalette::WindowText})
            palette.setColor(group, role, color.isValid() ? color : standard.color(group, role));
    widget->setPalette(palette);
}

QColor TextColor(const QWidget *widget) {
    return widget->palette().color(QPalette::Active, QPalette::ButtonText);
}

void ShowApplyState(QPushButton *button, bool differs) {
    SetTextColor(button, differs ? QColor(255, 255, 0) : QColor(50, 205, 50));
}

void ShowApplying(QPushButton *button) {
    constexpr uint32_t ApplyPauseMs = 200;
    ShowApplyState(button, true);
    PumpMessagesExceptInput();
    const uint32_t start = GetTickCount();
    while (TicksSince(start) < ApplyPauseMs)
        PumpMessagesExceptInput();
}
