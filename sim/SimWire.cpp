#include "sim/SimWire.h"

bool SimWire::Happens(double rate) {
    return rate > 0 && std::uniform_real_distribution<double>(0.0, 1.0)(random_) < rate;
}

void SimWire::Pass(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> &out) {
    for (std::size_t i = 0; i < size; ++i) {
        std::uint8_t byte = data[i];
        if (Happens(faults_.drop)) {
            ++dropped_;
            continue;
        }
        if (Happens(faults_.corrupt)) {
            ++corrupted_;
            byte ^= std::uint8_t(1u << std::uniform_int_distribution<int>(0, 7)(random_));
        }
        out.push_back(byte);
        if (Happens(faults_.duplicate)) {
            ++duplicated_;
            out.push_back(byte);
        }
    }
}
