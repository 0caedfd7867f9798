#pragma once

#include <cstdint>

// The last meter frame as the instrument reported it; the random-event analysis reads it by its kind.
struct TMeterFrameStore {
    int16_t Kind = 0; // FLGcomm
    int32_t Q0 = 0;   // SGNcomm
    int32_t Q1 = 0;   // NSEcomm
    int32_t Q2 = 0;   // SNRcomm
    int16_t Q3 = 0;   // FRQcomm
};

inline TMeterFrameStore MeterFrameStore;
