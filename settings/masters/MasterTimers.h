#pragma once

class QTimer;

// The main window's master timers, registered by it when it creates them: Timer_G9master steps the
// generator, Timer_M9master the meter, both for whichever master runs. Null while not registered (tests
// of the runs alone, the program before its main window exists); a run then takes its steps only by the
// Next button.
struct TMasterTimers {
    QTimer *Timer_G9master = nullptr;
    QTimer *Timer_M9master = nullptr;
};

TMasterTimers &MasterTimers();

bool MasterTimerActive(const QTimer *timer);
// Sets the interval, which restarts a running timer; never below 1 ms.
void SetMasterTimerInterval(QTimer *timer, int interval);
void StartMasterTimer(QTimer *timer);
void StopMasterTimer(QTimer *timer);
void StopMasterTimers();
