#pragma once

#include <QString>

#include <functional>

// Run control of the selective mode: the start of a pass, continuous runs, the stop, and the reset of the
// result holder and of the selective graphs. The run state lives in MirvakBlock.RunState (0 off, 1
// started, 2 confirmed by the instrument, 3 stopping).

// What the run asks of the windows above the selective folder. Each is registered by the window that
// can do it and left empty while that window does not exist; an empty one is skipped.
struct TMirvakPlanHooks {
    // The settings window after a plan was built: selection frequency emptied, spectrum analysis chosen.
    std::function<void()> PlanBuilt;
    // The main window drops the selective items it buffered during a settings load.
    std::function<void()> DiscardSstItems;
    // The settings window's selective page.
    std::function<void()> RefreshMirvakState;
    std::function<void()> UpdateControlStates;
    std::function<void()> ShowMirvakToneEntry;
    std::function<void()> ShowMirvakStartButton;
    std::function<void()> ShowMirvakCalibration;
    std::function<void(bool stopping)> ShowMirvakStopButton; // yellow font while stopping

    void Call(const std::function<void()> &hook) const {
        if (hook)
            hook();
    }
    void PlanBuiltNow() const { Call(PlanBuilt); }
};
TMirvakPlanHooks &MirvakPlanHooks();

void StartMirvak();
void OnMirvakPassEnd();
void RequestMirvakStop();
void MarkMirvakStopped();
void FinishMirvakRun();
// The Stop button of the selective page: the set-up command goes out empty, which stops the
// instrument's measurement; without a running measurement no stop report comes, so the run ends at once.
void StopMirvakRun();
void ResetMirvakResults();
void ResetMirvakOnRangeChange(float, float);
void ResetMirvakGraphs();

// What the start of a run needs from the selective page.
struct TMirvakStartPage {
    std::function<void()> SetMirvak;             // the page into the settings
    std::function<void()> RefreshMirvakState;    // the page follows the run state
    std::function<void()> SwitchOffAutoMaxLevel; // the automatic maximum level off, with its check box
};
// The message that refuses a start in the present settings (maximum level, sample rate, sub-mode), empty
// when none does; maxLevelText names the maximum level entry of the settings.
QString MirvakStartRefusal(const QString &maxLevelText);
// The start after the refusal checks: a run the instrument still runs is ended, the page stored, the
// results reset and the plan validated; on success the run starts, with the selective firmware loaded
// first. Returns the validation's message, empty when the run started.
QString BeginMirvakRun(const TMirvakStartPage &page);
