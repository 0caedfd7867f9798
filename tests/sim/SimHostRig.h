#pragma once

#include "sim/UsbPortSim.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// The program's end of the simulated instrument, played through the port with the
// simulator's own link peer on a virtual clock: opens both channels, gives the start pulse and downloads
// a one-word firmware as the program does, then exchanges packets.
struct SimHostRig {
    using Bytes = std::vector<std::uint8_t>;

    explicit SimHostRig(SimConfig config = SimConfig())
        : instrument(std::make_shared<SimInstrument>(std::move(config), [this] { return now; })), port(instrument) {}

    static void Write(UsbPort &port, UsbHandle handle, const Bytes &bytes) {
        std::uint32_t written = 0;
        ASSERT_EQ(port.Write(handle, bytes.data(), std::uint32_t(bytes.size()), written), UsbOk);
        ASSERT_EQ(written, bytes.size());
    }
    static Bytes ReadAll(UsbPort &port, UsbHandle handle) {
        std::uint32_t waiting = 0;
        EXPECT_EQ(port.GetQueueStatus(handle, waiting), UsbOk);
        Bytes bytes(waiting);
        std::uint32_t read = 0;
        EXPECT_EQ(port.Read(handle, bytes.data(), waiting, read), UsbOk);
        bytes.resize(read);
        return bytes;
    }
    // Opens the default instrument's channels and starts its DSP program; `rest` gets whatever followed
    // the boot loader's accepting reply.
    static void Start(UsbPort &port, UsbHandle &a, UsbHandle &b, Bytes &rest) {
        ASSERT_EQ(port.OpenByLocation(0x3011, a), UsbOk);
        ASSERT_EQ(port.OpenByLocation(0x3012, b), UsbOk);
        ASSERT_EQ(port.SetBitMode(a, 0, UsbBitModeMpsse), UsbOk);
        ASSERT_EQ(port.SetDtr(b), UsbOk);
        ASSERT_EQ(port.SetRts(b), UsbOk);
        Write(port, a, {0x80, 0x83, 0xFB, 0x82, 0x00, 0x07});
        Write(port, a, {0x80, 0x03, 0xFB});
        // Preamble, one record of the word 0x1234 at 0000:0000, end; every byte bit-reversed.
        Bytes wire = {0x10, 0x55, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x01};
        wire.insert(wire.end(), {0x00, 0x80, 0x00, 0x00, 0x00, 0x00, 0x48, 0x2C, 0x00, 0x00});
        Write(port, b, wire);
        const Bytes reply = ReadAll(port, b);
        ASSERT_GE(reply.size(), 2u);
        ASSERT_EQ(reply[0], '3');
        ASSERT_EQ(reply[1], 0x89);
        rest.assign(reply.begin() + 2, reply.end());
    }

    void Write(UsbHandle handle, const Bytes &bytes) { Write(port, handle, bytes); }
    Bytes ReadAll(UsbHandle handle) { return ReadAll(port, handle); }
    std::uint32_t Modem() {
        std::uint32_t status = 0;
        EXPECT_EQ(port.GetModemStatus(b, status), UsbOk);
        return status & (UsbModemCts | UsbModemDsr);
    }

    void Connect() {
        Bytes rest;
        ASSERT_NO_FATAL_FAILURE(Start(port, a, b, rest));
        host.Receive(rest.data(), rest.size());
        ASSERT_EQ(instrument->DspState(), SimInstrument::Dsp::Running);
    }

    // Exchanges frames until both ends are quiet. A mute host still reads but sends nothing, not even
    // acknowledgements.
    void Pump() {
        for (int round = 0; round < 1000; ++round) {
            Bytes out;
            while (!hostMute && host.Transmit(out)) {
            }
            if (!out.empty())
                Write(b, out);
            const Bytes in = ReadAll(b);
            host.Receive(in.data(), in.size());
            while (std::optional<SimPacket> packet = host.Take())
                received.push_back(std::move(*packet));
            if (out.empty() && in.empty())
                return;
        }
        ADD_FAILURE() << "the link does not settle";
    }
    void Advance(std::uint32_t ms, std::uint32_t step = 1) {
        for (std::uint32_t done = 0; done < ms; done += step) {
            now += std::min(step, ms - done);
            Pump();
        }
    }
    void Send(int type, const Bytes &payload) {
        ASSERT_TRUE(host.Queue(type, payload));
        Pump();
    }
    // Packets received of one type, taken out of `received`.
    std::vector<SimPacket> Take(int type) {
        std::vector<SimPacket> taken, rest;
        for (SimPacket &packet : received)
            (packet.type == type ? taken : rest).push_back(std::move(packet));
        received = std::move(rest);
        return taken;
    }
    std::vector<SimPacketViolation> Violations() {
        std::vector<SimPacketViolation> violations;
        instrument->WithApplication([&](SimDspApplication &app) { violations = app.Violations(); });
        return violations;
    }

    std::uint32_t now = 0; // first: the instrument and the host read the clock as they are built
    std::shared_ptr<SimInstrument> instrument;
    UsbPortSim port;
    SimLinkPeer host{[this] { return now; }};
    UsbHandle a = 0, b = 0;
    bool hostMute = false;
    std::vector<SimPacket> received;
};
