#pragma once

#include "platform/NoValue.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

// A scenario: configurations measured one after another, each for its estimated time, with per-row
// choices of what goes into the protocol and whether the run stops before the row. The texts of a
// scenario (each row's configuration path and the comment) live in FileNameList; the scenario keeps
// their indexes.

inline constexpr int PauseMessageSize = 450;
inline constexpr int ProtocolRefSize = 70;

// Fixed-width texts are zero-padded and carry no terminator when full.
struct ScenarioRow {
    int16_t ConfigIndex = -1; // FileNameList index of the configuration path
    int32_t Duration = 0;     // estimated time of the row, s
    float SinTimerNorm = 0;   // lower norms of the timer rows ("Таймер,с") of the configuration's tables
    float MttsTimerNorm = 0;
    float NoiseTimerNorm = 0;
    int32_t AveragingTime = 0;                // s
    int32_t CountingMode = 0;                 // the configuration counts random events
    int16_t Prt = 1;                          // the local results go into the protocol
    float LegacyFactor = 1.0f;                // kept from legacy binary scenario files only
    int16_t RemoteLink = 0;                   // the configuration asks for the remote link
    int16_t RemotePrt = 0;                    // the remote results go into the protocol
    int32_t LegacyValue = 0;                  // kept from legacy binary scenario files only
    int16_t PauseBefore = 0;                  // stop before this row and show PauseMessage
    char PauseMessage[PauseMessageSize] = {}; // every line followed by " \n "
    uint8_t ModeClass = 0;    // 0 random-events counting, 1 frequency master, 2 level master, 255 precision
    uint8_t AdcSizeIndex = 0; // 0 to 4 as the configuration stores it
    int16_t State = 0;        // execution state of the run
    int16_t NormOk = 3;       // 1 pass, 0 fail, 3 not judged
    float Quality = NoValue;
    int16_t RemoteNormOk = 3;
    float RemoteQuality = NoValue;
    char M_Cnt0[ProtocolRefSize] = {}; // "<list page>#<anchor>" of the run's first local entry
    char M_Data[ProtocolRefSize] = {}; // "<data page>#<anchor>" of the row's local entry
    char R_Cnt0[ProtocolRefSize] = {};
    char R_Data[ProtocolRefSize] = {};
};

// Every new row starts as a copy of this one.
extern const ScenarioRow ScenarioRowTemplate;

class TScenarClass {
public:
    int16_t RowCount() const { return int16_t(Rows.size()); }

    QString Name;             // full path of the .scn file; empty for an unnamed scenario
    int16_t LastState = 0;    // a row state that a step ignores: -999 at a run's start, 1 once loading
    int32_t RowStartTick = 0; // tick at which the current row's measurement time started
    int32_t RunStartTick = 0; // tick of the run's start, later the planned start of the next repetition
    int16_t RepeatNumber = 0; // the repetition being executed, 0 before the first
    uint8_t RemoteResultsArrived = 0;
    int16_t CommentIndex = -1;  // FileNameList index of the comment
    int16_t RepeatKind = 1;     // 1 single run, 2 repeat counted from the previous start, 3 from its end
    int32_t RepeatInterval = 0; // s
    int16_t RepeatCount = 1;    // runs of a series, 1 to 1000
    int16_t CurrentRow = 0;
    std::vector<ScenarioRow> Rows;
    int16_t LastRemoteRow = -1; // the last row with RemotePrt, recomputed at each run's start
};

// The one scenario of the program, while the scenario window is open; null otherwise.
extern TScenarClass *CurrentScenario;

// The scenario window's scenario comes into being and goes with it. While it exists, a configuration
// read in the loaders' scenario mode fills the row at ScenarioInsertIndex.
void OpenCurrentScenario();
void CloseCurrentScenario();

// The row that the next configuration read in scenario mode fills: the scenario window sets it before
// it reads a configuration for a row.
extern int ScenarioInsertIndex;

// The row at `index` becomes a copy of the template, the rows from there on move up by one; an index at
// the row count appends. False, after the box "Нет памяти для расширения сценария!", when there is no
// memory for the row (the scenario is unchanged then); false without a box for an index out of range.
bool InsertConfigRow(TScenarClass &scenario, int index);
// The rows after `index` move down by one.
void DeleteConfigRow(TScenarClass &scenario, int index);
// All rows go; RowCount, CurrentRow and RepeatNumber become 0 (name, comment and repeat settings stay).
void ClearScenario(TScenarClass &scenario);
// LastRemoteRow := the highest row index whose RemotePrt is 1, or -1.
void FindLastRemoteRow(TScenarClass &scenario);

// Copies a text into a fixed-width field, cut to the field and zero-padded; and reads one back (up to
// its first zero byte or its end). The fields hold windows-1251 text.
void SetFixedText(char *field, std::size_t size, const QString &text);
QString FixedText(const char *field, std::size_t size);
template <std::size_t N> void SetFixedText(char (&field)[N], const QString &text) {
    SetFixedText(field, N, text);
}
template <std::size_t N> QString FixedText(const char (&field)[N]) {
    return FixedText(field, N);
}
