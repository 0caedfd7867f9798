#pragma once

#include "link/Library.h"

#include <QString>

#include <cstdint>
#include <functional>

class UsbPort;

// Connection control: opening the instrument (or the emulator in demonstration mode), issuing the
// pending command bits of DeviceSettings->Mode in their fixed order, and the per-block chains that hand
// received data to the analysis. Main thread only.

// What the connection shows in the main window. The main window registers its implementation; while
// none is registered (tests of the link alone) nothing is shown.
class TConnectionView {
public:
    virtual ~TConnectionView() = default;
    // One of the link counter panels ("Panel_RecvErrCnt", "Panel_SendErrCnt", ...), by object name.
    virtual void SetCounterPanel(const QString &panelName, const QString &text) = 0;
    // The generator summary button (ToolButton1) and the image (0 to 3) of Button_Gen.
    virtual void SetGeneratorSummary(const QString &caption, int image) = 0;
    // The meter summary button (ToolButton20).
    virtual void SetMeterSummary(const QString &caption) = 0;
    // Status panel 3 (the overload warning); an empty text clears it.
    virtual void SetOverloadText(const QString &text) = 0;
    // True while the Pause button (Button_Stop) is down.
    virtual bool PauseDown() const = 0;
    // One system beep.
    virtual void Beep() {}
};
void SetConnectionView(TConnectionView *view);
// The registered view, or null.
TConnectionView *ConnectionView();

// The main window's instrument event handlers: OpenDevice hands them every link object, and the emulator,
// that it creates, before the first event can arrive. While unset the events stay unassigned.
struct TLinkEventHooks {
    std::function<void(TDspIo9 &)> AttachLink;
    std::function<void(TEmulator &)> AttachEmulator;
};
void SetLinkEventHooks(TLinkEventHooks hooks);

// The USB port the instrument is opened on; null (the default) takes the process's port.
extern UsbPort *ConnectionPort;

extern std::int16_t MirvakFirmware; // 1 while the selective-mode DSP program is loaded
extern bool CommandFailed;          // the last SendCommand had a failing command
extern std::int16_t MeterFramesOn;  // 1 after meter frames were switched on, 0 after off

// The bits of DeviceSettings->Mode, each a pending instrument command. The generator bits are those of
// EmuWaveform.
enum PendingCommandBit : std::int32_t {
    PendingMode = 0x0001,           // connection mode and relays
    PendingGeneratorKinds = 0x00F8, // SIN, SIN2, MTTS, RND, NOISE
    PendingRecompute = 0x0100,
    PendingMessage = 0x0200,
    PendingMeterFrames = 0x0400,
    PendingExchangeMode = 0x0800,
    PendingSelective = 0x1000,
    PendingSyncRelay = 0x2000,
};

// Opens the instrument (ConnectionKind 1) or starts the emulator (ConnectionKind 0); 0 on success, else
// the status code, whose text was shown (or logged in batch mode).
int OpenDevice(const QString &description);
int OpenInstrument(const QString &description);
// The text shown for an open status: 1 names the instrument of `description`; for 30 (the board check
// failed) `description` is the check's text.
QString OpenStatusText(int status, const QString &description);
// Deletes the register channel, then disconnects and deletes the packet layer; both pointers become null.
void ReleaseLinkObjects();

// Issues the instrument commands whose bits are raised in DeviceSettings->Mode, in their fixed order,
// and clears the bits it handled: those pending when it started and those its own commands raised. Bits
// raised meanwhile (by event handlers during its waits) stay pending for the next call, and so do the bits
// of a call made while another one runs. While nothing can be issued the bits stay pending.
void SendCommand();

// The main board's line relays for the pending bits and the connection type.
void SetLineRelays();
// Rebuilds the generator summary (with rebuild) and the meter summary from the pending bits; the pending
// bits themselves are left as they are.
void RefreshModeState(bool rebuild);
// The same from the given pending bits instead of DeviceSettings->Mode.
void RefreshModeState(bool rebuild, std::int32_t pending);
// Generators, masters and runs that were switched on (state 1) become running (state 2).
void AdvanceGenStates();

// Chains run by the instrument event handlers and by playback.
void ProcessAdcBlock();
void ProcessMeterFrame();
void AnalyseMeterFrame();
void ProcessSstResult();
void ProcessSyncMet();
void RecalcSyncResults();
