#pragma once

#include <cstddef>
#include <cstdint>

// The program-wide options that are not instrument settings. Legacy binary configurations hold the
// record's 256-byte image, so its layout is a file format: packed, little-endian, padding kept. Fields
// of a packed struct may be misaligned: read and write them by value, never through a reference.

// A time window in which a running recording may write. Start and End are TDateTime values.
struct [[gnu::packed]] RecordingWindow {
    int16_t Enabled; // 0 or 1
    uint8_t Padding2[6];
    double Start;
    double End;
};

inline constexpr int RecordingWindowCount = 10;

struct [[gnu::packed]] TProgramSettings {
    RecordingWindow RecordingWindows[RecordingWindowCount];
    int16_t Precision;           // decimals in every formatted value (1 to 10 in the dialog)
    int16_t AutoWindowChange;    // 1: a change of signal kind opens the kind's graph windows
    int16_t Reserved244;         // cleared at start, otherwise carried unchanged
    int16_t AutoProtocol;        // 1: results go into the protocol once per automatic-protocol interval
    int16_t UseRecordedSettings; // 1: playback applies the settings stored in the recording
    int8_t PlaybackPauseIndex;
    uint8_t Padding251[5];
};

static_assert(sizeof(RecordingWindow) == 24);
static_assert(offsetof(RecordingWindow, Enabled) == 0);
static_assert(offsetof(RecordingWindow, Start) == 8);
static_assert(offsetof(RecordingWindow, End) == 16);
static_assert(sizeof(TProgramSettings) == 256);
static_assert(offsetof(TProgramSettings, RecordingWindows) == 0);
static_assert(offsetof(TProgramSettings, Precision) == 240);
static_assert(offsetof(TProgramSettings, AutoWindowChange) == 242);
static_assert(offsetof(TProgramSettings, Reserved244) == 244);
static_assert(offsetof(TProgramSettings, AutoProtocol) == 246);
static_assert(offsetof(TProgramSettings, UseRecordedSettings) == 248);
static_assert(offsetof(TProgramSettings, PlaybackPauseIndex) == 250);

extern TProgramSettings ProgramSettings;

// The start of every recording window when none was set: 01.01.2003 00:00:00.
double DefaultRecordingWindowTime();

// The start-up defaults: every recording window disabled from and to DefaultRecordingWindowTime(),
// precision 2, no automatic window change or protocol, playback with the recorded settings, pause
// index 0, padding zero. The caller rebuilds the precision text (the catalogue builder does).
void InitProgramSettings();
