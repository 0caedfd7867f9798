#include "sim/SimSstProgram.h"

#include <cstdio>
#include <string_view>

namespace {

// An even number of bytes: the boot loader takes records in 16-bit words.
constexpr std::string_view Identity = "R9 SST PROGRAM";

std::string HexByte(unsigned value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

} // namespace

std::string SimSstProgramHex() {
    unsigned sum = unsigned(Identity.size());
    std::string line = ":" + HexByte(unsigned(Identity.size())) + "000000";
    for (char c : Identity) {
        line += HexByte(unsigned(std::uint8_t(c)));
        sum += std::uint8_t(c);
    }
    line += HexByte(0x100 - (sum & 0xFF));
    return line + "\r\n:00000001FF\r\n";
}

bool SimIsSstProgram(const std::vector<SimLoadedRecord> &records) {
    for (const SimLoadedRecord &record : records)
        if (record.segment == 0 && record.address == 0 &&
            std::string_view(reinterpret_cast<const char *>(record.data.data()), record.data.size()) == Identity)
            return true;
    return false;
}
