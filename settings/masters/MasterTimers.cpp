#include "settings/masters/MasterTimers.h"

#include "settings/masters/MasterTiming.h"

#include <QTimer>

#include <algorithm>

TMasterTimers &MasterTimers() {
    static TMasterTimers timers;
    return timers;
}

bool MasterTimerActive(const QTimer *timer) {
    return timer && timer->isActive();
}

void SetMasterTimerInterval(QTimer *timer, int interval) {
    if (timer)
        timer->setInterval(std::max<int>(interval, int(MinTimerIntervalMs)));
}

void StartMasterTimer(QTimer *timer) {
    if (timer)
        timer->start();
}

void StopMasterTimer(QTimer *timer) {
    if (timer)
        timer->stop();
}

void StopMasterTimers() {
    StopMasterTimer(MasterTimers().Timer_G9master);
    StopMasterTimer(MasterTimers().Timer_M9master);
}
