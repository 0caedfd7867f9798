#include "sim/SimCommand.h"

#include "sim/SimPacketBytes.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>

namespace {

constexpr SimLayout Layouts[] = {
    {2, "mode", 20, 20, 2},
    {3, "logic data", 1, 256, 1},
    {4, "relay", 2, 2, 2},
    {5, "block size", 8, 8, 2},
    {6, "generator", 20, 20, 2},
    {7, "meter", 16, 16, 2},
    {8, "message abort", 0, 0, 1},
    {9, "message mode", 2, 2, 2},
    {10, "message header", 20, 20, 2},
    {11, "message body", 2, 256, 2},
    {13, "disconnect", 0, 0, 1},
    {17, "sync meter", 4, 4, 2},
    {18, "selective set-up", 32, 32, 2},
    {19, "selective entries", 4, 256, 4},
    {20, "selective levels", 2, 256, 2},
};

// A field at a byte offset: int16 words unless stated.
struct FieldAt {
    const char *name;
    int offset;
    int size = 2;
    bool isSigned = true;
};

std::int64_t Read(const std::vector<std::uint8_t> &payload, const FieldAt &at) {
    const std::uint32_t raw = SimReadLe(payload.data() + at.offset, at.size);
    if (!at.isSigned)
        return raw;
    if (at.size == 1)
        return std::int8_t(raw);
    return at.size == 2 ? std::int64_t(std::int16_t(raw)) : std::int64_t(std::int32_t(raw));
}

void Decode(SimCommand &command, std::initializer_list<FieldAt> fields) {
    for (const FieldAt &at : fields)
        command.fields.push_back(SimField{at.name, Read(command.payload, at)});
}

const char *GeneratorKindName(std::int64_t kind) {
    static constexpr const char *names[] = {"mute", "sin", "noise", "multi", "rnd"};
    return kind >= 0 && kind < 5 ? names[kind] : "kind?";
}

} // namespace

const SimLayout *SimFindLayout(int type) {
    const auto found =
        std::find_if(std::begin(Layouts), std::end(Layouts), [&](const SimLayout &l) { return l.type == type; });
    return found != std::end(Layouts) ? found : nullptr;
}

bool SimFitsLayout(const SimLayout &layout, std::size_t length) {
    const int n = int(length);
    return n >= layout.min && n <= layout.max && n % layout.unit == 0;
}

std::optional<std::int64_t> SimCommand::Find(std::string_view field) const {
    for (const SimField &f : fields)
        if (f.name == field)
            return f.value;
    return std::nullopt;
}

std::int64_t SimCommand::Field(std::string_view field) const {
    if (const std::optional<std::int64_t> value = Find(field))
        return *value;
    throw std::out_of_range(name + " carries no field " + std::string(field));
}

std::string SimCommand::Label() const {
    if (type == SimRelayRegisterWrite)
        return "relays";
    std::string label = std::to_string(type);
    if (type == 5)
        label += "(" + std::to_string(Field("n")) + ")";
    else if (type == 6)
        label += std::string(" ") + GeneratorKindName(Field("kind"));
    return label;
}

SimCommand SimDecodeCommand(const SimPacket &packet) {
    SimCommand c;
    c.type = packet.type;
    c.payload = packet.payload;
    const SimLayout *layout = SimFindLayout(packet.type);
    c.name = layout ? layout->name : "unknown";
    if (!layout || !SimFitsLayout(*layout, packet.payload.size()))
        return c;
    const std::int64_t length = std::int64_t(packet.payload.size());
    switch (packet.type) {
    case 2:
        Decode(c, {{"connection", 0},
                   {"rate", 2},
                   {"c", 4},
                   {"b", 6},
                   {"one", 8},
                   {"rate2", 10},
                   {"a", 12},
                   {"gen_impedance", 14},
                   {"meter_impedance", 16},
                   {"input_range", 18}});
        break;
    case 3:
        c.fields.push_back({"bytes", length});
        break;
    case 4:
        Decode(c, {{"relay", 0}});
        break;
    case 5:
        // The block size counts samples up to 32768: unsigned.
        Decode(c, {{"n", 0, 2, false}, {"sync_mode", 2}, {"edge", 4}, {"delay", 6}});
        break;
    case 6:
        Decode(
            c,
            {{"kind", 0}, {"range", 2}, {"code", 4}, {"length", 6}, {"k0", 8}, {"k1", 10}, {"k2", 12}, {"zero", 14}});
        if (c.Field("kind") == 3)
            Decode(c, {{"first", 16}, {"step", 18}});
        else
            Decode(c, {{"phase_step", 16, 4, false}});
        break;
    case 7:
        Decode(c, {{"setting", 0, 4}, {"kind", 4}, {"w1", 6}, {"w2", 8}, {"w3", 10}, {"w4", 12}, {"w5", 14}});
        break;
    case 9:
        Decode(c, {{"exchange", 0}});
        break;
    case 10:
        Decode(c, {{"total", 0, 2, false},
                   {"id", 2, 1, false},
                   {"counter", 3, 1, false},
                   {"reliable", 4},
                   {"range", 6},
                   {"code", 8},
                   {"first", 10},
                   {"width", 12},
                   {"k0", 14},
                   {"k1", 16},
                   {"k2", 18}});
        break;
    case 11:
        c.fields.push_back({"words", length / 2});
        break;
    case 17:
        Decode(c, {{"on", 0}, {"edge_mode", 2}});
        break;
    case 18:
        Decode(c, {{"unit", 0, 4, false},
                   {"points", 4, 4},
                   {"p3", 8},
                   {"p4", 10},
                   {"p5", 12},
                   {"p6", 14},
                   {"p7", 16},
                   {"p8", 18},
                   {"p9", 20},
                   {"p10", 22},
                   {"count", 24},
                   {"sign", 26},
                   {"shift", 28, 4, false}});
        break;
    case 19:
        c.fields.push_back({"entries", length / 4});
        break;
    case 20:
        c.fields.push_back({"levels", length / 2});
        break;
    default:
        break;
    }
    return c;
}

SimCommand SimRelayCommand(int value) {
    SimCommand c;
    c.type = SimRelayRegisterWrite;
    c.name = "relay register";
    c.fields.push_back({"value", value});
    c.payload = {std::uint8_t(value)};
    return c;
}
