#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What batch control drives in the windows above it. The main window registers its part when it creates
// the controller; the scenario window registers its part when it opens and clears it when it closes. An
// empty entry means that the window is not there, and the command that needs it does nothing.
struct BatchTargets {
    // Main window.
    std::function<QStringList()> ListInstrumentNames; // connected instruments, as status panel 0 names them
    std::function<bool()> InstrumentOnUsb;            // false in demonstration mode
    std::function<void(const QString &name)> ShowInstrument;
    std::function<void()> StartMeasurement;                   // the Start button
    std::function<void()> StopMeasurement;                    // the Stop button
    std::function<void(const QString &comment)> SaveProtocol; // the protocol button, with the comment to file
    std::function<bool(const QString &fileName)> LoadConfig;  // made the current configuration
    std::function<void()> ShowScenarioWindow;                 // the scenario menu item: creates or raises the window

    // Scenario window: registered while it is open (Start, Pause, opening a scenario file, whether a run
    // is in progress); without it the scenario commands of a schedule and of the mailbox find no window.
    std::function<void()> StartScenario;
    std::function<void()> PauseScenario;
    std::function<void(const QString &fileName)> OpenScenarioFile;
    std::function<bool()> ScenarioRunning;
};

BatchTargets &BatchControlTargets();
