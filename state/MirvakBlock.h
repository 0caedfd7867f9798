#pragma once

#include <cstddef>
#include <cstdint>

// One row of a preset list (the masters' frequency or level lists and the selective plan list).
struct [[gnu::packed]] SetEntry {
    float Value;
    uint8_t Checked; // 1: the row takes part in the run
};
static_assert(sizeof(SetEntry) == 5);
static_assert(offsetof(SetEntry, Value) == 0);
static_assert(offsetof(SetEntry, Checked) == 4);

inline constexpr int MirvakSetCapacity = 340;

// Every setting of the selective mode and its plan; part of the settings record and so of every
// configuration snapshot and recording. Frequencies in kHz.
struct [[gnu::packed]] MirvakBlock {
    uint8_t Flags;                   // bit 0: range plan (else preset list); bit 1: reverse order
    SetEntry Set[MirvakSetCapacity]; // preset list
    int8_t SetCount;                 // rows of Set in use; read through SetRowCount
    float RangeStart;                // F1
    int32_t RangeN;                  // N, 1..340
    float RangeStep;                 // dF
    uint8_t SinOn;                   // generator on during the run
    float SinLevel;                  // generator level, dBm0
    float FirstFreq;                 // first measuring frequency in run order
    int8_t SubMode;                  // -1..8
    uint8_t Reserved1724[4];         // never read or written
    float B;                         // selection band
    float FcM;                       // reference of the meter's spectrum shift
    float Fc1;                       // scan start
    float FcN;                       // scan end
    int32_t Options;                 // MirvakOption bits
    int32_t RunState;                // GenState of the run
    uint8_t RunActive;               // 1 while the instrument is to run the measurement
    uint8_t DeviceSubMode;           // measurement code for the instrument: 3, 1 or 5
    float AfcCalDb;                  // attenuation of the known four-pole, dB
    float LoadOhm;                   // known calibration load, Ohm
    float FcG;                       // reference of the generator's spectrum shift
    float CableLength;               // m
};

// The bits of MirvakBlock::Options.
enum MirvakOption : int32_t {
    MirvakMeterShift = 0x01,       // the meter's spectrum is shifted by FcM
    MirvakMeterShiftDirect = 0x02, // ... as Fc+F (else Fc-F)
    MirvakContinuous = 0x04,       // the run repeats its pass until Stop
    MirvakUpperTraceMask = 0x08,   // "Маска верх.": the masks a continuous run keeps of its curves
    MirvakLowerTraceMask = 0x10,   // "Маска ниж."
    MirvakTwoTraces = 0x20,        // "2 след": two traces, the older one moved below
    MirvakGenShift = 0x40,         // the generator's spectrum is shifted by FcG
    MirvakGenShiftDirect = 0x80,   // ... as Fc+F (else Fc-F)
};

static_assert(sizeof(MirvakBlock) == 1770);
static_assert(offsetof(MirvakBlock, Flags) == 0);
static_assert(offsetof(MirvakBlock, Set) == 1);
static_assert(offsetof(MirvakBlock, SetCount) == 1701);
static_assert(offsetof(MirvakBlock, RangeStart) == 1702);
static_assert(offsetof(MirvakBlock, RangeN) == 1706);
static_assert(offsetof(MirvakBlock, RangeStep) == 1710);
static_assert(offsetof(MirvakBlock, SinOn) == 1714);
static_assert(offsetof(MirvakBlock, SinLevel) == 1715);
static_assert(offsetof(MirvakBlock, FirstFreq) == 1719);
static_assert(offsetof(MirvakBlock, SubMode) == 1723);
static_assert(offsetof(MirvakBlock, Reserved1724) == 1724);
static_assert(offsetof(MirvakBlock, B) == 1728);
static_assert(offsetof(MirvakBlock, FcM) == 1732);
static_assert(offsetof(MirvakBlock, Fc1) == 1736);
static_assert(offsetof(MirvakBlock, FcN) == 1740);
static_assert(offsetof(MirvakBlock, Options) == 1744);
static_assert(offsetof(MirvakBlock, RunState) == 1748);
static_assert(offsetof(MirvakBlock, RunActive) == 1752);
static_assert(offsetof(MirvakBlock, DeviceSubMode) == 1753);
static_assert(offsetof(MirvakBlock, AfcCalDb) == 1754);
static_assert(offsetof(MirvakBlock, LoadOhm) == 1758);
static_assert(offsetof(MirvakBlock, FcG) == 1762);
static_assert(offsetof(MirvakBlock, CableLength) == 1766);
