#include "sim/SimLineSocket.h"

#include "sim/SimDspApplication.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// A message body is at most 16000 words; a longer packet is no packet of the line.
constexpr std::uint32_t MaxPacketBytes = 64 * 1024;
constexpr std::size_t FixedBytes = 1 + 4 + 4 + 2;

bool WriteAll(int fd, const std::uint8_t *data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

bool ReadAll(int fd, std::uint8_t *data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, data, size, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

void PutLe(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

std::uint32_t GetLe(const std::uint8_t *in, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint32_t(in[i]) << (8 * i);
    return value;
}

bool Address(const std::string &path, sockaddr_un &address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

// A stream socket for the path, handed to `open` (bind and listen, or connect); its descriptor, or -1
// when the path does not fit or any step fails.
template <typename Open> int UnixSocket(const std::string &path, Open open) {
    sockaddr_un address;
    if (!Address(path, address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    if (!open(fd, address)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

void ApplyLinePacket(SimDspApplication &app, const SimLinePacket &packet) {
    switch (packet.kind) {
    case SimLinePacket::Deliver:
        app.DeliverMessage(packet.id, packet.body);
        break;
    case SimLinePacket::End:
        app.ReportMessageEnd(packet.counter, packet.id, packet.success);
        break;
    case SimLinePacket::InputError:
        app.ReportMessageInputError();
        break;
    default:
        break;
    }
}

bool SimLineSend(int fd, const SimLinePacket &packet) {
    std::vector<std::uint8_t> bytes;
    PutLe(bytes, std::uint32_t(FixedBytes + packet.body.size()), 4);
    bytes.push_back(packet.kind);
    PutLe(bytes, std::uint32_t(packet.id), 4);
    PutLe(bytes, std::uint32_t(packet.counter), 4);
    PutLe(bytes, std::uint16_t(packet.success), 2);
    bytes.insert(bytes.end(), packet.body.begin(), packet.body.end());
    return WriteAll(fd, bytes.data(), bytes.size());
}

bool SimLineReceive(int fd, SimLinePacket &packet) {
    std::uint8_t head[4];
    if (!ReadAll(fd, head, sizeof head))
        return false;
    const std::uint32_t size = GetLe(head, 4);
    if (size < FixedBytes || size > MaxPacketBytes)
        return false;
    std::vector<std::uint8_t> bytes(size);
    if (!ReadAll(fd, bytes.data(), bytes.size()))
        return false;
    packet.kind = bytes[0];
    packet.id = std::int32_t(GetLe(&bytes[1], 4));
    packet.counter = std::int32_t(GetLe(&bytes[5], 4));
    packet.success = std::int16_t(GetLe(&bytes[9], 2));
    packet.body.assign(bytes.begin() + FixedBytes, bytes.end());
    return true;
}

int SimLineListen(const std::string &path) {
    return UnixSocket(path, [&path](int fd, const sockaddr_un &address) {
        ::unlink(path.c_str());
        return ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 && ::listen(fd, 2) == 0;
    });
}

int SimLineConnect(const std::string &path) {
    return UnixSocket(path, [](int fd, const sockaddr_un &address) {
        return ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    });
}
