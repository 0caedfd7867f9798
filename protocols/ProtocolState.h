#pragma once

#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "settings/remote/RemoteParamRecords.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

// The open HTML measurement protocol: its state, the texts of the current entry, the names and paths of
// its five pages, and the decoded results block of the entry being written. The entry writer sets them;
// the data, settings and scenario pages read them while the entry is written.

// 1 a protocol is open (its pages lie in the protocol folder), 0 none, -1 the last one was discarded by
// the user. Anything below 1 makes the next entry open a new protocol.
extern int32_t ProtocolState;
// The user's comment: the protocol button's text for one entry, and the text written into the comment
// fields when the protocol is filed.
extern QString ProtocolComment;

// "dd.mm.yy hh:mm:ss " of the current entry, the trailing blank included.
extern QString ProtocolStampText;
// The entry's anchor: the stamp with its blanks as "_", the remote marker ("REMOTE_R9" or nothing), "_"
// and the instance number ("15.03.13_10:22:05__1", "15.03.13_10:22:05_REMOTE_R9_1").
extern QString ProtocolPageStamp;
extern QString ProtocolKindName; // "SIN", "SIN2", "МЧС", "ПСС", "ШУМ", "Мирвак", "SYNC"
extern QString ProtocolConnName; // the connection type's short name
extern QString ProtocolRateName; // the maximum frequency's text, "1024 кГц"
// The entry's title (HTML, user text in it escaped) and the protocol's header (stamp of the first entry,
// the scenario part and the comment field), set when the protocol opens.
extern QString ProtocolEntryTitle;
extern QString ProtocolHeaderText;

// The pages of a protocol, in the order of ProtocolFileNames and ProtocolFilePaths.
enum ProtocolPage : int {
    FramesetPage = 0, // "_Start_<n>.html"
    ListPage = 1,     // "cnt0_<n>.html"
    ContentsPage = 2, // "cnt1_<n>.html"
    DataPage = 3,     // "<D>_data_<n>.html", D the first entry's stamp without "." and ":"
    SettingsPage = 4, // "<D>_sett_<n>.html"
};
inline constexpr int ProtocolPageCount = 5;
extern std::array<QString, ProtocolPageCount> ProtocolFileNames;
extern std::array<QString, ProtocolPageCount> ProtocolFilePaths; // the protocol folder + each name

// The comment field inside ProtocolHeaderText: the marker and blanks, 59 characters, overwritten in place
// with the comment when the protocol is filed, so that every page keeps its length.
inline constexpr int ProtocolCommentFieldSize = 59;
QString ProtocolCommentField();

// 1 while the entries are written by an analyser its peer controls: set by every entry from the peer's
// connection state, cleared when the protocol is filed.
extern int32_t UnderRemoteControl;

// The controlling peer's scenario and configuration names and pass number (-1 none) are the remote
// link's PeerScenario (Name, ConfigName, Number); the protocol only reads them.
inline const QString &RemoteScenarioName() {
    return PeerScenario.Name;
}
inline const QString &RemoteConfigName() {
    return PeerScenario.ConfigName;
}
inline int32_t RemoteScenarioNumber() {
    return PeerScenario.Number;
}

// The byte layout of a results block (TProtocolSnapshot::Results, also the payload of the remote link's
// results message): little-endian, packed, a 29-byte header and then one 12-byte ParamResult per row.
struct ProtocolResultsBlock {
    static constexpr int Time = 0;                // double, TDateTime
    static constexpr int Kind = 8;                // uint8, signal kind 1..7
    static constexpr int ConnectionType = 9;      // uint8
    static constexpr int GeneratorKind = 10;      // uint8: 1 SIN, 2 SIN2, 3 MTTS, 4 PRBS, 5 none, 6 NOISE
    static constexpr int GenImpedance = 11;       // uint16, code of the generator-impedance quantizer
    static constexpr int GenLowImpedance = 13;    // uint8
    static constexpr int MeterImpedance = 14;     // uint16, code of the meter-impedance quantizer
    static constexpr int MeterHighImpedance = 16; // uint8
    static constexpr int MaxLevelIndex = 17;      // uint8, into MaxLevelChoices
    static constexpr int F0 = 18;                 // float kHz
    static constexpr int F1 = 22;                 // float kHz
    static constexpr int AdcIndex = 26;           // uint8, block of 2048 x 2^k samples
    static constexpr int StepFactor = 27;         // uint8, spectrum presentation step
    static constexpr int RowCount = 28;           // uint8, N
    static constexpr int Rows = SnapshotHeaderSize;
    static constexpr int RowSize = SnapshotRowSize;
};
static_assert(ProtocolResultsBlock::Rows == 29 && ProtocolResultsBlock::RowSize == int(sizeof(ParamResult)));

// The decoded header of the entry's block. The values are as they came: a peer's block may hold any byte,
// so every reader bounds an index (connection type, maximum-level and ADC indexes) before it uses it.
struct TProtocolHeader {
    double Time = 0;
    int32_t Kind = 0;
    int32_t ConnectionType = 0;
    int32_t GeneratorKind = 0;
    float GenImpedance = 0; // ohms
    uint8_t GenLowImpedance = 0;
    float MeterImpedance = 0; // ohms
    uint8_t MeterHighImpedance = 0;
    int32_t MaxLevelIndex = 0;
    float F0 = 0;
    float F1 = 0;
    int32_t AdcIndex = 0;
    int32_t StepFactor = 0;
    int32_t RowCount = 0; // N as the block gives it
};
extern TProtocolHeader ProtocolHeader;

// Decodes a results block: false (header and results untouched) for a block shorter than its header,
// a kind outside 1..7, or fewer bytes than its N rows need. The results are the block's rows, at most as
// many as the local table of the kind has (the rows beyond it are dropped).
bool DecodeProtocolResults(const std::vector<uint8_t> &block, TProtocolHeader &header,
                           std::vector<ParamResult> &results);

// The entry rows: the first rows of the kind's local table (captions, flags, norms), each with its result
// replaced by the block's.
std::vector<ParamDescriptor> ProtocolEntryRows(int32_t kind, const std::vector<ParamResult> &results);

// Appends lines to one page of the open protocol in one piece, as windows-1251, creating the page when it
// is missing. False, after the file stream's message, when the page cannot be opened.
bool AppendToProtocolPage(int page, const QStringList &lines);
