#include "chartlib/Chartlib.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <array>
#include <vector>
#include "support/Fixtures.h"

namespace {

// crc16_arc.txt holds values computed bit by bit in Python (crc16_arc.py writes it).
struct CrcFixture {
    std::vector<std::uint16_t> table;
    std::vector<std::pair<QByteArray, std::uint16_t>> vectors;
    QByteArray eeprom;
};

CrcFixture LoadCrcFixture() {
    CrcFixture fixture;
    QFile file(FixturePath(QStringLiteral("chartlib/crc16_arc.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return fixture;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().trimmed().split(' ');
        if (fields[0] == "table") {
            for (qsizetype i = 1; i < fields.size(); ++i)
                fixture.table.push_back(std::uint16_t(fields[i].toUInt(nullptr, 16)));
        } else if (fields[0] == "vector" && fields.size() == 3) {
            fixture.vectors.emplace_back(QByteArray::fromHex(fields[1]), std::uint16_t(fields[2].toUInt(nullptr, 16)));
        } else if (fields[0] == "eeprom" && fields.size() == 2) {
            fixture.eeprom = QByteArray::fromHex(fields[1]);
        }
    }
    return fixture;
}

std::array<std::uint8_t, EepromImageSize> ValidEepromImage() {
    const QByteArray bytes = LoadCrcFixture().eeprom;
    std::array<std::uint8_t, EepromImageSize> image{};
    if (bytes.size() == qsizetype(image.size()))
        std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

} // namespace

TEST(ChartlibCrc, CheckValues) {
    EXPECT_EQ(CalcCrc16("123456789", 9), 0xBB3D);
    EXPECT_EQ(CalcCrc16("abc", 3), 0x9738);
    EXPECT_EQ(CalcCrc16("", 0), 0);
    EXPECT_EQ(CalcCrc16(nullptr, 0), 0);
}

TEST(ChartlibCrc, TableAndBuffersMatchABitwiseReference) {
    const CrcFixture fixture = LoadCrcFixture();
    ASSERT_EQ(fixture.table.size(), 256u);
    ASSERT_FALSE(fixture.vectors.empty());
    const std::span<const std::uint16_t, 256> table = Crc16Table();
    for (std::size_t i = 0; i < 256; ++i)
        EXPECT_EQ(table[i], fixture.table[i]) << i;
    for (const auto &[bytes, crc] : fixture.vectors)
        EXPECT_EQ(CalcCrc16(bytes.constData(), std::size_t(bytes.size())), crc) << bytes.size() << " bytes";
}

TEST(ChartlibCrc, EepromCheckAcceptsAValidImageAndLeavesItUnchanged) {
    const std::array<std::uint8_t, EepromImageSize> image = ValidEepromImage();
    ASSERT_NE(image[EepromCrcOffset] | image[EepromCrcOffset + 1], 0);
    const std::array<std::uint8_t, EepromImageSize> before = image;
    EXPECT_TRUE(CheckEepromCrc(image));
    EXPECT_EQ(image, before);
}

TEST(ChartlibCrc, EepromCheckFailsOnAnyChangedByte) {
    std::array<std::uint8_t, EepromImageSize> image = ValidEepromImage();
    ASSERT_TRUE(CheckEepromCrc(image));
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (i == EepromCrcOffset || i == EepromCrcOffset + 1)
            continue;
        image[i] ^= 0x01;
        EXPECT_FALSE(CheckEepromCrc(image)) << "byte " << i;
        image[i] ^= 0x01;
    }
    // A changed check field itself no longer matches either.
    image[EepromCrcOffset + 1] ^= 0x80;
    EXPECT_FALSE(CheckEepromCrc(image));
}
