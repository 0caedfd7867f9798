#pragma once

#include "link/PowerState.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>

// The judging half of the power watch: from the readings in the power table, the battery icon, the
// warnings that end a measurement and the 60 s countdown of a supply or temperature fault.

struct TPowerWatchState {
    int BatteryIcon = 0; // 0 external supply, 1..5 battery full to empty, 6 discharged (alternate image)
    bool PowerFaultShown = false;
    int LastCode = -1;
    float LastBattery = NoValue;
};

struct TPowerTick {
    bool TechnologyMode = false;
    bool BatchMode = false;
    bool StopRequested = false; // a stop is already requested
    uint32_t Now = 0;           // GetTickCount

    bool StopRequest = false;     // end the measurement
    bool TimerStaysOff = false;   // the tick ended early: the watch does not run again
    bool ArmMessageTimer = false; // show Warning once, later
    bool FinishBatch = false;     // end the batch run with -5 after logging BatchLines
    bool Changed = false;         // the status bar needs a repaint
    bool Beep = false;
    QString Warning;
    QString Countdown; // "MM:SS" while a fault counts down
    QStringList BatchLines;
};

inline constexpr int PowerFaultSeconds = 60;

void PowerWatchStep(std::span<PowerStateEntry, PowerStateCount> table, uint8_t &bcStatus, TPowerWatchState &state,
                    TPowerTick &tick);

// The hint over the power panel and button.
QString PowerText(const TPowerWatchState &state, const PowerStateEntry &battery);

// Fills a printf-style warning format with the value and the two limits, each conversion taking the next
// argument as the type it names (an int for %d, a double for %f, %g, %e).
QString FormatWarning(const QString &format, double value, double low, double high);
