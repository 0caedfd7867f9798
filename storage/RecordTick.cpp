#include "storage/RecordTick.h"

#include "engine/evaluation/DispatchTargets.h"
#include "link/connection/ConnectionServices.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "storage/recording/RecordStreams.h"
#include "storage/recording/RecordingServices.h"
#include "storage/recording/RecordingWindows.h"

void RecordTick() {
    if (Stopping)
        return;
    EvaluateRecordingWindows();
    if (RecordingOn && RecordingFailed()) {
        // A recording that failed stays ended until the measurement stops; the user was told why.
        if (const auto &toggle = RecordingServices().ToggleRecording)
            toggle();
        RecordingOn = false;
    }
    if (!RecordingOn) {
        RecordChangeMask = 0;
        return;
    }
    if (!RecordFilesOpen() && !OpenRecordFiles())
        return;
    WriteRecordingStep();
}

void RegisterRecorder() {
    ConnectionServices().RecordTick = RecordTick;
    // A settling block of the evaluation still counts as a changed sample stream.
    DispatchTargets().RecordChange = [](int32_t bits) { RecordChangeMask |= bits; };
}
