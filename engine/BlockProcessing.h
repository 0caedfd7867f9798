#pragma once

#include <cstdint>

// The settings and gain of the last NOISE block, and how many NOISE blocks in a row had the same ones:
// the noise reference is taken only from a steady run.
struct TNoiseRunMemory {
    int32_t Count = 0;
    int16_t ConnectionType = 0;
    float SampleRate = 0;
    int32_t AdcSize = 0;
    float SampleGain = 0;
};
extern TNoiseRunMemory NoiseRunMemory;

// The one entry of the engine for a received block in AdcSampleBuffer: scales it, decides its kind
// (fixed by a selective or SYNC run, else recognised), runs the kind's measurements into the parameter
// rows and publishes the displayed spectrum. A block is not analysed while the engine's arrays are
// missing or the block size is not one the instrument sends.
void ProcessBlock();
