#include "sim/SimCommandState.h"

#include "sim/SimPacketBytes.h"

namespace {

constexpr int GridPoints = 1024;

} // namespace

void SimCommandState::Take(const SimPacket &packet) {
    const std::vector<std::uint8_t> &p = packet.payload;
    const std::size_t words = p.size() / 2;
    switch (packet.type) {
    case 2:
        if (words == 10) {
            mode_.clear();
            for (std::size_t i = 0; i < words; ++i)
                mode_.push_back(SimWord(p, i));
        }
        break;
    case 4:
        if (words == 1)
            relay_ = SimWord(p, 0);
        break;
    case 5:
        if (words == 4)
            blockSize_ = int(SimReadLe(p.data(), 2));
        break;
    case 6:
        if (words == 10) {
            SimGeneratorSetting g;
            g.kind = SimWord(p, 0);
            g.range = SimWord(p, 1);
            g.code = SimWord(p, 2);
            g.length = SimWord(p, 3);
            g.calibration = {SimWord(p, 4), SimWord(p, 5), SimWord(p, 6)};
            if (g.kind == 3) {
                g.first = SimWord(p, 8);
                g.step = SimWord(p, 9);
            } else {
                g.phaseStep = SimReadLe(p.data() + 16, 4);
            }
            generator_ = g;
        }
        break;
    case 7:
        if (words == 8)
            meterKind_ = SimWord(p, 2);
        break;
    case 9:
        if (words == 1)
            messageMode_ = SimWord(p, 0);
        break;
    case 17:
        if (words == 2) {
            syncOn_ = SimWord(p, 0);
            syncEdgeMode_ = SimWord(p, 1);
        }
        break;
    default:
        break;
    }
}

std::vector<SimTone> SimCommandState::Tones(double codesPerStep) const {
    const double amplitude = generator_.code * codesPerStep;
    if (generator_.kind == 1)
        return {SimTone{amplitude, generator_.phaseStep / 4294967296.0, 0}};
    std::vector<SimTone> tones;
    if (generator_.kind == 3) {
        for (int i = 0; i < generator_.length; ++i) {
            const int position = generator_.first + i * generator_.step;
            if (position < 0 || position > GridPoints / 2)
                break;
            tones.push_back(SimTone{amplitude, double(position) / GridPoints, 0});
        }
    }
    return tones;
}
