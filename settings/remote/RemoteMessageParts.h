#pragma once

#include <array>
#include <cstdint>
#include <vector>

// Record types of a remote-link message; the one-byte codes of a code list that are no record type are
// program codes (RemoteProgram.h).
enum RemoteRecordType : uint8_t {
    Sin_R = 10,
    Sin2_R = 11,
    MTTS_R = 12,
    Rnd_R = 13,
    Mute_R = 14,
    G9_Change_R = 15,
    Break_R = 16,
    Noise_R = 17,
    masterF_R = 18,
    masterL_R = 19,
    Plug_R = 21,
    ChangeM9_R = 23,
    RestartM9_R = 25,
    ParamSettings_R = 26,
    GetResults_R = 30,
    Results_R = 31,
    masterF_Stop_R = 33,
    masterL_Stop_R = 34,
    DontSupport_R = 40,
    SendTxt_R = 240,
    ScenarioInfo_R = 250,
    Sync_R = 255,
};

inline constexpr int32_t RemoteHeaderSize = 2;
inline constexpr int32_t RemoteMaxWords = 16000;

// Codes 0..15 of what the peer does not support. This program sets only entry 15 itself (a command
// came while no pairing was established); 1, 4 and 5 arrive in DontSupport_R from the peer.
inline constexpr int UnsupportedModeCount = 16;
inline constexpr int UnpairedAccess = 15;
using TUnsupportedModes = std::array<uint8_t, UnsupportedModeCount>;

// A message being built from a code list: the header and records for the peer, the program this side
// runs once the message is done, and the unsupported-mode flags that its program code 41 reports.
struct TRemoteOutgoing {
    std::vector<uint8_t> Data = std::vector<uint8_t>(RemoteHeaderSize, 0);
    std::vector<uint8_t> Program;
    TUnsupportedModes Unsupported{};
};

// The state of one parse of a received message. It belongs to that parse alone: a parse can run inside
// another one's wait for results.
struct TRemoteParse {
    std::vector<uint8_t> Reply;
    TUnsupportedModes Unsupported{};
    bool NotSupported = false;
};

// Program codes: what this side runs itself once a message is done (RemoteProgram.h).
enum RemoteProgramCode : uint8_t {
    PrgStartSin = 0,
    PrgStartSin2 = 1,
    PrgStartMtts = 2,
    PrgStartRnd = 3,
    PrgBlock = 4,
    PrgGeneratorSettings = 5,
    PrgBreak = 6,
    PrgStartNoise = 7,
    PrgStartMasterF = 8,
    PrgStartMasterL = 9,
    PrgConnectionType = 20,
    PrgMeterSettings = 22,
    PrgRecompute = 24,
    PrgParamSettings = 27,
    PrgRemoteResults = 32,
    PrgNotSupported = 41,
};
