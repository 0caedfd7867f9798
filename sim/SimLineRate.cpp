#include "sim/SimLineRate.h"

#include <algorithm>

void SimLineRate::Set(std::uint32_t baud, std::uint32_t bitsPerByte) {
    byteUs_ = baud ? double(bitsPerByte) * 1e6 / double(baud) : 0;
}

void SimLineRate::Push(std::uint64_t nowUs, const std::uint8_t *data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        freeAtUs_ = std::max(freeAtUs_, double(nowUs)) + byteUs_;
        bytes_.push_back({freeAtUs_, data[i]});
    }
}

void SimLineRate::Release(std::uint64_t nowUs, std::vector<std::uint8_t> &out) {
    while (!bytes_.empty() && bytes_.front().dueUs <= double(nowUs)) {
        out.push_back(bytes_.front().value);
        bytes_.pop_front();
    }
}

void SimLineRate::Clear() {
    bytes_.clear();
    freeAtUs_ = 0;
}
