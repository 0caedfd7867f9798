#include "storage/recording/RecordingWindows.h"

#include "engine/EngineBuffers.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "storage/recording/RecordingServices.h"

std::optional<bool> RecordingWindowsWant(const TProgramSettings &settings, double time) {
    int enabled = 0;
    int inside = 0;
    for (const RecordingWindow &window : settings.RecordingWindows) {
        if (!window.Enabled)
            continue;
        ++enabled;
        const double start = window.Start;
        const double end = window.End;
        if (start <= time && !(time > end))
            ++inside;
    }
    if (enabled == 0)
        return std::nullopt;
    return inside > 0;
}

void EvaluateRecordingWindows() {
    const std::optional<bool> want = RecordingWindowsWant(ProgramSettings, NowStamp);
    if (!want)
        return;
    // The switch inverts the flag: set it to the opposite first, as the switch expects to find it.
    RecordingOn = !*want;
    if (const auto &toggle = RecordingServices().ToggleRecording) {
        toggle();
        return;
    }
    RecordingOn = *want;
    if (RecordingOn)
        RecordChangeMask |= 0x01;
}
