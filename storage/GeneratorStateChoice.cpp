#include "storage/GeneratorStateChoice.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr std::size_t NoField = std::size_t(-1);

// What one code stores: its int32 state field set to 1 and, where it has one, its SIN flag set.
struct StoredState {
    std::size_t State;
    std::size_t SinFlag;
    uint8_t SinValue;
};

constexpr std::size_t GenStateOf(std::size_t block) {
    return block + offsetof(GenBlock, State);
}
constexpr std::size_t MasterField(std::size_t master, std::size_t field) {
    return master + field;
}

constexpr std::size_t MasterF = offsetof(TDeviceSettings, MasterF);
constexpr std::size_t MasterL = offsetof(TDeviceSettings, MasterL);
constexpr std::size_t Mirvak = offsetof(TDeviceSettings, Mirvak);
constexpr std::size_t RemoteGen = offsetof(TDeviceSettings, RemoteGenState);

// The peer's generator states are kept in the order SIN, SIN2, MTTS, RND, block.
constexpr std::size_t RemoteStateOf(int index) {
    return RemoteGen + std::size_t(index) * sizeof(int32_t);
}

constexpr StoredState LocalCodes[LocalStateCodes] = {
    {GenStateOf(offsetof(TDeviceSettings, Sin)), NoField, 0},
    {GenStateOf(offsetof(TDeviceSettings, Sin2)), NoField, 0},
    {GenStateOf(offsetof(TDeviceSettings, Rnd)), NoField, 0},
    {GenStateOf(offsetof(TDeviceSettings, Mtts)), NoField, 0},
    {GenStateOf(offsetof(TDeviceSettings, Noise)), NoField, 0},
    {GenStateOf(offsetof(TDeviceSettings, Block)), NoField, 0},
    {MasterField(MasterF, offsetof(MasterBlock, State)), MasterField(MasterF, offsetof(MasterBlock, SinOn)), 1},
    {MasterField(MasterF, offsetof(MasterBlock, State)), MasterField(MasterF, offsetof(MasterBlock, SinOn)), 0},
    {MasterField(MasterL, offsetof(MasterBlock, State)), MasterField(MasterL, offsetof(MasterBlock, SinOn)), 1},
    {MasterField(MasterL, offsetof(MasterBlock, State)), MasterField(MasterL, offsetof(MasterBlock, SinOn)), 0},
    {Mirvak + offsetof(MirvakBlock, RunState), Mirvak + offsetof(MirvakBlock, SinOn), 1},
    {Mirvak + offsetof(MirvakBlock, RunState), Mirvak + offsetof(MirvakBlock, SinOn), 0},
    {offsetof(TDeviceSettings, SyncGenState), NoField, 0},
};

constexpr StoredState RemoteCodes[RemoteStateCodes] = {
    {RemoteStateOf(0), NoField, 0},
    {RemoteStateOf(1), NoField, 0},
    {RemoteStateOf(3), NoField, 0},
    {RemoteStateOf(2), NoField, 0},
    {offsetof(TDeviceSettings, RemoteNoiseState), NoField, 0},
    {RemoteStateOf(4), NoField, 0},
    {MasterField(MasterF, offsetof(MasterBlock, State)), MasterField(MasterF, offsetof(MasterBlock, RemoteSinOn)), 1},
    {MasterField(MasterF, offsetof(MasterBlock, State)), MasterField(MasterF, offsetof(MasterBlock, RemoteSinOn)), 0},
    {MasterField(MasterL, offsetof(MasterBlock, State)), MasterField(MasterL, offsetof(MasterBlock, RemoteSinOn)), 1},
    {MasterField(MasterL, offsetof(MasterBlock, State)), MasterField(MasterL, offsetof(MasterBlock, RemoteSinOn)), 0},
};

// The generator kinds that come first (codes 0..4), before "blocked" (5).
constexpr int32_t GeneratorCodes = 5;
constexpr int32_t BlockedCode = 5;
constexpr int32_t FirstRunCode = 6;

// The record is packed: its fields are reached by offset and copied.
int32_t StateAt(const TDeviceSettings &s, std::size_t offset) {
    int32_t value;
    std::memcpy(&value, reinterpret_cast<const char *>(&s) + offset, sizeof value);
    return value;
}
uint8_t FlagAt(const TDeviceSettings &s, std::size_t offset) {
    return reinterpret_cast<const uint8_t *>(&s)[offset];
}
void SetStateAt(TDeviceSettings &s, std::size_t offset, int32_t value) {
    std::memcpy(reinterpret_cast<char *>(&s) + offset, &value, sizeof value);
}
void SetFlagAt(TDeviceSettings &s, std::size_t offset, uint8_t value) {
    reinterpret_cast<uint8_t *>(&s)[offset] = value;
}

// The first generator that is not off, else blocked; then each run that is on overrides what came
// before (its two codes say whether its SIN is on), the last one winning.
template <std::size_t N> int32_t ChoiceOf(const TDeviceSettings &s, const StoredState (&codes)[N]) {
    int32_t code = BlockedCode;
    for (int32_t i = GeneratorCodes - 1; i >= 0; --i)
        if (StateAt(s, codes[i].State) != 0)
            code = i;
    for (int32_t run = FirstRunCode; run < int32_t(N); run += codes[run].SinFlag == NoField ? 1 : 2)
        if (StateAt(s, codes[run].State) != 0)
            code = codes[run].SinFlag == NoField || FlagAt(s, codes[run].SinFlag) ? run : run + 1;
    return code;
}

template <std::size_t N> void Store(TDeviceSettings &s, const StoredState (&codes)[N], int32_t code) {
    if (code < 0 || code >= int32_t(N))
        return;
    SetStateAt(s, codes[code].State, 1);
    if (codes[code].SinFlag != NoField)
        SetFlagAt(s, codes[code].SinFlag, codes[code].SinValue);
}

} // namespace

void ComputeGeneratorStateChoice(const TDeviceSettings &settings) {
    StateCfgConnect = settings.ConnectState > 0 ? 1 : 0;
    StateCfgLocal = ChoiceOf(settings, LocalCodes);
    StateCfgRemote = ChoiceOf(settings, RemoteCodes);
}

void StoreGeneratorStateChoice(TDeviceSettings &copy) {
    copy.ConnectState = StateCfgConnect;
    for (const StoredState &code : LocalCodes)
        SetStateAt(copy, code.State, 0);
    for (const StoredState &code : RemoteCodes)
        SetStateAt(copy, code.State, 0);
    copy.MasterF.RemoteSinOn = 0;
    copy.MasterL.RemoteSinOn = 0;
    Store(copy, LocalCodes, StateCfgLocal);
    Store(copy, RemoteCodes, StateCfgRemote);
}
