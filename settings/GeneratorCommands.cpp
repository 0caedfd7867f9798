#include "settings/GeneratorCommands.h"

#include "link/connection/Tr9sendgetcommand.h"
#include "settings/GeneratorStates.h"
#include "settings/SettingsHost.h"
#include "settings/SettingsInterlocks.h"
#include "settings/SettingsWindowButtons.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"
#include "state/MainGlobals.h"

#include <cstdint>

namespace {

constexpr int32_t GeneratorCommandBits = 0x0FC; // the block and the five kinds
constexpr int32_t BlockCommandBit = 0x004;

struct GeneratorStart {
    int kind;
    GenBlock TDeviceSettings::*block;
    int32_t mode; // the kind's command bit with the recompute bit 0x100
};

// clang-format off
constexpr GeneratorStart Starts[] = {
    {GenKindSin, &TDeviceSettings::Sin, 0x108},
    {GenKindSin2, &TDeviceSettings::Sin2, 0x110},
    {GenKindMtts, &TDeviceSettings::Mtts, 0x120},
    {GenKindRnd, &TDeviceSettings::Rnd, 0x140},
    {GenKindNoise, &TDeviceSettings::Noise, 0x180},
};
// clang-format on

const GeneratorStart &StartOf(int kind) {
    for (const GeneratorStart &start : Starts)
        if (start.kind == kind)
            return start;
    return Starts[0];
}

void Select(const GeneratorStart &start) {
    (DeviceSettings->*start.block).State = 1;
    SelectLocalGenerator(start.kind);
}

void Raise(int32_t bits) {
    ClearGeneratorCommands();
    DeviceSettings->Mode |= bits;
}

// SendCommand leaves the bits pending when it could not issue anything (paused, no link yet); those go
// out with the next call. Only a command that went out and failed marks the generator.
void SendAndMarkFailure(GenBlock &block, int32_t commandBit) {
    SendCommand();
    const bool issued = !(DeviceSettings->Mode & commandBit);
    if (issued && CommandFailed && block.State == 1)
        block.State = -1;
}

void Finish(const GeneratorStart &start) {
    MarkLocalGenButton(start.kind);
    UpdateControlStates();
}

void StartPlain(int kind) {
    const GeneratorStart &start = StartOf(kind);
    Select(start);
    Raise(start.mode);
    SendAndMarkFailure(DeviceSettings->*start.block, start.mode & GeneratorCommandBits);
    Finish(start);
}

} // namespace

void ClearGeneratorCommands() {
    DeviceSettings->Mode &= ~GeneratorCommandBits;
}

void ReopenIfSstRunning() {
    if (MirvakFirmware == 1 && MeasurementRunning && SettingsHost().ReopenInstrument)
        SettingsHost().ReopenInstrument();
}

void StartSin() {
    StartPlain(GenKindSin);
}

void StartSin2() {
    StartPlain(GenKindSin2);
}

void StartNoise() {
    StartPlain(GenKindNoise);
}

void StartMtts() {
    const GeneratorStart &start = StartOf(GenKindMtts);
    Select(start);
    UpdateBandForMtts();
    Raise(start.mode);
    SendAndMarkFailure(DeviceSettings->Mtts, start.mode & GeneratorCommandBits);
    MarkLocalGenButton(start.kind);
    RefreshMeterPage();
    UpdateControlStates();
}

void StartRnd() {
    TDeviceSettings &s = *DeviceSettings;
    const GeneratorStart &start = StartOf(GenKindRnd);
    Select(start);
    Raise(start.mode);
    if (s.EventCounting || s.AdcSizeIndex > 0) {
        s.EventCounting = 0;
        s.AdcSizeIndex = 0;
        s.Mode |= 0x001;
        if (SettingsHost().ApplyBlockSize)
            SettingsHost().ApplyBlockSize(false, true);
    }
    Finish(start);
    SendAndMarkFailure(s.Rnd, start.mode & GeneratorCommandBits);
    if (s.Rnd.State == -1)
        MarkLocalGenButton(start.kind);
}

void BlockGenerator() {
    TDeviceSettings &s = *DeviceSettings;
    Raise(BlockCommandBit);
    s.Block.State = 1;
    SelectBlockState();
    SendCommand();
}

void SelectBlockState() {
    SelectLocalGenerator(GenKindBlock);
    MarkLocalGenButton(GenKindBlock);
    UpdateControlStates();
}
