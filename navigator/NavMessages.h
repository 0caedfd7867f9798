#pragma once

#include <QString>

// The navigator's messages: failures in a task-modal box with the error icon and the caption "Ошибка!",
// plain notes without icon or caption; the beep and the hourglass while an operation waits.
void NavError(const QString &text);
void NavNote(const QString &text);
void NavBeep();

// The hourglass cursor while it lives (nothing without a GUI application).
class NavHourglass {
public:
    explicit NavHourglass(bool on = true);
    ~NavHourglass();
    NavHourglass(const NavHourglass &) = delete;
    NavHourglass &operator=(const NavHourglass &) = delete;

private:
    bool on_;
};
