#include "sim/SimFileServer.h"

#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr std::uint8_t Greeting[] = {0x01, 0x10, 0x02, 0x20, 0x04, 0x40, 0x08, 0x80};

std::uint32_t SteadyMs() {
    return std::uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch()).count());
}

} // namespace

SimFileServer::SimFileServer(const QString &rootFolder, const QString &trashFolder)
    : SimFileServer(rootFolder, trashFolder, Options()) {}

SimFileServer::SimFileServer(const QString &rootFolder, const QString &trashFolder, const Options &options)
    : options_(options), store_(rootFolder, trashFolder), peer_(&SteadyMs), wireToProgram_(options.seed),
      wireToServer_(options.seed + 1) {
    wireToProgram_.SetFaults(options.toProgram);
    wireToServer_.SetFaults(options.toServer);
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0)
        return;
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || !::ptsname(master_)) {
        ::close(master_);
        master_ = -1;
        return;
    }
    devicePath_ = QString::fromLocal8Bit(::ptsname(master_));
    slaveKeeper_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    termios tio{};
    if (slaveKeeper_ >= 0 && ::tcgetattr(slaveKeeper_, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveKeeper_, TCSANOW, &tio);
    }
    thread_ = std::thread(&SimFileServer::Run, this);
}

SimFileServer::~SimFileServer() {
    running_.store(false);
    if (thread_.joinable())
        thread_.join();
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
    if (master_ >= 0)
        ::close(master_);
}

void SimFileServer::SendBreak() {
    std::lock_guard<std::mutex> guard(lock_);
    peer_.QueueBreak();
}

void SimFileServer::SendPacket(int type, const std::vector<std::uint8_t> &payload) {
    std::lock_guard<std::mutex> guard(lock_);
    store_.Outbox().push_back(SimPacket{type, payload});
}

std::vector<int> SimFileServer::RequestTypes() {
    std::lock_guard<std::mutex> guard(lock_);
    return store_.RequestTypes();
}

std::vector<std::pair<int, int>> SimFileServer::PacketLog() {
    std::lock_guard<std::mutex> guard(lock_);
    return store_.PacketLog();
}

int SimFileServer::Cancels() {
    std::lock_guard<std::mutex> guard(lock_);
    return store_.Cancels();
}

bool SimFileServer::GoodbyeSeen() {
    std::lock_guard<std::mutex> guard(lock_);
    return store_.GoodbyeSeen();
}

SimLinkCounters SimFileServer::LinkCounters() {
    std::lock_guard<std::mutex> guard(lock_);
    return peer_.Counters();
}

void SimFileServer::WriteAll(const std::vector<std::uint8_t> &bytes) {
    std::size_t done = 0;
    while (done < bytes.size() && running_.load()) {
        const ssize_t put = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (put > 0)
            done += std::size_t(put);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Bytes from the program: the greeting until it was answered, frames afterwards. A new greeting (the
// program opened the port again) starts the link and the identification anew.
void SimFileServer::Serve(const std::uint8_t *data, std::size_t size) {
    for (std::size_t k = 0; k < size; ++k) {
        greetingSeen_.push_back(data[k]);
        if (greetingSeen_.size() > sizeof Greeting)
            greetingSeen_.erase(greetingSeen_.begin());
        if (greetingSeen_.size() == sizeof Greeting && std::equal(greetingSeen_.begin(), greetingSeen_.end(), Greeting)) {
            greetingSeen_.clear();
            // A server that gives no answer stays silent.
            greeted_ = !options_.greetingReply.empty();
            peer_.Reset();
            WriteAll(options_.greetingReply);
            std::vector<std::uint8_t> version(4);
            for (int i = 0; i < 4; ++i)
                version[i] = std::uint8_t(std::uint32_t(options_.serverVersion) >> (8 * i));
            store_.Outbox().push_front(SimPacket{2, version});
            continue;
        }
        if (greeted_ && !mute_.load()) {
            std::vector<std::uint8_t> passed;
            wireToServer_.Pass(data + k, 1, passed);
            peer_.Receive(passed.data(), passed.size());
        }
    }
}

void SimFileServer::Run() {
    std::uint8_t buffer[2048];
    while (running_.load()) {
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        std::vector<std::uint8_t> out;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (got > 0)
                Serve(buffer, std::size_t(got));
            if (greeted_) {
                while (auto packet = peer_.Take())
                    store_.Take(*packet);
                while (!store_.Outbox().empty() && peer_.CanQueue()) {
                    peer_.Queue(store_.Outbox().front().type, store_.Outbox().front().payload);
                    store_.Outbox().pop_front();
                }
                std::vector<std::uint8_t> frames;
                while (peer_.Transmit(frames)) {
                }
                if (!mute_.load())
                    wireToProgram_.Pass(frames.data(), frames.size(), out);
            }
        }
        if (!out.empty())
            WriteAll(out);
        if (got <= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}
