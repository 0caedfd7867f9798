#include "storage/recording/AstRecord.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename T> void AppendValues(QByteArray &out, const T *values, std::size_t count) {
    out.append(reinterpret_cast<const char *>(values), qsizetype(count * sizeof(T)));
}

template <typename T> void AppendValue(QByteArray &out, T value) {
    AppendValues(out, &value, 1);
}

// Exactly `count` values: the array's own, then zeros where it is shorter.
template <typename T> void AppendPadded(QByteArray &out, const std::vector<T> &values, std::size_t count) {
    const std::size_t own = std::min(values.size(), count);
    AppendValues(out, values.data(), own);
    out.append(qsizetype((count - own) * sizeof(T)), '\0');
}

// Reads from a byte range that never lets a read pass its end.
class TAstCursor {
public:
    TAstCursor(const char *data, int64_t size) : data_(data), left_(size) {}

    template <typename T> bool Read(T &value) { return Take(&value, sizeof(T)); }

    template <typename T> bool ReadArray(std::vector<T> &values, int64_t count) {
        if (count < 0 || count > left_ / int64_t(sizeof(T)))
            return false;
        values.resize(std::size_t(count));
        return Take(values.data(), std::size_t(count) * sizeof(T));
    }

private:
    bool Take(void *out, std::size_t n) {
        if (int64_t(n) > left_)
            return false;
        if (n)
            std::memcpy(out, data_, n);
        data_ += n;
        left_ -= int64_t(n);
        return true;
    }

    const char *data_;
    int64_t left_;
};

// The number of twelve-array entries that a recording of that version carries.
int32_t PointArrayCountOf(const QByteArray &version) {
    if (version >= QByteArray("V6.05"))
        return AstPointArrayCount;
    return version >= QByteArray("V6.03") ? 3 : 0;
}

} // namespace

QByteArray EncodeAstRecord(const TAstRecord &record) {
    QByteArray out;
    AppendValues(out, record.CalibrationValid, 2);
    AppendValues(out, record.WorkValues, 3);
    const auto n = std::size_t(record.PointCount());
    AppendValue(out, int32_t(n));
    if (n > 0) {
        const std::size_t m = record.BinArray1.size();
        AppendPadded(out, record.PointArrayA, n);
        AppendPadded(out, record.PointArrayB, n);
        AppendPadded(out, record.BinArray1, m);
        AppendPadded(out, record.BinArray2, m);
        AppendPadded(out, record.BinArray3, m);
        static const std::vector<float> none;
        for (std::size_t i = 0; i < AstPointArrayCount; ++i)
            AppendPadded(out, i < record.PointArrays.size() ? record.PointArrays[i] : none, n);
    }
    AppendValues(out, record.CalibrationValid + 2, 4);
    return out;
}

bool DecodeAstRecord(const char *data, int64_t size, const QByteArray &version, int32_t binCount, TAstRecord &record) {
    record = {};
    TAstCursor in(data, size);
    int32_t n = 0;
    if (!in.Read(record.CalibrationValid[0]) || !in.Read(record.CalibrationValid[1]))
        return false;
    for (int32_t &value : record.WorkValues)
        if (!in.Read(value))
            return false;
    if (!in.Read(n) || n < 0)
        return false;
    if (n > 0) {
        const int64_t m = version >= QByteArray("V6.10") ? binCount : n;
        if (!in.ReadArray(record.PointArrayA, n) || !in.ReadArray(record.PointArrayB, n) ||
            !in.ReadArray(record.BinArray1, m) || !in.ReadArray(record.BinArray2, m) ||
            !in.ReadArray(record.BinArray3, m))
            return false;
        record.PointArrays.resize(std::size_t(PointArrayCountOf(version)));
        for (std::vector<float> &array : record.PointArrays)
            if (!in.ReadArray(array, n))
                return false;
    }
    const int32_t flags = version >= QByteArray("V6.05") ? 4 : version >= QByteArray("V6.03") ? 2 : 0;
    for (int32_t i = 0; i < flags; ++i)
        if (!in.Read(record.CalibrationValid[2 + i]))
            return false;
    return true;
}
