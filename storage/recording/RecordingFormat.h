#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

// The byte layout that the recorder writes and playback reads. A recording is eight files sharing one
// base name; every index record (".idx") points at the newest record of the seven data streams.

// The data streams in the order of the offsets of an index record.
enum RecordStream : int32_t {
    StreamAdc = 0,
    StreamRnd = 1,
    StreamSet = 2,
    StreamRem = 3,
    StreamSst = 4,
    StreamAst = 5,
    StreamSnc = 6,
};
inline constexpr int32_t RecordStreamCount = 7;

// The extension of each data stream, in RecordStream order, and the index file's.
inline constexpr std::array<const char *, RecordStreamCount> StreamExtensions = {".adc", ".rnd", ".set", ".rem",
                                                                                 ".sst", ".ast", ".snc"};
inline constexpr const char *IndexExtension = ".idx";

struct [[gnu::packed]] IndexRecord {
    double Time; // TDateTime of the recording step
    int32_t Offsets[RecordStreamCount];
};
static_assert(sizeof(IndexRecord) == 36);
static_assert(offsetof(IndexRecord, Offsets) == 8);

// The ".set" file starts with the program's version text and the instrument's identification image.
inline constexpr int32_t VersionFieldSize = 20;
inline constexpr int32_t SetHeaderSize = VersionFieldSize + 2048;
static_assert(SetHeaderSize == 2068);

inline constexpr int32_t SstRecordSize = 24;
inline constexpr int32_t MeterFrameRecordSize = 16;
inline constexpr int32_t SncRecordSize = 8;
// The MTTS level adjustment of connection types 3 and 8: int16 state, int32, three floats and two
// arrays of 256 floats.
inline constexpr int32_t MttsAdjustStateSize = 2 + 4 + 3 * 4 + 2 * 256 * 4;

// The offsets of a recording are 32-bit: no file may grow past what they address.
inline constexpr int64_t MaxStreamFileSize = 0x7FFFFFFF;

// The number of event values that follow a meter frame of that kind (1 SIN, 2 NOISE, 3 MTTS).
int32_t MeterFrameEventCount(int32_t frameKind);
// The result slots of those values: the timer, then the count and the share of time of each extreme.
const int32_t *MeterFrameEventSlots(int32_t frameKind);

// The version field of a recording written by this program: "V6.11" padded with NUL to 20 bytes.
QByteArray RecordingVersionField();

// A version field as text: up to its first NUL.
QByteArray VersionText(const QByteArray &field);

// Program folder + "Data/R9_WriteData" + the instance number: the base name of the recording being made.
QString RecordingBaseName(int32_t instance);

// The connection types whose settings records carry the MTTS level adjustment.
bool CarriesMttsAdjustState(int16_t connectionType);
