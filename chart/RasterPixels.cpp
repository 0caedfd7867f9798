#include "chart/RasterPixels.h"

#include <QImage>
#include <QPaintEngine>

#include <qcustomplot.h>

#include <algorithm>

std::optional<TRasterPixels> TRasterPixels::Of(QCPPainter &painter) {
    if (painter.modes().testFlag(QCPPainter::pmVectorized) || painter.antialiasing() ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.opacity() != 1)
        return std::nullopt;
    QPaintEngine *engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster || !engine->paintDevice() ||
        engine->paintDevice()->devType() != QInternal::Image)
        return std::nullopt;
    auto *image = static_cast<QImage *>(engine->paintDevice());
    const QImage::Format format = image->format();
    if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
         format != QImage::Format_ARGB32_Premultiplied) ||
        !image->isDetached())
        return std::nullopt;
    const QTransform transform = painter.deviceTransform();
    const QPoint offset(int(transform.dx()), int(transform.dy()));
    if (transform.type() > QTransform::TxTranslate || offset.x() != transform.dx() || offset.y() != transform.dy())
        return std::nullopt;
    QRegion clip(image->rect());
    if (painter.hasClipping())
        clip &= painter.clipRegion().translated(offset);
    if (const QRegion system = engine->systemClip(); !system.isEmpty())
        clip &= system;
    return TRasterPixels(image->bits(), image->bytesPerLine(), offset, clip);
}

void TRasterPixels::FillRect(const QRect &rect, QRgb colour) const {
    const QRect shifted = rect.translated(offset_);
    for (const QRect &area : clip_) {
        const QRect part = shifted & area;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            QRgb *row = reinterpret_cast<QRgb *>(bits_ + y * bytesPerLine_);
            std::fill(row + part.left(), row + part.left() + part.width(), colour);
        }
    }
}
