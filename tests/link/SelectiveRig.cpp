#include "SelectiveRig.h"

#include "engine/GeneratorSynthesis.h"
#include "link/Library.h"
#include "sim/SimSstProgram.h"
#include "state/MainGlobals.h"
#include "support/QuietSettings.h"

#include <cmath>

namespace {

constexpr double SampleRateKHz = 2560;

// Connection type 3 (generator and meter on one pair), sample-rate code 2 (2560 kHz), 600 Ohm both ways.
const std::int16_t ModeWords[10] = {3, 2, 1, 6, 1, 2, 3, 6, 5, 0};

} // namespace

SelectiveRig::SelectiveRig(bool selective, SimConfig config)
    : folder(FirmwareFolder::SmallProgram()),
      firmware(selective ? folder.Write(QStringLiteral("r9_307_sst.i00"), QByteArray::fromStdString(SimSstProgramHex()))
                         : folder.Path()),
      rig(std::move(config)) {
    settings = QuietSettings();
    settings.ConnectionType = 3;
    DeviceSettings = &settings;
    ConnectionKind = 1;
    GenRangeStep = 1;
    link.HexFileName = firmware;
    link.OnSstRez = [this](TDspIo9 *, double re, double im, std::uint32_t dP, std::uint32_t T, std::int16_t ovr,
                           std::int16_t end) { events.push_back({re, im, dP, T, ovr, end}); };
    link.OnSstStop = [this](TDspIo9 *) { ++stops; };
    status = link.Connect(0, false);
    if (status != 0)
        return;
    DspIo = &link;
    link.SendPacket(ModeWords, sizeof ModeWords, 2);
}

SelectiveRig::~SelectiveRig() {
    DspIo = nullptr;
    MirvakPlanCount = 0;
    link.Disconnect();
    DeviceSettings = saved;
}

std::uint32_t SelectiveRig::Word(double kHz) {
    return std::uint32_t(std::llround(kHz / SampleRateKHz * 4294967296.0));
}

void SelectiveRig::SetPlan(const std::vector<double> &kHz) {
    MirvakPlanCount = int(kHz.size());
    for (std::size_t i = 0; i < kHz.size(); ++i)
        MirvakPlanSteps[i] = Word(kHz[i]);
}

bool SelectiveRig::WaitForEnd(std::int16_t type, double seconds) {
    return WaitUntil(
        [&] {
            for (const SstEvent &e : events)
                if (e.SstEnd == type)
                    return true;
            return false;
        },
        seconds);
}

bool SelectiveRig::WaitForStop(double seconds) {
    return WaitUntil([&] { return stops > 0; }, seconds);
}

std::vector<SimSstWindow> SelectiveRig::Windows() {
    std::vector<SimSstWindow> windows;
    rig.Instrument->WithApplication([&](SimDspApplication &app) { windows = app.Selective().Windows(); });
    return windows;
}

std::vector<SimPacketViolation> SelectiveRig::Violations() {
    std::vector<SimPacketViolation> found;
    rig.Instrument->WithApplication([&](SimDspApplication &app) { found = app.Violations(); });
    return found;
}
