#pragma once

#include "sim/SimCommand.h"
#include "sim/SimSignalSource.h"

#include <array>
#include <cstdint>
#include <vector>

// The generator as the last generator packet set it. Kinds: 0 mute, 1 sine, 2 noise, 3 multitone,
// 4 pseudo-random; -1 until a generator packet arrived.
struct SimGeneratorSetting {
    int kind = -1;
    int range = 0;
    int code = 0;   // amplitude code, Q14
    int length = 0; // table length (sine), tone count (multitone)
    std::array<int, 3> calibration{};
    std::uint32_t phaseStep = 0; // sine: cycles per sample x 2^32
    int first = 0, step = 0;     // multitone: tone positions on the 1024-point grid of the sample rate
};

// The last message handed to the instrument for the analyser at the line's other end.
struct SimMessage {
    int id = 0;       // the message identifier (low byte of header word 1)
    int counter = 0;  // the program's message counter (high byte)
    int reliable = 0; // header word 2
    int totalWords = 0;
    // Header words 3 to 9: the control multitone's range, code, first tone and width, and calibration.
    int range = 0, code = 0, first = 0, width = 0;
    std::array<int, 3> calibration{};
    std::vector<std::uint8_t> body;
    bool complete = false; // every body word announced has arrived
};

// What the instrument has been told so far, decoded from the program's commands.
class SimCommandState {
public:
    void Take(const SimCommand &command);

    const SimGeneratorSetting &Generator() const { return generator_; }
    // The ten words of the last mode packet; empty before one arrived.
    const std::vector<int> &ModeWords() const { return mode_; }
    // The ADC's sample rate in Hz that the last mode packet's sample-rate code selects (10.24 MHz halved
    // per code step), or 0 before a mode packet.
    double SampleRate() const;
    int RelayWord() const { return relay_; }
    int RelayRegister() const { return relayRegister_; } // -1 before the first write
    int BlockSize() const { return blockSize_; }
    int SyncOn() const { return syncOn_; }
    int SyncEdgeMode() const { return syncEdgeMode_; }
    int MeterKind() const { return meterKind_; }
    int MessageMode() const { return messageMode_; }
    const SimMessage &Message() const { return message_; }
    int MessageAborts() const { return messageAborts_; }

    // What the generator puts on the line, looped back to the ADC one to one: the generator's tables
    // scaled by the Q14 amplitude code, on an ideal flat path (the calibration words correct an analog path
    // the simulation does not have). A sine peaks at 10850 codes at full scale, each of n multitone lines
    // at trunc(10850 / sqrt(n)) from the DSP's start phase of its harmonic (0 or half a turn), a pseudo-random chip at 7672; the noise is the noise variable times
    // 7832 / 4096. Mute, and the time before a generator packet, are silent.
    SimWaveform Waveform() const;

private:
    SimGeneratorSetting generator_;
    std::vector<int> mode_;
    int relay_ = -1;
    int relayRegister_ = -1;
    int blockSize_ = 0;
    int syncOn_ = 0, syncEdgeMode_ = 0;
    int meterKind_ = 0;
    int messageMode_ = 0;
    SimMessage message_;
    int messageAborts_ = 0;
};
