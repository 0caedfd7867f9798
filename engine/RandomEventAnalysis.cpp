#include "engine/RandomEventAnalysis.h"

#include "engine/EngineBuffers.h"
#include "state/DeviceSettings.h"

// Will set up the instrument's watch of the kind and reset its event rows.
int16_t StartRandomEvents(int16_t) {
    return 0;
}

int16_t RandomEventsState(bool meterFramesOn) {
    const int16_t started = StartRandomEvents(int16_t(SignalKind));
    if (DeviceSettings->EventCounting == 1 && started != 0)
        return 1;
    return meterFramesOn ? -1 : 0;
}

// Will turn the frame into the SIN event rows.
void ProcessSinEvents(int32_t, int32_t, int32_t) {}

// Will turn the frame into the NOISE event rows.
void ProcessNoiseEvents(int32_t) {}

// Will turn the frame into the MTTS event rows.
void ProcessMttsEvents(int32_t, int16_t) {}

// Will hand the item to the selective result holder and process it when the holder is ready.
void ProcessSstFrame() {}
