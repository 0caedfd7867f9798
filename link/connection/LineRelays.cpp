#include "link/connection/Tr9sendgetcommand.h"

#include "link/Ft_spi.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "state/DeviceSettings.h"

namespace {

constexpr int SyncRegister = 4;
constexpr int SyncRelayOn = 222;

// A register value that depends on whether a generator command is pending.
struct RelayValue {
    std::int16_t quiet;      // no generator command pending
    std::int16_t generating; // a generator command pending
};
// Register 2 of connection type 10 depends on the hardware version instead.
constexpr RelayValue ByHardware = {-1, -1};

struct RelayWrite {
    int reg;
    RelayValue value;
};

struct RelaySetting {
    int count;
    RelayWrite writes[4];
};

constexpr RelayValue Fixed(std::int16_t v) {
    return {v, v};
}

// The line relays of the main board by connection type, written in this order.
constexpr RelaySetting RelayTable[] = {
    /* 0 */ {0, {}},
    /* 1 */ {4, {{1, Fixed(0)}, {2, Fixed(0)}, {3, {252, 206}}, {5, Fixed(0)}}},
    /* 2 */ {4, {{1, Fixed(0)}, {2, Fixed(0)}, {3, Fixed(64)}, {5, Fixed(0)}}},
    /* 3 */ {4, {{1, Fixed(0)}, {2, Fixed(0)}, {3, {74, 121}}, {5, Fixed(0)}}},
    /* 4 */ {4, {{1, Fixed(0)}, {2, Fixed(0)}, {3, {74, 121}}, {5, Fixed(0)}}},
    /* 5 */ {4, {{1, Fixed(0)}, {2, Fixed(0)}, {3, Fixed(64)}, {5, {252, 206}}}},
    /* 6 */ {4, {{3, Fixed(0)}, {5, Fixed(0)}, {1, {252, 121}}, {2, Fixed(0)}}},
    /* 7 */ {4, {{3, Fixed(0)}, {5, Fixed(0)}, {1, Fixed(64)}, {2, Fixed(0)}}},
    /* 8 */ {4, {{3, Fixed(0)}, {5, Fixed(0)}, {1, {74, 121}}, {2, Fixed(0)}}},
    /* 9 */ {4, {{3, Fixed(0)}, {5, Fixed(0)}, {1, Fixed(64)}, {2, {252, 206}}}},
    /* 10 */ {4, {{3, Fixed(0)}, {5, Fixed(0)}, {1, {74, 121}}, {2, ByHardware}}},
    /* 11 */ {4, {{2, Fixed(0)}, {3, Fixed(0)}, {1, Fixed(64)}, {5, {252, 206}}}},
    /* 12 */ {4, {{1, Fixed(0)}, {5, Fixed(0)}, {3, Fixed(64)}, {2, {252, 206}}}},
};

int RelayValueFor(RelayValue value, bool quiet) {
    if (value.quiet == ByHardware.quiet)
        return InstrumentIdent.HardwareVersion >= 242 ? 74 : 0;
    return quiet ? value.quiet : value.generating;
}

} // namespace

void SetLineRelays() {
    const std::int32_t pending = DeviceSettings->Mode;
    if (pending & PendingSyncRelay && FtSpi) {
        FtSpi->WriteReg(SyncRegister, TFT_SPI::MainBoardChip, DeviceSettings->SyncGenState > 0 ? SyncRelayOn : 0);
        ShowI2CError();
    }
    const bool quiet = !(pending & PendingGeneratorKinds);
    if ((!(pending & EmuGenBlocked) && quiet) || !FtSpi)
        return;
    const std::int16_t type = DeviceSettings->ConnectionType;
    if (type < 0 || type >= std::int16_t(std::size(RelayTable)))
        return;
    // One message for the group: the last write that failed, even when a later one went through.
    QString lastError;
    const RelaySetting &setting = RelayTable[type];
    for (int i = 0; i < setting.count; ++i) {
        const RelayWrite &write = setting.writes[i];
        if (!FtSpi->WriteReg(write.reg, TFT_SPI::MainBoardChip, RelayValueFor(write.value, quiet)))
            lastError = FtSpi->LastError;
    }
    if (setting.count == 0)
        return;
    FtSpi->LastError = lastError;
    ShowI2CError();
}
