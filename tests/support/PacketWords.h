#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// The body of a DSP packet as a test writes it down: int16 words, then uint32 longs, each little-endian.
inline std::vector<std::uint8_t> PacketBytes(std::initializer_list<int> words,
                                             std::initializer_list<std::uint32_t> longs = {}) {
    std::vector<std::uint8_t> bytes;
    for (int word : words) {
        bytes.push_back(std::uint8_t(word));
        bytes.push_back(std::uint8_t(word >> 8));
    }
    for (std::uint32_t l : longs)
        for (int i = 0; i < 4; ++i)
            bytes.push_back(std::uint8_t(l >> (8 * i)));
    return bytes;
}
