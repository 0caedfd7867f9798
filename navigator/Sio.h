#pragma once

#include "link/IoThread.h"
#include "link/LinkFrameCodec.h"
#include "link/LinkScheduler.h"
#include "link/LinkTrace.h"
#include "platform/HiddenWindow.h"
#include "platform/SerialPort.h"

#include <atomic>
#include <cstdint>
#include <memory>

// The disconnect message: wParam, lParam (1, 0) CTS dropped, (2, 0) silence, else the type-511 values.
constexpr std::uint32_t WmSioDisconnect = WM_APP + 70;

enum SioStatus : int {
    SioOk = 0,
    SioNoPort = 1,
    SioSystemError = 2,
    SioNoDsr = 3,
    SioNoCts = 4,
    SioNoTraceFile = 5,
};

// A framed, acknowledged packet link over a COM port: the framing and the acknowledgement engine of the
// instrument's USB link (link/LinkFrameCodec, link/LinkScheduler) at 115200 baud 8N1 without flow control.
// A link thread does all port input and output: it reads up to 2048 bytes at a time, and only while the
// input is idle it sends (one scheduler pass, a 30 ms sleep, one more pass). Packets reach the application
// through the scheduler's two rings; events reach the main thread as messages to this hidden window.
class TSio : public HiddenWindow {
public:
    static constexpr std::uint32_t BaudRate = 115200;
    static constexpr int BreakPacketType = 127;
    static constexpr std::uint32_t IdleSleepMs = 30;
    static constexpr std::uint32_t CanSendWaitMs = 5000;

    // A null port makes the component use a serial port of its own.
    explicit TSio(QObject *owner = nullptr, SerialPort *port = nullptr);
    ~TSio() override;

    // 0 or a status code (SioStatus, or what Handshake returned). On failure the port may stay open:
    // the caller closes it with ClosePort.
    int Open(int port, bool trace);
    // Stops the link, finishes the trace and closes the port; safe when closed.
    void Close();
    void ClosePort();

    // Producer of the transmit ring: payload bytes queued (cut to 256), 0 when the link is not running,
    // no slot is free or the type is 0.
    std::uint32_t SendPacket(const void *data, std::uint32_t length, std::uint32_t type);
    bool CanSend() const;
    // Transmit slots free now (0 when the link is not running).
    int FreeSlots() const;
    // Polls every 30 ms for at most 5000 ms while the link runs.
    bool WaitCanSend();
    // The same wait for `count` free slots.
    bool WaitFreeSlots(int count);

    // 0 when not running or nothing waits; 127 once after a break; else the oldest packet's type, and
    // then both silence counters restart.
    int PeekPacket();
    std::uint32_t ReadPacket(void *destination);
    void SkipPacket();

    void PostEvent(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
    void PostEvent2(std::uint32_t msg, std::uintptr_t wParam, std::uint16_t high, std::uint16_t low);
    bool CtsOn();
    bool HasModemLines() { return port_.HasModemLines(); }

    // Raw port access for the handshake, before the link thread runs.
    int ReadRawByte();
    void PutRawByte(std::uint8_t byte);
    bool WriteRaw();
    void Pause();

    bool IsRunning() const { return Running.load() != 0; }
    std::uint32_t ComRdErrCnt() const { return Counters.ComRdErrCnt.load(); }
    std::uint32_t ComWrErrCnt() const { return Counters.ComWrErrCnt.load(); }
    std::uint32_t RecvSobCnt() const { return Counters.RecvSobCnt.load(); }
    std::uint32_t RecvErrCnt() const { return Counters.RecvErrCnt.load(); }
    std::uint32_t RecvReqCnt() const { return Counters.RecvReqCnt.load(); }
    std::uint32_t SendErrCnt() const { return Counters.SendErrCnt.load(); }
    std::uint32_t SendReqCnt() const { return Counters.SendReqCnt.load(); }

protected:
    // Runs with the port open and no thread reading it; 0 lets Open go on.
    virtual int Handshake() { return 0; }
    void WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

    // Silence in ms, advanced and checked by the file service; PeekPacket restarts both.
    std::atomic<std::int32_t> DisconnectSilence{0};
    std::atomic<std::int32_t> TimeoutSilence{0};

private:
    static constexpr std::size_t RxBufferSize = 2048;
    static constexpr std::size_t FrameBufferSize = 1024;
    static constexpr std::uint32_t SettleMs = 100;
    static constexpr std::uint32_t ModemWaitMs = 500;

    int OpenPort(int port);
    void ResetLinkState();
    static void LinkThreadProc(void *self);
    void LinkLoop();
    // False when nothing came.
    bool FillRxBuffer();
    // False when the frame ended the link.
    bool HandleFrame(const LinkFrame &frame);
    void ServiceTransmit();
    bool WriteFrame(const std::uint8_t *data, std::size_t size);

    std::unique_ptr<SerialPort> ownPort_;
    SerialPort &port_;
    LinkTrace Trace;
    std::unique_ptr<TIoThread> LinkThread;
    std::atomic<std::uint8_t> Running{0};
    std::atomic<std::uint8_t> BreakReceived{0};

    LinkCounters Counters;
    LinkScheduler Scheduler{Counters};
    LinkFrameDecoder Decoder;

    std::uint8_t RxBuffer[RxBufferSize] = {};
    std::size_t RxPos = 0;
    std::size_t RxLeft = 0;
    static_assert(FrameBufferSize >= LinkMaxFrameBytes);
    std::uint8_t FrameBuffer[FrameBufferSize] = {};
    std::size_t FrameEnd = 0;
};
