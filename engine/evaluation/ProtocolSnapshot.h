#pragma once

#include "engine/catalogue/ParamCatalogue.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct ParamDescriptor;

// A chart picture reduced to 16 colours: rows top to bottom, two pixels a byte (the left one in the high
// nibble), each row padded to whole bytes; a nibble is an index into Palette (0xAARRGGBB).
struct TSnapshotPicture {
    int32_t Width = 0;
    int32_t Height = 0;
    std::array<uint32_t, 16> Palette{};
    std::vector<uint8_t> Bits;

    int32_t RowBytes() const { return (Width + 1) / 2; }
    uint8_t PixelAt(int32_t x, int32_t y) const;
};

// The results of one signal kind as the protocol writer files them and the remote link sends them. The
// result buffer is a wire format: a 29-byte header with the measuring conditions, then the 12-byte
// ParamResult of every row, little-endian and unaligned. The curve buffer holds one record per curve row
// marked for the protocol. Empty buffers stand for none.
struct TProtocolSnapshot {
    int32_t IntervalSeconds = 0; // of the automatic protocol
    int16_t HasData = 0;
    uint64_t NextTick = 0; // GetTickCount64 at which the next automatic snapshot is due
    std::vector<uint8_t> Results;
    std::vector<uint8_t> Curves;
    std::array<std::unique_ptr<TSnapshotPicture>, GraphKindCount> Pictures;
    int32_t MasterDone = 0; // a master run has finished since the last clearing reset
};

inline constexpr int32_t SnapshotHeaderSize = 29;
inline constexpr int32_t SnapshotRowSize = 12;
inline constexpr int32_t SnapshotKindOffset = 8;

// The peer's result buffer as the remote link or a recording brings it: the rows of a generator kind
// (1..5) go into the remote copy of that kind's table, which becomes RemoteSignalKind, and true comes
// back. A buffer of another kind (6 selective, 7 SYNC) or one too short to name its kind copies nothing
// and leaves RemoteSignalKind alone.
bool TakeRemoteResultRows(const uint8_t *buffer, int64_t size);
// The ValueQuantizers that code the generator and meter impedances of the header.
inline constexpr int32_t GeneratorImpedanceQuantizer = 2;
inline constexpr int32_t MeterImpedanceQuantizer = 4;

// The local snapshot, and the peer's result buffer as it arrived (that one never has curves or pictures).
extern TProtocolSnapshot LocalProtocolSnapshot;
extern TProtocolSnapshot RemoteProtocolSnapshot;

// The measurement kind of the running scenario's current row (1 frequency master, 2 level master, 0
// random events, -1 plain measurement) and the time one configuration takes to set up, s.
struct TScenarioTiming {
    int8_t RowKind = -1;
    double ConfigOverheadSeconds = 0;
};

// What the snapshot takes from the subsystems above the engine, registered by them when they come into
// being; an empty entry is one that does not exist in this program run.
struct TProtocolSnapshotServices {
    // The picture of the graph window of a graph kind; null when the window is closed or minimized.
    std::function<std::unique_ptr<TSnapshotPicture>(int32_t graphKind)> GraphPicture;
    // The scenario runner (registered by the main window): its timing while a scenario runs, nullopt
    // otherwise, when the automatic protocol follows the averaging interval alone.
    std::function<std::optional<TScenarioTiming>()> ScenarioTiming;
    // The protocol writer (registered by the main window): files the snapshot as an entry of the open
    // protocol when the program settings switch the automatic protocol on.
    std::function<void(TProtocolSnapshot &snapshot)> AddAutoProtocolEntry;
};

TProtocolSnapshotServices &ProtocolSnapshotServices();

// Re-arms the automatic-protocol timer with the interval of the present situation. keep 0 also clears
// the snapshot (data flag, buffers, pictures, master flag); any other keep leaves the data flag and the
// buffers as they are, so a snapshot that was taken stays complete.
void ResetProtocolSnapshot(TProtocolSnapshot &snapshot, int16_t keep);

// Takes a local snapshot of the table of a signal kind 1..7; false, with the snapshot untouched, for
// any other kind.
bool SaveKindProtocol(int32_t kind);

// Replaces the local snapshot's buffers and pictures by those of the table.
void BuildProtocolSnapshot(const ParamDescriptor *table, int32_t rowCount, int32_t kind);

// Whether a row has a curve record in the curve buffer: an analysed row marked for the protocol whose
// graph kind is one of the table's. The protocol's reader walks the rows with the same test.
bool HasProtocolCurve(const ParamDescriptor &row);

// Append the result buffer of a table (header and rows) and the curve records of its rows marked for the
// protocol to buffer; the curve writer also puts the pictures of those rows' graph windows into pictures.
void WriteSnapshotResults(const ParamDescriptor *table, int32_t rowCount, std::vector<uint8_t> &buffer, int32_t kind);
void WriteSnapshotCurves(const ParamDescriptor *table, int32_t rowCount, std::vector<uint8_t> &buffer,
                         std::array<std::unique_ptr<TSnapshotPicture>, GraphKindCount> &pictures);

// After a judged frame while the interval is long enough: when the interval has run out, takes a
// snapshot of the current kind and hands it to the protocol; the next one is due an interval later.
inline constexpr int32_t AutoProtocolMinSeconds = 5;
void AutoProtocolTick();
