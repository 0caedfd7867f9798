#pragma once

#include <cstdint>
#include <functional>

struct ParamDescriptor;

// The resets that carry a loaded configuration, a played-back settings record or the peer's parameter
// settings into the tables, the masks and the windows. They sit here so that the configuration load and
// the playback reach them as well as the settings window and the remote link.

// What the resets ask of the windows above; the main window and the settings services register the
// entries at start. An empty entry is a window this run does not have, and nothing happens for it.
struct TSettingsResetViews {
    // Every open parameter window refreshes its editors, every open result table resizes its grid.
    std::function<void()> RefreshParamWindows;
    // Every open graph window forgets its masks, so that its next redraw binds them again.
    std::function<void()> ResetGraphMaskBindings;
    // Every open graph window binds both its masks anew.
    std::function<void()> RebindGraphMasks;
    // The weighting file's FileNameList entry becomes empty (the index stays), and its graph is cleared.
    std::function<void()> ClearWeightingName;
    // The settings window's meter page shows DeviceSettings, when the window is open.
    std::function<void()> RefreshMeterPage;
};
TSettingsResetViews &SettingsResetViews();

// The parameter windows and result tables show the tables as they now stand (RefreshParamTables).
void RefreshParamTables();

// Every mask in force is dropped and the masks waiting in PendingMaskArray (read from a configuration or
// a settings record, or received from the peer) take their places with their own active flags; a slot
// without a waiting mask ends with none. The per-point verdicts of every slot start afresh.
void ResetGraphsAndMasks();

// The mask-template names of the rows of `table` that are judged by mask files become empty; the rows
// keep their indexes into MaskNameList.
void ClearMaskFileNames(ParamDescriptor *table, int32_t rows);

// The peer's parameter settings arrived: the parameter windows follow, the received masks come into use
// while the peer controls this analyser, and the results are recomputed (remote program step 27).
void ApplyRemoteParamSettings();

// Back to no masks, no mask files and no weighting characteristic: at the end of a playback and when the
// peer that controlled this analyser breaks the link.
void ResetAllResults();
