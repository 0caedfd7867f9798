#include "link/Library.h"

#include "engine/GeneratorSynthesis.h"
#include "link/Dspio9.h"
#include "link/LibraryPackets.h"
#include "state/DeviceSettings.h"

#include <array>

namespace {

enum GeneratorKind : std::int16_t { MuteKind = 0, SinKind = 1, NoiseKind = 2, MultiKind = 3, RndKind = 4 };

// Thresholds of the output-stage choice: the amplitude of the signal's peak and the largest code.
struct StageLimits {
    float amplitude, limit;
};
constexpr StageLimits SingleToneLimits = {1.0f, 10952};
constexpr StageLimits TwoToneLimits = {0.7071f, 7744.159f};
constexpr StageLimits ManyToneLimits = {0.3162f, 3463.02f};

// Noise is set by its rms level; the generator's code refers to the peak of its table.
constexpr float NoiseLevelCorrection = -0.45f + 1.72f;

constexpr std::int16_t RndTableLength = 2046;
constexpr std::int16_t NoiseTableLength = 8192;

// The code, calibration and range of a generator packet, in the order the output stage depends on them:
// the code chooses the stage, the stage the calibration row and the attenuator.
struct GeneratorWords {
    std::int32_t code;
    GenCalibration k;
    std::int16_t range;
};

// Where the generator's signal goes: the load and reference of the level, and the output path.
struct GeneratorLoad {
    float R, ref;
    std::int32_t type;
    bool lowImpedance;
};

GeneratorWords PrepareGenerator(float level, StageLimits limits, const GeneratorLoad &load) {
    GeneratorWords words;
    words.code = GenAmplitude(level, load.R, load.ref, load.type, load.lowImpedance, limits.amplitude, limits.limit);
    CalibrKoef_set(words.k, DeviceSettings->MaxFrequency, BcGeneratorPath(load.type));
    words.range = PrepareOutputRange();
    return words;
}

GeneratorWords PrepareGenerator(float level, StageLimits limits) {
    const TDeviceSettings &d = *DeviceSettings;
    return PrepareGenerator(level, limits, {d.GenImpedance, d.GenRef, d.ConnectionType, d.GenLowImpedance != 0});
}

PacketWords Header(GeneratorKind kind, const GeneratorWords &w, std::int32_t length) {
    return PacketWords().Word(kind).Word(w.range).Word(w.code).Word(length).Word(w.k.k0).Word(w.k.k1).Word(w.k.k2).Word(
        0);
}

// A frequency as an index of the generator's 1024-point grid.
std::int32_t GridIndex(float frequency) {
    const float fs = DeviceSettings->SampleRate;
    return fs > 0 ? std::int32_t(RoundCode(double(frequency) / fs * 1024)) : 0;
}

// Demonstration mode tells the emulator; without a link there is nothing to do.
bool NothingToSend(std::int32_t waveform) {
    if (DemoMode()) {
        EmuGenMode = waveform;
        return true;
    }
    return DspIo == nullptr;
}

bool Issue(const PacketWords &words, const char *name) {
    return SendWords(words, GeneratorPacket) || CommandRefused(NotIssued(name));
}

bool MultiTone(const GenBlock &gen, StageLimits limits, std::int32_t count, float step, const char *name) {
    const GeneratorWords w = PrepareGenerator(gen.Level, limits);
    return Issue(Header(MultiKind, w, count).Word(GridIndex(gen.F1)).Word(GridIndex(step)), name);
}

// The load of the control multitone by the meter path code c of the sample rate.
constexpr std::array<float, 7> ControlToneLoads = {3, 100, 100, 120, 135, 135, 600};

} // namespace

std::function<void(bool sending)> ShowMessageTransfer;

std::int32_t GeneratorsOnMask() {
    const TDeviceSettings &s = *DeviceSettings;
    return (s.Sin.State > 0 ? EmuGenSin : 0) | (s.Sin2.State > 0 ? EmuGenSin2 : 0) |
           (s.Mtts.State > 0 ? EmuGenMtts : 0) | (s.Rnd.State > 0 ? EmuGenRnd : 0) |
           (s.Block.State > 0 ? EmuGenBlocked : 0) | (s.Noise.State > 0 ? EmuGenNoise : 0);
}

bool G9_setMute() {
    if (NothingToSend(EmuGenBlocked))
        return true;
    const std::int16_t type = DeviceSettings->ConnectionType;
    const bool low = DeviceSettings->GenLowImpedance;
    GenRangeStep = (type == 6 && low) || type == 10 || (type == 9 && low) || (type == 12 && low) ? 0 : 1;
    PrepareOutputRange();
    return Issue(PacketWords().Word(MuteKind).Word(1).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).Long(0),
                 "G9_setMute");
}

bool G9_setSin() {
    if (NothingToSend(EmuGenSin))
        return true;
    const GeneratorWords w = PrepareGenerator(DeviceSettings->Sin.Level, SingleToneLimits);
    float actual = 0;
    std::uint32_t phaseStep = 0;
    const std::int16_t length = FitGeneratorFrequency(std::int16_t(SynthesisTableLength()), DeviceSettings->Sin.F1,
                                                      DeviceSettings->SampleRate, actual, phaseStep);
    return Issue(Header(SinKind, w, length).Long(phaseStep), "G9_setSin");
}

bool G9_setSinSst() {
    if (NothingToSend(EmuGenSin))
        return true;
    const double fs = DeviceSettings->SampleRate;
    std::uint32_t phase = PhaseStepOf(DeviceSettings->Sin.F1, fs);
    const std::int32_t options = DeviceSettings->Mirvak.Options;
    const float shift = DeviceSettings->Mirvak.FcG;
    if ((options & 0x40) && shift > 0) {
        const std::uint32_t d = PhaseStepOf(shift, fs);
        phase = (options & 0x80) ? phase + d : d - phase;
    }
    GeneratorWords w;
    w.code = CalcDacCode(DeviceSettings->Sin.Level, phase);
    w.range = PrepareOutputRange();
    // The selective-mode program corrects the level itself: the packet carries no calibration.
    w.k = GenCalibration();
    return Issue(Header(SinKind, w, 0).Long(phase), "G9_setSin");
}

bool G9_setSin2() {
    if (NothingToSend(EmuGenSin2))
        return true;
    const GenBlock gen = DeviceSettings->Sin2;
    return MultiTone(gen, TwoToneLimits, std::int16_t(gen.Count & 0xFFFF), gen.F2 - gen.F1, "G9_setSin2");
}

bool G9_setMTTS() {
    if (NothingToSend(EmuGenMtts))
        return true;
    const GenBlock gen = DeviceSettings->Mtts;
    return MultiTone(gen, ManyToneLimits, gen.Count, gen.Step, "G9_setMTTS");
}

bool G9_setRnd() {
    if (NothingToSend(EmuGenRnd))
        return true;
    const GeneratorWords w = PrepareGenerator(DeviceSettings->Rnd.Level, SingleToneLimits);
    return Issue(Header(RndKind, w, RndTableLength).Long(0), "G9_setRnd");
}

bool G9_setNoise() {
    if (NothingToSend(EmuGenNoise))
        return true;
    const GeneratorWords w = PrepareGenerator(DeviceSettings->Noise.Level + NoiseLevelCorrection, ManyToneLimits);
    return Issue(Header(NoiseKind, w, NoiseTableLength).Long(0), "G9_setNoise");
}

bool GenMsg_set(const std::uint8_t *message, std::int32_t size) {
    if (!DspIo)
        return true;
    if (ShowMessageTransfer)
        ShowMessageTransfer(true);
    const TDeviceSettings &d = *DeviceSettings;
    const PathCodes path = PathCodesFor(SampleRateCode());
    const float R = path.c >= 0 && std::size_t(path.c) < ControlToneLoads.size() ? ControlToneLoads[path.c] : 600;
    // The control multitone is levelled as if the path code a were the connection type.
    const GeneratorWords w = PrepareGenerator(d.ControlLevel, ManyToneLimits, {R, 0, path.a, false});
    const std::uint32_t words = size > 0 ? std::uint32_t(size / 2) : 0;
    const std::uint32_t sent =
        DspIo->MesOut(d.ExchangeMode == 2, message && size > 0 ? message[0] : 0, w.range, std::int16_t(w.code),
                      std::int16_t(GridIndex(d.ControlF1)), std::int16_t(GridIndex(d.ControlFN - d.ControlF1)), w.k.k0,
                      w.k.k1, w.k.k2, message, words);
    if (sent != 0)
        return true;
    // Nothing went out, so no end of the transfer will come to unlock the settings.
    if (ShowMessageTransfer)
        ShowMessageTransfer(false);
    return CommandRefused(QStringLiteral("Команда GenMsg_set не выполнена!\nНет ответа или прибор занят"));
}
