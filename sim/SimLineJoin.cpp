#include "sim/SimLineJoin.h"

#include "sim/SimInstrument.h"
#include "sim/SimLineSocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>

SimLineJoin::SimLineJoin(std::shared_ptr<SimInstrument> instrument, const std::string &socketPath)
    : instrument_(std::move(instrument)), fd_(SimLineConnect(socketPath)) {
    if (fd_ < 0) {
        std::fprintf(stderr, "%s=%s: no line listens there; messages stay with the instrument\n", SimLineVariable,
                     socketPath.c_str());
        return;
    }
    const int fd = fd_;
    instrument_->WithApplication([fd](SimDspApplication &app) {
        app.SetMessageCarrier([fd](const SimMessage &m) {
            SimLineSend(fd, {SimLinePacket::Message, m.id, m.counter, 0, m.body});
        });
    });
    reader_ = std::thread([this] { Read(); });
}

SimLineJoin::~SimLineJoin() {
    if (fd_ < 0)
        return;
    instrument_->WithApplication([](SimDspApplication &app) { app.SetMessageCarrier({}); });
    ::shutdown(fd_, SHUT_RDWR);
    reader_.join();
    ::close(fd_);
}

void SimLineJoin::Read() {
    SimLinePacket packet;
    while (SimLineReceive(fd_, packet)) {
        instrument_->WithApplication([&packet](SimDspApplication &app) { ApplyLinePacket(app, packet); });
    }
}
