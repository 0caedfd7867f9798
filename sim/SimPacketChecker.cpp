#include "sim/SimPacketChecker.h"

#include <algorithm>
#include <array>
#include <cstdlib>
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
constexpr std::size_t MaxLoggedCommands = 65536;
constexpr std::int64_t PhaseTurn = std::int64_t(1) << 32;

template <class T> bool OneOf(const std::type_identity_t<T> &value, std::initializer_list<T> allowed) {
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

std::string Text(std::int64_t value) {
    return std::to_string(value);
}

// Every field of the packet layouts fits an int.
int F(const SimCommand &command, std::string_view name) {
    return int(command.Field(name));
}

} // namespace

// The checks of each type's fields, for the types that have any.
const SimPacketChecker::FieldCheck SimPacketChecker::FieldChecks[] = {
    {2, &SimPacketChecker::Mode},
    {4, &SimPacketChecker::Relay},
    {5, &SimPacketChecker::BlockSize},
    {6, &SimPacketChecker::Generator},
    {7, &SimPacketChecker::Meter},
    {9, &SimPacketChecker::MessageMode},
    {MessageHeaderType, &SimPacketChecker::MessageHeader},
    {MessageBodyType, &SimPacketChecker::MessageBody},
    {17, &SimPacketChecker::SyncMeter},
    {18, &SimPacketChecker::SelectiveSetup},
    {EntriesType, &SimPacketChecker::SelectiveEntries},
    {LevelsType, &SimPacketChecker::SelectiveLevels},
};

void SimPacketChecker::Reset() {
    *this = SimPacketChecker();
}

void SimPacketChecker::Flag(std::string what) {
    violations_.push_back(SimPacketViolation{index_, type_, std::move(what)});
}

bool SimPacketChecker::Check(const SimPacket &packet) {
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

    const SimLayout *layout = SimFindLayout(type_);
    bool accepted = false;
    if (!layout) {
        Flag("unknown packet type " + Text(type_));
    } else if (!SimFitsLayout(*layout, packet.payload.size())) {
        Flag(std::string(layout->name) + " packet of " + Text(int(packet.payload.size())) + " bytes");
    } else {
        const SimCommand command = SimDecodeCommand(packet);
        const auto check = std::find_if(std::begin(FieldChecks), std::end(FieldChecks),
                                        [&](const FieldCheck &entry) { return entry.type == type_; });
        if (check != std::end(FieldChecks))
            (this->*check->fields)(command);
        Keep(command);
        accepted = true;
    }
    if (type_ == DisconnectType)
        disconnected_ = true;
    ++index_;
    return accepted;
}

void SimPacketChecker::TakeRelayWrite(int value) {
    Keep(SimRelayCommand(value));
}

void SimPacketChecker::Keep(const SimCommand &command) {
    commands_.Take(command);
    log_.push_back(command);
    if (log_.size() > MaxLoggedCommands)
        log_.pop_front();
}

// Words {connection mode, s, c, b, 1, s, a, g, m, r}: the sample-rate code s twice, the path codes
// (a, b, c) from the connection type's row, and the impedance and input-range codes.
void SimPacketChecker::Mode(const SimCommand &command) {
    const int mode = F(command, "connection"), s = F(command, "rate"), c = F(command, "c"), b = F(command, "b");
    const int a = F(command, "a"), g = F(command, "gen_impedance"), m = F(command, "meter_impedance");
    const int r = F(command, "input_range");
    if (mode < 0 || mode > 9)
        Flag("connection mode " + Text(mode) + " outside 0 to 9");
    if (s < 0 || s > 10)
        Flag("sample-rate code " + Text(s) + " outside 0 to 10");
    if (F(command, "rate2") != s)
        Flag("the two sample-rate codes differ");
    if (F(command, "one") != 1)
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
void SimPacketChecker::Relay(const SimCommand &command) {
    if (!OneOf(F(command, "relay"), {10, 12}))
        Flag("relay word " + Text(F(command, "relay")));
}

// Words {n, mode, edge, delay}; n counts samples up to 32768, so it is unsigned.
void SimPacketChecker::BlockSize(const SimCommand &command) {
    const int n = F(command, "n");
    if (n != 0 && (n < 1024 || n > 32768))
        Flag("block size " + Text(n) + " is neither 0 nor 1024 to 32768");
    if (F(command, "sync_mode") < 0 || F(command, "sync_mode") > 2)
        Flag("sync mode word " + Text(F(command, "sync_mode")));
    if (F(command, "edge") < 0 || F(command, "edge") > 1)
        Flag("sync edge word " + Text(F(command, "edge")));
}

// Eight words {kind, range, code, length, k0, k1, k2, 0} and a uint32 phase step, or for the multitone
// (kind 3) ten words ending in the first tone and the tone step.
void SimPacketChecker::Generator(const SimCommand &command) {
    const int kind = F(command, "kind");
    if (kind < 0 || kind > 4) {
        Flag("generator kind " + Text(kind));
        return;
    }
    if (kind == 0) {
        const std::vector<std::uint8_t> mute = {0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        if (command.payload != mute)
            Flag("mute is not {0, 1, 0, 0, 0, 0, 0, 0} and 0");
        return;
    }
    if (!OneOf(F(command, "range"), {-1, 0, 1}))
        Flag("generator range " + Text(F(command, "range")) + " outside -1 to 1");
    if (F(command, "zero") != 0)
        Flag("generator word 7 is not 0");
    if (F(command, "code") < 0)
        Flag("generator code " + Text(F(command, "code")) + " below 0");
    const int length = F(command, "length");
    // A sine's table holds whole periods in 1024 to 8192 samples; the selective-mode program's has none.
    if (kind == 1 && length != 0) {
        // The phase step plays a whole number of periods in the table, at most half the sample rate.
        const std::int64_t step = command.Field("phase_step");
        const std::int64_t turns = step * length, whole = (turns + (PhaseTurn / 2)) / PhaseTurn * PhaseTurn;
        if (length < 1024 || length > 8192)
            Flag("sine table of " + Text(length) + " samples");
        else if (step > PhaseTurn / 2)
            Flag("sine phase step " + Text(step) + " beyond half the sample rate");
        else if (std::abs(turns - whole) > length)
            Flag("sine phase step " + Text(step) + " plays no whole periods in " + Text(length) + " samples");
    }
    if (kind == 3) {
        const int first = F(command, "first"), spacing = F(command, "step");
        if (length < 1 || first < 0 || spacing < 0 || first + (length - 1) * spacing > 512)
            Flag("multitone of " + Text(length) + " tones from " + Text(first) + " by " + Text(spacing) +
                 " beyond half the sample rate");
        return;
    }
    const int fixedLength = kind == 2 ? 8192 : kind == 4 ? 2046 : -1;
    if (fixedLength >= 0 && (length != fixedLength || command.Field("phase_step") != 0))
        Flag("generator kind " + Text(kind) + " without length " + Text(fixedLength) + " and step 0");
}

// int32 setting, int16 kind (a signal kind, the noise given as 2), five int16 settings.
void SimPacketChecker::Meter(const SimCommand &command) {
    if (!OneOf(F(command, "kind"), {0, 1, 2, 3, 4, 6, 7}))
        Flag("meter kind " + Text(F(command, "kind")));
}

void SimPacketChecker::MessageMode(const SimCommand &command) {
    if (!OneOf(F(command, "exchange"), {0, 1}))
        Flag("message mode " + Text(F(command, "exchange")));
}

// Word 0 counts the whole message with this header; word 2 is the reliable flag.
void SimPacketChecker::MessageHeader(const SimCommand &command) {
    const int total = F(command, "total");
    if (!OneOf(F(command, "reliable"), {0, 1}))
        Flag("message reliable flag " + Text(F(command, "reliable")));
    if (!OneOf(F(command, "range"), {-1, 0, 1}) || F(command, "code") < 0)
        Flag("message tone range " + Text(F(command, "range")) + " and code " + Text(F(command, "code")));
    if (F(command, "first") < 0 || F(command, "width") < 0 || F(command, "first") + F(command, "width") > 512)
        Flag("message tones from " + Text(F(command, "first")) + " over " + Text(F(command, "width")) +
             " beyond half the sample rate");
    if (total <= MessageHeaderWords || total > MessageHeaderWords + MaxMessageBodyWords)
        Flag("message of " + Text(total) + " words");
    else
        messageWordsDue_ = total - MessageHeaderWords;
}

void SimPacketChecker::MessageBody(const SimCommand &command) {
    const int words = F(command, "words");
    if (messageWordsDue_ == 0) {
        Flag("message body without a header");
        return;
    }
    const int expected = std::min(WordsPerBodyPacket, messageWordsDue_);
    if (words != expected)
        Flag("message body packet of " + Text(words) + " words, expected " + Text(expected));
    messageWordsDue_ = std::max(0, messageWordsDue_ - words);
}

void SimPacketChecker::SyncMeter(const SimCommand &command) {
    if (!OneOf(F(command, "on"), {0, 1}))
        Flag("sync meter switch " + Text(F(command, "on")));
    if (F(command, "edge_mode") < 0 || F(command, "edge_mode") > 3)
        Flag("sync edge mode " + Text(F(command, "edge_mode")));
}

// {int32 first; int32 second; int16 p3 to p10; int16 count; int16 p12; int32 p13} after the builder's
// corrections: p3 of 0 or 3 forces count 0, count at most 1000, p7 never 0, p8 at least 1000.
void SimPacketChecker::SelectiveSetup(const SimCommand &command) {
    const int p3 = F(command, "p3"), p7 = F(command, "p7"), p8 = F(command, "p8");
    const int count = F(command, "count"), sign = F(command, "sign");
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
    if (count > 0 && count <= MaxSelectiveCount)
        sstCount_ = sstLevelsDue_ = sstEntriesDue_ = count;
}

// Levels are optional and come before the entries, in packets of 128 but the last.
void SimPacketChecker::SelectiveLevels(const SimCommand &command) {
    const int levels = F(command, "levels");
    if (sstLevelsDue_ == 0) {
        Flag("selective levels nobody asked for");
        return;
    }
    const int expected = std::min(LevelsPerPacket, sstLevelsDue_);
    if (levels != expected)
        Flag("selective levels packet of " + Text(levels) + ", expected " + Text(expected));
    sstLevelsDue_ = std::max(0, sstLevelsDue_ - levels);
}

void SimPacketChecker::SelectiveEntries(const SimCommand &command) {
    const int entries = F(command, "entries");
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
