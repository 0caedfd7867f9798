#pragma once

#include "platform/Cp1251.h"
#include "state/ProgramSettings.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <cstring>

// Builds the layout block of a legacy configuration field by field, little-endian, as the old program
// wrote it.
class LegacyLayoutBytes {
public:
    LegacyLayoutBytes &I16(int16_t v) { return Put(qToLittleEndian(v)); }
    LegacyLayoutBytes &I32(int32_t v) { return Put(qToLittleEndian(v)); }
    LegacyLayoutBytes &F64(double v) {
        uint64_t raw;
        std::memcpy(&raw, &v, sizeof raw);
        return Put(qToLittleEndian(raw));
    }
    LegacyLayoutBytes &Text(const QString &text) {
        const QByteArray bytes = ToCp1251(text);
        I32(int32_t(bytes.size()));
        bytes_ += bytes;
        return *this;
    }
    LegacyLayoutBytes &Raw(const QByteArray &bytes) {
        bytes_ += bytes;
        return *this;
    }
    LegacyLayoutBytes &Settings(const TProgramSettings &settings) {
        bytes_.append(reinterpret_cast<const char *>(&settings), sizeof settings);
        return *this;
    }
    // A 212-byte time-series binding record.
    LegacyLayoutBytes &Binding(const QString &caption, int16_t code, int16_t point) {
        QByteArray record(212, '\0');
        const QByteArray text = ToCp1251(caption);
        std::memcpy(record.data() + 4, text.constData(), std::size_t(text.size()));
        bytes_ += record.left(208);
        return I16(code).I16(point);
    }
    // A window entry: visible, the normal rectangle and the min/max positions, show command, flags and the
    // value bytes with their size.
    LegacyLayoutBytes &Entry(int16_t visible, const int16_t (&normal)[4], uint16_t showCmd = 1,
                             const QByteArray &values = {}) {
        I16(visible);
        for (int16_t v : normal)
            I16(v);
        for (int16_t v : {int16_t(-1), int16_t(-1), int16_t(-8), int16_t(-30)})
            I16(v);
        Put(qToLittleEndian(showCmd));
        Put(qToLittleEndian(uint16_t(0)));
        I32(int32_t(values.size()));
        bytes_ += values;
        return *this;
    }
    LegacyLayoutBytes &Hidden(int count) {
        for (int i = 0; i < count; ++i)
            Entry(0, {0, 0, 100, 100});
        return *this;
    }
    QByteArray Bytes() const { return bytes_; }

private:
    template <typename T> LegacyLayoutBytes &Put(T v) {
        bytes_.append(reinterpret_cast<const char *>(&v), sizeof v);
        return *this;
    }
    QByteArray bytes_;
};
