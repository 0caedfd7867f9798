// Prints, one per line, the samples the simulated instrument puts at its ADC after one generator packet:
//   r9_sim_signal_probe <kind> <range> <code> <length> <phase step | first step> <first sample> <count>
// The packet is built from the fields as the packet table lays them out and goes through the packet
// checker; a violation is printed to stderr and ends the probe with status 1.
#include "sim/SimPacketChecker.h"

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

void Word(std::vector<std::uint8_t> &out, long value) {
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 8 && argc != 9) {
        std::cerr << "usage: r9_sim_signal_probe kind range code length step|first [step] first-sample count\n";
        return 2;
    }
    std::vector<long> a;
    for (int i = 1; i < argc; ++i)
        a.push_back(std::stol(argv[i]));
    const long kind = a[0];
    std::vector<std::uint8_t> payload;
    for (long word : {kind, a[1], a[2], a[3], 0L, 0L, 0L, 0L})
        Word(payload, word);
    std::size_t next = 4;
    if (kind == 3) {
        Word(payload, a[next++]);
        Word(payload, a[next++]);
    } else {
        const unsigned long step = std::stoul(argv[next + 1]);
        ++next;
        Word(payload, long(step & 0xFFFF));
        Word(payload, long(step >> 16));
    }
    SimPacketChecker checker;
    checker.Check({6, payload});
    for (const SimPacketViolation &v : checker.Violations())
        std::cerr << v.what << '\n';
    if (!checker.Violations().empty())
        return 1;
    SimSignalSource source;
    source.SetWaveform(checker.Commands().Waveform());
    const std::uint64_t first = std::uint64_t(a[next]);
    std::vector<std::int16_t> samples(std::size_t(a[next + 1]));
    source.Fill(samples.data(), samples.size(), first);
    for (std::int16_t s : samples)
        std::cout << s << '\n';
    return 0;
}
