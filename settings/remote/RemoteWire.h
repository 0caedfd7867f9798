#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

// The value codings of the remote-link records. Records carry no lengths: the reader follows the
// writer's layout, so every read is bounded by the received length.

// Appends values at the end of a message, little-endian.
class TRemoteWriter {
public:
    explicit TRemoteWriter(std::vector<uint8_t> &out) : out_(out) {}

    void B(uint8_t value) { out_.push_back(value); }
    void W16(uint16_t value);
    void I32(int32_t value);
    void F32(float value);
    void Bytes(const QByteArray &bytes);
    void Zeros(int count) { out_.insert(out_.end(), std::size_t(count), uint8_t(0)); }
    // A text of at most 255 bytes after one length byte (longer texts are cut).
    void T8(const QByteArray &text);
    // A text after an int32 length.
    void T32(const QByteArray &text);
    // 16-bit and 8-bit linear codes of ValueQuantizers[q]; a frequency in units of SampleRate / 2048.
    void L16(int q, double value);
    void L8(int q, double value);
    void Bin(double frequency);

private:
    std::vector<uint8_t> &out_;
};

// Reads values from a received message. A read past the end gives 0 and leaves the reader failed: the
// record it belongs to is truncated, and nothing after it is read.
class TRemoteReader {
public:
    TRemoteReader(const uint8_t *data, int32_t length, int32_t position)
        : data_(data), length_(length), pos_(position) {}

    bool Ok() const { return ok_; }
    bool AtEnd() const { return pos_ >= length_; }
    int32_t Position() const { return pos_; }
    int32_t Left() const { return ok_ && pos_ < length_ ? length_ - pos_ : 0; }

    uint8_t B();
    // A flag byte: 1 when non-zero.
    uint8_t F() { return B() ? 1 : 0; }
    uint16_t W16();
    int32_t I32();
    float F32();
    QByteArray Bytes(int32_t count);
    QByteArray T8() { return Bytes(B()); }
    double L16(int q);
    double L8(int q);
    double Bin();

private:
    bool Take(int32_t count);

    const uint8_t *data_;
    int32_t length_;
    int32_t pos_;
    bool ok_ = true;
};
