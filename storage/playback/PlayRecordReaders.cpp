#include "storage/playback/PlayRecordReaders.h"

#include <cstring>

namespace {

// A record larger than this is damage, not data: the largest real one is a 32768-sample block.
constexpr int64_t LargestRecord = 64 * 1024 * 1024;

template <typename T> T ValueAt(const QByteArray &bytes, qsizetype at) {
    T value;
    std::memcpy(&value, bytes.constData() + at, sizeof(T));
    return value;
}

} // namespace

bool RecordFits(int64_t offset, int64_t length, int64_t size) {
    return offset >= 0 && length >= 0 && length <= LargestRecord && offset <= size && length <= size - offset;
}

bool ReadRecordBytes(QIODevice &file, int64_t offset, int64_t length, QByteArray &bytes) {
    if (!RecordFits(offset, length, file.size()) || !file.seek(offset))
        return false;
    bytes = file.read(length);
    return bytes.size() == length;
}

bool ReadIndexRecord(QIODevice &index, int64_t position, IndexRecord &record) {
    QByteArray bytes;
    if (!ReadRecordBytes(index, position, sizeof(IndexRecord), bytes))
        return false;
    std::memcpy(&record, bytes.constData(), sizeof record);
    return true;
}

bool DecodeSetHeader(const QByteArray &bytes, QByteArray &version, QByteArray &eepromImage) {
    if (bytes.size() < SetHeaderSize)
        return false;
    version = VersionText(bytes.left(VersionFieldSize));
    eepromImage = bytes.mid(VersionFieldSize, SetHeaderSize - VersionFieldSize);
    return true;
}

bool ReadSetRecordTail(QIODevice &file, bool withMtts, TSetRecordTail &tail) {
    constexpr qsizetype fixed = sizeof(TInstrumentIdent) + 1 + sizeof(float);
    const qsizetype length = fixed + (withMtts ? MttsAdjustStateSize : 0);
    const QByteArray bytes = file.read(length);
    if (bytes.size() != length)
        return false;
    std::memcpy(&tail.Ident, bytes.constData(), sizeof(TInstrumentIdent));
    tail.SettingsChanged = ValueAt<uint8_t>(bytes, sizeof(TInstrumentIdent));
    tail.LevelMasterStep = ValueAt<float>(bytes, sizeof(TInstrumentIdent) + 1);
    tail.MttsAdjustState = withMtts ? bytes.mid(fixed) : QByteArray();
    return true;
}

bool ReadRndRecord(QIODevice &file, int64_t offset, TRndRecord &record) {
    QByteArray bytes;
    if (!ReadRecordBytes(file, offset, MeterFrameRecordSize, bytes))
        return false;
    TMeterFrameStore &frame = record.Frame;
    frame.Kind = ValueAt<int16_t>(bytes, 0);
    frame.Q0 = ValueAt<int32_t>(bytes, 2);
    frame.Q1 = ValueAt<int32_t>(bytes, 6);
    frame.Q2 = ValueAt<int32_t>(bytes, 10);
    frame.Q3 = ValueAt<int16_t>(bytes, 14);
    record.EventCount = MeterFrameEventCount(frame.Kind);
    QByteArray events;
    if (!ReadRecordBytes(file, offset + MeterFrameRecordSize, record.EventCount * int64_t(sizeof(float)), events))
        return false;
    std::memcpy(record.Events, events.constData(), std::size_t(events.size()));
    return true;
}

bool ReadRemRecord(QIODevice &file, int64_t offset, QByteArray &block) {
    QByteArray length;
    if (!ReadRecordBytes(file, offset, sizeof(int32_t), length))
        return false;
    const int32_t n = ValueAt<int32_t>(length, 0);
    if (n < 0 || !ReadRecordBytes(file, offset + 4, n, block))
        return false;
    return n == 0 || n >= RemoteBlockHeaderSize;
}

bool ReadSncRecord(QIODevice &file, int64_t offset, float &duration, float &events) {
    QByteArray bytes;
    if (!ReadRecordBytes(file, offset, SncRecordSize, bytes))
        return false;
    duration = ValueAt<float>(bytes, 0);
    events = ValueAt<float>(bytes, 4);
    return true;
}

bool ReadAstPointCount(QIODevice &file, int64_t offset, int32_t &count) {
    QByteArray bytes;
    if (offset < 0 || !ReadRecordBytes(file, offset + AstPointCountOffset, sizeof(int32_t), bytes))
        return false;
    count = ValueAt<int32_t>(bytes, 0);
    return count >= 0;
}

bool ReadAstRecord(QIODevice &file, int64_t offset, const QByteArray &version, int32_t binCount, TAstRecord &record) {
    if (!RecordFits(offset, 0, file.size()) || !file.seek(offset))
        return false;
    // The record's own counts say how long it is; read what the file holds (at most the largest record)
    // and let the decoder check every count against it.
    const QByteArray bytes = file.read(std::min<int64_t>(file.size() - offset, 16 * 1024 * 1024));
    return DecodeAstRecord(bytes.constData(), bytes.size(), version, binCount, record);
}
