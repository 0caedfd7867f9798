#include "link/Sio9.h"

#include "platform/Clock.h"
#include "platform/CommandWait.h"
#include "platform/Cp1251.h"

#include <QTime>

#include <algorithm>

namespace {

constexpr std::uint32_t HandshakeWaitMs = 500;
constexpr std::uint8_t GpioHighBattery = 0x08;
constexpr std::uint8_t LowStartPulse = 0x83; // bit 7 is the start pulse; bits 0 and 1 stay high
constexpr std::uint8_t LowIdle = 0x03;

} // namespace

TSio9::TSio9(QObject *owner, UsbPort *port)
    : HiddenWindow(owner), port_(port ? *port : ProcessUsbPort()), DescriptionPrefix("Trova R-9") {}

TSio9::~TSio9() {
    Close();
}

QString TSio9::ListInstruments(const QString &prefix) {
    if (!prefix.isEmpty())
        DescriptionPrefix = ToCp1251(prefix).left(63);
    QString lines;
    std::uint32_t count = 0;
    std::vector<UsbDeviceNode> nodes;
    if (port_.CreateDeviceList(count) != UsbOk || count == 0 || port_.GetDeviceList(nodes) != UsbOk)
        return lines;
    for (const UsbDeviceNode &node : nodes) {
        const QByteArray description = QByteArray::fromStdString(node.description);
        if (!(node.flags & UsbNodeOpened) && description.startsWith(DescriptionPrefix) && description.endsWith('A'))
            lines += FromCp1251(description) + "\r\n";
    }
    return lines;
}

void TSio9::ResetLinkState() {
    Scheduler.Reset();
    Decoder.Reset();
    Counters.Clear();
    BreakReceived.store(0);
    LastByte = 0;
    RxPos = RxLeft = 0;
    TxBytesEnd = 0;
    CtsPublished.store(0);
}

int TSio9::Open(int index, bool trace) {
    Close();
    TraceOn = trace ? 1 : 0;
    ResetLinkState();
    int status = OpenByIndex(index);
    if (status == Sio9Ok)
        status = SetUpChannelB();
    if (status == Sio9Ok)
        status = (GpioHigh & GpioHighBattery) ? StartInstrument() : Sio9BatteryAbsent;
    if (status == Sio9Ok)
        status = WaitHandshake();
    if (status == Sio9Ok)
        status = LoadFirmware();
    if (status != Sio9Ok)
        return status;
    if (TraceOn) {
        const QString name = QString::number(index) + "_" + QTime::currentTime().toString("hhmmss") + ".txt";
        if (!Trace.Create(name))
            return Sio9NoTraceFile;
    }
    // Bytes that arrived behind the boot loader's reply are the first frames: the link thread takes them.
    TxBytesEnd = 0;
    PacketNow = LastPacketTime = LastTimeoutTime = GetTickCount();
    CtsPublished.store(1);
    Running.store(1);
    LinkThread = std::make_unique<TIoThread>(&TSio9::LinkThreadProc, this);
    return Sio9Ok;
}

int TSio9::OpenByIndex(int index) {
    std::uint32_t count = 0;
    if (port_.CreateDeviceList(count) != UsbOk)
        return Sio9TransferFailed;
    if (count == 0)
        return Sio9NoDevice;
    std::vector<UsbDeviceNode> nodes;
    if (port_.GetDeviceList(nodes) != UsbOk)
        return Sio9TransferFailed;
    int matched = 0;
    for (const UsbDeviceNode &node : nodes) {
        const QByteArray description = QByteArray::fromStdString(node.description);
        if ((node.flags & UsbNodeOpened) || !description.startsWith(DescriptionPrefix) || !description.endsWith('A'))
            continue;
        if (matched++ == index)
            return OpenChannels(node.location);
    }
    return Sio9NoDevice;
}

int TSio9::OpenChannels(std::uint32_t location) {
    if (port_.OpenByLocation(location, HandleA) != UsbOk) {
        HandleA = 0;
        return Sio9NoDevice;
    }
    if (port_.ResetDevice(HandleA) != UsbOk || port_.Purge(HandleA, UsbPurgeRx | UsbPurgeTx) != UsbOk ||
        port_.SetBitMode(HandleA, 0, UsbBitModeMpsse) != UsbOk) {
        port_.Close(HandleA);
        HandleA = 0;
        return Sio9TransferFailed;
    }
    int status = Sio9Ok;
    if (port_.OpenByLocation(location + 1, HandleB) != UsbOk) {
        HandleB = 0;
        status = Sio9NoDevice;
    } else if (port_.ResetDevice(HandleB) != UsbOk || port_.Purge(HandleB, UsbPurgeRx | UsbPurgeTx) != UsbOk) {
        port_.Close(HandleB);
        HandleB = 0;
        status = Sio9TransferFailed;
    }
    if (status != Sio9Ok) {
        port_.Close(HandleA);
        HandleA = 0;
        return status;
    }
    ChannelsOpen = 1;
    return Sio9Ok;
}

bool TSio9::WriteA(std::initializer_list<std::uint8_t> bytes) {
    std::uint32_t written = 0;
    return port_.Write(HandleA, bytes.begin(), std::uint32_t(bytes.size()), written) == UsbOk &&
           written == bytes.size();
}

// The reply byte may come after the read has begun: it is collected until it is there or 5000 ms passed.
bool TSio9::ReadGpioHigh() {
    if (!WriteA({0x83, 0x87}))
        return false;
    const std::uint32_t start = GetTickCount();
    for (;;) {
        std::uint32_t read = 0;
        if (port_.Read(HandleA, &GpioHigh, 1, read) != UsbOk)
            return false;
        if (read == 1)
            return true;
        if (TicksSince(start) >= ReplyWaitMs)
            return false;
        Sleep(1);
    }
}

int TSio9::SetUpChannelB() {
    const bool ok =
        port_.SetBaudRate(HandleB, BaudRate) == UsbOk && port_.SetDataCharacteristics(HandleB, 8, 0, 0) == UsbOk &&
        port_.SetFlowControl(HandleB, 0, 0x11, 0x13) == UsbOk && port_.SetTimeouts(HandleB, 0, 1000) == UsbOk &&
        port_.SetLatencyTimer(HandleB, 2) == UsbOk && ReadGpioHigh();
    return ok ? Sio9Ok : Sio9TransferFailed;
}

// Raises the handshake lines and gives the DSP its 100 ms start pulse on low GPIO bit 7.
int TSio9::StartInstrument() {
    if (port_.SetDtr(HandleB) != UsbOk || port_.SetRts(HandleB) != UsbOk)
        return Sio9TransferFailed;
    Sleep(50);
    if (!WriteA({0x80, LowStartPulse, 0xFB}) || !WriteA({0x82, 0x00, 0x07}))
        return Sio9TransferFailed;
    Sleep(100);
    if (!WriteA({0x80, LowIdle, 0xFB}))
        return Sio9TransferFailed;
    Sleep(50);
    if (!ReadGpioHigh())
        return Sio9TransferFailed;
    return (GpioHigh & GpioHighBattery) ? Sio9Ok : Sio9BatteryDischarged;
}

int TSio9::WaitHandshake() {
    const std::uint32_t start = GetTickCount();
    std::uint32_t status = 0;
    for (;;) {
        if (port_.GetModemStatus(HandleB, status) != UsbOk)
            return Sio9TransferFailed;
        if ((status & UsbModemDsr) && (status & UsbModemCts))
            return Sio9Ok;
        if (TicksSince(start) >= HandshakeWaitMs)
            break;
        Sleep(1);
    }
    return (status & UsbModemDsr) ? Sio9NoCts : Sio9NoDsr;
}

void TSio9::Close() {
    Running.store(0);
    LinkThread.reset();
    Trace.Close();
    if (ChannelsOpen) {
        port_.Close(HandleA);
        port_.ClrRts(HandleB);
        port_.ClrDtr(HandleB);
        port_.Close(HandleB);
        ChannelsOpen = 0;
        HandleA = HandleB = 0;
    }
}

std::uint32_t TSio9::QueuePacket(const void *data, std::uint32_t length, std::uint32_t type) {
    return Running.load() ? Scheduler.QueuePacket(data, length, type) : 0;
}

bool TSio9::HasTxSlot() const {
    return Running.load() && Scheduler.HasTxSlot();
}

bool TSio9::WaitTxSlot() {
    const HeldLinkMessages held;
    const std::uint32_t start = GetTickCount();
    while (Running.load()) {
        if (Scheduler.HasTxSlot())
            return true;
        if (TicksSince(start) >= TxSlotWaitMs)
            return false;
        ServeWindows();
        Sleep(1);
    }
    return false;
}

void TSio9::RestartSilence() {
    PacketNow = LastPacketTime = LastTimeoutTime = GetTickCount();
}

int TSio9::NextPacketType() {
    if (BreakReceived.exchange(0)) {
        RestartSilence();
        return BreakPacketType;
    }
    while (Scheduler.HasRxPacket()) {
        RestartSilence();
        const std::uint32_t type = Scheduler.NextRxType();
        // The instrument never sends a packet of the break's type; one that arrives anyway is dropped.
        if (type != BreakPacketType)
            return int(type);
        Scheduler.SkipPacket();
    }
    return 0;
}

std::uint32_t TSio9::TakePacket(void *destination) {
    return Scheduler.TakePacket(destination);
}

void TSio9::SkipPacket() {
    Scheduler.SkipPacket();
}

bool TSio9::SilenceExpired() {
    PacketNow = GetTickCount();
    return PacketNow - LastPacketTime >= SilenceDisconnectMs;
}

bool TSio9::DspTimeoutDue() {
    PacketNow = GetTickCount();
    if (PacketNow - LastTimeoutTime < DspTimeoutMs)
        return false;
    LastTimeoutTime = PacketNow;
    return true;
}

bool TSio9::PutRawByte(std::uint8_t byte) {
    if (TxBytesEnd >= TxBufferSize)
        return false;
    TxBytes[TxBytesEnd++] = byte;
    return true;
}

bool TSio9::FlushRaw() {
    const std::size_t size = TxBytesEnd;
    TxBytesEnd = 0;
    if (size && !WriteB(TxBytes, size))
        return false;
    const std::uint32_t start = GetTickCount();
    for (;;) {
        std::uint32_t rx = 0, tx = 0, events = 0;
        if (port_.GetStatus(HandleB, rx, tx, events) != UsbOk)
            return false;
        if (tx == 0)
            return true;
        if (TicksSince(start) >= FlushWaitMs)
            return false;
        Sleep(1);
    }
}

int TSio9::ReadRawByte() {
    if (RxLeft == 0 && !FillRxBuffer())
        return -1;
    --RxLeft;
    return RxBuffer[RxPos++];
}

bool TSio9::FillRxBuffer() {
    if (RxLeft)
        return true;
    RxPos = 0;
    std::uint32_t waiting = 0;
    if (port_.GetQueueStatus(HandleB, waiting) != UsbOk || waiting == 0)
        return false;
    std::uint32_t read = 0;
    if (port_.Read(HandleB, RxBuffer, std::min<std::uint32_t>(waiting, RxBufferSize), read) != UsbOk) {
        Counters.ComRdErrCnt.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    RxLeft = std::min<std::size_t>(read, RxBufferSize);
    return RxLeft != 0;
}

bool TSio9::WriteB(const std::uint8_t *data, std::size_t size) {
    std::uint32_t written = 0;
    if (port_.Write(HandleB, data, std::uint32_t(size), written) != UsbOk || written != size) {
        Counters.ComWrErrCnt.fetch_add(1, std::memory_order_relaxed);
        return false;
    }
    return true;
}

bool TSio9::CtsHigh() {
    if (LinkThread && Running.load())
        return CtsPublished.load() != 0;
    std::uint32_t status = 0;
    return ChannelsOpen && port_.GetModemStatus(HandleB, status) == UsbOk && (status & UsbModemCts);
}

void TSio9::PostLinkMessage(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    ::PostLinkMessage(this, msg, wParam, lParam);
}

void TSio9::WndProc(std::uint32_t, std::uintptr_t, std::intptr_t) {}

void TSio9::LinkThreadProc(void *self) {
    static_cast<TSio9 *>(self)->LinkLoop();
}

void TSio9::LinkLoop() {
    while (Running.load()) {
        if (!FillRxBuffer()) {
            std::uint32_t status = 0;
            const bool cts = port_.GetModemStatus(HandleB, status) == UsbOk && (status & UsbModemCts);
            CtsPublished.store(cts ? 1 : 0);
            if (!cts) {
                Running.store(0);
                PostLinkMessage(WmLinkDisconnect, 1, 0);
                return;
            }
            if (!ScheduleTx())
                Sleep(1);
            continue;
        }
        while (RxLeft && Running.load()) {
            LastByte = RxBuffer[RxPos++];
            --RxLeft;
            if (LastByte == LinkStartByte)
                Counters.RecvSobCnt.fetch_add(1, std::memory_order_relaxed);
            const LinkFrameDecoder::Result result = Decoder.Feed(LastByte);
            if (result == LinkFrameDecoder::Result::Failure)
                HandleFailure();
            else if (result == LinkFrameDecoder::Result::Frame && !HandleFrame(Decoder.Frame()))
                return;
        }
    }
}

void TSio9::HandleFailure() {
    Trace.Received(Scheduler.OnFailure(), 0, 0);
}

// False when the frame ended the link.
bool TSio9::HandleFrame(const LinkFrame &frame) {
    if (IsFaultReport(frame)) {
        Running.store(0);
        PostLinkMessage(WmLinkDisconnect, std::uintptr_t(std::uint16_t(FaultWord(frame.Packet, 0))),
                        FaultWord(frame.Packet, 2));
        return false;
    }
    const LinkScheduler::RxEvent event = Scheduler.OnFrame(frame);
    if (event == LinkScheduler::RxEvent::Break)
        BreakReceived.store(1);
    Trace.Received(event, frame.H1, frame.H2);
    return true;
}

bool TSio9::ScheduleTx() {
    TickNow = GetTickCount();
    std::size_t size = 0;
    const LinkScheduler::TxEvent event = Scheduler.Schedule(TickNow, TxBytes, size);
    if (event == LinkScheduler::TxEvent::None)
        return false;
    WriteB(TxBytes, size);
    Trace.Sent(event, Scheduler.TxH1, Scheduler.TxH2);
    return true;
}
