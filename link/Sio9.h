#pragma once

#include "link/IoThread.h"
#include "link/LinkFrameCodec.h"
#include "link/LinkScheduler.h"
#include "link/LinkTrace.h"
#include "platform/HiddenWindow.h"
#include "platform/usb/UsbPort.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

// Messages the link's worker threads post to its hidden window.
enum LinkMessage : std::uint32_t {
    WmLinkDisconnect = WM_APP + 70, // wParam, lParam: (1, 0) CTS dropped, (2, 0) silence, else the type-511 values
    WmDspTimeout = WM_APP + 71,
    WmDataReady = WM_APP + 72,
    WmDbgVal = WM_APP + 73,
    WmDbgU32 = WM_APP + 74,
    WmDbgI48 = WM_APP + 75,
    WmDbgVect = WM_APP + 76,
    WmDspCadr = WM_APP + 77,
};

// Open status codes of the transport; the firmware download adds 8 to 16.
enum Sio9Status : int {
    Sio9Ok = 0,
    Sio9NoDevice = 1,
    Sio9TransferFailed = 2,
    Sio9BatteryAbsent = 3,
    Sio9BatteryDischarged = 4,
    Sio9NoDsr = 5,
    Sio9NoCts = 6,
    Sio9NoTraceFile = 7,
};

// The lowest layer of the instrument link: finds the instrument among the devices of the USB port, opens
// its two channels (A: MPSSE with the GPIO lines and the register bridge; B: the 921600-baud byte stream
// to the DSP), checks the battery and handshake lines, lets a derived class download the DSP program, and
// then runs a link thread that carries opaque packets {type 1 to 511, 0 to 256 bytes} both ways in framed,
// acknowledged frames. Worker threads reach the main thread only through messages to the hidden window.
class TSio9 : public HiddenWindow {
public:
    static constexpr std::uint32_t BaudRate = 921600;
    static constexpr int BreakPacketType = 127;
    static constexpr std::uint32_t SilenceDisconnectMs = 30001;
    static constexpr std::uint32_t DspTimeoutMs = 4501;
    static constexpr std::uint32_t TxSlotWaitMs = 5000;
    static constexpr std::uint32_t FlushWaitMs = 5000;
    static constexpr std::uint32_t ReplyWaitMs = 5000; // for a reply on channel A

    // A null port takes the process's port.
    explicit TSio9(QObject *owner = nullptr, UsbPort *port = nullptr);
    ~TSio9() override;
    TSio9(const TSio9 &) = delete;
    TSio9 &operator=(const TSio9 &) = delete;

    // One "\r\n"-terminated line per matching device with its description. A non-empty prefix replaces
    // the stored description prefix (at most 63 characters) for all later matching.
    QString ListInstruments(const QString &prefix = QString());
    // Opens the index-th matching device (from 0) and starts the link thread: 0 or a status code.
    int Open(int index, bool trace);
    // Safe when nothing is open.
    void Close();

    // Producer of the transmit ring (main thread); never blocks. Payload bytes taken, 0 when refused.
    std::uint32_t QueuePacket(const void *data, std::uint32_t length, std::uint32_t type);
    bool HasTxSlot() const;
    // Polls every 1 ms for a free slot, at most 5000 ms; false on time-out or when the link stops.
    bool WaitTxSlot();

    // Consumer of the receive ring (the packet thread): 127 for a break that arrived, else the type of the
    // oldest packet not taken, or 0. Either restarts the silence watch.
    int NextPacketType();
    std::uint32_t TakePacket(void *destination);
    void SkipPacket();
    // 30001 ms or more without a packet.
    bool SilenceExpired();
    // 4501 ms or more since the last packet or the last time this answered true.
    bool DspTimeoutDue();

    // Raw access to channel B for the firmware download, before the link thread runs.
    bool PutRawByte(std::uint8_t byte);
    // Writes what PutRawByte collected in one write and waits (at most 5000 ms) until it left.
    bool FlushRaw();
    // The next received byte, or -1 when none waits or the read failed.
    int ReadRawByte();

    // CTS of channel B. While the link thread runs it owns the channel and publishes what it last read.
    bool CtsHigh();
    void PostLinkMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);

    UsbPort &Port() const { return port_; }
    bool IsRunning() const { return Running.load(); }

    std::uint32_t ComRdErrCnt() const { return Counters.ComRdErrCnt.load(); }
    std::uint32_t ComWrErrCnt() const { return Counters.ComWrErrCnt.load(); }
    std::uint32_t RecvSobCnt() const { return Counters.RecvSobCnt.load(); }
    std::uint32_t RecvErrCnt() const { return Counters.RecvErrCnt.load(); }
    std::uint32_t RecvReqCnt() const { return Counters.RecvReqCnt.load(); }
    std::uint32_t SendErrCnt() const { return Counters.SendErrCnt.load(); }
    std::uint32_t SendReqCnt() const { return Counters.SendReqCnt.load(); }

    std::uint8_t TraceOn = 0;
    std::uint8_t ChannelsOpen = 0;
    UsbHandle HandleA = 0;
    UsbHandle HandleB = 0;
    std::uint8_t GpioHigh = 0;

protected:
    // Called during Open after the handshake; 0 or a status code.
    virtual int LoadFirmware() { return 0; }
    void WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

private:
    static constexpr std::size_t RxBufferSize = 4096;
    static constexpr std::size_t TxBufferSize = 1024;

    int OpenByIndex(int index);
    int OpenChannels(std::uint32_t location);
    int SetUpChannelB();
    int StartInstrument();
    int WaitHandshake();
    bool WriteA(std::initializer_list<std::uint8_t> bytes);
    bool ReadGpioHigh();
    void ResetLinkState();

    static void LinkThreadProc(void *self);
    void LinkLoop();
    // Refills the receive buffer from the driver when it is empty; false when nothing came.
    bool FillRxBuffer();
    void HandleFailure();
    bool HandleFrame(const LinkFrame &frame);
    // One pass of the transmit scheduler; false when nothing was due.
    bool ScheduleTx();
    bool WriteB(const std::uint8_t *data, std::size_t size);
    void RestartSilence();

    UsbPort &port_;
    QByteArray DescriptionPrefix;
    LinkTrace Trace;
    std::uint32_t TickNow = 0;
    std::unique_ptr<TIoThread> LinkThread;
    std::atomic<std::uint8_t> Running{0};
    std::atomic<std::uint8_t> CtsPublished{0};
    std::atomic<std::uint32_t> BreakReceived{0};

    LinkCounters Counters;
    LinkScheduler Scheduler{Counters};
    LinkFrameDecoder Decoder;

    std::uint8_t LastByte = 0;
    std::uint8_t RxBuffer[RxBufferSize] = {};
    std::size_t RxPos = 0;
    std::size_t RxLeft = 0;
    std::uint8_t TxBytes[TxBufferSize] = {};
    std::size_t TxBytesEnd = 0;

    std::uint32_t PacketNow = 0;
    std::uint32_t LastPacketTime = 0;
    std::uint32_t LastTimeoutTime = 0;
};
