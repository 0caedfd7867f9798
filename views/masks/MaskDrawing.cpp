#include "views/masks/MaskDrawing.h"

#include <QBrush>
#include <QColor>
#include <QPainter>
#include <QPen>

void DrawMaskOnChart(QPainter &painter, const TMASK &mask, const TMaskView &view) {
    const TMaskPolygon polygon = MaskPolygon(mask, view);
    if (polygon.Points.size() < 2)
        return;
    // Colours are stored as 0x00BBGGRR.
    const QColor colour(mask.Colour & 0xFF, (mask.Colour >> 8) & 0xFF, (mask.Colour >> 16) & 0xFF);
    painter.save();
    painter.setPen(QPen(colour, mask.Width));
    if (polygon.Filled) {
        painter.setBrush(QBrush(colour, polygon.Hatch == TMaskHatch::Backward ? Qt::BDiagPattern : Qt::FDiagPattern));
        painter.drawPolygon(polygon.Points.data(), int(polygon.Points.size()));
    } else {
        painter.drawPolyline(polygon.Points.data(), int(polygon.Points.size()));
    }
    painter.restore();
}
