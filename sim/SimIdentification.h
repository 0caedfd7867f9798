#pragma once

#include "sim/SimLinkPeer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t SimEepromSize = 2048;
constexpr std::size_t SimEepromChecksumAt = 36;

// What the DSP tells about itself right after it started: the header packet (type 2) and the 2048-byte
// identification memory in packets of type 3.
struct SimIdentity {
    std::uint16_t VHD = 0x0105;                   // DSP programmable-logic version
    std::uint16_t VFW = 1044;                     // DSP firmware version
    std::string DateTime = "21.03.2013 14:05:00"; // at most 44 characters go out
    std::vector<std::uint8_t> image;              // empty: SimDefaultEepromImage(); padded or cut to 2048 bytes
    bool sealImage = true; // bytes 36-37 get the image's check sum; false sends them as they stand
};

// A plausible identification memory: serial number, versions, board codes, a calibrated delivery with
// neutral calibration blocks, the unused rest erased (0xFF), and a correct check sum.
std::vector<std::uint8_t> SimDefaultEepromImage();

// CRC-16/ARC of the 2048 bytes with bytes 36-37 taken as zero.
std::uint16_t SimEepromChecksum(const std::vector<std::uint8_t> &image);

std::vector<SimPacket> SimIdentificationPackets(const SimIdentity &identity);
