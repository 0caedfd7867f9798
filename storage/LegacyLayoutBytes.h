#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdint>

// A bounded little-endian reader over the bytes of a stored file: every read checks what is left and,
// when too little is, reads nothing and reports false, so a damaged file can end a reader early but never
// send it past the end.
class TByteCursor {
public:
    explicit TByteCursor(QByteArrayView bytes) : bytes_(bytes) {}

    qsizetype Left() const { return bytes_.size() - at_; }
    bool Int16(int16_t &value);
    bool UInt16(uint16_t &value);
    bool Int32(int32_t &value);
    bool Double(double &value);
    bool Raw(void *data, qsizetype size);
    // The next size bytes; false (and nothing taken) when size is negative or more than is left.
    bool Bytes(qsizetype size, QByteArray &value);
    // An int32 length and that many bytes.
    bool CountedBytes(QByteArray &value);

private:
    template <typename T> bool Number(T &value);

    QByteArrayView bytes_;
    qsizetype at_ = 0;
};
