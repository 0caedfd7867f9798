#pragma once

#include "sim/SimLinkPeer.h"
#include "sim/SimSignalSource.h"

#include <array>
#include <cstdint>
#include <vector>

// The generator as the last generator packet set it. Kinds: 0 mute, 1 sine, 2 noise, 3 multitone,
// 4 pseudo-random; -1 until a generator packet arrived.
struct SimGeneratorSetting {
    int kind = -1;
    int range = 0;
    int code = 0;   // amplitude code
    int length = 0; // table length (sine), tone count (multitone)
    std::array<int, 3> calibration{};
    std::uint32_t phaseStep = 0; // sine: cycles per sample x 2^32
    int first = 0, step = 0;     // multitone: tone positions on the 1024-point grid of the sample rate
};

// What the instrument has been told so far, decoded from the program's command packets.
class SimCommandState {
public:
    void Take(const SimPacket &packet);

    const SimGeneratorSetting &Generator() const { return generator_; }
    // The ten words of the last mode packet; empty before one arrived.
    const std::vector<int> &ModeWords() const { return mode_; }
    int RelayWord() const { return relay_; }
    int BlockSize() const { return blockSize_; }
    int SyncOn() const { return syncOn_; }
    int SyncEdgeMode() const { return syncEdgeMode_; }
    int MeterKind() const { return meterKind_; }
    int MessageMode() const { return messageMode_; }

    // The tones the generator puts out, in ADC codes of `codesPerStep` per amplitude code: a sine at its
    // phase step, or the multitone's lines; nothing for mute, noise, the pseudo-random signal or before a
    // generator packet.
    std::vector<SimTone> Tones(double codesPerStep) const;

private:
    SimGeneratorSetting generator_;
    std::vector<int> mode_;
    int relay_ = -1;
    int blockSize_ = 0;
    int syncOn_ = 0, syncEdgeMode_ = 0;
    int meterKind_ = 0;
    int messageMode_ = 0;
};
