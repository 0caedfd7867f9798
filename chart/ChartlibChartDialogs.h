#pragma once

#include <QColor>

class QPrinter;
class QWidget;

// The print and colour dialogs of the chart helpers, answered by the dialogs SetChartDialogs installed.
bool AskPrinter(QWidget *owner, QPrinter &printer);
QColor AskColor(QWidget *owner, const QColor &initial);
