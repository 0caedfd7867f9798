#include "link/Dspio9.h"

#include "link/DspPackets.h"
#include "link/FirmwareDownload.h"
#include "platform/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr std::uint32_t EntryHeaderOffset = 8;
constexpr std::uint32_t EntrySamplesOffset = 260;
constexpr std::uint32_t IdentCharacters = 44;
constexpr std::uint32_t MsgHeaderWords = 10;

enum PacketType : int {
    PacketDebug = 1,
    PacketIdentHeader = 2,
    PacketIdentImage = 3,
    PacketFrameHeader = 4,
    PacketSamples = 5,
    PacketSizeAck = 6,
    PacketPower = 7,
    PacketMsgFirst = 8,
    PacketMsg = 9,
    PacketMsgInErr = 10,
    PacketMsgOutFin = 11,
    PacketMsgOutProgress = 12,
    PacketSpeakerStart = 13,
    PacketSelectiveEnd = 14,
    PacketDisconnect = 13,
    PacketMsgOutAbort = 8,
    PacketMsgOutHeader = 10,
    PacketMsgOutBody = 11,
    PacketXilinx = 3,
    PacketRelay = 4,
    PacketBlockSize = 5,
    PacketSstSetup = 18,
    PacketSstEntries = 19,
    PacketSstLevels = 20,
};

constexpr int SstLevelsPerPacket = 128;
constexpr int SstEntriesPerPacket = 64;
// The DSP program scales the generator codes of a selective plan by this factor.
constexpr double SstLevelScale = 0.33112582781456956;

} // namespace

TDspIo9::TDspIo9(QObject *owner, UsbPort *port)
    : TSio9(owner, port), CadrRing(new std::int16_t[FrameEntries * FrameEntrySize / 2]()),
      MsgInBuffer(new std::int16_t[MsgInWords]()) {}

TDspIo9::~TDspIo9() {
    Disconnect();
}

void TDspIo9::StopPacketThread() {
    PacketRunning.store(0);
    PacketThread.reset();
}

void TDspIo9::ResetPacketLayer() {
    MsgInBusy.store(0);
    for (auto *flag :
         {&AdcStopPending, &SstRunning, &MsgOutBusyFlag, &SpkStarted, &IdentReady, &MesOutFinReady, &MesInpErrReady,
          &MesInpReady, &MesInpProgressReady, &MesOutProgressReady, &PowerReady, &SpkReady, &DbgVectBusy, &DataPosted})
        flag->store(0);
    RingRead.store(0);
    RingWrite.store(0);
    CurrentEntry = 0;
    WordsExpected = WordsReceived = IdentWords = MsgWords = MsgSkipWords = 0;
    MsgCounter = 0;
    LastOverheat = 0;
    LastPacketLength = 0;
    HoldCount = MesInpHold = MesInpErrHold = SpkHold = 0;
}

int TDspIo9::Connect(int index, bool trace) {
    StopPacketThread();
    ResetPacketLayer();
    const int status = Open(index, trace);
    if (status != Sio9Ok) {
        Close();
        return status;
    }
    PacketRunning.store(1);
    PacketThread = std::make_unique<TIoThread>(&TDspIo9::ReaderThreadProc, this);
    return Sio9Ok;
}

void TDspIo9::Disconnect() {
    PacketRunning.store(0);
    // Goes straight into the ring: the send gates (an outgoing message, the speaker start) must not keep
    // the instrument from learning that we leave.
    if (WaitTxSlot()) {
        QueuePacket(nullptr, 0, PacketDisconnect);
        const std::uint32_t start = GetTickCount();
        while (CtsHigh() && TicksSince(start) < DisconnectCtsWaitMs)
            Sleep(1);
    }
    Close();
    StopPacketThread();
}

bool TDspIo9::SendPacket(const void *data, std::uint32_t length, std::uint32_t type) {
    if (MsgOutBusyFlag.load() || SpkStarted.load() || type == 0 || type > LinkMaxType || !WaitTxSlot())
        return false;
    QueuePacket(data, length, type);
    return true;
}

bool TDspIo9::SendXilinx(std::uint32_t length, const void *data) {
    return SendPacket(data, length, PacketXilinx);
}

bool TDspIo9::SendRelay(std::uint32_t length, const void *data) {
    return SendPacket(data, length, PacketRelay);
}

bool TDspIo9::SendPayload(const PacketWords &words, std::uint32_t type) {
    return SendPacket(words.Bytes().data(), std::uint32_t(words.Bytes().size()), type);
}

bool TDspIo9::SetAdcSizeSync(std::int32_t n, std::int16_t mode, std::int16_t edge, std::int16_t delay) {
    if (n != 0 && (n < AdcSizeMin || n > AdcSizeMax))
        return false;
    if (!SendPayload(PacketWords().Word(n).Word(mode).Word(edge).Word(delay), PacketBlockSize))
        return false;
    if (n == 0)
        AdcStopPending.store(1);
    return true;
}

bool TDspIo9::SetSst(SstSetup s, const std::uint32_t *entries, std::int16_t *levels) {
    if (s.p3 == 0 || s.p3 == 3)
        s.count = 0;
    s.count = std::clamp(s.count, 0, SstEntriesMax);
    if (s.p7 == 0)
        s.p7 = 1;
    if (s.p8 < 1000)
        s.p8 = 1000;
    PacketWords header;
    header.Long(s.first).Long(std::uint32_t(s.second));
    for (std::int16_t word : {s.p3, s.p4, s.p5, s.p6, s.p7, s.p8, s.p9, s.p10})
        header.Word(word);
    header.Word(s.count).Word(s.p12).Long(s.p13);
    if (!SendPayload(header, PacketSstSetup))
        return false;
    if (s.p3 == 0)
        SstRunning.store(1);
    if (s.count == 0 || !entries)
        return true;
    if (levels) {
        for (int i = 0; i < s.count; ++i)
            levels[i] = std::int16_t(std::trunc(levels[i] * SstLevelScale));
        for (int i = 0; i < s.count; i += SstLevelsPerPacket) {
            PacketWords packet;
            for (int k = i; k < std::min(s.count, i + SstLevelsPerPacket); ++k)
                packet.Word(levels[k]);
            if (!SendPayload(packet, PacketSstLevels))
                return false;
        }
    }
    for (int i = 0; i < s.count; i += SstEntriesPerPacket) {
        PacketWords packet;
        for (int k = i; k < std::min(s.count, i + SstEntriesPerPacket); ++k)
            packet.Long(entries[k]);
        if (!SendPayload(packet, PacketSstEntries))
            return false;
    }
    return true;
}

std::uint32_t TDspIo9::MesOut(bool reliable, std::uint8_t identifier, std::int16_t w3, std::int16_t w4, std::int16_t w5,
                              std::int16_t w6, std::int16_t k0, std::int16_t k1, std::int16_t k2, const void *body,
                              std::uint32_t bodyWords) {
    if (body == nullptr || bodyWords == 0 || bodyWords > MesOutMaxWords)
        return 0;
    std::uint8_t header[2 * MsgHeaderWords];
    const std::uint16_t words[MsgHeaderWords] = {std::uint16_t(bodyWords + MsgHeaderWords),
                                                 std::uint16_t(MsgCounter << 8 | identifier),
                                                 std::uint16_t(reliable ? 1 : 0),
                                                 std::uint16_t(w3),
                                                 std::uint16_t(w4),
                                                 std::uint16_t(w5),
                                                 std::uint16_t(w6),
                                                 std::uint16_t(k0),
                                                 std::uint16_t(k1),
                                                 std::uint16_t(k2)};
    for (std::uint32_t i = 0; i < MsgHeaderWords; ++i)
        PutLe16(header + 2 * i, words[i]);
    if (!SendPacket(header, sizeof header, PacketMsgOutHeader))
        return 0;
    const auto *bytes = static_cast<const std::uint8_t *>(body);
    const std::uint32_t total = 2 * bodyWords;
    for (std::uint32_t at = 0; at < total; at += LinkMaxPayload) {
        if (!SendPacket(bytes + at, std::min<std::uint32_t>(LinkMaxPayload, total - at), PacketMsgOutBody)) {
            // The instrument holds a header whose body will never be complete: tell it to drop the message.
            SendAbort();
            return 0;
        }
    }
    MsgOutBusyFlag.store(1);
    return bodyWords;
}

bool TDspIo9::MesOutAbort() {
    if (!MsgOutBusyFlag.load())
        return true;
    if (!SendAbort())
        return false;
    MsgOutBusyFlag.store(0);
    return true;
}

// Queues packet 8 past the message gate and moves on to the next message counter, so that late reports of
// the aborted message raise no event.
bool TDspIo9::SendAbort() {
    if (!WaitTxSlot())
        return false;
    QueuePacket(nullptr, 0, PacketMsgOutAbort);
    ++MsgCounter;
    return true;
}

int TDspIo9::LoadFirmware() {
    auto *text = reinterpret_cast<std::uint8_t *>(CadrRing.get());
    std::size_t size = 0;
    const int status = ReadFirmwareFile(HexFileName, text, size);
    return status != FirmwareOk ? status : DownloadFirmware(*this, text, size);
}

std::uint8_t *TDspIo9::Entry(std::uint32_t index) {
    return reinterpret_cast<std::uint8_t *>(CadrRing.get()) + std::size_t(index) * FrameEntrySize;
}

const std::int16_t *TDspIo9::EntrySamples(std::uint32_t index) {
    return CadrRing.get() + (std::size_t(index) * FrameEntrySize + EntrySamplesOffset) / 2;
}

void TDspIo9::ReaderThreadProc(void *self) {
    static_cast<TDspIo9 *>(self)->ReaderLoop();
}

void TDspIo9::ReaderLoop() {
    while (PacketRunning.load()) {
        const PacketStep step = PacketThreadStep();
        if (step == PacketStep::Idle) {
            if (SilenceExpired()) {
                PostLinkMessage(WmLinkDisconnect, 2, 0);
                return;
            }
            if (DspTimeoutDue())
                PostLinkMessage(WmDspTimeout, 0, 0);
        }
        if (step != PacketStep::Handled)
            Sleep(1);
    }
}

TDspIo9::PacketStep TDspIo9::PacketThreadStep() {
    const int type = NextPacketType();
    const PacketStep step = type == 0 ? PacketStep::Idle : HandlePacket(type) ? PacketStep::Handled : PacketStep::Held;
    PostDataReady();
    return step;
}

void TDspIo9::HoldFrames() {
    if (++HoldCount == 0)
        HoldCount = 1;
    MsgInBusy.store(HoldCount);
}

// Main thread: ends the hold unless a later packet set a new one.
void TDspIo9::ReleaseFrames(std::uint32_t hold) {
    MsgInBusy.compare_exchange_strong(hold, 0);
}

// Copies the waiting packet into area (the rest of area zeroed) and consumes it.
bool TDspIo9::TakeInto(std::uint8_t *area, std::uint32_t size) {
    const std::uint32_t length = TakePacket(Packet);
    std::memset(area, 0, size);
    std::memcpy(area, Packet, std::min(length, size));
    LastPacketLength = length;
    return true;
}

bool TDspIo9::HandlePacket(int type) {
    switch (type) {
    case PacketDebug: {
        TakeInto(DebugArea, sizeof DebugArea);
        const std::uint32_t length = LastPacketLength;
        if (length == 2)
            PostLinkMessage(WmDbgVal, LeU16(DebugArea), 0);
        else if (length == 4)
            PostLinkMessage(WmDbgU32, LeU32(DebugArea), 0);
        else if (length == 6)
            PostLinkMessage(WmDbgI48, LeU32(DebugArea), LeI16(DebugArea + 4));
        else if (!DbgVectBusy.load()) {
            std::memcpy(DbgVect, DebugArea, length);
            DbgVectLength = length;
            DbgVectBusy.store(1);
            PostLinkMessage(WmDbgVect, 0, 0);
        }
        return true;
    }
    case PacketIdentHeader:
        TakeInto(IdentHeader, sizeof IdentHeader);
        IdentWords = 0;
        return true;
    case PacketIdentImage: {
        const std::uint32_t length = TakePacket(Packet);
        const std::uint32_t words = std::min(length / 2, IdentWordsMax - IdentWords);
        std::memcpy(IdentImage + IdentWords, Packet, words * 2);
        IdentWords += words;
        if (IdentWords >= IdentWordsMax)
            IdentReady.store(1);
        return true;
    }
    case PacketFrameHeader:
        WordsExpected = WordsReceived = 0;
        if (MsgInBusy.load() || AdcStopPending.load() || MsgOutBusyFlag.load() || SpkStarted.load()) {
            SkipPacket();
            return true;
        }
        if (!StoreEntry(PacketFrameHeader))
            return false;
        {
            std::uint8_t *entry = Entry(CurrentEntry);
            const FrameHeader header = ParseFrameHeader(entry + EntryHeaderOffset, LeU32(entry + 4));
            WordsExpected = std::min<std::uint32_t>(header.Nadc, FrameSamplesMax);
            // What the entry holds is what the frame announces from here on.
            if (LeU32(entry + 4) >= 6)
                PutLe16(entry + EntryHeaderOffset + 4, std::uint16_t(WordsExpected));
        }
        if (WordsExpected == 0)
            CompleteEntry();
        return true;
    case PacketSamples:
        if (WordsExpected == 0)
            SkipPacket();
        else
            AppendSamples();
        return true;
    case PacketSizeAck:
    case PacketSelectiveEnd:
        if (!StoreEntry(std::uint32_t(type)))
            return false;
        CompleteEntry();
        return true;
    case PacketPower:
        if (PowerReady.load()) {
            SkipPacket();
            return true;
        }
        TakeInto(PowerArea, sizeof PowerArea);
        PowerReady.store(1);
        return true;
    case PacketMsgFirst:
        HoldFrames();
        if (MesInpReady.load())
            return false;
        MsgWords = 0;
        MsgSkipWords = 0;
        return AppendMessage();
    case PacketMsg:
        return AppendMessage();
    case PacketMsgInErr:
        HoldFrames();
        if (MesInpErrReady.load())
            return false;
        TakeInto(MesInpErrArea, sizeof MesInpErrArea);
        MesInpErrHold = MsgInBusy.load();
        MesInpErrReady.store(1);
        return true;
    case PacketMsgOutFin:
        if (MesOutFinReady.load())
            return false;
        TakeInto(MesOutFinArea, sizeof MesOutFinArea);
        MesOutFinReady.store(1);
        return true;
    case PacketMsgOutProgress:
        if (MesOutProgressReady.load()) {
            SkipPacket();
            return true;
        }
        TakeInto(MesOutProgressArea, sizeof MesOutProgressArea);
        MesOutProgressReady.store(1);
        return true;
    case PacketSpeakerStart:
        HoldFrames();
        if (SpkReady.load())
            return false;
        TakeInto(SpkArea, sizeof SpkArea);
        SpkHold = MsgInBusy.load();
        SpkReady.store(1);
        return true;
    case BreakPacketType:
        HoldFrames();
        return true;
    default:
        TakeInto(DebugArea, sizeof DebugArea);
        PostLinkMessage(WmDspCadr, std::uintptr_t(type), LeI16(DebugArea));
        return true;
    }
}

// A new frame-ring entry from the waiting packet; false (the packet stays) while the ring is full, so that
// the link's flow control holds the instrument back.
bool TDspIo9::StoreEntry(std::uint32_t kind) {
    const std::uint32_t write = RingWrite.load(std::memory_order_relaxed);
    if ((write + 1) % FrameEntries == RingRead.load(std::memory_order_acquire))
        return false;
    std::uint8_t *entry = Entry(write);
    const std::uint32_t length = TakePacket(Packet);
    const std::uint32_t stored = std::min(length, FrameHeaderMax);
    PutLe32(entry, kind);
    PutLe32(entry + 4, stored);
    std::memcpy(entry + EntryHeaderOffset, Packet, stored);
    CurrentEntry = write;
    return true;
}

void TDspIo9::CompleteEntry() {
    WordsExpected = 0;
    RingWrite.store((CurrentEntry + 1) % FrameEntries, std::memory_order_release);
}

void TDspIo9::AppendSamples() {
    const std::uint32_t length = TakePacket(Packet);
    const std::uint32_t words = std::min(length / 2, WordsExpected - WordsReceived);
    std::memcpy(Entry(CurrentEntry) + EntrySamplesOffset + 2 * WordsReceived, Packet, words * 2);
    WordsReceived += words;
    if (WordsReceived >= WordsExpected)
        CompleteEntry();
}

// Appends a message packet; false (the packet stays) while the previous message waits for the main thread.
bool TDspIo9::AppendMessage() {
    if (MsgSkipWords > 0) {
        MsgSkipWords -= std::min(MsgSkipWords, TakePacket(Packet) / 2);
        return true;
    }
    if (MesInpReady.load())
        return false;
    const std::uint32_t length = TakePacket(Packet);
    const std::uint32_t words = std::min(length / 2, MsgInWords - MsgWords);
    std::memcpy(MsgInBuffer.get() + MsgWords, Packet, words * 2);
    MsgWords += words;
    if (MsgWords == 0)
        return true;
    const std::uint32_t total = std::uint16_t(MsgInBuffer[0]);
    if (MsgWords >= std::min(total, MsgInWords)) {
        // A length word below the header's own size describes no message.
        if (total < MsgHeaderWords) {
            MsgInBusy.store(0);
        } else {
            MesInpHold = MsgInBusy.load();
            MesInpReady.store(1);
        }
        // The rest of a message longer than the buffer must not be read as the start of another.
        const std::uint32_t seen = MsgWords + (length / 2 - words);
        MsgSkipWords = total > seen ? total - seen : 0;
        MsgWords = 0;
        return true;
    }
    if (!MesInpProgressReady.load()) {
        MesInpProgressTotal = total;
        MesInpProgressWords = MsgWords;
        MesInpProgressReady.store(1);
    }
    return true;
}

void TDspIo9::PostDataReady() {
    if (DataPosted.load())
        return;
    const bool ready = IdentReady.load() || MesOutFinReady.load() || MesInpErrReady.load() || MesInpReady.load() ||
                       MesInpProgressReady.load() || MesOutProgressReady.load() || PowerReady.load() ||
                       SpkReady.load() || RingRead.load() != RingWrite.load();
    if (ready) {
        DataPosted.store(1);
        PostLinkMessage(WmDataReady, 0, 0);
    }
}

void TDspIo9::WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!PacketRunning.load())
        return;
    switch (msg) {
    case WmLinkDisconnect:
        PacketRunning.store(0);
        TSio9::Close();
        if (OnDisconnect)
            OnDisconnect(this, std::int16_t(wParam), std::int16_t(lParam));
        break;
    case WmDspTimeout:
        if (OnDspTimeout)
            OnDspTimeout(this);
        break;
    case WmDataReady:
        DataReady();
        DataPosted.store(0);
        break;
    case WmDbgVal:
        if (OnDbgVal)
            OnDbgVal(this, std::int16_t(wParam));
        break;
    case WmDbgU32:
        if (OnDbgU32)
            OnDbgU32(this, std::uint32_t(wParam));
        break;
    case WmDbgI48:
        if (OnDbgI48)
            OnDbgI48(this, std::uint32_t(wParam), std::int16_t(lParam));
        break;
    case WmDbgVect:
        if (OnDbgVect)
            OnDbgVect(this, DbgVect, DbgVectLength / 2);
        DbgVectBusy.store(0);
        break;
    case WmDspCadr:
        if (OnDspCadr)
            OnDspCadr(this, std::uint32_t(wParam), std::int16_t(lParam));
        break;
    default:
        break;
    }
}

// Frames are not wanted while a message, a block-size change, a selective run or the speaker holds the
// instrument: they are dropped up to a selective run's end, which stays.
void TDspIo9::FlushRing() {
    if (!(MsgInBusy.load() || AdcStopPending.load() || SstRunning.load() || MsgOutBusyFlag.load() || SpkStarted.load()))
        return;
    std::uint32_t read = RingRead.load();
    while (read != RingWrite.load(std::memory_order_acquire)) {
        const std::uint32_t kind = LeU32(Entry(read));
        if (kind == PacketSelectiveEnd)
            break;
        if (kind == PacketSizeAck)
            AdcStopPending.store(0);
        read = (read + 1) % FrameEntries;
        RingRead.store(read, std::memory_order_release);
    }
}

void TDspIo9::DataReady() {
    FlushRing();
    if (DataItem())
        return;
    FlushRing();
    RingStep();
}

// The first waiting item of the fixed priority list other than the frame ring; false when none waited.
bool TDspIo9::DataItem() {
    if (IdentReady.load()) {
        for (std::uint32_t i = 0; i < IdentCharacters; ++i)
            IdentHeader[4 + i] = IdentHeader[4 + 2 * i];
        if (OnIdent)
            OnIdent(this, LeU16(IdentHeader), LeU16(IdentHeader + 2), reinterpret_cast<const char *>(IdentHeader + 4),
                    IdentImage);
        IdentReady.store(0);
        return true;
    }
    if (MesOutFinReady.load()) {
        MsgOutBusyFlag.store(0);
        MesOutFinReady.store(0);
        MesOutProgressReady.store(0);
        if (MesOutFinArea[3] == MsgCounter && OnMesOutFin)
            OnMesOutFin(this, std::int16_t(MesOutFinArea[2]), LeI16(MesOutFinArea + 4));
        return true;
    }
    if (MesInpErrReady.load()) {
        ReleaseFrames(MesInpErrHold);
        if (OnMesInpErr)
            OnMesInpErr(this, LeU16(MesInpErrArea), LeU16(MesInpErrArea + 4));
        MesInpErrReady.store(0);
        MesInpProgressReady.store(0);
        return true;
    }
    if (MesInpReady.load()) {
        ReleaseFrames(MesInpHold);
        const std::uint32_t total = std::min<std::uint32_t>(std::uint16_t(MsgInBuffer[0]), MsgInWords);
        if (OnMesInp)
            OnMesInp(this, std::int16_t(MsgInBuffer[1] & 0xFF), MsgInBuffer.get() + MsgHeaderWords,
                     total - MsgHeaderWords);
        // Progress first: the next message's first progress may be recorded as soon as the buffer is free.
        MesInpProgressReady.store(0);
        MesInpReady.store(0);
        return true;
    }
    if (MesInpProgressReady.load()) {
        const std::uint32_t total = MesInpProgressTotal, words = MesInpProgressWords;
        MesInpProgressReady.store(0);
        if (OnMesInpProgress)
            OnMesInpProgress(this, total, words);
        return true;
    }
    if (MesOutProgressReady.load()) {
        const std::uint32_t n = LeU16(MesOutProgressArea);
        const std::uint32_t i = std::min<std::uint32_t>(LeU16(MesOutProgressArea + 4), n);
        const bool current = MesOutProgressArea[3] == MsgCounter;
        MesOutProgressReady.store(0);
        if (current && OnMesOutProgress)
            OnMesOutProgress(this, n, i);
        return true;
    }
    if (PowerReady.load()) {
        const PowerStatus power = ParsePowerStatus(PowerArea);
        PowerReady.store(0);
        if (OnPowerSts)
            OnPowerSts(this, power.Flags & 4, power.Flags & 1, power.dspTime);
        if ((power.Flags & 0x30) && OnAdcDacErr)
            OnAdcDacErr(this, power.Flags & 0x10, power.Flags & 0x20);
        if (power.SyncCount && OnSyncMet)
            OnSyncMet(this, power.SyncCount < 0x8000 ? power.SyncCount - 1u : power.SyncCount);
        const std::uint32_t overheat = std::uint32_t(power.Flags & 0x80);
        if (overheat != LastOverheat) {
            LastOverheat = overheat;
            if (OnGenOverheat)
                OnGenOverheat(this, overheat);
        }
        return true;
    }
    if (SpkReady.load()) {
        SpkStarted.store(1);
        ReleaseFrames(SpkHold);
        if (OnSpkStart)
            OnSpkStart(this, LeI16(SpkArea));
        SpkReady.store(0);
        return true;
    }
    return false;
}

// Delivers the oldest frame entry. Older sample blocks are skipped when a newer one waits (their meter
// records are not); selective-mode frames always deliver their samples.
void TDspIo9::RingStep() {
    const std::uint32_t read = RingRead.load();
    const std::uint32_t write = RingWrite.load(std::memory_order_acquire);
    if (read == write)
        return;
    const std::uint8_t *entry = Entry(read);
    const std::uint32_t kind = LeU32(entry);
    if (kind == PacketFrameHeader) {
        const std::uint32_t headerLength = std::min(LeU32(entry + 4), FrameHeaderMax);
        const std::uint8_t *header = entry + EntryHeaderOffset;
        const FrameHeader frame = ParseFrameHeader(header, headerLength);
        const bool selective = frame.FLGcomm == std::int16_t(FrameSelectiveFlag);
        for (std::uint32_t r = 0; r < frame.RecordCount; ++r) {
            if (selective) {
                const SelectiveRecord s = ParseSelectiveRecord(header + FrameRecordsOffset + r * SelectiveRecordSize);
                if (OnSstRez)
                    OnSstRez(this, s.Re, s.Im, s.dP, s.T, s.OVR, s.SstEnd);
            } else {
                const MeterRecord m = ParseMeterRecord(header + FrameRecordsOffset + r * MeterRecordSize);
                if (OnMetCadr)
                    OnMetCadr(this, frame.FLGcomm, m.SGNcomm, m.NSEcomm, m.SNRcomm, m.FRQcomm, m.OVRcomm, m.Tcomm);
            }
        }
        const bool newest = (read + 1) % FrameEntries == write;
        if (frame.Nadc && (selective || newest) && OnAdcArray)
            OnAdcArray(this, EntrySamples(read), frame.Nadc, frame.Tadc);
    } else if (kind == PacketSelectiveEnd) {
        SstRunning.store(0);
        if (OnSstStop)
            OnSstStop(this);
    }
    RingRead.store((read + 1) % FrameEntries, std::memory_order_release);
}
