#include "chart/ChartPlot.h"

#include "chart/Chart.h"

#include <utility>

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
}

// Only a plain opaque background lets the layers paint over the widget's old picture without a buffer.
bool ChartPlot::PaintsDirectly() const {
    return mBackgroundBrush.style() == Qt::SolidPattern && mBackgroundBrush.color().alpha() == 255 &&
           mBackgroundPixmap.isNull();
}

void ChartPlot::Draw(RefreshPriority priority) {
    if (!PaintsDirectly() || !isVisible()) {
        replot(priority);
        return;
    }
    drawingAsked_ = true;
    // Charts drawn in one turn of the event loop are painted together, with one flush to the screen.
    if (priority != rpImmediateRefresh) {
        update();
        return;
    }
    repaint();
    // A window not on the screen yet paints nothing: the chart is laid out and drawn as QCustomPlot does,
    // and painted when its window shows.
    if (std::exchange(drawingAsked_, false))
        replot(priority);
}

void ChartPlot::paintEvent(QPaintEvent *event) {
    // A drawing asked for and not done yet is done now, so that the screen never shows an older picture
    // than the series. Series put off while the chart was covered or its window minimised are filled after
    // this paint, since filling them may draw. A drawing that waits for the screen's refresh stays waiting.
    if (!chart_.waitingForScreen_ && chart_.OnScreen()) {
        if (chart_.seriesOutdated_) {
            chart_.RepaintLater();
        } else if (chart_.repaintQueued_ && PaintsDirectly()) {
            chart_.repaintQueued_ = false;
            chart_.lastDrawing_.start();
            drawingAsked_ = true;
        } else if (chart_.repaintQueued_) {
            chart_.DrawQueued();
        }
    }
    if (!PaintsDirectly()) {
        QCustomPlot::paintEvent(event);
        return;
    }
    QCPPainter painter(this);
    if (painter.isActive())
        PaintLayers(painter);
}

// The whole chart over the widget's area; the paint event clips it to what needs painting. A paint that
// Qt asks for by itself (the chart uncovered, resized or grabbed) shows the same drawing again and is no
// replot of its own.
void ChartPlot::PaintLayers(QCPPainter &painter) {
    const bool asked = std::exchange(drawingAsked_, false);
    if (asked)
        emit beforeReplot();
    // The axis rect's background is the plot's own colour most often: the plot's fill has painted it.
    const QBrush axisBrush = axisRect()->backgroundBrush();
    if (axisBrush == mBackgroundBrush)
        axisRect()->setBackground(QBrush(Qt::NoBrush));
    painter.fillRect(mViewport, mBackgroundBrush);
    draw(&painter);
    axisRect()->setBackground(axisBrush);
    if (asked)
        emit afterReplot();
}

void ChartPlot::ShowZoomFrame(const QRect &frame) {
    frame_->frame = frame.normalized();
    Draw(rpQueuedReplot);
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
