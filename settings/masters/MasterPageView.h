#pragma once

// What a master run shows on its page of the settings window. The page registers itself while it
// exists; without it the run goes on and the free functions below do nothing.
class TMasterPageView {
public:
    virtual ~TMasterPageView() = default;
    // Enabling, captions and the Start button's colour.
    virtual void RefreshState() = 0;
    // The Start button's colour from the run's state.
    virtual void ShowState() = 0;
    // The generator's and the meter's new values after a step, with the row of the plan in use.
    virtual void ShowGenStep() = 0;
    virtual void ShowMeterStep() = 0;
    // The current values' fields emptied at a reset or a silent stop.
    virtual void ClearStepTexts() = 0;
};

inline constexpr int MasterFreqIndex = 0;
inline constexpr int MasterLevIndex = 1;

void SetMasterPageView(int master, TMasterPageView *view);
TMasterPageView *MasterPageView(int master);

void RefreshMasterFreqState();
void ShowMasterFreqGenStep();
void ShowMasterFreqMeterStep();
void RefreshMasterLevState();
void ShowMasterLevGenStep();
void ShowMasterLevMeterStep();
