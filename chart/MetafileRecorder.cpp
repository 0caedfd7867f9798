#include "chart/MetafileRecorder.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

std::uint32_t ColorRef(const QColor &colour) {
    const QRgb rgb = colour.rgb();
    return std::uint32_t(qRed(rgb)) | std::uint32_t(qGreen(rgb)) << 8 | std::uint32_t(qBlue(rgb)) << 16;
}

MetafilePen ToMetafilePen(const QPen &pen) {
    MetafilePen result;
    switch (pen.style()) {
    case Qt::NoPen:
        result.style = MetafilePenStyle::Null;
        break;
    case Qt::DashLine:
        result.style = MetafilePenStyle::Dash;
        break;
    case Qt::DotLine:
        result.style = MetafilePenStyle::Dot;
        break;
    case Qt::DashDotLine:
        result.style = MetafilePenStyle::DashDot;
        break;
    case Qt::DashDotDotLine:
        result.style = MetafilePenStyle::DashDotDot;
        break;
    default:
        break;
    }
    if (pen.color().alpha() == 0)
        result.style = MetafilePenStyle::Null;
    result.width = std::max(1, int(std::lround(pen.widthF())));
    result.colour = ColorRef(pen.color());
    return result;
}

MetafileBrush ToMetafileBrush(const QBrush &brush) {
    MetafileBrush result;
    result.colour = ColorRef(brush.color());
    static constexpr std::pair<Qt::BrushStyle, std::uint16_t> Hatches[] = {
        {Qt::HorPattern, 0},   {Qt::VerPattern, 1},   {Qt::FDiagPattern, 2},
        {Qt::BDiagPattern, 3}, {Qt::CrossPattern, 4}, {Qt::DiagCrossPattern, 5},
    };
    if (brush.style() == Qt::NoBrush || brush.color().alpha() == 0) {
        result.style = MetafileBrushStyle::Null;
        return result;
    }
    result.style = MetafileBrushStyle::Solid;
    for (const auto &[style, hatch] : Hatches)
        if (brush.style() == style) {
            result.style = MetafileBrushStyle::Hatched;
            result.hatch = hatch;
        }
    return result;
}

QPoint Rounded(const QPointF &p) {
    // far outside any picture, and inside the 16-bit coordinates of the records
    return QPoint(int(std::lround(std::clamp(p.x(), -30000.0, 30000.0))),
                  int(std::lround(std::clamp(p.y(), -30000.0, 30000.0))));
}

} // namespace

class MetafileEngine final : public QPaintEngine {
public:
    MetafileEngine() : QPaintEngine(AllFeatures) {}

    MetafileDrawing drawing;

    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState &state) override {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyPen)
            pen_ = state.pen();
        if (dirty & DirtyBrush)
            brush_ = state.brush();
        if (dirty & DirtyTransform)
            transform_ = state.transform();
        if (dirty & (DirtyClipRegion | DirtyClipPath | DirtyClipEnabled | DirtyTransform)) {
            const QPainter *p = painter();
            clip_ =
                p && p->hasClipping() ? p->combinedTransform().mapRect(p->clipBoundingRect()).toAlignedRect() : QRect();
            if (p && p->hasClipping() && clip_.isEmpty())
                clip_ = QRect(-1, -1, 1, 1); // clipped away entirely: nothing of it reaches the picture
        }
    }

    void drawPolygon(const QPointF *points, int count, PolygonDrawMode mode) override {
        MetafileItem item = Item(mode == PolylineMode ? MetafileItem::Kind::Polyline : MetafileItem::Kind::Polygon);
        if (mode != PolylineMode)
            item.brush = ToMetafileBrush(brush_);
        for (int i = 0; i < count; ++i)
            item.points.push_back(Rounded(transform_.map(points[i])));
        Add(std::move(item));
    }

    void drawPolygon(const QPoint *points, int count, PolygonDrawMode mode) override {
        QPolygonF polygon;
        for (int i = 0; i < count; ++i)
            polygon << QPointF(points[i]);
        drawPolygon(polygon.constData(), count, mode);
    }

    void drawLines(const QLineF *lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPointF ends[] = {lines[i].p1(), lines[i].p2()};
            drawPolygon(ends, 2, PolylineMode);
        }
    }

    void drawLines(const QLine *lines, int count) override {
        for (int i = 0; i < count; ++i) {
            const QLineF line(lines[i]);
            drawLines(&line, 1);
        }
    }

    void drawRects(const QRectF *rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPolygonF polygon(rects[i]);
            drawPolygon(polygon.constData(), int(polygon.size()) - 1, OddEvenMode);
        }
    }

    void drawRects(const QRect *rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF rect(rects[i]);
            drawRects(&rect, 1);
        }
    }

    void drawPath(const QPainterPath &path) override {
        for (const QPolygonF &polygon : path.toSubpathPolygons()) {
            const bool closed = polygon.size() > 2 && polygon.isClosed();
            drawPolygon(polygon.constData(), int(polygon.size()), closed ? OddEvenMode : PolylineMode);
        }
    }

    void drawPoints(const QPointF *points, int count) override {
        for (int i = 0; i < count; ++i) {
            const QPointF ends[] = {points[i], points[i] + QPointF(1, 0)};
            drawPolygon(ends, 2, PolylineMode);
        }
    }

    void drawTextItem(const QPointF &p, const QTextItem &textItem) override {
        MetafileItem item = Item(MetafileItem::Kind::Text);
        item.text = textItem.text();
        const QFont font = textItem.font();
        item.font.family = font.family();
        item.font.height = font.pixelSize() > 0 ? font.pixelSize() : int(std::lround(font.pointSizeF() * 96.0 / 72.0));
        item.font.weight = font.bold() ? 700 : 400;
        item.font.italic = font.italic();
        item.font.escapement =
            int(std::lround(-std::atan2(transform_.m12(), transform_.m11()) * 1800.0 / std::numbers::pi));
        const QFontMetricsF metrics(font);
        for (QChar c : item.text)
            item.advances.push_back(int(std::lround(metrics.horizontalAdvance(c))));
        item.points.push_back(Rounded(transform_.map(p)));
        Add(std::move(item));
    }

    void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}

private:
    MetafileItem Item(MetafileItem::Kind kind) const {
        MetafileItem item;
        item.kind = kind;
        item.pen = ToMetafilePen(pen_);
        item.brush.style = MetafileBrushStyle::Null;
        item.clip = clip_;
        return item;
    }

    void Add(MetafileItem &&item) {
        if (item.kind == MetafileItem::Kind::Polygon && item.pen.style == MetafilePenStyle::Null &&
            item.brush.style == MetafileBrushStyle::Null)
            return;
        if (item.kind == MetafileItem::Kind::Polyline && item.pen.style == MetafilePenStyle::Null)
            return;
        drawing.items.push_back(std::move(item));
    }

    QPen pen_;
    QBrush brush_;
    QTransform transform_;
    QRect clip_;
};

MetafileRecorder::MetafileRecorder(QSize size) : engine_(std::make_unique<MetafileEngine>()) {
    engine_->drawing.size = size;
}

MetafileRecorder::~MetafileRecorder() = default;

QPaintEngine *MetafileRecorder::paintEngine() const {
    return engine_.get();
}

const MetafileDrawing &MetafileRecorder::Drawing() const {
    return engine_->drawing;
}

int MetafileRecorder::metric(PaintDeviceMetric metric) const {
    const QSize size = engine_->drawing.size;
    switch (metric) {
    case PdmWidth:
        return size.width();
    case PdmHeight:
        return size.height();
    case PdmWidthMM:
        return size.width() * 254 / 960;
    case PdmHeightMM:
        return size.height() * 254 / 960;
    case PdmNumColors:
        return 0x7FFFFFFF;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return int(devicePixelRatioFScale());
    }
    return 0;
}
