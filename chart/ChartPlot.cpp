#include "chart/ChartPlot.h"

#include "chart/Chart.h"

// Calls the chart's after-draw painting with the plot rectangle, at every drawing.
class AfterDrawLayer final : public QCPLayerable {
public:
    AfterDrawLayer(QCustomPlot *plot, TChart &chart) : QCPLayerable(plot, QStringLiteral("afterdraw")), chart_(chart) {}

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override { painter->setAntialiasing(false); }
    QRect clipRect() const override { return mParentPlot->viewport(); }
    void draw(QCPPainter *painter) override {
        painter->save();
        chart_.DrawAfter(*painter, mParentPlot->axisRect()->rect());
        painter->restore();
    }

private:
    TChart &chart_;
};

class ZoomFrame final : public QCPLayerable {
public:
    explicit ZoomFrame(QCustomPlot *plot) : QCPLayerable(plot, QStringLiteral("overlay")) {}
    QRect frame;

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override { painter->setAntialiasing(false); }
    QRect clipRect() const override { return mParentPlot->viewport(); }
    void draw(QCPPainter *painter) override {
        if (frame.isEmpty())
            return;
        painter->setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(frame);
    }
};

// The plot's background over the whole viewport, below everything else, while the chart is drawn into its
// paint buffer for the screen, so that the buffer comes out opaque. Pictures fill their own background.
class ViewportGround final : public QCPLayerable {
public:
    explicit ViewportGround(QCustomPlot *plot) : QCPLayerable(plot, QStringLiteral("ground")) {}
    QBrush brush;
    QBrush axisBrush; // the axis rect's own, put back after the drawing
    bool onScreen = false;

protected:
    void applyDefaultAntialiasingHint(QCPPainter *painter) const override { painter->setAntialiasing(false); }
    // The layer moves every clip rectangle up by a pixel; the ground reaches the viewport's last row too.
    QRect clipRect() const override { return mParentPlot->viewport().adjusted(0, 0, 0, 1); }
    void draw(QCPPainter *painter) override {
        if (onScreen)
            painter->fillRect(mParentPlot->viewport(), brush);
    }
};

// The one paint buffer of the screen as an image without alpha, cleared to the plot's background: copying it
// to the widget is a plain copy of its rows, where the pixmap QCustomPlot makes (cleared transparent) is
// blended pixel by pixel.
class OpaqueImageBuffer final : public QCPAbstractPaintBuffer {
public:
    OpaqueImageBuffer(const QSize &size, double ratio, const QColor &background)
        : QCPAbstractPaintBuffer(size, ratio), background_(background) {
        reallocateBuffer();
    }
    QCPPainter *startPainting() override { return new QCPPainter(&image_); }
    void draw(QCPPainter *painter) const override {
        if (painter && painter->isActive())
            painter->drawImage(0, 0, image_);
    }
    void clear(const QColor &) override { image_.fill(background_); }
    void SetBackground(const QColor &colour) { background_ = colour; }

protected:
    void reallocateBuffer() override {
        image_ = QImage(mSize * mDevicePixelRatio, QImage::Format_RGB32);
        image_.setDevicePixelRatio(mDevicePixelRatio);
        setInvalidated();
    }

private:
    QImage image_;
    QColor background_;
};

ChartPlot::ChartPlot(TChart &chart) : QCustomPlot(&chart), chart_(chart) {
    setInteractions({});
    setNotAntialiasedElements(QCP::aeAll);
    setPlottingHint(QCP::phFastPolylines, true);
    addLayer(QStringLiteral("afterdraw"), layer(QStringLiteral("legend")), QCustomPlot::limAbove);
    new AfterDrawLayer(this, chart);
    frame_ = new ZoomFrame(this);
    // Every layer in the one buffer; the zoom frame then redraws the whole chart, which is quick enough
    // for a mouse drag.
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    addLayer(QStringLiteral("ground"), layer(QStringLiteral("background")), QCustomPlot::limBelow);
    ground_ = new ViewportGround(this);
    // The axis rect's background is the plot's own colour: on screen the ground has painted it already.
    connect(this, &QCustomPlot::beforeReplot, this, [this] {
        ground_->brush = mBackgroundBrush;
        ground_->onScreen = !UseOpaqueImageBuffer();
        ground_->axisBrush = axisRect()->backgroundBrush();
        if (ground_->axisBrush == mBackgroundBrush)
            axisRect()->setBackground(QBrush(Qt::NoBrush));
    });
    connect(this, &QCustomPlot::afterReplot, this, [this] {
        ground_->onScreen = false;
        axisRect()->setBackground(ground_->axisBrush);
    });
}

// With one buffer on an opaque background the buffer itself is cleared to the background, and the ground
// has nothing to add; else QCustomPlot's own buffers and the ground.
bool ChartPlot::UseOpaqueImageBuffer() {
    const bool opaque = mPaintBuffers.size() <= 1 && mBackgroundBrush.style() == Qt::SolidPattern &&
                        mBackgroundBrush.color().alpha() == 255 && mBackgroundPixmap.isNull();
    if (!opaque) {
        if (!mPaintBuffers.isEmpty() && dynamic_cast<OpaqueImageBuffer *>(mPaintBuffers.first().data()))
            mPaintBuffers.clear();
        return false;
    }
    if (mPaintBuffers.isEmpty() || !dynamic_cast<OpaqueImageBuffer *>(mPaintBuffers.first().data())) {
        mPaintBuffers.clear();
        mPaintBuffers.append(QSharedPointer<QCPAbstractPaintBuffer>(
            new OpaqueImageBuffer(viewport().size(), bufferDevicePixelRatio(), mBackgroundBrush.color())));
    }
    static_cast<OpaqueImageBuffer *>(mPaintBuffers.first().data())->SetBackground(mBackgroundBrush.color());
    return true;
}

bool ChartPlot::OpaqueBuffer() const {
    return mPaintBuffers.size() == 1 && mBackgroundBrush.style() == Qt::SolidPattern &&
           mBackgroundBrush.color().alpha() == 255 && mBackgroundPixmap.isNull() &&
           qFuzzyCompare(bufferDevicePixelRatio(), devicePixelRatioF());
}

void ChartPlot::paintEvent(QPaintEvent *event) {
    // A drawing asked for and not done yet is done now, so that the screen never shows an older picture
    // than the series. Series put off while the chart was covered or its window minimised are filled after
    // this paint, since filling them may draw. A drawing that waits for the screen's refresh stays waiting.
    if (!chart_.waitingForScreen_ && chart_.OnScreen()) {
        if (chart_.seriesOutdated_)
            chart_.RepaintLater();
        else if (chart_.repaintQueued_)
            chart_.DrawQueued();
    }
    if (!OpaqueBuffer()) {
        QCustomPlot::paintEvent(event);
        return;
    }
    QCPPainter painter(this);
    if (!painter.isActive())
        return;
    mPaintBuffers.first()->draw(&painter);
}

void ChartPlot::ShowZoomFrame(const QRect &frame) {
    frame_->frame = frame.normalized();
    layer(QStringLiteral("overlay"))->replot();
}

void ChartPlot::mousePressEvent(QMouseEvent *event) {
    chart_.MousePress(event);
}

void ChartPlot::mouseMoveEvent(QMouseEvent *event) {
    chart_.MouseMove(event);
}

void ChartPlot::mouseReleaseEvent(QMouseEvent *event) {
    chart_.MouseRelease(event);
}

void ChartPlot::mouseDoubleClickEvent(QMouseEvent *) {
    emit chart_.OnDblClick();
}

void ChartPlot::wheelEvent(QWheelEvent *event) {
    chart_.Wheel(event);
}

void ChartPlot::resizeEvent(QResizeEvent *event) {
    QCustomPlot::resizeEvent(event);
    emit chart_.OnResize();
}
