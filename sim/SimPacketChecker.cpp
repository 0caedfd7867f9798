#include "sim/SimPacketChecker.h"

#include "sim/SimPacketBytes.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <type_traits>

namespace {

constexpr int MessageHeaderType = 10;
constexpr int MessageBodyType = 11;
constexpr int DisconnectType = 13;
constexpr int EntriesType = 19;
constexpr int LevelsType = 20;
constexpr int MessageHeaderWords = 10;
constexpr int MaxMessageBodyWords = 16000;
constexpr int WordsPerBodyPacket = 128;
constexpr int MaxSelectiveCount = 1000;
constexpr int LevelsPerPacket = 128;
constexpr int EntriesPerPacket = 64;

template <class T> bool OneOf(const std::type_identity_t<T> &value, std::initializer_list<T> allowed) {
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

std::string Text(int value) {
    return std::to_string(value);
}

} // namespace

const SimPacketChecker::Layout SimPacketChecker::Layouts[] = {
    {2, "mode", 20, 20, 2, &SimPacketChecker::Mode},
    {3, "logic data", 1, 256, 1, nullptr},
    {4, "relay", 2, 2, 2, &SimPacketChecker::Relay},
    {5, "block size", 8, 8, 2, &SimPacketChecker::BlockSize},
    {6, "generator", 20, 20, 2, &SimPacketChecker::Generator},
    {7, "meter", 16, 16, 2, &SimPacketChecker::Meter},
    {8, "message abort", 0, 0, 1, nullptr},
    {9, "message mode", 2, 2, 2, &SimPacketChecker::MessageMode},
    {MessageHeaderType, "message header", 20, 20, 2, &SimPacketChecker::MessageHeader},
    {MessageBodyType, "message body", 2, 256, 2, &SimPacketChecker::MessageBody},
    {DisconnectType, "disconnect", 0, 0, 1, nullptr},
    {17, "sync meter", 4, 4, 2, &SimPacketChecker::SyncMeter},
    {18, "selective set-up", 32, 32, 2, &SimPacketChecker::SelectiveSetup},
    {EntriesType, "selective entries", 4, 256, 4, &SimPacketChecker::SelectiveEntries},
    {LevelsType, "selective levels", 2, 256, 2, &SimPacketChecker::SelectiveLevels},
};

void SimPacketChecker::Reset() {
    *this = SimPacketChecker();
}

void SimPacketChecker::Flag(std::string what) {
    violations_.push_back(SimPacketViolation{index_, type_, std::move(what)});
}

void SimPacketChecker::Check(const SimPacket &packet) {
    type_ = packet.type;
    if (disconnected_)
        Flag("packet after the disconnect packet");
    // A message body and a selective set-up's levels and entries follow their header with nothing between.
    if (type_ != MessageBodyType && messageWordsDue_ > 0) {
        Flag("message body cut short, " + Text(messageWordsDue_) + " words missing");
        messageWordsDue_ = 0;
    }
    if (type_ != EntriesType && type_ != LevelsType && sstEntriesDue_ > 0) {
        Flag("selective set-up cut short, " + Text(sstEntriesDue_) + " entries missing");
        sstEntriesDue_ = sstLevelsDue_ = 0;
    }

    const auto layout =
        std::find_if(std::begin(Layouts), std::end(Layouts), [&](const Layout &entry) { return entry.type == type_; });
    const int length = int(packet.payload.size());
    if (layout == std::end(Layouts)) {
        Flag("unknown packet type " + Text(type_));
    } else if (length < layout->min || length > layout->max || length % layout->unit != 0) {
        Flag(std::string(layout->name) + " packet of " + Text(length) + " bytes");
    } else {
        if (layout->fields)
            (this->*layout->fields)(packet.payload);
        commands_.Take(packet);
    }
    if (type_ == DisconnectType)
        disconnected_ = true;
    ++index_;
}

// Words {connection mode, s, c, b, 1, s, a, g, m, r}: the sample-rate code s twice, the path codes
// (a, b, c) from the connection type's row, and the impedance and input-range codes.
void SimPacketChecker::Mode(const Payload &payload) {
    const int mode = SimWord(payload, 0), s = SimWord(payload, 1), c = SimWord(payload, 2), b = SimWord(payload, 3);
    const int a = SimWord(payload, 6), g = SimWord(payload, 7), m = SimWord(payload, 8), r = SimWord(payload, 9);
    if (mode < 0 || mode > 9)
        Flag("connection mode " + Text(mode) + " outside 0 to 9");
    if (s < 0 || s > 10)
        Flag("sample-rate code " + Text(s) + " outside 0 to 10");
    if (SimWord(payload, 5) != s)
        Flag("the two sample-rate codes differ");
    if (SimWord(payload, 4) != 1)
        Flag("word 4 is not 1");
    using Path = std::array<int, 3>;
    const Path path{a, b, c};
    const bool pathFits = OneOf(path, {Path{3, 6, 1}, Path{8, 6, 0}, Path{9, 6, 0}}) ||
                          (s > 6 ? OneOf(path, {Path{3, 6, 6}, Path{5, 5, 6}}) : path == Path{5, 1, 1});
    if (!pathFits)
        Flag("path codes (" + Text(a) + ", " + Text(b) + ", " + Text(c) + ") fit no connection type");
    if (!OneOf(g, {0, 1, 3, 4, 6}))
        Flag("generator impedance code " + Text(g));
    if (!OneOf(m, {1, 2, 3, 5, 6}))
        Flag("meter impedance code " + Text(m));
    if (r < 0)
        Flag("input range code " + Text(r));
}

// The relay word of the connection types with a relay on the BC board (11 and 12).
void SimPacketChecker::Relay(const Payload &payload) {
    if (!OneOf(SimWord(payload, 0), {10, 12}))
        Flag("relay word " + Text(SimWord(payload, 0)));
}

// Words {n, mode, edge, delay}; n counts samples up to 32768, so it is unsigned.
void SimPacketChecker::BlockSize(const Payload &payload) {
    const int n = int(SimReadLe(payload.data(), 2));
    if (n != 0 && (n < 1024 || n > 32768))
        Flag("block size " + Text(n) + " is neither 0 nor 1024 to 32768");
    if (SimWord(payload, 1) < 0 || SimWord(payload, 1) > 2)
        Flag("sync mode word " + Text(SimWord(payload, 1)));
    if (SimWord(payload, 2) < 0 || SimWord(payload, 2) > 1)
        Flag("sync edge word " + Text(SimWord(payload, 2)));
}

// Eight words {kind, range, code, length, k0, k1, k2, 0} and a uint32 phase step, or for the multitone
// (kind 3) ten words ending in the first tone and the tone step.
void SimPacketChecker::Generator(const Payload &payload) {
    const int kind = SimWord(payload, 0);
    const std::uint32_t step = SimReadLe(payload.data() + 16, 4);
    if (kind < 0 || kind > 4) {
        Flag("generator kind " + Text(kind));
        return;
    }
    if (kind == 0) {
        const Payload mute = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        if (payload != mute)
            Flag("mute is not {0, 1, 0, 0, 0, 0, 0, 0} and 0");
        return;
    }
    if (!OneOf(SimWord(payload, 1), {-1, 0, 1}))
        Flag("generator range " + Text(SimWord(payload, 1)) + " outside -1 to 1");
    if (SimWord(payload, 7) != 0)
        Flag("generator word 7 is not 0");
    if (SimWord(payload, 2) < 0)
        Flag("generator code " + Text(SimWord(payload, 2)) + " below 0");
    const int length = SimWord(payload, 3);
    // A sine's table holds whole periods in 1024 to 8192 samples; the selective-mode program's has none.
    if (kind == 1 && length != 0 && (length < 1024 || length > 8192))
        Flag("sine table of " + Text(length) + " samples");
    if (kind == 3) {
        const int first = SimWord(payload, 8), spacing = SimWord(payload, 9);
        if (length < 1 || first < 0 || spacing < 0 || first + (length - 1) * spacing > 512)
            Flag("multitone of " + Text(length) + " tones from " + Text(first) + " by " + Text(spacing) +
                 " beyond half the sample rate");
    }
    const int fixedLength = kind == 2 ? 8192 : kind == 4 ? 2046 : -1;
    if (fixedLength >= 0 && (SimWord(payload, 3) != fixedLength || step != 0))
        Flag("generator kind " + Text(kind) + " without length " + Text(fixedLength) + " and step 0");
}

// int32 setting, int16 kind (a signal kind, the noise given as 2), five int16 settings.
void SimPacketChecker::Meter(const Payload &payload) {
    const int kind = std::int16_t(SimReadLe(payload.data() + 4, 2));
    if (!OneOf(kind, {0, 1, 2, 3, 4, 6, 7}))
        Flag("meter kind " + Text(kind));
}

void SimPacketChecker::MessageMode(const Payload &payload) {
    if (!OneOf(SimWord(payload, 0), {0, 1}))
        Flag("message mode " + Text(SimWord(payload, 0)));
}

// Word 0 counts the whole message with this header; word 2 is the reliable flag.
void SimPacketChecker::MessageHeader(const Payload &payload) {
    const int total = int(SimReadLe(payload.data(), 2));
    if (!OneOf(SimWord(payload, 2), {0, 1}))
        Flag("message reliable flag " + Text(SimWord(payload, 2)));
    if (total <= MessageHeaderWords || total > MessageHeaderWords + MaxMessageBodyWords)
        Flag("message of " + Text(total) + " words");
    else
        messageWordsDue_ = total - MessageHeaderWords;
}

void SimPacketChecker::MessageBody(const Payload &payload) {
    const int words = int(payload.size() / 2);
    if (messageWordsDue_ == 0) {
        Flag("message body without a header");
        return;
    }
    const int expected = std::min(WordsPerBodyPacket, messageWordsDue_);
    if (words != expected)
        Flag("message body packet of " + Text(words) + " words, expected " + Text(expected));
    messageWordsDue_ = std::max(0, messageWordsDue_ - words);
}

void SimPacketChecker::SyncMeter(const Payload &payload) {
    if (!OneOf(SimWord(payload, 0), {0, 1}))
        Flag("sync meter switch " + Text(SimWord(payload, 0)));
    if (SimWord(payload, 1) < 0 || SimWord(payload, 1) > 3)
        Flag("sync edge mode " + Text(SimWord(payload, 1)));
}

// {int32 first; int32 second; int16 p3 to p10; int16 count; int16 p12; int32 p13} after the builder's
// corrections: p3 of 0 or 3 forces count 0, count at most 1000, p7 never 0, p8 at least 1000.
void SimPacketChecker::SelectiveSetup(const Payload &payload) {
    const int p3 = SimWord(payload, 4), p7 = SimWord(payload, 8), p8 = SimWord(payload, 9);
    const int count = SimWord(payload, 12), sign = SimWord(payload, 13);
    if (p3 < 0 || p3 > 4)
        Flag("selective run kind " + Text(p3));
    if (count < 0 || count > MaxSelectiveCount)
        Flag("selective count " + Text(count) + " outside 0 to 1000");
    else if (count > 0 && (p3 == 0 || p3 == 3))
        Flag("selective count " + Text(count) + " with run kind " + Text(p3));
    if (p7 == 0)
        Flag("selective p7 is 0");
    if (p8 < 1000)
        Flag("selective p8 " + Text(p8) + " below 1000");
    if (!OneOf(sign, {-1, 0, 1}))
        Flag("selective shift sign " + Text(sign));
    if (count > 0 && count <= MaxSelectiveCount) {
        sstCount_ = sstLevelsDue_ = sstEntriesDue_ = count;
    }
}

// Levels are optional and come before the entries, in packets of 128 but the last.
void SimPacketChecker::SelectiveLevels(const Payload &payload) {
    const int levels = int(payload.size() / 2);
    if (sstLevelsDue_ == 0) {
        Flag("selective levels nobody asked for");
        return;
    }
    const int expected = std::min(LevelsPerPacket, sstLevelsDue_);
    if (levels != expected)
        Flag("selective levels packet of " + Text(levels) + ", expected " + Text(expected));
    sstLevelsDue_ = std::max(0, sstLevelsDue_ - levels);
}

void SimPacketChecker::SelectiveEntries(const Payload &payload) {
    const int entries = int(payload.size() / 4);
    if (sstEntriesDue_ == 0) {
        Flag("selective entries nobody asked for");
        return;
    }
    if (sstLevelsDue_ > 0 && sstLevelsDue_ != sstCount_)
        Flag("selective levels cut short, " + Text(sstLevelsDue_) + " missing");
    sstLevelsDue_ = 0;
    const int expected = std::min(EntriesPerPacket, sstEntriesDue_);
    if (entries != expected)
        Flag("selective entries packet of " + Text(entries) + ", expected " + Text(expected));
    sstEntriesDue_ = std::max(0, sstEntriesDue_ - entries);
}
