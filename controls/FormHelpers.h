#pragma once

#include <QLatin1String>
#include <QString>

class QWidget;

// A control created in code takes the name by which the window knows it as its object name.
template <typename T> T *NamedControl(T *control, const char *name) {
    control->setObjectName(QLatin1String(name));
    return control;
}

// Moves a top-level window so that its frame sits in the middle of the available area of its screen.
void CentreOnScreen(QWidget *window);

// Closes a window, through its frame when it is a child window of the main window's area, so that the
// frame goes with it.
void CloseWindowFrame(QWidget *window);
