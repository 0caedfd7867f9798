#include "DspTestRig.h"

#include <QCoreApplication>

#include <chrono>

void StillClock::Sleep(std::uint32_t ms) {
    if (std::this_thread::get_id() == owner_) {
        Advance(ms);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        ++sleeps_[std::this_thread::get_id()];
    }
    std::this_thread::sleep_for(std::chrono::microseconds(50));
}

bool StillClock::Settle(std::size_t workers, double seconds) {
    std::map<std::thread::id, std::uint64_t> before;
    {
        std::lock_guard lock(mutex_);
        before = sleeps_;
    }
    return WaitUntil(
        [&] {
            std::lock_guard lock(mutex_);
            std::size_t settled = 0;
            for (const auto &[thread, count] : sleeps_) {
                const auto known = before.find(thread);
                settled += count >= (known == before.end() ? 0 : known->second) + 2;
            }
            return settled >= workers;
        },
        seconds);
}

namespace {

// As WaitUntil, but the main thread's events wait: only the test hands them over.
bool PollUntil(const std::function<bool()> &step, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!step()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

int SteppedDspIo9::OpenStepped(const QString &firmware) {
    HexFileName = firmware;
    const int status = Open(0, false);
    if (status == Sio9Ok)
        PacketRunning.store(1);
    return status;
}

SteppedDspIo9::PacketStep SteppedDspIo9::StepUntilBusy(double seconds) {
    PacketStep step = PacketStep::Idle;
    PollUntil([&] { return (step = Step()) != PacketStep::Idle; }, seconds);
    return step;
}

bool SteppedDspIo9::Run(SimInstrument &instrument, const std::vector<ScriptPacket> &script, double seconds) {
    std::size_t sent = 0, handled = 0;
    return PollUntil(
        [&] {
            while (sent < script.size()) {
                const ScriptPacket &packet = script[sent];
                if (packet.type == ScriptBreak) {
                    if (handled < sent)
                        break;
                    instrument.WithLink([](SimLinkPeer &peer) { peer.QueueBreak(); });
                } else if (!instrument.SendPacket(packet.type, packet.payload)) {
                    break;
                }
                ++sent;
            }
            if (Step() == PacketStep::Handled)
                ++handled;
            return handled == script.size();
        },
        seconds);
}

void SteppedDspIo9::DeliverOne() {
    QCoreApplication::processEvents();
}

void SteppedDspIo9::Deliver() {
    for (int pass = 0; pass < 1000; ++pass) {
        Step();
        if (!DataPosted.load())
            break;
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
}

namespace {

template <typename... Values> std::string Line(const char *kind, Values... values) {
    std::string line = kind;
    ((line += ' ' + std::to_string(values)), ...);
    return line;
}

std::string Words(std::string line, const std::int16_t *data, std::uint32_t count) {
    line += ':';
    for (std::uint32_t i = 0; i < count; ++i)
        line += ' ' + std::to_string(data[i]);
    return line;
}

} // namespace

EventLog::EventLog(TDspIo9 &link) {
    link.OnDisconnect = [this](TDspIo9 *, std::int16_t err, std::int16_t v) { lines.push_back(Line("disc", err, v)); };
    link.OnDspTimeout = [this](TDspIo9 *) { lines.push_back("timeout"); };
    link.OnDbgVal = [this](TDspIo9 *, std::int16_t v) { lines.push_back(Line("val", v)); };
    link.OnDbgU32 = [this](TDspIo9 *, std::uint32_t v) { lines.push_back(Line("u32", v)); };
    link.OnDbgI48 = [this](TDspIo9 *, std::uint32_t u, std::int16_t s) { lines.push_back(Line("i48", u, s)); };
    link.OnDbgVect = [this](TDspIo9 *, const std::int16_t *data, std::uint32_t n) {
        lines.push_back(Words(Line("vect", n), data, n));
    };
    link.OnDspCadr = [this](TDspIo9 *, std::uint32_t type, std::int16_t s) { lines.push_back(Line("cadr", type, s)); };
    link.OnAdcArray = [this](TDspIo9 *, const std::int16_t *data, std::uint32_t n, std::uint32_t t) {
        // The first and the last sample stand for the block.
        const std::int16_t ends[] = {data[0], data[n - 1]};
        lines.push_back(Words(Line("adc", n, t), ends, 2));
    };
    link.OnMetCadr = [this](TDspIo9 *, std::int16_t flg, std::int32_t sgn, std::int32_t nse, std::int32_t snr,
                            std::int16_t frq, std::int16_t ovr,
                            std::uint32_t t) { lines.push_back(Line("met", flg, sgn, nse, snr, frq, ovr, t)); };
    link.OnSstRez = [this](TDspIo9 *, double re, double im, std::uint32_t dp, std::uint32_t t, std::int16_t ovr,
                           std::int16_t end) { lines.push_back(Line("sst", re, im, dp, t, ovr, end)); };
    link.OnSstStop = [this](TDspIo9 *) { lines.push_back("sst-stop"); };
    link.OnMesInpProgress = [this](TDspIo9 *, std::uint32_t n, std::uint32_t i) {
        lines.push_back(Line("inp-progress", n, i));
    };
    link.OnMesInpErr = [this](TDspIo9 *, std::uint32_t n, std::uint32_t i) { lines.push_back(Line("inp-err", n, i)); };
    link.OnMesInp = [this](TDspIo9 *, std::int16_t id, const std::int16_t *data, std::uint32_t n) {
        lines.push_back(Words(Line("inp", id, n), data, n));
    };
    link.OnSpkStart = [this](TDspIo9 *, std::int16_t brk) { lines.push_back(Line("spk", brk)); };
    link.OnPowerSts = [this](TDspIo9 *, std::int32_t acc, std::int32_t norm, std::uint32_t t) {
        lines.push_back(Line("power", acc, norm, t));
    };
}

std::vector<std::string> EventLog::Take() {
    std::vector<std::string> taken;
    taken.swap(lines);
    return taken;
}

SimConfig ScriptedInstrument() {
    SimConfig config;
    config.dsp.enabled = false;
    return config;
}
