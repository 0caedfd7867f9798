#pragma once

#include "state/MirvakBlock.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The settings record is stored whole in configuration snapshots and recordings, so its byte layout
// is a file format: packed, little-endian, fixed-width fields, reserved bytes kept. Fields of a packed
// struct may be misaligned: read and write them by value, never through a reference or pointer.

// One generator kind. Frequencies in kHz, levels in dBm0.
struct [[gnu::packed]] GenBlock {
    float Level;
    float F1;      // frequency (SIN) or first frequency (SIN2, MTTS)
    float F2;      // second frequency (SIN2) or last frequency (MTTS)
    float MinFreq; // frequency grid step of the kind, follows the sample rate
    float Step;    // harmonic step (MTTS)
    int32_t Count; // number of tones
    int32_t State; // GenState on this analyser
};

inline constexpr int MasterSetCapacity = 1000;

// A frequency master (values in kHz) or level master (values in dBm0).
struct [[gnu::packed]] MasterBlock {
    uint8_t Source;                  // bit 0: range (else preset list); bit 1: reverse order
    SetEntry Set[MasterSetCapacity]; // preset list
    int8_t SetCount;                 // rows of Set in use; read through SetRowCount
    float RangeStart;
    int32_t RangeN;
    float RangeStep;
    uint8_t SinOn;
    uint8_t RemoteSinOn;
    float SinValue;   // SIN level (frequency master) or SIN frequency (level master)
    uint8_t BandType; // 1 wide band, 0 narrow band
    float BandF0;
    float BandF1;
    uint8_t AutoByTime;
    int32_t Interval; // s
    int32_t State;    // GenState of the master run
};

struct [[gnu::packed]] TDeviceSettings {
    float SampleRate;   // kHz, 2.5 x MaxFrequency
    float MaxFrequency; // kHz
    int32_t Mode;       // pending instrument commands
    int16_t ConnectionType;
    int16_t RefPresets; // high byte: generator reference preset, low byte: meter reference preset
    uint8_t Reserved16[4];
    float GenRef;       // dBm
    float GenImpedance; // Ohm
    uint8_t GenLowImpedance;
    GenBlock Sin;
    GenBlock Sin2;
    GenBlock Mtts;
    GenBlock Rnd;
    GenBlock Block;
    int32_t RemoteGenState[5]; // the peer's SIN, SIN2, MTTS, RND, block
    GenBlock Noise;
    int32_t RemoteNoiseState;
    int32_t AdcSize;      // samples, SpectrumSizes[AdcSizeIndex]
    int32_t AdcSizeIndex; // 0..4
    float SpectrumStep;   // kHz, SampleRate / AdcSize
    int32_t SpectrumStepIndex;
    float PresentationStep; // kHz, SpectrumStepIndex x SpectrumStep
    float BandF0;
    float BandF1;
    float MeterRef; // dBm
    int8_t MaxLevelIndex;
    float Lmin;   // dBm0
    float MinSnr; // dB
    int16_t WeightingIndex;
    float AfcRef;         // kHz; 0 minimum attenuation, -1 reference level
    float GvpRef;         // kHz; 0 minimum transit time
    float MeterImpedance; // Ohm
    uint8_t MeterHighImpedance;
    float CableVelocity;       // m/us
    int32_t AveragingInterval; // s
    float EventMergeInterval;  // s
    uint8_t EventCounting;
    uint8_t Phasogram;
    float PhasogramRef; // kHz
    uint8_t AutoMaxLevel;
    float ControlLevel; // dBm
    float ControlF1;
    float ControlFN;
    float ControlStep; // SampleRate / 128
    int16_t ExchangeMode;
    int32_t ConnectState;
    int32_t PeerConnectState;
    float ControlMinSpan; // 25 x SampleRate / 1024
    uint8_t Reserved326[20];
    MasterBlock MasterF;
    MasterBlock MasterL;
    MirvakBlock Mirvak;
    int8_t SyncEdgeMode;     // 0..3
    float SyncDelay[4];      // us, one per edge mode
    int32_t SyncMinInterval; // us
    int32_t SyncGenState;
    uint8_t SyncMonitoring;
    int32_t SyncCountPulse;
    int32_t SyncPulseCount;
};

extern TDeviceSettings *DeviceSettings;

// The record as it stands before any configuration is loaded; the static record starts as this image.
const TDeviceSettings &DefaultDeviceSettings();

// Both indexed by AdcSizeIndex.
inline constexpr std::array<int32_t, 5> SpectrumSizes = {2048, 4096, 8192, 16384, 32768};
inline constexpr std::array<int32_t, 5> SyncMinPulseInterval = {150000, 300000, 600000, 1200000, 2400000}; // us

// SampleRate from MaxFrequency, then every field that follows the sample rate: the grid steps of
// SIN, SIN2 and MTTS, the MTTS last frequency and the control multitone spacing.
void RecomputeSampleRateFields(TDeviceSettings &settings);
void RecomputeMttsLastFrequency(TDeviceSettings &settings);
void RecomputeControlToneFields(TDeviceSettings &settings);

// AdcSize, SpectrumStep and PresentationStep. An AdcSizeIndex outside 0..4 (a damaged file) is
// brought to the nearest valid index first, so that every table indexed by it stays in bounds.
void RecomputeBlockSizeFields(TDeviceSettings &settings);

// SyncMinInterval. An edge mode outside 0..3 or a delay that is not a finite number adds no delay.
void RecomputeSyncMinInterval(TDeviceSettings &settings);
// The same for another spectrum-size index (one outside 0..4 taken as the nearest end).
int32_t SyncMinIntervalFor(const TDeviceSettings &settings, int32_t sizeIndex);

// The count bytes of the preset lists are signed: only 0..127 rows can be stored. A negative byte
// means an empty list; the result never exceeds the list's capacity.
int SetRowCount(const MasterBlock &block);
int SetRowCount(const MirvakBlock &block);

// The count byte for a list of the given number of rows: at most 127 rows are kept.
inline constexpr int MaxStoredRowCount = 127;
int8_t StoredRowCount(int rows);

static_assert(sizeof(GenBlock) == 28);
static_assert(offsetof(GenBlock, Level) == 0);
static_assert(offsetof(GenBlock, F1) == 4);
static_assert(offsetof(GenBlock, F2) == 8);
static_assert(offsetof(GenBlock, MinFreq) == 12);
static_assert(offsetof(GenBlock, Step) == 16);
static_assert(offsetof(GenBlock, Count) == 20);
static_assert(offsetof(GenBlock, State) == 24);

static_assert(sizeof(MasterBlock) == 5038);
static_assert(offsetof(MasterBlock, Source) == 0);
static_assert(offsetof(MasterBlock, Set) == 1);
static_assert(offsetof(MasterBlock, SetCount) == 5001);
static_assert(offsetof(MasterBlock, RangeStart) == 5002);
static_assert(offsetof(MasterBlock, RangeN) == 5006);
static_assert(offsetof(MasterBlock, RangeStep) == 5010);
static_assert(offsetof(MasterBlock, SinOn) == 5014);
static_assert(offsetof(MasterBlock, RemoteSinOn) == 5015);
static_assert(offsetof(MasterBlock, SinValue) == 5016);
static_assert(offsetof(MasterBlock, BandType) == 5020);
static_assert(offsetof(MasterBlock, BandF0) == 5021);
static_assert(offsetof(MasterBlock, BandF1) == 5025);
static_assert(offsetof(MasterBlock, AutoByTime) == 5029);
static_assert(offsetof(MasterBlock, Interval) == 5030);
static_assert(offsetof(MasterBlock, State) == 5034);

static_assert(sizeof(TDeviceSettings) == 12226);
static_assert(offsetof(TDeviceSettings, SampleRate) == 0);
static_assert(offsetof(TDeviceSettings, MaxFrequency) == 4);
static_assert(offsetof(TDeviceSettings, Mode) == 8);
static_assert(offsetof(TDeviceSettings, ConnectionType) == 12);
static_assert(offsetof(TDeviceSettings, RefPresets) == 14);
static_assert(offsetof(TDeviceSettings, Reserved16) == 16);
static_assert(offsetof(TDeviceSettings, GenRef) == 20);
static_assert(offsetof(TDeviceSettings, GenImpedance) == 24);
static_assert(offsetof(TDeviceSettings, GenLowImpedance) == 28);
static_assert(offsetof(TDeviceSettings, Sin) == 29);
static_assert(offsetof(TDeviceSettings, Sin2) == 57);
static_assert(offsetof(TDeviceSettings, Mtts) == 85);
static_assert(offsetof(TDeviceSettings, Rnd) == 113);
static_assert(offsetof(TDeviceSettings, Block) == 141);
static_assert(offsetof(TDeviceSettings, RemoteGenState) == 169);
static_assert(offsetof(TDeviceSettings, Noise) == 189);
static_assert(offsetof(TDeviceSettings, RemoteNoiseState) == 217);
static_assert(offsetof(TDeviceSettings, AdcSize) == 221);
static_assert(offsetof(TDeviceSettings, AdcSizeIndex) == 225);
static_assert(offsetof(TDeviceSettings, SpectrumStep) == 229);
static_assert(offsetof(TDeviceSettings, SpectrumStepIndex) == 233);
static_assert(offsetof(TDeviceSettings, PresentationStep) == 237);
static_assert(offsetof(TDeviceSettings, BandF0) == 241);
static_assert(offsetof(TDeviceSettings, BandF1) == 245);
static_assert(offsetof(TDeviceSettings, MeterRef) == 249);
static_assert(offsetof(TDeviceSettings, MaxLevelIndex) == 253);
static_assert(offsetof(TDeviceSettings, Lmin) == 254);
static_assert(offsetof(TDeviceSettings, MinSnr) == 258);
static_assert(offsetof(TDeviceSettings, WeightingIndex) == 262);
static_assert(offsetof(TDeviceSettings, AfcRef) == 264);
static_assert(offsetof(TDeviceSettings, GvpRef) == 268);
static_assert(offsetof(TDeviceSettings, MeterImpedance) == 272);
static_assert(offsetof(TDeviceSettings, MeterHighImpedance) == 276);
static_assert(offsetof(TDeviceSettings, CableVelocity) == 277);
static_assert(offsetof(TDeviceSettings, AveragingInterval) == 281);
static_assert(offsetof(TDeviceSettings, EventMergeInterval) == 285);
static_assert(offsetof(TDeviceSettings, EventCounting) == 289);
static_assert(offsetof(TDeviceSettings, Phasogram) == 290);
static_assert(offsetof(TDeviceSettings, PhasogramRef) == 291);
static_assert(offsetof(TDeviceSettings, AutoMaxLevel) == 295);
static_assert(offsetof(TDeviceSettings, ControlLevel) == 296);
static_assert(offsetof(TDeviceSettings, ControlF1) == 300);
static_assert(offsetof(TDeviceSettings, ControlFN) == 304);
static_assert(offsetof(TDeviceSettings, ControlStep) == 308);
static_assert(offsetof(TDeviceSettings, ExchangeMode) == 312);
static_assert(offsetof(TDeviceSettings, ConnectState) == 314);
static_assert(offsetof(TDeviceSettings, PeerConnectState) == 318);
static_assert(offsetof(TDeviceSettings, ControlMinSpan) == 322);
static_assert(offsetof(TDeviceSettings, Reserved326) == 326);
static_assert(offsetof(TDeviceSettings, MasterF) == 346);
static_assert(offsetof(TDeviceSettings, MasterL) == 5384);
static_assert(offsetof(TDeviceSettings, Mirvak) == 10422);
static_assert(offsetof(TDeviceSettings, SyncEdgeMode) == 12192);
static_assert(offsetof(TDeviceSettings, SyncDelay) == 12193);
static_assert(offsetof(TDeviceSettings, SyncMinInterval) == 12209);
static_assert(offsetof(TDeviceSettings, SyncGenState) == 12213);
static_assert(offsetof(TDeviceSettings, SyncMonitoring) == 12217);
static_assert(offsetof(TDeviceSettings, SyncCountPulse) == 12218);
static_assert(offsetof(TDeviceSettings, SyncPulseCount) == 12222);

// Fields of the generator kinds that are read and written, at their absolute offsets.
static_assert(offsetof(TDeviceSettings, Sin.Level) == 29);
static_assert(offsetof(TDeviceSettings, Sin.F1) == 33);
static_assert(offsetof(TDeviceSettings, Sin.MinFreq) == 41);
static_assert(offsetof(TDeviceSettings, Sin.State) == 53);
static_assert(offsetof(TDeviceSettings, Sin2.Level) == 57);
static_assert(offsetof(TDeviceSettings, Sin2.F1) == 61);
static_assert(offsetof(TDeviceSettings, Sin2.F2) == 65);
static_assert(offsetof(TDeviceSettings, Sin2.MinFreq) == 69);
static_assert(offsetof(TDeviceSettings, Sin2.Count) == 77);
static_assert(offsetof(TDeviceSettings, Sin2.State) == 81);
static_assert(offsetof(TDeviceSettings, Mtts.Level) == 85);
static_assert(offsetof(TDeviceSettings, Mtts.F1) == 89);
static_assert(offsetof(TDeviceSettings, Mtts.F2) == 93);
static_assert(offsetof(TDeviceSettings, Mtts.MinFreq) == 97);
static_assert(offsetof(TDeviceSettings, Mtts.Step) == 101);
static_assert(offsetof(TDeviceSettings, Mtts.Count) == 105);
static_assert(offsetof(TDeviceSettings, Mtts.State) == 109);
static_assert(offsetof(TDeviceSettings, Rnd.Level) == 113);
static_assert(offsetof(TDeviceSettings, Rnd.State) == 137);
static_assert(offsetof(TDeviceSettings, Block.State) == 165);
static_assert(offsetof(TDeviceSettings, Noise.Level) == 189);
static_assert(offsetof(TDeviceSettings, Noise.State) == 213);
static_assert(offsetof(TDeviceSettings, RemoteGenState[4]) == 185);
static_assert(offsetof(TDeviceSettings, SyncDelay[3]) == 12205);

static_assert(offsetof(TDeviceSettings, MasterF.Source) == 346);
static_assert(offsetof(TDeviceSettings, MasterF.Set) == 347);
static_assert(offsetof(TDeviceSettings, MasterF.Set[999].Checked) == 5346);
static_assert(offsetof(TDeviceSettings, MasterF.SetCount) == 5347);
static_assert(offsetof(TDeviceSettings, MasterF.RangeStart) == 5348);
static_assert(offsetof(TDeviceSettings, MasterF.RangeN) == 5352);
static_assert(offsetof(TDeviceSettings, MasterF.RangeStep) == 5356);
static_assert(offsetof(TDeviceSettings, MasterF.SinOn) == 5360);
static_assert(offsetof(TDeviceSettings, MasterF.RemoteSinOn) == 5361);
static_assert(offsetof(TDeviceSettings, MasterF.SinValue) == 5362);
static_assert(offsetof(TDeviceSettings, MasterF.BandType) == 5366);
static_assert(offsetof(TDeviceSettings, MasterF.BandF0) == 5367);
static_assert(offsetof(TDeviceSettings, MasterF.BandF1) == 5371);
static_assert(offsetof(TDeviceSettings, MasterF.AutoByTime) == 5375);
static_assert(offsetof(TDeviceSettings, MasterF.Interval) == 5376);
static_assert(offsetof(TDeviceSettings, MasterF.State) == 5380);
static_assert(offsetof(TDeviceSettings, MasterL.Source) == 5384);
static_assert(offsetof(TDeviceSettings, MasterL.Set) == 5385);
static_assert(offsetof(TDeviceSettings, MasterL.Set[999].Checked) == 10384);
static_assert(offsetof(TDeviceSettings, MasterL.SetCount) == 10385);
static_assert(offsetof(TDeviceSettings, MasterL.RangeStart) == 10386);
static_assert(offsetof(TDeviceSettings, MasterL.RangeN) == 10390);
static_assert(offsetof(TDeviceSettings, MasterL.RangeStep) == 10394);
static_assert(offsetof(TDeviceSettings, MasterL.SinOn) == 10398);
static_assert(offsetof(TDeviceSettings, MasterL.RemoteSinOn) == 10399);
static_assert(offsetof(TDeviceSettings, MasterL.SinValue) == 10400);
static_assert(offsetof(TDeviceSettings, MasterL.BandType) == 10404);
static_assert(offsetof(TDeviceSettings, MasterL.BandF0) == 10405);
static_assert(offsetof(TDeviceSettings, MasterL.BandF1) == 10409);
static_assert(offsetof(TDeviceSettings, MasterL.AutoByTime) == 10413);
static_assert(offsetof(TDeviceSettings, MasterL.Interval) == 10414);
static_assert(offsetof(TDeviceSettings, MasterL.State) == 10418);

static_assert(offsetof(TDeviceSettings, Mirvak.Flags) == 10422);
static_assert(offsetof(TDeviceSettings, Mirvak.Set) == 10423);
static_assert(offsetof(TDeviceSettings, Mirvak.SetCount) == 12123);
static_assert(offsetof(TDeviceSettings, Mirvak.RangeStart) == 12124);
static_assert(offsetof(TDeviceSettings, Mirvak.RangeN) == 12128);
static_assert(offsetof(TDeviceSettings, Mirvak.RangeStep) == 12132);
static_assert(offsetof(TDeviceSettings, Mirvak.SinOn) == 12136);
static_assert(offsetof(TDeviceSettings, Mirvak.SinLevel) == 12137);
static_assert(offsetof(TDeviceSettings, Mirvak.FirstFreq) == 12141);
static_assert(offsetof(TDeviceSettings, Mirvak.SubMode) == 12145);
static_assert(offsetof(TDeviceSettings, Mirvak.Reserved1724) == 12146);
static_assert(offsetof(TDeviceSettings, Mirvak.B) == 12150);
static_assert(offsetof(TDeviceSettings, Mirvak.FcM) == 12154);
static_assert(offsetof(TDeviceSettings, Mirvak.Fc1) == 12158);
static_assert(offsetof(TDeviceSettings, Mirvak.FcN) == 12162);
static_assert(offsetof(TDeviceSettings, Mirvak.Options) == 12166);
static_assert(offsetof(TDeviceSettings, Mirvak.RunState) == 12170);
static_assert(offsetof(TDeviceSettings, Mirvak.RunActive) == 12174);
static_assert(offsetof(TDeviceSettings, Mirvak.DeviceSubMode) == 12175);
static_assert(offsetof(TDeviceSettings, Mirvak.AfcCalDb) == 12176);
static_assert(offsetof(TDeviceSettings, Mirvak.LoadOhm) == 12180);
static_assert(offsetof(TDeviceSettings, Mirvak.FcG) == 12184);
static_assert(offsetof(TDeviceSettings, Mirvak.CableLength) == 12188);
