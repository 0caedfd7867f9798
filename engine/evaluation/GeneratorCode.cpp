#include "engine/evaluation/GeneratorCode.h"

#include "state/DeviceSettings.h"

int32_t GeneratorCode() {
    const TDeviceSettings &s = *DeviceSettings;
    const int32_t states[] = {s.Sin.State, s.Sin2.State, s.Mtts.State, s.Rnd.State};
    for (int32_t i = 0; i < 4; ++i)
        if (states[i] > 0)
            return i + 1;
    return s.Noise.State > 0 ? 6 : 5;
}
