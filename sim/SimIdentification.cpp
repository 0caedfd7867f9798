#include "sim/SimIdentification.h"

#include "sim/SimFrameCodec.h"
#include "sim/SimPacketBytes.h"

#include <algorithm>

namespace {

constexpr std::size_t DateCharacters = 44;
constexpr int HeaderType = 2;
constexpr int ImageType = 3;

void Put(std::vector<std::uint8_t> &image, std::size_t at, std::uint32_t value, int bytes) {
    std::vector<std::uint8_t> field;
    SimAppendLe(field, value, bytes);
    std::copy(field.begin(), field.end(), image.begin() + std::ptrdiff_t(at));
}

} // namespace

std::vector<std::uint8_t> SimDefaultEepromImage() {
    std::vector<std::uint8_t> image(SimEepromSize, 0xFF);
    std::fill(image.begin(), image.begin() + 668, 0); // identification fields and calibration blocks
    Put(image, 0, 1207, 2);                           // serial number
    Put(image, 2, 210, 2);                            // hardware version x 100
    Put(image, 4, 0x010203, 4);                       // design variant
    Put(image, 8, 0x00D50001, 4);                     // DSP board
    Put(image, 12, 0x00A50002, 4);                    // ASW board
    Put(image, 16, 0x00C50001, 4);                    // ICM board
    Put(image, 20, 0x0104, 2);                        // ASW logic version
    Put(image, 22, 0x0102, 2);                        // ICM logic version
    Put(image, 24, 0x00000012, 4);                    // power adapter
    Put(image, 28, 0x00000031, 4);                    // battery
    Put(image, 32, 0x021 << 4 | 1, 2);                // delivery variant, calibrated
    Put(image, 38, 4780, 2);                          // calibration date
    Put(image, SimEepromChecksumAt, SimEepromChecksum(image), 2);
    return image;
}

std::uint16_t SimEepromChecksum(const std::vector<std::uint8_t> &image) {
    std::vector<std::uint8_t> copy = image;
    copy.resize(SimEepromSize, 0xFF);
    copy[SimEepromChecksumAt] = copy[SimEepromChecksumAt + 1] = 0;
    return SimCrc16(copy.data(), copy.size());
}

std::vector<SimPacket> SimIdentificationPackets(const SimIdentity &identity) {
    std::vector<SimPacket> packets;
    SimPacket header{HeaderType, {}};
    SimAppendLe(header.payload, identity.VHD, 2);
    SimAppendLe(header.payload, identity.VFW, 2);
    for (std::size_t i = 0; i < DateCharacters; ++i)
        SimAppendLe(header.payload, i < identity.DateTime.size() ? std::uint8_t(identity.DateTime[i]) : 0, 2);
    packets.push_back(std::move(header));

    std::vector<std::uint8_t> image = identity.image.empty() ? SimDefaultEepromImage() : identity.image;
    image.resize(SimEepromSize, 0xFF);
    if (identity.sealImage)
        Put(image, SimEepromChecksumAt, SimEepromChecksum(image), 2);
    for (std::size_t at = 0; at < image.size(); at += SimMaxPayload)
        packets.push_back(
            SimPacket{ImageType, std::vector<std::uint8_t>(image.begin() + std::ptrdiff_t(at),
                                                           image.begin() + std::ptrdiff_t(at) + SimMaxPayload)});
    return packets;
}
