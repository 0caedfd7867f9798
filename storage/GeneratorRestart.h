#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// After a configuration load the generator state it stores is put in force again: under a remote link
// this analyser leads (on a real instrument) by one remote message that restarts both ends, otherwise
// by starting the first stored run or generator locally.

// The starts and button markings of the layers above, registered at start. An empty entry is a part of
// the program not built into this run, and that step is skipped.
struct TGeneratorRestartServices {
    std::function<void()> StartMasterFreq, StartMasterLev, StartMirvak, StartSync;
    std::function<void()> StartSin, StartSin2, StartRnd, StartMtts, StartNoise, BlockGenerator;
    // The start buttons of the masters show their state.
    std::function<void()> ShowMasterFreqState, ShowMasterLevState;
    // The settings window's buttons of a GeneratorKind, here and at the peer.
    std::function<void(int kind)> MarkLocalGenButton, MarkRemoteGenButton;
    // The peer's GenState of every kind but this GeneratorKind becomes 0.
    std::function<void(int kind)> SelectRemoteGenerator;
    std::function<void(const std::vector<uint8_t> &codes)> SendRemoteMessage;
};
TGeneratorRestartServices &GeneratorRestartServices();

// Clears the peer's connect state and raises the mode and measurement-mode commands, puts the stored
// run or generator in force and issues everything with one SendCommand; a running recording writes a
// settings record.
void RestartGeneratorsAfterLoad();
