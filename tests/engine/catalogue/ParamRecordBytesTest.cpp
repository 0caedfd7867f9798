#include "CatalogueFixture.h"

#include <array>
#include <cstring>

namespace {

template <typename T> std::array<uint8_t, sizeof(T)> BytesOf(const T &record) {
    std::array<uint8_t, sizeof(T)> bytes;
    std::memcpy(bytes.data(), &record, sizeof(T));
    return bytes;
}

} // namespace

// Settings snapshots store the 40 bytes as they are, gaps included, so the builder must leave the
// gaps zero even over a row that held other bytes before.
TEST_F(Catalogue, SettingsOfARowAreTheStoredFortyByteImage) {
    std::memset(&Row(1, 3).Settings, 0xAA, sizeof(ParamSettings));
    BuildParamCatalogue();

    // SIN "Сигнал,дБм0": A P, norms -40 and 10, factor 1, no templates, Y -80..10, blue.
    const std::array<uint8_t, 40> expected = {0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x20, 0xC2, 0x00, 0x00,
                                              0x20, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,
                                              0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00,
                                              0xA0, 0xC2, 0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0xFF, 0x00};
    EXPECT_EQ(BytesOf(Row(1, 3).Settings), expected);
}

// Result messages and protocol snapshots copy the 12 bytes as they are.
TEST_F(Catalogue, ResultOfARowIsTheTwelveByteWireImage) {
    std::memset(&Row(4, 2).Result, 0xAA, sizeof(ParamResult));
    std::memset(&RemoteParamResultsPrbs[2], 0xAA, sizeof(ParamResult));
    BuildParamCatalogue();

    const std::array<uint8_t, 12> expected = {0x7F, 0x96, 0x18, 0xCB, 0x7F, 0x96, 0x18, 0xCB, 0x03, 0x00, 0x00, 0x00};
    EXPECT_EQ(BytesOf(Row(4, 2).Result), expected);
    EXPECT_EQ(BytesOf(RemoteParamResultsPrbs[2]), expected);
}
