// Runs the random-event analysis of SIN meter frames read from standard input, one frame a line
// "dt q0 q1 q2 blockLevel blockNoise blockSnr" (seconds, frame sums, the block's own values), and prints
// the SIN event rows after each frame with full float precision, for check_event_numbers.py.
#include "engine/EngineBuffers.h"
#include "engine/RandomEventAnalysis.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

namespace {

TDeviceSettings Settings = DefaultDeviceSettings();

void Print(const char *key, double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::printf("%s %.*s\n", key, static_cast<int>(end - text), text);
}

void SetNorm(EventNormIndex index, float norm) {
    *EventNormPointers.Apply[index] = 1;
    *EventNormPointers.Norm[index] = norm;
}

} // namespace

int main() {
    // fs 2560 kHz (2.5 kHz per 1024-point bin), 600 Ohm, reference 0, the tone on bin 100.
    Settings.MaxFrequency = 1024;
    Settings.SampleRate = 2560;
    Settings.MeterImpedance = 600;
    Settings.MeterRef = 0;
    Settings.ConnectionType = 0;
    Settings.BandF0 = 2.5f;
    Settings.BandF1 = 1024;
    Settings.EventCounting = 1;
    Settings.EventMergeInterval = 1;
    DeviceSettings = &Settings;
    BuildParamCatalogue();
    EngineBuffers.SampleGain = 0.001f;
    SetNorm(EventSinTimer, 900);
    SetNorm(EventSinMinSignal, -40);
    SetNorm(EventSinMaxNoise, -50);
    SetNorm(EventSinMinSnr, 20);
    NowStamp = 46000;
    SetResult(SlotSinFrequency, 250);
    if (StartRandomEvents(1) != 1)
        return 1;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        double dt = 0;
        long long q0 = 0, q1 = 0, q2 = 0;
        float level = 0, noise = 0, snr = 0;
        if (!(in >> dt >> q0 >> q1 >> q2 >> level >> noise >> snr))
            return 2;
        SetResult(SlotSinLevel, level);
        SetResult(SlotSinNoise, noise);
        SetResult(SlotSinSnr, snr);
        NowStamp += dt / 86400;
        ProcessSinEvents(int32_t(q0), int32_t(q1), int32_t(q2));
        // The timer, then value, events and share of minimum signal, maximum noise and minimum S/N.
        for (int32_t slot : {12, 9, 13, 14, 10, 15, 16, 11, 17, 18})
            Print("row", ResultValue(ResultSlot(slot)));
    }
    return 0;
}
