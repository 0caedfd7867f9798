#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Little-endian fields of the DSP's packets, read from byte buffers of any alignment.
inline std::uint16_t LeU16(const std::uint8_t *p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
inline std::int16_t LeI16(const std::uint8_t *p) {
    return std::int16_t(LeU16(p));
}
inline std::uint32_t LeU32(const std::uint8_t *p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::int32_t LeI32(const std::uint8_t *p) {
    return std::int32_t(LeU32(p));
}
inline void PutLe16(std::uint8_t *p, std::uint16_t value) {
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
}
inline void PutLe32(std::uint8_t *p, std::uint32_t value) {
    PutLe16(p, std::uint16_t(value));
    PutLe16(p + 2, std::uint16_t(value >> 16));
}

// A payload of little-endian words as the DSP's packets carry them.
class PacketWords {
public:
    PacketWords &Word(std::int32_t value);
    PacketWords &Long(std::uint32_t value);
    const std::vector<std::uint8_t> &Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

// A 48-bit signed value in three 16-bit words, least significant first, the top word signed.
double Le48ToDouble(const std::uint8_t *p);

// The measurement-frame header (payload of packet type 4) and its records.
constexpr std::uint16_t FrameSelectiveFlag = 135;
constexpr std::size_t FrameRecordsOffset = 12;
constexpr std::size_t MeterRecordSize = 20;
constexpr std::size_t SelectiveRecordSize = 24;

struct FrameHeader {
    std::uint32_t Tadc = 0;
    std::uint16_t Nadc = 0;
    std::int16_t FLGcomm = 0;
    // Records the header bytes actually hold: the announced count, limited to what is present.
    std::uint32_t RecordCount = 0;
};
// Fields absent from a short header read as 0.
FrameHeader ParseFrameHeader(const std::uint8_t *header, std::size_t length);

struct MeterRecord {
    std::uint32_t Tcomm;
    std::int32_t SGNcomm, NSEcomm, SNRcomm;
    std::int16_t FRQcomm, OVRcomm;
};
MeterRecord ParseMeterRecord(const std::uint8_t *record);

struct SelectiveRecord {
    std::uint32_t dP, T;
    double Re, Im;
    std::int16_t OVR, SstEnd;
};
SelectiveRecord ParseSelectiveRecord(const std::uint8_t *record);

// Power-status packet (type 7).
struct PowerStatus {
    std::uint32_t dspTime;
    std::int16_t Flags; // bit 0 external supply, 2 battery, 4 and 5 converter errors, 7 generator overheat
    std::uint16_t SyncCount;
};
PowerStatus ParsePowerStatus(const std::uint8_t *payload); // 8 bytes
