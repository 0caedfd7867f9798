#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

// The raw commands of the service window. Each list starts with the reserve entry "Резервная ", whose
// code the user types in hexadecimal.

// An FPGA ("Xilinx") or relay command: its 16-bit code, sent low byte first.
struct TechCommand {
    const char *Name;
    int16_t Code;
};

// A command of the BC board's register: the bits of Mask set (Action 1) or cleared (Action 0).
struct BcCommand {
    const char *Name;
    uint8_t Mask;
    uint8_t Action;
};

std::span<const TechCommand> XilinxCommands();
std::span<const TechCommand> RelayCommands();
std::span<const BcCommand> BcCommands();

// What the command edit shows for a code: "0x" and the code as a signed 16-bit number in hexadecimal,
// at least 2 digits (so FFF9 shows as FFFFFFF9), or for a BC command its mask, at least 1 digit.
QString TechCodeText(int16_t code);
QString BcMaskText(uint8_t mask);

// A typed code: hexadecimal digits with an optional "0x", blanks around them allowed. None when the text
// is no such number or the number exceeds `largest`: a command is never sent in place of one that could
// not be read.
std::optional<uint32_t> ParseTechCode(const QString &text, uint32_t largest);
