#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SimDspApplication;

// What travels between the line and an instrument in another process, over a Unix-domain stream socket:
// the instrument hands the line a message; the line delivers one, reports a transmission's end or an input
// error. Each packet is a 32-bit little-endian length, then the kind, the identifier, the counter, the
// success word and the body.
struct SimLinePacket {
    enum Kind : std::uint8_t { Message = 1, Deliver = 2, End = 3, InputError = 4 };
    std::uint8_t kind = Message;
    std::int32_t id = 0;
    std::int32_t counter = 0;
    std::int16_t success = 0;
    std::vector<std::uint8_t> body;
};

// What a packet from the line does to the instrument that receives it: a message delivered, the end of a
// transmission or an input error reported as the real instrument reports them.
void ApplyLinePacket(SimDspApplication &app, const SimLinePacket &packet);

// Sends one packet whole; false when the other end has gone.
bool SimLineSend(int fd, const SimLinePacket &packet);
// Waits for one packet; false when the other end has gone or sent a packet that cannot be one.
bool SimLineReceive(int fd, SimLinePacket &packet);

// A listening socket at `path` (an old socket file there is replaced), or -1.
int SimLineListen(const std::string &path);
// A socket joined to the line listening at `path`, or -1.
int SimLineConnect(const std::string &path);
