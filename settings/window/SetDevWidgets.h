#pragma once

#include <QString>

class QColor;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class TZeltCSpinEdit;

// Controls of the settings window, each named after the design's control so that the enabling table and
// the tests find it by object name.
QLabel *NewNamedLabel(QWidget *parent, const char *name, const QString &text);
QPushButton *NewNamedButton(QWidget *parent, const char *name, const QString &text);
TZeltCSpinEdit *NewNamedSpin(QWidget *parent, const char *name);
// A read-only text that shows a derived value.
QLineEdit *NewNamedReadOnly(QWidget *parent, const char *name);
// A spin edit's range and step from a ValueQuantizer (index q).
void SetSpinRange(TZeltCSpinEdit *edit, int q);
void SetSpinRange(TZeltCSpinEdit *edit, double min, double max, double increment);
// The apply buttons' colours: yellow while the page differs from DeviceSettings, lime green once it agrees.
void ShowApplyState(QPushButton *button, bool differs);
// An apply button first shows yellow, lets the window paint it and pauses 200 ms before it applies. The
// user's input waits meanwhile, so that nothing is clicked into the half-finished apply.
void ShowApplying(QPushButton *button);
// A value on the grid of `step` (the value itself without a grid); and an edit's spin step on that grid:
// a step below the grid becomes the grid step, a larger one a whole multiple of it.
double GridValue(double value, double step);
double GridIncrement(double increment, double step);
// The widget's text colour, or the default text colour for an invalid colour.
void SetTextColor(QWidget *widget, const QColor &color);
QColor TextColor(const QWidget *widget);
