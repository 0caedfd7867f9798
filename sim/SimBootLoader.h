#pragma once

#include <cstdint>
#include <vector>

// One record of the DSP program as the boot loader stored it.
struct SimLoadedRecord {
    std::uint16_t segment = 0;
    std::uint16_t address = 0;
    std::vector<std::uint8_t> data;
};

// The DSP's boot loader on the data channel. Every byte arrives with its bit order reversed. It expects
// the preamble 0x08 0xAA, eleven 0x00, 0x80; then records: a 16-bit word count, segment and address
// (each high byte first) and twice the word count of data bytes; a word count of 0 ends the program and
// is answered with the reply bytes (by default '3' 0x89, the program accepted). A wrong preamble makes
// it stop listening and never answer.
class SimBootLoader {
public:
    enum class State { Preamble, Count, Segment, Address, Data, Done, Lost };

    void Reset();
    void SetReply(std::vector<std::uint8_t> reply) { reply_ = std::move(reply); }

    // Bytes as written to the channel; the reply, once due, is appended to `reply`.
    void Receive(const std::uint8_t *data, std::size_t size, std::vector<std::uint8_t> &reply);

    State Stage() const { return state_; }
    // The end arrived and the reply was the accepting one.
    bool Started() const;
    const std::vector<SimLoadedRecord> &Records() const { return records_; }

private:
    void Take(std::uint8_t byte, std::vector<std::uint8_t> &reply);

    State state_ = State::Preamble;
    std::vector<std::uint8_t> reply_{'3', 0x89};
    std::vector<std::uint8_t> field_;
    std::size_t preambleSeen_ = 0;
    std::uint16_t words_ = 0;
    SimLoadedRecord current_;
    std::vector<SimLoadedRecord> records_;
};

// Bit 0 becomes bit 7 and so on.
std::uint8_t SimReverseBits(std::uint8_t byte);
