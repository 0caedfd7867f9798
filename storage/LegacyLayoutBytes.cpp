#include "storage/LegacyLayoutBytes.h"

#include <QtEndian>

#include <cstring>

bool TByteCursor::Raw(void *data, qsizetype size) {
    if (size < 0 || size > Left())
        return false;
    std::memcpy(data, bytes_.data() + at_, std::size_t(size));
    at_ += size;
    return true;
}

template <typename T> bool TByteCursor::Number(T &value) {
    char raw[sizeof(T)];
    if (!Raw(raw, sizeof raw))
        return false;
    value = qFromLittleEndian<T>(raw);
    return true;
}

bool TByteCursor::Int16(int16_t &value) {
    return Number(value);
}

bool TByteCursor::UInt16(uint16_t &value) {
    return Number(value);
}

bool TByteCursor::Int32(int32_t &value) {
    return Number(value);
}

bool TByteCursor::Double(double &value) {
    return Number(value);
}

bool TByteCursor::Bytes(qsizetype size, QByteArray &value) {
    if (size < 0 || size > Left())
        return false;
    value = bytes_.sliced(at_, size).toByteArray();
    at_ += size;
    return true;
}

bool TByteCursor::CountedBytes(QByteArray &value) {
    const qsizetype start = at_;
    int32_t size = 0;
    if (Int32(size) && Bytes(size, value))
        return true;
    at_ = start;
    return false;
}
