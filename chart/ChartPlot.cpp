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

ChartPlot::ChartPlot(TChart &chart) : QCustomPlot(&chart), chart_(chart) {
    setInteractions({});
    setNotAntialiasedElements(QCP::aeAll);
    setPlottingHint(QCP::phFastPolylines, true);
    addLayer(QStringLiteral("afterdraw"), layer(QStringLiteral("legend")), QCustomPlot::limAbove);
    new AfterDrawLayer(this, chart);
    frame_ = new ZoomFrame(this);
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
