#include "link/DspPackets.h"

#include <algorithm>

PacketWords &PacketWords::Word(std::int32_t value) {
    bytes_.push_back(std::uint8_t(value));
    bytes_.push_back(std::uint8_t(value >> 8));
    return *this;
}

PacketWords &PacketWords::Long(std::uint32_t value) {
    return Word(std::int32_t(value & 0xFFFF)).Word(std::int32_t(value >> 16));
}

double Le48ToDouble(const std::uint8_t *p) {
    return double(LeI16(p + 4)) * 4294967296.0 + double(LeU16(p + 2)) * 65536.0 + double(LeU16(p));
}

FrameHeader ParseFrameHeader(const std::uint8_t *header, std::size_t length) {
    std::uint8_t fixed[FrameRecordsOffset] = {};
    std::memcpy(fixed, header, std::min(length, sizeof fixed));
    FrameHeader result;
    result.Tadc = LeU32(fixed);
    result.Nadc = LeU16(fixed + 4);
    result.FLGcomm = LeI16(fixed + 6);
    const int announced = LeI16(fixed + 8);
    const std::size_t recordSize = result.FLGcomm == FrameSelectiveFlag ? SelectiveRecordSize : MeterRecordSize;
    const std::size_t present = length > FrameRecordsOffset ? (length - FrameRecordsOffset) / recordSize : 0;
    result.RecordCount = announced > 0 ? std::uint32_t(std::min<std::size_t>(std::size_t(announced), present)) : 0;
    return result;
}

MeterRecord ParseMeterRecord(const std::uint8_t *r) {
    return {LeU32(r), LeI32(r + 4), LeI32(r + 8), LeI32(r + 12), LeI16(r + 16), LeI16(r + 18)};
}

SelectiveRecord ParseSelectiveRecord(const std::uint8_t *r) {
    return {LeU32(r), LeU32(r + 4), Le48ToDouble(r + 8), Le48ToDouble(r + 14), LeI16(r + 20), LeI16(r + 22)};
}

PowerStatus ParsePowerStatus(const std::uint8_t *p) {
    return {LeU32(p), LeI16(p + 4), LeU16(p + 6)};
}
