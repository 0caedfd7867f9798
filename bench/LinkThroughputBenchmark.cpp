// Packets over the simulated instrument with the data channel held to 921600 baud: the payload and the
// wire bytes carried per second as a fraction of what the line can carry, and the link thread's CPU time
// per megabyte and while idle.
#include "link/FirmwareDownload.h"
#include "link/Sio9.h"
#include "platform/Clock.h"
#include "sim/SimPacedPort.h"
#include "sim/UsbPortSim.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <ctime>
#include <random>
#include <thread>

namespace {

constexpr double LineBytesPerSecond = 921600.0 / 10;

std::uint64_t SteadyMicros() {
    return std::uint64_t(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Reads the CPU time of the link thread, the only thread that polls the data channel once the link runs.
class CpuTap final : public UsbPortRelay {
public:
    using UsbPortRelay::UsbPortRelay;
    int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) override {
        if (std::this_thread::get_id() != main_)
            linkCpu_.store(ThreadCpuSeconds());
        return UsbPortRelay::GetQueueStatus(handle, rxBytes);
    }
    double LinkCpu() const { return linkCpu_.load(); }

private:
    const std::thread::id main_ = std::this_thread::get_id();
    std::atomic<double> linkCpu_{0};
};

class BenchLink final : public TSio9 {
public:
    using TSio9::TSio9;

protected:
    int LoadFirmware() override {
        const QByteArray text(":0400100012345678D8\r\n:00000001FF\r\n");
        return DownloadFirmware(*this, reinterpret_cast<const std::uint8_t *>(text.data()), std::size_t(text.size()));
    }
};

struct PacedRig {
    PacedRig() {
        SimConfig config;
        config.dsp.enabled = false; // only the benchmark's packets
        instrument = std::make_shared<SimInstrument>(config);
        sim = std::make_unique<UsbPortSim>(instrument);
        paced = std::make_unique<SimPacedPort>(*sim, SteadyMicros);
        tap = std::make_unique<CpuTap>(*paced);
        link = std::make_unique<BenchLink>(nullptr, tap.get());
    }
    std::shared_ptr<SimInstrument> instrument;
    std::unique_ptr<UsbPortSim> sim;
    std::unique_ptr<SimPacedPort> paced;
    std::unique_ptr<CpuTap> tap;
    std::unique_ptr<BenchLink> link;
};

// Wire bytes of a data frame: start, two header bytes, type, length, the escaped payload, three trailer bytes.
std::size_t FrameBytes(const std::vector<std::uint8_t> &payload) {
    std::size_t size = 8;
    for (std::uint8_t b : payload)
        size += (b == 0x16 || b == 0x10) ? 2 : 1;
    return size;
}

// A payload of random bytes, the same for every run with the same seed.
std::vector<std::uint8_t> RandomPayload(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> payload(size);
    for (std::uint8_t &b : payload)
        b = std::uint8_t(random());
    return payload;
}

// The measured run as shares of the line rate and the link thread's time per megabyte carried.
void ReportRates(benchmark::State &state, double seconds, double cpu, std::uint32_t packets,
                 const std::vector<std::uint8_t> &payload) {
    const double payloadBytes = double(packets) * double(payload.size());
    state.SetIterationTime(seconds);
    state.counters["payload_of_line"] = payloadBytes / seconds / LineBytesPerSecond;
    state.counters["wire_of_line"] = double(packets) * double(FrameBytes(payload)) / seconds / LineBytesPerSecond;
    state.counters["link_cpu_ms_per_MB"] = cpu * 1e3 / (payloadBytes / 1e6);
}

void InstrumentToProgram(benchmark::State &state) {
    const std::size_t payloadSize = std::size_t(state.range(0));
    const std::uint32_t packets = std::uint32_t(3.0 * LineBytesPerSecond / double(payloadSize + 8)); // ~3 s
    const std::vector<std::uint8_t> payload = RandomPayload(payloadSize, 5);
    for (auto _ : state) {
        PacedRig rig;
        if (rig.link->Open(0, false) != 0) {
            state.SkipWithError("the link did not open");
            return;
        }
        std::atomic<std::uint32_t> received{0};
        std::atomic<bool> stop{false};
        std::thread consumer([&] {
            std::uint8_t buffer[LinkMaxPayload];
            while (!stop.load()) {
                if (rig.link->NextPacketType()) {
                    rig.link->TakePacket(buffer);
                    received.fetch_add(1);
                } else {
                    Sleep(1);
                }
            }
        });
        const double cpuBefore = rig.tap->LinkCpu();
        const auto start = std::chrono::steady_clock::now();
        std::uint32_t sent = 0;
        while (received.load() < packets) {
            while (sent < packets && rig.instrument->SendPacket(200, payload))
                ++sent;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = rig.tap->LinkCpu() - cpuBefore;
        stop.store(true);
        consumer.join();
        rig.link->Close();
        ReportRates(state, seconds, cpu, packets, payload);
    }
}
BENCHMARK(InstrumentToProgram)->Arg(256)->Arg(64)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void ProgramToInstrument(benchmark::State &state) {
    const std::size_t payloadSize = std::size_t(state.range(0));
    const std::uint32_t packets = std::uint32_t(3.0 * LineBytesPerSecond / double(payloadSize + 8));
    const std::vector<std::uint8_t> payload = RandomPayload(payloadSize, 9);
    for (auto _ : state) {
        PacedRig rig;
        if (rig.link->Open(0, false) != 0) {
            state.SkipWithError("the link did not open");
            return;
        }
        const double cpuBefore = rig.tap->LinkCpu();
        const auto start = std::chrono::steady_clock::now();
        std::uint32_t sent = 0, received = 0;
        while (received < packets) {
            while (sent < packets && rig.link->QueuePacket(payload.data(), std::uint32_t(payloadSize), 200))
                ++sent;
            while (rig.instrument->TakePacket())
                ++received;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = rig.tap->LinkCpu() - cpuBefore;
        rig.link->Close();
        ReportRates(state, seconds, cpu, packets, payload);
    }
}
BENCHMARK(ProgramToInstrument)->Arg(256)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// The open link with nothing to carry: the link thread's share of one core.
void IdleLink(benchmark::State &state) {
    for (auto _ : state) {
        PacedRig rig;
        if (rig.link->Open(0, false) != 0) {
            state.SkipWithError("the link did not open");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const double cpuBefore = rig.tap->LinkCpu();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = rig.tap->LinkCpu() - cpuBefore;
        rig.link->Close();
        state.SetIterationTime(seconds);
        state.counters["link_core_share"] = cpu / seconds;
    }
}
BENCHMARK(IdleLink)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
