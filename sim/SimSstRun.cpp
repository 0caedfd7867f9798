#include "sim/SimSstRun.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr int SetupType = 18;
constexpr int EntriesType = 19;
constexpr int LevelsType = 20;
enum RunKind { Stop = 0, OnePass = 1, Continuous = 2, NoPlan = 3, GeneratorOn = 4 };
enum Kind { Afc = 0, Impedance = 1, Scan = 2, Monitoring = 3 };

// The items of one point, in the order they go out: offsets in bands from the point.
const std::vector<int> &BandOffsets(int kind) {
    static const std::vector<int> afc = {0, -1, 1};
    static const std::vector<int> monitoring = {0, -2, -1, 2, 1};
    static const std::vector<int> one = {0};
    return kind == Afc ? afc : kind == Monitoring ? monitoring : one;
}

// The generator's level words are Q14 of the converter's full swing: 16384 puts a peak of 32767 codes on
// the line, as the ordinary sine's code 16384 x 3.02 would.
constexpr double PeakPerLevelWord = 32767.0 / 16384;

// The sums leave the DSP in the unit its items are documented in: (|item| x 2048 / N x
// 1.0442337412806483e-06)^2 is the band's mean square at the input in volts^2 x 798176.0625 (full-scale
// factor 1, 14968 codes per volt). The Hann window's power gain (3/8) and the band length fold into one
// factor, so that each item reads the power in a band of noise bandwidth B and the bands around a tone
// add up to its power.
const double ItemScale =
    4 / std::sqrt(3.0) * std::sqrt(798176.0625) / (14968.0 * 2048 * 1.0442337412806483e-06);
constexpr double ItemLimit = 140737488355327.0; // 2^47 - 1: the 48-bit field

// The meter's input resistance, across the line in the impedance sub-modes.
constexpr double MeterInputOhms = 23000;
constexpr double TwoPi = 2 * std::numbers::pi;
constexpr double WordsPerTurn = 4294967296.0;
constexpr std::size_t ChunkSamples = 4096;
constexpr std::size_t KeptWindows = 4096;
constexpr int WindowsPerCall = 8;

// What the line does to the generator's tone in the impedance sub-modes. The simplest physical model: the
// generator is an EMF behind its source resistance Rg, the line's input a resistance in parallel with a
// capacitance, the meter's input resistance across it; the meter reads the divider's output. The level
// words give the voltage into a matched load, half the EMF, so the ratio is 2 Zp / (Rg + Zp).
std::complex<double> LineRatio(const SimSstLine &line, double hz, double generatorOhms) {
    if (line.ohms <= 0)
        return 0;
    const std::complex<double> admittance(1 / line.ohms + 1 / MeterInputOhms, TwoPi * hz * line.farads);
    const std::complex<double> zp = 1.0 / admittance;
    return 2.0 * zp / (generatorOhms + zp);
}

std::int64_t ItemValue(double sum) {
    return std::int64_t(std::clamp(std::round(sum * ItemScale), -ItemLimit, ItemLimit));
}

} // namespace

void SimSstRun::Reset() {
    setup_ = Setup();
    entries_.clear();
    levels_.clear();
    generatorOn_ = false;
    generatorSign_ = 1;
    generatorShift_ = 0;
    running_ = false;
    windows_.clear();
}

bool SimSstRun::Take(const SimCommand &command, std::uint64_t nowSample, double sampleRate) {
    if (command.type == LevelsType) {
        for (std::size_t i = 0; i + 1 < command.payload.size(); i += 2)
            levels_.push_back(std::int16_t(command.payload[i] | command.payload[i + 1] << 8));
        return false;
    }
    if (command.type == EntriesType) {
        for (std::size_t i = 0; i + 3 < command.payload.size(); i += 4)
            entries_.push_back(std::uint32_t(command.payload[i]) | std::uint32_t(command.payload[i + 1]) << 8 |
                               std::uint32_t(command.payload[i + 2]) << 16 | std::uint32_t(command.payload[i + 3]) << 24);
        if (!running_ && setup_.count > 0 && int(entries_.size()) == setup_.count) {
            if (setup_.kind == Scan && setup_.count < 2)
                return true;
            Start(Settled(nowSample, sampleRate));
        }
        return false;
    }
    if (command.type != SetupType)
        return false;
    const int runKind = int(command.Field("p3"));
    const int sign = command.Field("sign") < 0 ? -1 : 1;
    const std::uint32_t shift = std::uint32_t(command.Field("shift"));
    if (runKind == GeneratorOn) {
        generatorOn_ = true;
        generatorSign_ = sign;
        generatorShift_ = shift;
        // The generator comes on before the pass has measured anything: the pass starts over with it.
        if (running_ && !passStarted_)
            windowFirst_ = Settled(nowSample, sampleRate);
        return false;
    }
    running_ = false;
    generatorOn_ = false;
    entries_.clear();
    levels_.clear();
    setup_ = Setup{std::uint32_t(command.Field("unit")), command.Field("points"), runKind, int(command.Field("p4")),
                   int(command.Field("count")), sign, shift, int(command.Field("p7"))};
    const bool measurable = (runKind == OnePass || runKind == Continuous) && setup_.count > 0 && setup_.unit > 0 &&
                            setup_.points > 0 && setup_.points <= INT32_MAX && setup_.kind >= Afc &&
                            setup_.kind <= Monitoring;
    if (!measurable)
        setup_.count = 0;
    return !measurable;
}

void SimSstRun::Start(std::uint64_t firstSample) {
    running_ = true;
    point_ = 0;
    passStarted_ = false;
    windowFirst_ = firstSample;
}

std::uint64_t SimSstRun::Settled(std::uint64_t nowSample, double sampleRate) const {
    if (setup_.kind != Afc || setup_.settleMs <= 0 || !(sampleRate > 0))
        return nowSample;
    return nowSample + std::uint64_t(setup_.settleMs * sampleRate / 1000);
}

int SimSstRun::Points() const {
    if (setup_.kind != Scan)
        return setup_.count;
    const std::uint32_t first = entries_[0], last = entries_[1];
    return last > first ? int((last - first) / setup_.unit) + 1 : 1;
}

std::uint32_t SimSstRun::PlanWord(int point) const {
    if (setup_.kind == Scan)
        return entries_[0] + std::uint32_t(point) * setup_.unit;
    return entries_[std::size_t(point)];
}

// The measuring frequency of a plan frequency: on the line it lies the shift above (direct) or below it,
// mirrored (inverse).
std::uint32_t SimSstRun::Measured(std::uint32_t planWord) const {
    return setup_.sign < 0 ? setup_.shift - planWord : setup_.shift + planWord;
}

void SimSstRun::Hold(std::uint64_t nowSample) {
    if (running_ && windowFirst_ < nowSample)
        windowFirst_ = nowSample;
}

std::vector<SimSstItem> SimSstRun::Produce(std::uint64_t available, const SimWaveform &base, double generatorOhms,
                                           double sampleRate, const TimeOf &timeOf) {
    std::vector<SimSstItem> items;
    for (int done = 0; done < WindowsPerCall && running_; ++done) {
        if (windowFirst_ + std::uint64_t(setup_.points) > available)
            break;
        Measure(base, generatorOhms, sampleRate, timeOf, items);
    }
    return items;
}

void SimSstRun::Measure(const SimWaveform &base, double generatorOhms, double sampleRate, const TimeOf &timeOf,
                        std::vector<SimSstItem> &out) {
    const int length = int(setup_.points);
    const std::uint32_t planWord = PlanWord(point_);
    SimSstWindow window{windowFirst_, length, {}, 0, 0, 0};
    for (int offset : BandOffsets(setup_.kind))
        window.words.push_back(Measured(planWord + std::uint32_t(offset) * setup_.unit));

    SimWaveform line = base;
    line.noiseScale += config_.lineNoise;
    const bool generator = setup_.kind == Impedance || (setup_.kind == Afc && generatorOn_);
    if (generator && std::size_t(point_) < levels_.size()) {
        window.toneWord = generatorSign_ < 0 ? generatorShift_ - planWord : generatorShift_ + planWord;
        window.tonePeak = std::max(0, int(levels_[std::size_t(point_)])) * PeakPerLevelWord;
        if (setup_.kind == Impedance) {
            const std::complex<double> ratio =
                LineRatio(config_.line, window.toneWord / WordsPerTurn * sampleRate, generatorOhms);
            window.tonePeak *= std::abs(ratio);
            window.tonePhase = std::arg(ratio) / TwoPi;
        }
        // Phase 0 (plus the line's shift) on the window's first sample.
        const double startCycles = std::uint32_t(window.toneWord * std::uint32_t(windowFirst_)) / WordsPerTurn;
        line.tones.push_back(SimTone{window.tonePeak, window.toneWord / WordsPerTurn,
                                     std::fmod(window.tonePhase - startCycles + 1, 1.0)});
    }
    SimSignalSource source;
    source.SetWaveform(std::move(line));

    if (int(hann_.size()) != length) {
        hann_.resize(std::size_t(length));
        for (int n = 0; n < length; ++n)
            hann_[std::size_t(n)] = 0.5 - 0.5 * std::cos(TwoPi * n / length);
    }
    const std::vector<double> &hann = hann_;
    const std::size_t bands = window.words.size();
    std::vector<std::complex<double>> sum(bands, 0);
    std::int64_t clipped = 0;
    std::int16_t chunk[ChunkSamples];
    for (int at = 0; at < length; at += int(ChunkSamples)) {
        const int count = std::min(int(ChunkSamples), length - at);
        source.Fill(chunk, std::size_t(count), windowFirst_ + std::uint64_t(at));
        for (int i = 0; i < count; ++i)
            clipped += chunk[i] == 32767 || chunk[i] == -32768;
        for (std::size_t b = 0; b < bands; ++b) {
            // The oscillator's phase word is exact at each chunk's start; within it a rotation steps it.
            const std::uint32_t word = window.words[b];
            std::complex<double> turn = std::polar(1.0, std::uint32_t(word * std::uint32_t(at)) / WordsPerTurn * TwoPi);
            const std::complex<double> step = std::polar(1.0, word / WordsPerTurn * TwoPi);
            for (int i = 0; i < count; ++i) {
                sum[b] += chunk[i] * hann[std::size_t(at + i)] * turn;
                turn *= step;
            }
        }
    }
    windowFirst_ += std::uint64_t(length);
    const std::uint32_t stamp = std::max<std::uint32_t>(1, timeOf(windowFirst_));
    for (std::size_t b = 0; b < bands; ++b)
        out.push_back(SimSstItem{window.words[b], b + 1 == bands ? stamp : 0, ItemValue(sum[b].real()), ItemValue(sum[b].imag()),
                                 std::int16_t(std::min<std::int64_t>(clipped, INT16_MAX)), 0});
    windows_.push_back(std::move(window));
    if (windows_.size() > KeptWindows)
        windows_.erase(windows_.begin());
    passStarted_ = true;

    if (++point_ < Points())
        return;
    const bool again = setup_.runKind == Continuous;
    out.push_back(SimSstItem{Measured(0), stamp, 0, 0, 0, std::int16_t(again && setup_.kind == Scan ? 1 : 2)});
    point_ = 0;
    passStarted_ = false;
    running_ = again;
}
