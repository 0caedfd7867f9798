#pragma once

#include "chart/MetafileItems.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

// Little-endian fields of a metafile record.
class MetafileBytes {
public:
    void U16(std::uint16_t v);
    void U32(std::uint32_t v);
    void I16(int v); // clamped to -32768..32767
    void I32(std::int32_t v);
    void F32(float v);
    void Bytes(const QByteArray &bytes);
    void PadTo(int alignment); // zero bytes up to the next multiple of alignment
    void PutU32At(qsizetype offset, std::uint32_t v);
    qsizetype Size() const { return data_.size(); }
    const QByteArray &Data() const { return data_; }

private:
    QByteArray data_;
};

// The record-level operations that the enhanced and the plain metafile share.
class MetafileRecordSink {
public:
    virtual ~MetafileRecordSink() = default;
    virtual void CreatePen(int slot, const MetafilePen &pen) = 0;
    virtual void CreateBrush(int slot, const MetafileBrush &brush) = 0;
    virtual void CreateFont(int slot, const MetafileFont &font) = 0;
    virtual void SelectObject(int slot) = 0;
    virtual void SetTextColour(std::uint32_t colour) = 0;
    virtual void Polyline(const std::vector<QPoint> &points) = 0;
    virtual void Polygon(const std::vector<QPoint> &points) = 0;
    virtual void Text(QPoint origin, const QString &text, const std::vector<int> &advances) = 0;
    virtual void SaveDC() = 0;
    virtual void RestoreDC() = 0;
    virtual void IntersectClipRect(const QRect &rect) = 0;
};

// Plays a drawing into a sink. Each distinct pen, brush and font becomes one object in the next slot at its
// first use and stays to the end, so that restoring a saved clip state never selects a deleted
// object. Returns the number of object slots used.
int PlayMetafileDrawing(const MetafileDrawing &drawing, MetafileRecordSink &sink);
