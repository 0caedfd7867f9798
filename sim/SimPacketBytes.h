#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Packet payloads on the DSP channel are little-endian.

inline void SimAppendLe(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

inline std::uint32_t SimReadLe(const std::uint8_t *data, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | data[i];
    return value;
}

// The int16 word `index` of a payload.
inline std::int16_t SimWord(const std::vector<std::uint8_t> &payload, std::size_t index) {
    return std::int16_t(SimReadLe(payload.data() + 2 * index, 2));
}
