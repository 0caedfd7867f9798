#pragma once

#include "link/InstrumentIdent.h"
#include "link/MeterFrameStore.h"
#include "storage/recording/AstRecord.h"
#include "storage/recording/RecordingFormat.h"

#include <QByteArray>
#include <QIODevice>

#include <cstdint>

// The readers of a recording's records for playback. A recording comes from outside (another program
// copy, a damaged disk): every offset and length is checked against the bytes that are there, and a
// record that does not fit is refused whole instead of being read in part.

// The record at `offset` of a file of `size` bytes: the number of bytes `length` from there, or false
// when the record would start before the file or end past it.
bool RecordFits(int64_t offset, int64_t length, int64_t size);

// Reads `length` bytes at `offset`; false (and nothing read) when they are not all there.
bool ReadRecordBytes(QIODevice &file, int64_t offset, int64_t length, QByteArray &bytes);

// The index record at byte `position` of the index file; a partial record at the end is no record.
bool ReadIndexRecord(QIODevice &index, int64_t position, IndexRecord &record);

// The ".set" header: the version text (up to its first NUL) and the instrument's identification image.
bool DecodeSetHeader(const QByteArray &bytes, QByteArray &version, QByteArray &eepromImage);

// What follows the settings snapshot in a settings record.
struct TSetRecordTail {
    TInstrumentIdent Ident;
    uint8_t SettingsChanged = 0;
    float LevelMasterStep = 0;
    QByteArray MttsAdjustState; // MttsAdjustStateSize bytes when the record carries it, else empty
};
// Reads the tail from the current position of `file`; `withMtts` when the settings just applied carry
// the MTTS level adjustment. False when the file ends before the tail does.
bool ReadSetRecordTail(QIODevice &file, bool withMtts, TSetRecordTail &tail);

// A ".rnd" record: the meter frame and the event values of its kind (MeterFrameEventCount of them).
struct TRndRecord {
    TMeterFrameStore Frame;
    float Events[7] = {};
    int32_t EventCount = 0;
};
bool ReadRndRecord(QIODevice &file, int64_t offset, TRndRecord &record);

// A ".rem" record: the peer's results block, whose length must fit the file and whose 29-byte header must
// be there; an empty block is a valid "no results". Any signal kind is the peer's: one without a
// generator table (6 selective, 7 SYNC) is kept and copies no rows.
bool ReadRemRecord(QIODevice &file, int64_t offset, QByteArray &block);
inline constexpr int32_t RemoteBlockHeaderSize = 29;

// A ".snc" record: the two SYNC result values.
bool ReadSncRecord(QIODevice &file, int64_t offset, float &duration, float &events);

// The point count N of the ".ast" record at `offset`, which decides whether playback starts the selective
// work again before the record's arrays are read at the bin count that start gives.
bool ReadAstPointCount(QIODevice &file, int64_t offset, int32_t &count);

// A ".ast" record of a recording of `version`, its bin arrays at `binCount` from V6.10 on.
bool ReadAstRecord(QIODevice &file, int64_t offset, const QByteArray &version, int32_t binCount, TAstRecord &record);
