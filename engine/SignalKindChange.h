#pragma once

#include <cstdint>
#include <functional>

// The SignalKind of the last frame handed to the evaluation; -9999999 until the first, so that the first
// evaluated frame always counts as a change.
extern int32_t LastSignalKind;

// Before each evaluated frame: when SignalKind differs from LastSignalKind while a meter is connected,
// every view and binding moves to the new kind's parameter table. A PRBS signal forces the smallest
// block without event counting (unless the phasogram is on); the time series are rebound by parameter
// identity, or, for a settling block, all get a gap and nothing else changes; then the windows follow
// (TSignalKindChangeViews) and the meter is switched anew (OnSignalKindChange).
void RebindTimeSeriesOnKindChange();

// Set by the connection control at start: shows the new kind in the meter summary and issues the meter
// command again. Called before LastSignalKind takes the new kind.
extern std::function<void()> OnSignalKindChange;

// What a change of kind asks of the windows above the engine, registered when the program starts. An
// empty member is a window this program does not have yet; nothing is done for it.
struct TSignalKindChangeViews {
    // The main window applies the block size that a PRBS signal forced (with every derived value), and
    // the settings window shows it on its meter page.
    std::function<void()> ApplyForcedBlockSize;
    // The settings window re-enables its controls (the kind changed away from PRBS).
    std::function<void()> UpdateSettingsControls;
    // Every open graph window reloads its Y range, re-binds its masks where the new kind calls for it and
    // redraws.
    std::function<void(int32_t kind)> RebindGraphWindows;
    // The first result table rebuilds its rows for the new kind.
    std::function<void()> RebuildResultTable;
    // The graph windows of the new kind are opened and arranged, when the program settings ask for it.
    std::function<void()> ArrangeGraphWindows;
};
TSignalKindChangeViews &SignalKindChangeViews();
