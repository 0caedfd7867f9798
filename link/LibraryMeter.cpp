#include "link/Library.h"

#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/RandomEventAnalysis.h"
#include "engine/catalogue/ConnectionTypes.h"
#include "link/Dspio9.h"
#include "link/Ft_spi.h"
#include "link/LibraryPackets.h"
#include "link/PowerReadings.h"
#include "platform/CommandWait.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int RelayWriteAttempts = 5;
constexpr std::uint32_t ModeSettleMs = 500;
constexpr std::int32_t RndBlockSize = 2046;
constexpr std::int32_t NoiseSignalKind = 5;

// The BC board's relay register and the relay word of packet 4 for a connection type on the BC board.
struct RelaySetting {
    int value;
    std::int16_t word;
};

RelaySetting RelayFor(std::int16_t type) {
    const bool lowGen = DeviceSettings->GenLowImpedance == 1;
    const bool highMeter = DeviceSettings->MeterHighImpedance != 0;
    switch (type) {
    case 6:
        return {0x06 | (lowGen ? 0x01 : 0), -1};
    case 7:
        return {0x08 | (highMeter ? 0 : 0x40) | (DeviceSettings->Phasogram ? 0x80 : 0), -1};
    case 8:
        return {0x04, -1};
    case 9:
        return {0x08 | (lowGen ? 0x03 : 0) | (highMeter ? 0x02 : 0x40), -1};
    case 10:
        return {0x3F, -1};
    case 11:
        return {0x08 | (highMeter ? 0x02 : 0x40), 10};
    case 12:
        return {0x08 | (lowGen ? 0x03 : 0), 12};
    default:
        return {0, -1};
    }
}

// The block size the meter is to use: the pseudo-random signal needs whole periods of its sequence.
std::int32_t BlockSize() {
    return DeviceSettings->Rnd.State > 0 ? RndBlockSize : DeviceSettings->AdcSize;
}

std::int16_t DelayWord(float us) {
    const double ticks = std::trunc(double(us) * 0.04);
    return std::isfinite(ticks) ? std::int16_t(std::clamp(ticks, -32768.0, 32767.0)) : 0;
}

} // namespace

bool R9_setMode() {
    if (!DspIo)
        return true;
    const std::int16_t s = SampleRateCode();
    const std::int16_t m = MeterImpedanceCode();
    const std::int16_t g = GenImpedanceCode();
    const std::int16_t r = InputRangeCode();
    const PathCodes p = PathCodesFor(s);
    PacketWords words;
    words.Word(ConnectionModeCode()).Word(s).Word(p.c).Word(p.b).Word(1).Word(s).Word(p.a).Word(g).Word(m).Word(r);
    if (!SendWords(words, ModePacket))
        return CommandRefused(NotIssued("R9_setMode"));
    WaitServingWindows(ModeSettleMs);
    R9_setRelay();
    // A mode change resets the generator: every generator that is on is issued again.
    DeviceSettings->Mode |= GeneratorsOnMask();
    return true;
}

bool R9_setRelay() {
    if (!DspIo)
        return true;
    if (!FtSpi)
        return false;
    BcStatus = 0;
    const std::int16_t type = DeviceSettings->ConnectionType;
    if (type <= 5) {
        if (FtSpi->BusBC) {
            if (!FtSpi->WriteReg(RelayRegister, TFT_SPI::BcBoardChip, 0))
                ShowI2CError();
            WaitServingWindows(RegisterSettleMs);
            FtSpi->SelectBusBC(false);
        }
        return true;
    }
    if (!FtSpi->BusBC)
        FtSpi->SelectBusBC(true);
    const RelaySetting relay = RelayFor(type);
    int value = relay.value;
    if (GenRangeStep < 1)
        value |= AttenuatorBit;
    else if (GenRangeStep == 1)
        value &= ~AttenuatorBit;
    for (int attempt = 0; attempt < RelayWriteAttempts; ++attempt) {
        if (!FtSpi->WriteReg(RelayRegister, TFT_SPI::BcBoardChip, value))
            ShowI2CError();
        WaitServingWindows(RegisterSettleMs);
        std::int32_t readBack = -1;
        if (!FtSpi->ReadRegs(RelayRegister, TFT_SPI::BcBoardChip, 1, &readBack))
            ShowI2CError();
        if (readBack == value)
            break;
    }
    const PacketWords word = PacketWords().Word(relay.word);
    if (relay.word >= 0 && !DspIo->SendRelay(std::uint32_t(word.Bytes().size()), word.Bytes().data()))
        return CommandRefused(NotIssued("R9_setRelay"));
    return true;
}

bool M9_setADCsize() {
    if (DemoMode() || !DspIo || !MeterConnected(DeviceSettings->ConnectionType))
        return true;
    return DspIo->SetAdcSize(BlockSize()) || CommandRefused(NotIssuedWithMode("M9_setADCsize(Nadc)"));
}

bool StopADC() {
    if (DemoMode() || !DspIo)
        return true;
    if (!DspIo->SetAdcSize(0))
        return CommandRefused(NotIssuedWithMode("M9_setADCsize(0)"));
    if (!SendWords(PacketWords().Word(0).Word(0), SyncMeterPacket))
        return CommandRefused(NotIssuedWithMode("R9_setSyncMet(0,0)"));
    return true;
}

bool R9_setSyncMet() {
    if (!DspIo || !MeterConnected(DeviceSettings->ConnectionType))
        return true;
    const std::int8_t edgeMode = DeviceSettings->SyncEdgeMode;
    std::int16_t mode = 0, edge = 0, delay = 0;
    if (edgeMode >= 0 && edgeMode <= 3) {
        mode = edgeMode < 2 ? 1 : 2;
        edge = edgeMode % 2;
        delay = DelayWord(DeviceSettings->SyncDelay[edgeMode]);
    }
    const bool on = DeviceSettings->SyncGenState > 0;
    if (!SendWords(PacketWords().Word(on ? 1 : 0).Word(edgeMode), SyncMeterPacket))
        return CommandRefused(NotIssuedWithMode("R9_setSyncMet(1,x)"));
    if (DeviceSettings->SyncGenState == 0)
        mode = 0;
    return DspIo->SetAdcSizeSync(BlockSize(), mode, edge, delay) ||
           CommandRefused(NotIssuedWithMode("M9_setADCsize(Nadc)"));
}

bool M9_setMet(bool on) {
    if (DemoMode() || !DspIo)
        return true;
    const std::int32_t kind = !on ? 0 : SignalKind == NoiseSignalKind ? 2 : SignalKind;
    const TRandomEventSetup &setup = RandomEventSetup;
    PacketWords words;
    words.Long(std::uint32_t(setup.MergeCount)).Word(kind);
    for (std::int16_t word : {setup.BandStart, setup.BandEnd, setup.ToneStart, setup.ToneEnd, setup.CombSpacing})
        words.Word(word);
    if (!SendWords(words, MeterPacket))
        return CommandRefused(NotIssued(on ? "M9_setMet(On)" : "M9_setMet(Off)"));
    return true;
}

bool R9_MesMode() {
    if (!DspIo)
        return true;
    if (!SendWords(PacketWords().Word(DeviceSettings->ExchangeMode > 0 ? 1 : 0), MessageModePacket))
        return CommandRefused(QStringLiteral("Команда R9_Work->R9_MesMode не выполнена!\nНет ответа или прибор занят "
                                             "приемом\nвстречного сообщения."));
    return true;
}
