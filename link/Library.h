#pragma once

#include <cstdint>
#include <functional>

class TDspIo9;
class TEmulator;

// The packet layer of the open connection, or null (demonstration mode, or no connection).
extern TDspIo9 *DspIo;
// The emulator of demonstration mode while it runs, or null.
extern TEmulator *Emulator;
// True while the link objects of an open connection, or the emulator, exist.
bool ConnectionOpen();

// The instrument commands. Each turns DeviceSettings into DSP packets and BC-board register writes and
// returns true when it was issued or had nothing to do; a refused packet has already been shown to the
// user ("Команда <name> не выдана") when it returns false. In demonstration mode the generator commands
// only tell the emulator which waveform to synthesise.

// Waveforms of the emulator, also the DeviceSettings->Mode bits of the generator commands.
enum EmuWaveform : std::int32_t {
    EmuGenBlocked = 0x04,
    EmuGenSin = 0x08,
    EmuGenSin2 = 0x10,
    EmuGenMtts = 0x20,
    EmuGenRnd = 0x40,
    EmuGenNoise = 0x80,
    EmuGenSelective = 0x1000,
};
extern std::int32_t EmuGenMode;

// The DeviceSettings->Mode bits of the generators whose state is above 0.
std::int32_t GeneratorsOnMask();

// 1 after program start and after a change of connection type: the generator is to be calibrated afresh.
// The main window sets it; none of the commands reads it.
extern std::int16_t GenCalibrationMode;

bool R9_setMode();
bool R9_setRelay();
bool G9_setMute();
bool G9_setSin();
// The sine while the selective-mode DSP program is loaded: the phase step comes straight from the
// frequency (with the generator shift), the level from the frequency-correction table.
bool G9_setSinSst();
bool G9_setSin2();
bool G9_setMTTS();
bool G9_setRnd();
bool G9_setNoise();
bool M9_setADCsize();
bool StopADC();
bool R9_setSyncMet();
bool M9_setMet(bool on);
bool R9_MesMode();
bool R9_setSST();
// Hands the instrument the remote-link message (`size` bytes, sent as size / 2 words, its first byte the
// message identifier) with the control multitone it is carried on. The end of the transfer comes back as
// the link's OnMesOutFin event; false when it could not go out ("Команда GenMsg_set не выполнена!...").
bool GenMsg_set(const std::uint8_t *message, std::int32_t size);
// What the main window shows of an outgoing remote-link message: with true the settings pages locked,
// "Передача команды" in status panel 3 and the first progress step; with false (the message did not go
// out) all of it taken back. The main window sets it; unset (the link alone) nothing is shown.
extern std::function<void(bool sending)> ShowMessageTransfer;

// Codes derived from DeviceSettings.
std::int16_t SampleRateCode();
std::int16_t GenImpedanceCode();
// Also sets the meter full-scale level.
std::int16_t MeterImpedanceCode();
std::int16_t InputRangeCode();
struct PathCodes {
    std::int16_t a, b, c;
};
PathCodes PathCodesFor(std::int16_t sampleRateCode);
std::int16_t ConnectionModeCode();
void SetMeterScaleLevel();

// The generator's three calibration words (Q13) for the current output stage.
struct GenCalibration {
    std::int16_t k0 = 0, k1 = 0, k2 = 0;
};
void CalibrKoef_set(GenCalibration &out, float maxFrequency, bool bcPath);
GenCalibration CurrentGenCalibration();

// The generator's gain over frequency (Q13, 8192 = 1.0): entry i holds the gain at i / 1024 of the sample
// rate.
inline constexpr int FreqCorrTableLength = 512;
extern std::int16_t FreqCorrTable[FreqCorrTableLength];
void CalcFreqCorrTable(std::int16_t k0, std::int16_t k1, std::int16_t k2);

// The amplitude code of a level, corrected by the generator's gain at the frequency of the phase step.
// The top ten bits of the step select the entry; steps of half the sample rate and above read the last.
std::int16_t CalcDacCode(float level, std::uint32_t phaseStep);

// The amplitude code for a level (dBm0) into R with reference and connection type; also chooses the output
// stage (GenRangeStep).
std::int32_t GenAmplitude(float level, float R, float ref, std::int32_t connectionType, bool lowImpedance,
                          float amplitude, float limit);

// Sets the BC board's attenuator bit for GenRangeStep and returns the range word of a generator packet.
std::int16_t PrepareOutputRange();

// The selective-mode plan that the run preparation builds: phase steps (f / SampleRate x 2^32) and levels.
inline constexpr int MirvakPlanCapacity = 1000;
extern std::int32_t MirvakPlanCount;
extern std::uint32_t MirvakPlanSteps[MirvakPlanCapacity];
extern std::int16_t MirvakPlanLevels[MirvakPlanCapacity];
// Spectrum points per selection band of the running selective measurement (SampleRate / band).
extern std::int32_t MirvakPointsPerBand;
