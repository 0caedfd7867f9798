#pragma once

#include <QStringList>

class QWidget;

// The first lines of a printed chart: the frequency range and the connection from the main window's status
// bar, and its generator and meter captions. Empty texts without a main window.
QStringList MainWindowPrintLines(const QWidget *window);
