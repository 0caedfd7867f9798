#include "settings/remote/RemoteWire.h"

#include "engine/catalogue/ValueQuantizer.h"
#include "settings/FrequencyCode.h"

#include <algorithm>
#include <cstring>

void TRemoteWriter::W16(uint16_t value) {
    out_.push_back(uint8_t(value));
    out_.push_back(uint8_t(value >> 8));
}

void TRemoteWriter::I32(int32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out_.push_back(uint8_t(uint32_t(value) >> shift));
}

void TRemoteWriter::F32(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    I32(int32_t(bits));
}

void TRemoteWriter::Bytes(const QByteArray &bytes) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
}

void TRemoteWriter::T8(const QByteArray &text) {
    const QByteArray cut = text.left(255);
    B(uint8_t(cut.size()));
    Bytes(cut);
}

void TRemoteWriter::T32(const QByteArray &text) {
    I32(int32_t(text.size()));
    Bytes(text);
}

void TRemoteWriter::L16(int q, double value) {
    W16(QuantizeValue(ValueQuantizers[q], value));
}

void TRemoteWriter::L8(int q, double value) {
    B(QuantizeValue8(ValueQuantizers[q], value));
}

void TRemoteWriter::Bin(double frequency) {
    W16(QuantizeFrequency(frequency));
}

bool TRemoteReader::Take(int32_t count) {
    if (!ok_ || count < 0 || count > length_ - pos_) {
        ok_ = false;
        return false;
    }
    return true;
}

uint8_t TRemoteReader::B() {
    if (!Take(1))
        return 0;
    return data_[pos_++];
}

uint16_t TRemoteReader::W16() {
    if (!Take(2))
        return 0;
    const uint16_t value = uint16_t(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return value;
}

int32_t TRemoteReader::I32() {
    if (!Take(4))
        return 0;
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | data_[pos_ + i];
    pos_ += 4;
    return int32_t(value);
}

float TRemoteReader::F32() {
    const uint32_t bits = uint32_t(I32());
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

QByteArray TRemoteReader::Bytes(int32_t count) {
    if (!Take(count))
        return {};
    QByteArray bytes(reinterpret_cast<const char *>(data_ + pos_), count);
    pos_ += count;
    return bytes;
}

double TRemoteReader::L16(int q) {
    return DequantizeValue(ValueQuantizers[q], W16());
}

double TRemoteReader::L8(int q) {
    return DequantizeValue8(ValueQuantizers[q], B());
}

double TRemoteReader::Bin() {
    return DequantizeFrequency(W16());
}
