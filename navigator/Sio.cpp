#include "navigator/Sio.h"

#include "platform/Clock.h"

#include <QTime>

TSio::TSio(QObject *owner, SerialPort *port)
    : HiddenWindow(owner), ownPort_(port ? nullptr : std::make_unique<SerialPort>()), port_(port ? *port : *ownPort_) {}

TSio::~TSio() {
    Close();
}

void TSio::ResetLinkState() {
    Scheduler.Reset();
    Decoder.Reset();
    Counters.Clear();
    BreakReceived.store(0);
    DisconnectSilence.store(0);
    TimeoutSilence.store(0);
    RxPos = RxLeft = 0;
    FrameEnd = 0;
}

int TSio::OpenPort(int port) {
    if (!port_.Open(port))
        return SioNoPort;
    if (!port_.Configure(BaudRate))
        return SioSystemError;
    Sleep(SettleMs);
    const std::uint32_t start = GetTickCount();
    ModemLines lines;
    for (;;) {
        if (!port_.GetModemLines(lines))
            return SioSystemError;
        if ((lines.Dsr && lines.Cts) || TicksSince(start) >= ModemWaitMs)
            break;
        Sleep(IdleSleepMs);
    }
    if (!lines.Dsr)
        return SioNoDsr;
    return lines.Cts ? SioOk : SioNoCts;
}

int TSio::Open(int port, bool trace) {
    Close();
    ResetLinkState();
    int status = OpenPort(port);
    if (status == SioOk)
        status = Handshake();
    if (status != SioOk)
        return status;
    if (trace) {
        const QString name = QString::number(port) + "_" + QTime::currentTime().toString("hhmmss") + ".txt";
        if (!Trace.Create(name))
            return SioNoTraceFile;
    }
    FrameEnd = 0;
    Running.store(1);
    LinkThread = std::make_unique<TIoThread>(&TSio::LinkThreadProc, this);
    return SioOk;
}

void TSio::Close() {
    Running.store(0);
    LinkThread.reset();
    Trace.Close();
    ClosePort();
}

void TSio::ClosePort() {
    port_.Close();
}

std::uint32_t TSio::SendPacket(const void *data, std::uint32_t length, std::uint32_t type) {
    return IsRunning() ? Scheduler.QueuePacket(data, length, type) : 0;
}

bool TSio::CanSend() const {
    return IsRunning() && Scheduler.HasTxSlot();
}

int TSio::FreeSlots() const {
    if (!IsRunning())
        return 0;
    // A slot is free while the producer has not caught up with the slot the peer acknowledged last.
    return (Scheduler.PeerAck.load(std::memory_order_acquire) - Scheduler.TxWrite.load(std::memory_order_acquire)) &
           (LinkScheduler::RingSlots - 1);
}

bool TSio::WaitCanSend() {
    return WaitFreeSlots(1);
}

bool TSio::WaitFreeSlots(int count) {
    const std::uint32_t start = GetTickCount();
    while (IsRunning()) {
        if (FreeSlots() >= count)
            return true;
        if (TicksSince(start) >= CanSendWaitMs)
            return false;
        Sleep(IdleSleepMs);
    }
    return false;
}

int TSio::PeekPacket() {
    if (!IsRunning())
        return 0;
    if (BreakReceived.exchange(0))
        return BreakPacketType;
    if (!Scheduler.HasRxPacket())
        return 0;
    DisconnectSilence.store(0);
    TimeoutSilence.store(0);
    return int(Scheduler.NextRxType());
}

std::uint32_t TSio::ReadPacket(void *destination) {
    return Scheduler.TakePacket(destination);
}

void TSio::SkipPacket() {
    Scheduler.SkipPacket();
}

void TSio::PostEvent(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    ::PostLinkMessage(this, msg, wParam, lParam);
}

void TSio::PostEvent2(std::uint32_t msg, std::uintptr_t wParam, std::uint16_t high, std::uint16_t low) {
    PostEvent(msg, wParam, std::intptr_t(std::uint32_t(high) << 16 | low));
}

bool TSio::CtsOn() {
    ModemLines lines;
    return port_.GetModemLines(lines) && lines.Cts;
}

int TSio::ReadRawByte() {
    std::uint8_t byte = 0;
    const int got = port_.Read(&byte, 1);
    if (got < 0)
        Counters.ComRdErrCnt.fetch_add(1, std::memory_order_relaxed);
    return got == 1 ? byte : -1;
}

void TSio::PutRawByte(std::uint8_t byte) {
    if (FrameEnd < FrameBufferSize)
        FrameBuffer[FrameEnd++] = byte;
}

bool TSio::WriteRaw() {
    const std::size_t size = FrameEnd;
    FrameEnd = 0;
    if (size && !port_.Write(FrameBuffer, size))
        Counters.ComWrErrCnt.fetch_add(1, std::memory_order_relaxed);
    return port_.Flush() && Counters.ComWrErrCnt.load() == 0;
}

void TSio::Pause() {
    Sleep(IdleSleepMs);
}

void TSio::WndProc(std::uint32_t, std::uintptr_t, std::intptr_t) {}

void TSio::LinkThreadProc(void *self) {
    static_cast<TSio *>(self)->LinkLoop();
}

bool TSio::FillRxBuffer() {
    if (RxLeft)
        return true;
    RxPos = 0;
    const int got = port_.Read(RxBuffer, RxBufferSize);
    if (got < 0)
        Counters.ComRdErrCnt.fetch_add(1, std::memory_order_relaxed);
    RxLeft = got > 0 ? std::size_t(got) : 0;
    return RxLeft != 0;
}

void TSio::LinkLoop() {
    while (IsRunning()) {
        if (!FillRxBuffer()) {
            if (!CtsOn()) {
                Running.store(0);
                PostEvent(WmSioDisconnect, 1, 0);
                return;
            }
            ServiceTransmit();
            Sleep(IdleSleepMs);
            ServiceTransmit();
            continue;
        }
        while (RxLeft && IsRunning()) {
            const std::uint8_t byte = RxBuffer[RxPos++];
            --RxLeft;
            if (byte == LinkStartByte)
                Counters.RecvSobCnt.fetch_add(1, std::memory_order_relaxed);
            const LinkFrameDecoder::Result result = Decoder.Feed(byte);
            if (result == LinkFrameDecoder::Result::Failure)
                Trace.Received(Scheduler.OnFailure(), 0, 0);
            else if (result == LinkFrameDecoder::Result::Frame && !HandleFrame(Decoder.Frame()))
                return;
        }
    }
}

bool TSio::HandleFrame(const LinkFrame &frame) {
    if (IsFaultReport(frame)) {
        Running.store(0);
        PostEvent(WmSioDisconnect, std::uintptr_t(std::uint16_t(FaultWord(frame.Packet, 0))),
                  FaultWord(frame.Packet, 2));
        return false;
    }
    const LinkScheduler::RxEvent event = Scheduler.OnFrame(frame);
    if (event == LinkScheduler::RxEvent::Break)
        BreakReceived.store(1);
    Trace.Received(event, frame.H1, frame.H2);
    return true;
}

void TSio::ServiceTransmit() {
    std::size_t size = 0;
    const LinkScheduler::TxEvent event = Scheduler.Schedule(GetTickCount(), FrameBuffer, size);
    if (event == LinkScheduler::TxEvent::None)
        return;
    WriteFrame(FrameBuffer, size);
    Trace.Sent(event, Scheduler.TxH1, Scheduler.TxH2);
}

// The port is drained before each frame goes out, so a frame never queues behind an earlier one.
bool TSio::WriteFrame(const std::uint8_t *data, std::size_t size) {
    bool ok = true;
    if (!port_.Flush()) {
        Counters.ComWrErrCnt.fetch_add(1, std::memory_order_relaxed);
        ok = false;
    }
    if (!port_.Write(data, size)) {
        Counters.ComWrErrCnt.fetch_add(1, std::memory_order_relaxed);
        ok = false;
    }
    return ok;
}
