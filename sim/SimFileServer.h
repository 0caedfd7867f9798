#pragma once

#include "sim/SimFileStore.h"
#include "sim/SimLinkPeer.h"
#include "sim/SimWire.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// The instrument's end of a COM port: a pseudo-terminal whose other end (DevicePath) the program opens
// as its port. The server answers the greeting, then runs the framed link (SimLinkPeer) with seeded
// faults on the wire both ways, identifies itself with its server version and serves the file store.
class SimFileServer {
public:
    struct Options {
        // What the greeting is answered with; empty: no answer.
        std::vector<std::uint8_t> greetingReply{'3', 0x89};
        std::int32_t serverVersion = 822;
        SimWireFaults toProgram;
        SimWireFaults toServer;
        std::uint32_t seed = 1;
    };

    SimFileServer(const QString &rootFolder, const QString &trashFolder, const Options &options);
    SimFileServer(const QString &rootFolder, const QString &trashFolder);
    ~SimFileServer();
    SimFileServer(const SimFileServer &) = delete;
    SimFileServer &operator=(const SimFileServer &) = delete;

    bool IsOpen() const { return master_ >= 0; }
    QString DevicePath() const { return devicePath_; }

    // A break control frame goes out next.
    void SendBreak();
    // Further packets to the program, behind what the store answers (for example a type-511 fault report).
    void SendPacket(int type, const std::vector<std::uint8_t> &payload);
    // The server falls silent: it neither takes nor sends frames until unmuted.
    void Mute(bool mute) { mute_.store(mute); }

    std::vector<int> RequestTypes();
    std::vector<std::pair<int, int>> PacketLog();
    int Cancels();
    bool GoodbyeSeen();
    SimLinkCounters LinkCounters();

private:
    void Run();
    void Serve(const std::uint8_t *data, std::size_t size);
    void WriteAll(const std::vector<std::uint8_t> &bytes);

    Options options_;
    int master_ = -1;
    int slaveKeeper_ = -1; // keeps the terminal alive between the program's opens
    QString devicePath_;
    std::mutex lock_;
    SimFileStore store_;
    SimLinkPeer peer_;
    SimWire wireToProgram_;
    SimWire wireToServer_;
    std::vector<std::uint8_t> greetingSeen_;
    bool greeted_ = false;
    std::atomic<bool> running_{true};
    std::atomic<bool> mute_{false};
    std::thread thread_;
};
