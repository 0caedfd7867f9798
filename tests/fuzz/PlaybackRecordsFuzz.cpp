// Any bytes as the files of a recording: every reader of playback (index records, the ".set" header and
// the tail of its records, ".rnd", ".rem", ".sst", ".snc", ".ast" of each version and its point count)
// either refuses them or gives records whose counts fit the bytes, and never reads past them.
#include "storage/playback/PlayRecordReaders.h"
#include "storage/recording/AstRecord.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// The offsets a damaged index could hold: the start, one taken from the bytes themselves, the end and
// beyond it.
std::vector<int64_t> Offsets(const QByteArray &bytes) {
    std::vector<int64_t> offsets = {0, 1, bytes.size(), bytes.size() + 1, -1};
    if (bytes.size() >= 4) {
        int32_t own;
        std::memcpy(&own, bytes.constData(), sizeof own);
        offsets.push_back(own);
    }
    return offsets;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);

    QByteArray version, eeprom;
    if (DecodeSetHeader(bytes, version, eeprom))
        Check(version.size() <= VersionFieldSize && eeprom.size() == SetHeaderSize - VersionFieldSize);

    for (const int64_t offset : Offsets(bytes)) {
        IndexRecord index;
        if (ReadIndexRecord(file, offset, index))
            Check(offset >= 0 && offset + 36 <= bytes.size());
        TRndRecord rnd;
        if (ReadRndRecord(file, offset, rnd))
            Check(offset + MeterFrameRecordSize + 4 * rnd.EventCount <= bytes.size() && rnd.EventCount <= 7);
        QByteArray block;
        if (ReadRemRecord(file, offset, block)) {
            Check(offset + 4 + block.size() <= bytes.size());
            Check(block.isEmpty() || block.size() >= RemoteBlockHeaderSize);
        }
        QByteArray sst;
        if (ReadRecordBytes(file, offset, SstRecordSize, sst))
            Check(sst.size() == SstRecordSize);
        float duration, events;
        if (ReadSncRecord(file, offset, duration, events))
            Check(offset + SncRecordSize <= bytes.size());
        int32_t points;
        if (ReadAstPointCount(file, offset, points))
            Check(points >= 0 && offset >= 0 && offset + AstPointCountOffset + 4 <= bytes.size());
        for (const char *v : {"V5.00", "V6.03", "V6.05", "V6.10", "V6.11"}) {
            TAstRecord ast;
            const int32_t bins = bytes.size() > 8 ? int32_t(uint8_t(bytes[8])) * 64 : 3;
            if (ReadAstRecord(file, offset, v, bins, ast)) {
                const int64_t n = ast.PointCount();
                Check(int64_t(ast.PointArrayB.size()) == n);
                Check(int64_t(ast.BinArray1.size()) * 4 + int64_t(ast.BinArray3.size()) * 8 + 8 * n <= bytes.size());
            }
        }
        if (offset >= 0 && offset <= bytes.size() && file.seek(offset)) {
            for (bool withMtts : {false, true}) {
                file.seek(offset);
                TSetRecordTail tail;
                if (ReadSetRecordTail(file, withMtts, tail))
                    Check(tail.MttsAdjustState.size() == (withMtts ? MttsAdjustStateSize : 0));
            }
        }
    }
    return 0;
}
