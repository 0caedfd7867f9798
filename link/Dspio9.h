#pragma once

#include "link/DspPackets.h"
#include "link/Sio9.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// The set-up header of a selective run (packet 18), in wire order after the first two values.
struct SstSetup {
    std::uint32_t first = 0;
    std::int32_t second = 0;
    std::int16_t p3 = 0; // run kind; 0 stops a run
    std::int16_t p4 = 0, p5 = 0, p6 = 0, p7 = 0, p8 = 0, p9 = 0, p10 = 0;
    std::int32_t count = 0;
    std::int16_t p12 = 0;
    std::uint32_t p13 = 0;
};

// The DSP's packet layer on top of the link: downloads the DSP program while the link opens, then a packet
// thread sorts the received packets into per-kind areas and a ring of measurement frames and posts
// messages; the hidden window's procedure raises the events from them, always in the main thread.
class TDspIo9 : public TSio9 {
public:
    static constexpr std::uint32_t FrameEntries = 4;
    static constexpr std::uint32_t FrameEntrySize = 65796; // bytes
    static constexpr std::uint32_t FrameHeaderMax = 252;   // header bytes an entry holds
    static constexpr std::uint32_t FrameSamplesMax = 32768;
    static constexpr std::uint32_t MsgInWords = 16010;
    static constexpr std::uint32_t IdentWordsMax = 1024;
    static constexpr std::uint32_t DisconnectCtsWaitMs = 3000;

    explicit TDspIo9(QObject *owner = nullptr, UsbPort *port = nullptr);
    ~TDspIo9() override;

    // Opens the link (with the download) and starts the packet thread: 0 or a status code.
    int Connect(int index, bool trace);
    // Tells the instrument (packet 13), waits up to 3000 ms for it to drop CTS, closes.
    void Disconnect();
    // Refused while an outgoing message runs or after the speaker start, for type 0 or above 511, or when
    // no transmit slot frees within 5000 ms.
    bool SendPacket(const void *data, std::uint32_t length, std::uint32_t type);

    bool MsgOutBusy() const { return MsgOutBusyFlag.load() != 0; }

    // Raw bytes for the instrument's logic (packet 3) and its relays (packet 4), as passed.
    bool SendXilinx(std::uint32_t length, const void *data);
    bool SendRelay(std::uint32_t length, const void *data);

    static constexpr std::int32_t AdcSizeMin = 1024;
    static constexpr std::int32_t AdcSizeMax = 32768;
    // The block size with the SYNC words (packet 5 {n, mode, edge, delay}); refused unless n is 0 or 1024
    // to 32768 (32768 travels as the word 0x8000). Once block size 0 went out, frames are dropped until
    // the instrument acknowledges it: they were measured under the settings being replaced.
    bool SetAdcSizeSync(std::int32_t n, std::int16_t mode, std::int16_t edge, std::int16_t delay);
    bool SetAdcSize(std::int32_t n) { return SetAdcSizeSync(n, 0, 0, 0); }

    static constexpr std::int32_t SstEntriesMax = 1000;
    // Sends a selective set-up (packet 18) and, for a run with a plan, its levels (scaled in place by the
    // DSP's factor, packets 20) and phase steps (packets 19). A stop (run kind 0) drops the frames until
    // the instrument reports the run's end.
    bool SetSst(SstSetup setup, const std::uint32_t *entries, std::int16_t *levels);

    static constexpr std::uint32_t MesOutMaxWords = 16000;
    // Hands the instrument a message for the analyser at the line's other end: the header {body words + 10,
    // message counter x 256 + identifier, reliable flag, w3 to w6, k0 to k2} (packet 10), then the body in
    // packets 11 of at most 256 bytes. Returns the body words sent, 0 when the body is empty or longer than
    // 16000 words or a packet was refused; from then on no other packet is sent until the instrument
    // reports the end (OnMesOutFin) or MesOutAbort.
    std::uint32_t MesOut(bool reliable, std::uint8_t identifier, std::int16_t w3, std::int16_t w4, std::int16_t w5,
                         std::int16_t w6, std::int16_t k0, std::int16_t k1, std::int16_t k2, const void *body,
                         std::uint32_t bodyWords);
    // Ends an outgoing message (packet 8); progress and end reports of the old message are ignored from
    // then on. True at once when none is outgoing; false when no transmit slot frees.
    bool MesOutAbort();

    QString HexFileName;

    // Events; each is raised only when assigned.
    std::function<void(TDspIo9 *Sender, std::int16_t err, std::int16_t v)> OnDisconnect;
    std::function<void(TDspIo9 *Sender)> OnDspTimeout;
    std::function<void(TDspIo9 *Sender, std::int16_t BrkIn)> OnDbgVal;
    std::function<void(TDspIo9 *Sender, std::uint32_t VSRV)> OnDbgU32;
    std::function<void(TDspIo9 *Sender, std::uint32_t u32, std::int16_t s16)> OnDbgI48;
    std::function<void(TDspIo9 *Sender, const std::int16_t *data, std::uint32_t Ndata)> OnDbgVect;
    std::function<void(TDspIo9 *Sender, std::uint32_t u32, std::int16_t s16)> OnDspCadr;
    std::function<void(TDspIo9 *Sender, std::uint16_t VHD, std::uint16_t VFW, const char *DateTime,
                       const std::int16_t *Eprom)>
        OnIdent;
    std::function<void(TDspIo9 *Sender, std::int32_t AccPower, std::int32_t NormPower, std::uint32_t dspTime)>
        OnPowerSts;
    std::function<void(TDspIo9 *Sender, std::int32_t StartIndex, std::int32_t EndIndex)> OnAdcDacErr;
    std::function<void(TDspIo9 *Sender, std::uint32_t VSRV)> OnGenOverheat;
    std::function<void(TDspIo9 *Sender, const std::int16_t *adcArray, std::uint32_t Nadc, std::uint32_t Tadc)>
        OnAdcArray;
    std::function<void(TDspIo9 *Sender, std::int16_t FLGcomm, std::int32_t SGNcomm, std::int32_t NSEcomm,
                       std::int32_t SNRcomm, std::int16_t FRQcomm, std::int16_t OVRcomm, std::uint32_t Tcomm)>
        OnMetCadr;
    std::function<void(TDspIo9 *Sender, std::uint32_t N, std::uint32_t i)> OnMesInpProgress;
    std::function<void(TDspIo9 *Sender, std::uint32_t N, std::uint32_t i)> OnMesInpErr;
    std::function<void(TDspIo9 *Sender, std::int16_t Id, const std::int16_t *data, std::uint32_t Ndata)> OnMesInp;
    std::function<void(TDspIo9 *Sender, std::uint32_t N, std::uint32_t i)> OnMesOutProgress;
    std::function<void(TDspIo9 *Sender, std::int16_t err, std::int16_t v)> OnMesOutFin;
    std::function<void(TDspIo9 *Sender, std::int16_t BrkIn)> OnSpkStart;
    std::function<void(TDspIo9 *Sender, std::uint32_t VSRV)> OnSyncMet;
    std::function<void(TDspIo9 *Sender, double Re, double Im, std::uint32_t dP, std::uint32_t T, std::int16_t OVR,
                       std::int16_t SstEnd)>
        OnSstRez;
    std::function<void(TDspIo9 *Sender)> OnSstStop;

protected:
    int LoadFirmware() override;
    void WndProc(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) override;

    enum class PacketStep { Idle, Handled, Held };
    // One pass of the packet thread over the oldest waiting packet, then the data-ready post: Idle when
    // none waited, Held when it has to stay for a later pass. The silence watch is the thread's own.
    PacketStep PacketThreadStep();

    // Packet-layer state shared by the packet thread (writer of the areas and ready flags) and the main
    // thread (reader, which clears a flag once it took its item).
    std::atomic<std::uint8_t> PacketRunning{0};
    // Non-zero while an incoming message, a break, a message error or the speaker start holds the frames
    // back: the number of the packet that set it, so that handing over an older item in the main thread
    // does not release a hold that a later packet set meanwhile.
    std::atomic<std::uint32_t> MsgInBusy{0};
    std::atomic<std::uint8_t> AdcStopPending{0}, SstRunning{0}, MsgOutBusyFlag{0}, SpkStarted{0};
    std::atomic<std::uint8_t> IdentReady{0}, MesOutFinReady{0}, MesInpErrReady{0}, MesInpReady{0},
        MesInpProgressReady{0}, MesOutProgressReady{0}, PowerReady{0}, SpkReady{0};
    std::atomic<std::uint8_t> DbgVectBusy{0}, DataPosted{0};
    std::atomic<std::uint32_t> RingRead{0}, RingWrite{0};
    std::uint8_t MsgCounter = 0;

private:
    bool SendPayload(const PacketWords &words, std::uint32_t type);
    static void ReaderThreadProc(void *self);
    void ReaderLoop();
    void ResetPacketLayer();
    void StopPacketThread();
    // Handles one waiting packet; false when it has to stay for a later pass.
    bool HandlePacket(int type);
    bool TakeInto(std::uint8_t *area, std::uint32_t size);
    bool StoreEntry(std::uint32_t kind);
    void CompleteEntry();
    void AppendSamples();
    bool AppendMessage();
    void PostDataReady();
    bool SendAbort();
    void HoldFrames();
    void ReleaseFrames(std::uint32_t hold);

    void DataReady();
    bool DataItem();
    void FlushRing();
    void RingStep();
    std::uint8_t *Entry(std::uint32_t index);
    const std::int16_t *EntrySamples(std::uint32_t index);

    std::unique_ptr<TIoThread> PacketThread;
    // Frame entries: kind, header length, header from byte 8, samples from byte 260; also the firmware text.
    std::unique_ptr<std::int16_t[]> CadrRing;
    std::uint32_t CurrentEntry = 0;
    std::uint32_t WordsExpected = 0; // sample words of the frame being filled, 0 when none
    std::uint32_t WordsReceived = 0; // sample words received of that frame
    std::uint32_t IdentWords = 0;
    std::uint32_t MsgWords = 0;
    std::uint32_t MsgSkipWords = 0; // words still due of a message cut at the buffer's end
    std::uint32_t LastOverheat = 0;
    std::uint32_t LastPacketLength = 0;
    std::uint32_t HoldCount = 0; // holds set so far (packet thread)
    // The hold standing when each waiting item was completed; handing the item over releases it.
    std::uint32_t MesInpHold = 0, MesInpErrHold = 0, SpkHold = 0;

    std::uint8_t Packet[LinkMaxPayload] = {};
    std::uint8_t MesOutFinArea[6] = {}, MesInpErrArea[6] = {}, MesOutProgressArea[6] = {};
    std::uint32_t MesInpProgressTotal = 0, MesInpProgressWords = 0;
    std::uint8_t PowerArea[8] = {};
    std::uint8_t SpkArea[2] = {};
    std::uint8_t DebugArea[LinkMaxPayload] = {};
    std::uint32_t DbgVectLength = 0;
    std::int16_t DbgVect[LinkMaxPayload / 2] = {};
    std::unique_ptr<std::int16_t[]> MsgInBuffer;
    std::uint8_t IdentHeader[LinkMaxPayload] = {};
    std::int16_t IdentImage[IdentWordsMax] = {};
};
