#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

class TSio9;

// Status codes of the DSP program download, continuing those of the transport.
enum FirmwareStatus : int {
    FirmwareOk = 0,
    FirmwareNoFile = 8,
    FirmwareReadFailed = 9,
    FirmwareBadFile = 10,
    FirmwareWriteFailed = 11,
    FirmwareSupplyLow = 13,
    FirmwareIncompatible = 14,
    FirmwareWrongReply = 15,
    FirmwareNoReply = 16,
};

constexpr std::size_t FirmwareMinSize = 10;
constexpr std::size_t FirmwareMaxSize = 263184;

// Reads the whole firmware file into buffer (capacity at least FirmwareMaxSize): 0 and its size, or 8 (no
// name, or the file cannot be opened), 10 (not a plain file, or a size outside 10 to 263184 bytes), 9 (the
// read failed or came short).
int ReadFirmwareFile(const QString &fileName, std::uint8_t *buffer, std::size_t &size);

// Sends the DSP program in text to the boot loader over the raw channel of link: the preamble, then each
// data record as word count, segment and address and its bytes, every byte bit-reversed, then the end
// sequence, and reads the loader's verdict. Record checksums are not verified. 0 or a status code.
int DownloadFirmware(TSio9 &link, const std::uint8_t *text, std::size_t size);

// Bit 0 becomes bit 7 and so on: the boot loader takes every byte in that order.
std::uint8_t ReverseBits(std::uint8_t byte);
