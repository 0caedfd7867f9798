#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// Walks the records of a metafile by the sizes they give, as a reader does, without trusting the writer's
// header counts.
struct MetafileRecord {
    std::uint32_t type;
    qsizetype offset, size; // bytes
};

inline std::uint32_t ReadU32(const QByteArray &b, qsizetype at) {
    return std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8 | std::uint8_t(b[at + 2]) << 16 |
           std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}

inline std::uint16_t ReadU16(const QByteArray &b, qsizetype at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// Enhanced metafile: 32-bit type and byte size, from offset 0; empty when a size is broken.
inline std::vector<MetafileRecord> EmfRecords(const QByteArray &b) {
    std::vector<MetafileRecord> records;
    for (qsizetype at = 0; at + 8 <= b.size();) {
        const qsizetype size = ReadU32(b, at + 4);
        if (size < 8 || size % 4 != 0 || at + size > b.size())
            return {};
        records.push_back({ReadU32(b, at), at, size});
        at += size;
    }
    return records;
}

// Placeable metafile: 22 + 18 header bytes, then 32-bit word size and 16-bit function per record.
inline std::vector<MetafileRecord> WmfRecords(const QByteArray &b) {
    std::vector<MetafileRecord> records;
    for (qsizetype at = 40; at + 6 <= b.size();) {
        const qsizetype size = qsizetype(ReadU32(b, at)) * 2;
        if (size < 6 || at + size > b.size())
            return {};
        records.push_back({ReadU16(b, at + 4), at, size});
        at += size;
    }
    return records;
}
