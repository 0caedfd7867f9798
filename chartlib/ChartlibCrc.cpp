#include "chartlib/Chartlib.h"

#include <array>

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrc16Table() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        table[i] = std::uint16_t(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> Crc16TableData = MakeCrc16Table();

std::uint16_t UpdateCrc16(std::uint16_t crc, const std::uint8_t *bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i)
        crc = std::uint16_t((crc >> 8) ^ Crc16TableData[(crc ^ bytes[i]) & 0xFF]);
    return crc;
}

} // namespace

std::span<const std::uint16_t, 256> Crc16Table() {
    return Crc16TableData;
}

std::uint16_t CalcCrc16(const void *data, std::size_t length) {
    return UpdateCrc16(0, static_cast<const std::uint8_t *>(data), length);
}

bool CheckEepromCrc(std::span<const std::uint8_t, EepromImageSize> image) {
    const std::uint8_t zeroField[2] = {0, 0};
    std::uint16_t crc = UpdateCrc16(0, image.data(), EepromCrcOffset);
    crc = UpdateCrc16(crc, zeroField, sizeof zeroField);
    crc = UpdateCrc16(crc, image.data() + EepromCrcOffset + 2, EepromImageSize - EepromCrcOffset - 2);
    const std::uint16_t stored = std::uint16_t(image[EepromCrcOffset] | image[EepromCrcOffset + 1] << 8);
    return stored == crc;
}
