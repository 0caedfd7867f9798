// Runs one selective run of the simulated instrument's selective program through the program's link and
// prints what a check written apart needs, one record per line:
//   r9_selective_probe afc | scan | impedance
//   band <samples per item N> <phase word of one band> <line noise per noise unit>
//   line <ohms> <farads> <generator ohms>        (impedance)
//   sine <amplitude code> <phase step>           (scan: the ordinary generator's sine)
//   level <level word>                           (afc, impedance: per plan point, as sent)
//   window <first sample> <tone word> <measuring words...>
//   item <dP> <T> <Re> <Im> <OVR> <end>
// Status 1 when the run did not end or the instrument found a packet at fault.
#include "SelectiveRig.h"

#include "link/Library.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr double LineOhms = 600;
constexpr double LineFarads = 10e-9;

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: r9_selective_probe afc|scan|impedance\n");
        return 2;
    }
    const std::string run = argv[1];
    SimConfig config;
    config.dsp.selective.line = {LineOhms, LineFarads};
    SelectiveRig rig(true, config);
    if (rig.status != 0)
        return 1;
    MirvakBlock &m = rig.settings.Mirvak;
    m.RunActive = 1;
    m.B = 0.1f;
    m.SinOn = 1;
    m.SinLevel = -10;
    m.Options = 0;
    if (run == "afc") {
        m.SubMode = 0;
        rig.SetPlan({10, 20.05, 300});
    } else if (run == "scan") {
        rig.settings.Sin.F1 = 10;
        rig.settings.Sin.Level = -20;
        if (!G9_setSinSst())
            return 1;
        m.SubMode = 1;
        rig.SetPlan({9, 11});
    } else {
        m.SubMode = 3;
        rig.SetPlan({1, 16, 160});
    }
    const int count = MirvakPlanCount;
    if (!R9_setSST() || !rig.WaitForEnd(2) || !rig.Violations().empty())
        return 1;

    std::printf("band %d %u %.17g\n", MirvakPointsPerBand, unsigned(4294967296.0 / MirvakPointsPerBand),
                config.dsp.selective.lineNoise);
    if (run == "impedance")
        std::printf("line %.17g %.17g 600\n", LineOhms, LineFarads);
    if (run == "scan") {
        SimGeneratorSetting sine;
        rig.rig.Instrument->WithApplication([&](SimDspApplication &a) { sine = a.Checker().Commands().Generator(); });
        std::printf("sine %d %u\n", sine.code, unsigned(sine.phaseStep));
    } else {
        for (int i = 0; i < count; ++i)
            std::printf("level %d\n", MirvakPlanLevels[i]);
    }
    for (const SimSstWindow &w : rig.Windows()) {
        std::printf("window %llu %u", static_cast<unsigned long long>(w.first), unsigned(w.toneWord));
        for (std::uint32_t word : w.words)
            std::printf(" %u", unsigned(word));
        std::printf("\n");
    }
    for (const SstEvent &e : rig.events)
        std::printf("item %u %u %.17g %.17g %d %d\n", unsigned(e.dP), unsigned(e.T), e.Re, e.Im, e.OVR, e.SstEnd);
    return 0;
}
