#include "sim/SimRemoteLine.h"

#include "sim/SimInstrument.h"
#include "sim/SimLineSocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

SimRemoteLine::SimRemoteLine(std::shared_ptr<SimInstrument> a, std::shared_ptr<SimInstrument> b,
                             std::chrono::milliseconds delay)
    : delay_(delay) {
    a_.instrument = std::move(a);
    b_.instrument = std::move(b);
    a_.instrument->WithApplication([this](SimDspApplication &app) {
        app.SetMessageCarrier([this](const SimMessage &m) { Carry(true, m); });
    });
    b_.instrument->WithApplication([this](SimDspApplication &app) {
        app.SetMessageCarrier([this](const SimMessage &m) { Carry(false, m); });
    });
    thread_ = std::thread([this] { Run(); });
}

SimRemoteLine::SimRemoteLine(const std::string &socketPath, std::chrono::milliseconds delay)
    : listener_(SimLineListen(socketPath)), socketPath_(socketPath), delay_(delay) {
    if (listener_ >= 0)
        acceptor_ = std::thread([this] { Accept(); });
    thread_ = std::thread([this] { Run(); });
}

SimRemoteLine::~SimRemoteLine() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
    // Shutting the sockets down wakes the threads that wait on them.
    if (listener_ >= 0)
        ::shutdown(listener_, SHUT_RDWR);
    if (acceptor_.joinable())
        acceptor_.join();
    for (End *end : {&a_, &b_}) {
        if (end->fd >= 0)
            ::shutdown(end->fd, SHUT_RDWR);
        if (end->reader.joinable())
            end->reader.join();
        if (end->fd >= 0)
            ::close(end->fd);
        if (end->instrument)
            end->instrument->WithApplication([](SimDspApplication &app) { app.SetMessageCarrier({}); });
    }
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(socketPath_.c_str());
    }
}

void SimRemoteLine::ScriptFaults(std::vector<SimLineFault> faults) {
    std::lock_guard lock(mutex_);
    faults_.assign(faults.begin(), faults.end());
}

int SimRemoteLine::DeliveredFromA() const {
    return delivered_.load();
}

std::vector<std::vector<std::uint8_t>> SimRemoteLine::CarriedFrom(bool a) const {
    std::lock_guard lock(mutex_);
    return carried_[a ? 0 : 1];
}

int SimRemoteLine::JoinedEnds() const {
    std::lock_guard lock(mutex_);
    return (a_.fd >= 0 ? 1 : 0) + (b_.fd >= 0 ? 1 : 0);
}

// The first two programs that join are a and b; each end's messages are read on a thread of its own.
void SimRemoteLine::Accept() {
    for (End *end : {&a_, &b_}) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        std::lock_guard lock(mutex_);
        end->fd = fd;
        end->reader = std::thread([this, a = end == &a_] { Read(a); });
    }
}

void SimRemoteLine::Read(bool a) {
    const int fd = (a ? a_ : b_).fd;
    SimLinePacket packet;
    while (SimLineReceive(fd, packet)) {
        if (packet.kind != SimLinePacket::Message)
            continue;
        SimMessage message;
        message.id = packet.id;
        message.counter = packet.counter;
        message.body = std::move(packet.body);
        Carry(a, message);
    }
}

// Called by the sending instrument while it holds its own lock, or by an end's reader: only schedules.
void SimRemoteLine::Carry(bool fromA, const SimMessage &message) {
    std::lock_guard lock(mutex_);
    carried_[fromA ? 0 : 1].push_back(message.body);
    SimLineFault fault = SimLineFault::None;
    if (fromA && !faults_.empty()) {
        fault = faults_.front();
        faults_.pop_front();
    }
    const auto now = std::chrono::steady_clock::now();
    auto end = [&](std::chrono::milliseconds after, std::int16_t success) {
        events_.push_back({now + after, fromA, {SimLinePacket::End, message.id, message.counter, success, {}}});
    };
    auto deliver = [&](std::chrono::milliseconds after, std::vector<std::uint8_t> body) {
        events_.push_back({now + after, !fromA, {SimLinePacket::Deliver, message.id, 0, 0, std::move(body)}});
    };
    switch (fault) {
    case SimLineFault::None:
        deliver(delay_, message.body);
        end(2 * delay_, 1);
        break;
    case SimLineFault::Drop:
        end(delay_, 0);
        break;
    case SimLineFault::Corrupt: {
        std::vector<std::uint8_t> body = message.body;
        if (!body.empty())
            body[body.size() / 2] ^= 0xA5;
        deliver(delay_, std::move(body));
        end(2 * delay_, 1);
        break;
    }
    case SimLineFault::Truncate:
        events_.push_back({now + delay_, !fromA, {SimLinePacket::InputError, 0, 0, 0, {}}});
        end(2 * delay_, 0);
        break;
    case SimLineFault::FinFirst:
        end(delay_, 1);
        deliver(3 * delay_, message.body);
        break;
    case SimLineFault::LateFin:
        deliver(delay_, message.body);
        end(100 * delay_, 1);
        break;
    }
    wake_.notify_all();
}

// Runs on the line's thread without the line's lock: an instrument calls Carry under its own.
void SimRemoteLine::Apply(const Event &event) {
    End &to = event.toA ? a_ : b_;
    if (event.packet.kind == SimLinePacket::Deliver && !event.toA)
        ++delivered_;
    if (to.instrument) {
        to.instrument->WithApplication([&event](SimDspApplication &app) { ApplyLinePacket(app, event.packet); });
        return;
    }
    int fd = -1;
    {
        std::lock_guard lock(mutex_);
        fd = to.fd;
    }
    // An end that has not joined, or has gone, hears nothing.
    if (fd >= 0)
        SimLineSend(fd, event.packet);
}

void SimRemoteLine::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        const auto now = std::chrono::steady_clock::now();
        auto due = std::find_if(events_.begin(), events_.end(), [now](const Event &e) { return e.due <= now; });
        if (due == events_.end()) {
            auto next = std::min_element(events_.begin(), events_.end(),
                                         [](const Event &x, const Event &y) { return x.due < y.due; });
            if (next == events_.end())
                wake_.wait(lock);
            else
                wake_.wait_until(lock, next->due);
            continue;
        }
        Event event = std::move(*due);
        events_.erase(due);
        lock.unlock();
        Apply(event);
        lock.lock();
    }
}
