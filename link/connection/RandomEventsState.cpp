#include "link/connection/Tr9sendgetcommand.h"

#include "engine/EngineBuffers.h"
#include "engine/RandomEventAnalysis.h"
#include "settings/DeviceSettings.h"

std::int16_t RandomEventsState() {
    const std::int16_t started = StartRandomEvents(std::int16_t(SignalKind));
    if (DeviceSettings->EventCounting == 1 && started != 0)
        return 1;
    return MeterFramesOn ? -1 : 0;
}
