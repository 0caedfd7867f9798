#pragma once

#include "sim/SimCommand.h"
#include "sim/SimSignalSource.h"

#include <cstdint>
#include <functional>
#include <vector>

// The line's input impedance in the impedance sub-modes: a resistance in parallel with a capacitance
// (infinite ohms: the far end open; 0: shorted).
struct SimSstLine {
    double ohms = 600;
    double farads = 0;
};

struct SimSstConfig {
    // The line's own noise under everything the generators put on it: ADC codes per unit of the noise
    // variable of SimSignalSource (about 4730 units rms), so that a band without a tone reads noise.
    double lineNoise = 0.002;
    SimSstLine line;
};

// One selective result record as the DSP sends it (24 bytes on the wire, Re and Im in 48 bits).
struct SimSstItem {
    std::uint32_t dP = 0;      // the measuring frequency as a phase word of the sample rate
    std::uint32_t T = 0;       // time stamp; 0 on every item of a point but its last
    std::int64_t Re = 0, Im = 0;
    std::int16_t OVR = 0;      // clipped samples in the item's window
    std::int16_t SstEnd = 0;   // 0 an item, 1 the end of a scan sweep that another follows, 2 the end of a pass
};

// One measured window, kept for tests: its first sample, length, the measuring words and the generator's
// tone on the line (frequency word and peak in ADC codes, 0 when off; phase 0 at the first sample).
struct SimSstWindow {
    std::uint64_t first = 0;
    int length = 0;
    std::vector<std::uint32_t> words;
    std::uint32_t toneWord = 0;
    double tonePeak = 0;
    double tonePhase = 0; // cycles, the line's phase shift of the tone
};

// The selective DSP program's measurement, from the set-up (packet 18 with its levels 20 and entries 19)
// to the end item of each pass or to the stop.
//
// A set-up header gives the band's length N (samples per item), the phase word of one band (unit), the
// run kind (0 stop, 1 one pass, 2 continuous, 4 the generator on for the current run), the measurement
// kind (0 AFC, 1 impedance, 2 scan, 3 level monitoring), the plan's point count, the meter's spectrum
// shift (sign and phase word) and, for AFC, the time the line takes to settle before a pass (p7, ms). Each point is measured over N samples through a Hann window: the DSP's
// sums correlate the samples with the cosine and sine of its measuring oscillator, which starts at phase
// 0 on the window's first sample. Per point: AFC three items (the point, one band below, one above),
// monitoring five (the point, two below, two above), impedance one; the scan one per band from the first
// entry to the second. Only the last item of a point carries a time stamp. A pass ends with an end item
// without frequency (type 2; type 1 for a scan sweep that another follows); a continuous run goes on.
//
// The generator plays each point's frequency at its level word in the impedance sub-modes, and in AFC
// once the generator set-up (run kind 4) came; its shift applies as the meter's does. The program measures
// only while its output has room: a window under way when the output fills starts over once it frees.
class SimSstRun {
public:
    using TimeOf = std::function<std::uint32_t(std::uint64_t sample)>;

    explicit SimSstRun(SimSstConfig config = SimSstConfig()) : config_(config) {}

    void Reset();
    // A command of the set-up; true when the stop report (packet 14) is due: a stop, or a set-up with
    // nothing to measure.
    bool Take(const SimCommand &command, std::uint64_t nowSample, double sampleRate);
    // The items of every window complete by sample `available`. The line carries `base` (what the ordinary
    // generator plays) with the run's tone and noise; `generatorOhms` is the source resistance.
    std::vector<SimSstItem> Produce(std::uint64_t available, const SimWaveform &base, double generatorOhms,
                                    double sampleRate, const TimeOf &timeOf);
    // The DSP's output is full: it measures nothing until it can send again, and the window under way
    // starts over when it can.
    void Hold(std::uint64_t nowSample);
    bool Running() const { return running_; }
    const std::vector<SimSstWindow> &Windows() const { return windows_; }

private:
    struct Setup {
        std::uint32_t unit = 0;
        std::int64_t points = 0;
        int runKind = 0, kind = 0, count = 0, sign = 1;
        std::uint32_t shift = 0;
        int settleMs = 0; // p7 of an AFC set-up: the line settles this long before a pass
    };

    void Start(std::uint64_t firstSample);
    std::uint64_t Settled(std::uint64_t nowSample, double sampleRate) const;
    int Points() const;
    std::uint32_t PlanWord(int point) const;
    std::uint32_t Measured(std::uint32_t planWord) const;
    void Measure(const SimWaveform &base, double generatorOhms, double sampleRate, const TimeOf &timeOf,
                 std::vector<SimSstItem> &out);

    SimSstConfig config_;
    Setup setup_;
    std::vector<std::uint32_t> entries_;
    std::vector<std::int16_t> levels_;
    bool generatorOn_ = false;
    int generatorSign_ = 1;
    std::uint32_t generatorShift_ = 0;
    bool running_ = false;
    int point_ = 0;            // the point (or scan band) measured next
    bool passStarted_ = false; // an item of the current pass went out
    std::uint64_t windowFirst_ = 0;
    std::vector<SimSstWindow> windows_;
    std::vector<double> hann_; // the window of the last band length
};
