#pragma once

#include <QRegion>
#include <QRgb>

#include <optional>

class QCPPainter;

// The pixels a painter paints into, for drawings of many small opaque pieces that the raster engine would
// take one call and one span at a time: there only when the painter paints plainly (no antialiasing, no
// vectorising, source-over at full opacity) into an image of 32-bit pixels, moved by whole pixels only.
// What is set here stays inside the painter's clip and the clip of the paint event.
class TRasterPixels {
public:
    static std::optional<TRasterPixels> Of(QCPPainter &painter);

    // In the painter's coordinates.
    void FillRect(const QRect &rect, QRgb colour) const;

    // In the image's coordinates.
    QPoint Offset() const { return offset_; }
    const QRegion &Clip() const { return clip_; }
    void Set(int x, int y, QRgb colour) const { reinterpret_cast<QRgb *>(bits_ + y * bytesPerLine_)[x] = colour; }

private:
    TRasterPixels(uchar *bits, qsizetype bytesPerLine, QPoint offset, QRegion clip)
        : bits_(bits), bytesPerLine_(bytesPerLine), offset_(offset), clip_(std::move(clip)) {}

    uchar *bits_;
    qsizetype bytesPerLine_;
    QPoint offset_; // of the painter's coordinates in the image
    QRegion clip_;
};
