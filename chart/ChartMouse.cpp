#include "chart/Chart.h"

#include "chart/ChartPlot.h"

#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

namespace {
// A left drag shorter than this both ways is a click.
constexpr int MinimumDragPixels = 16;
constexpr int WheelNotch = 120;
} // namespace

void TChart::MousePress(QMouseEvent *event) {
    pressAt_ = lastAt_ = event->pos();
    gesture_ = Gesture::None;
    if (plot_->legend->visible() && plot_->legend->outerRect().contains(event->pos())) {
        emit OnClickLegend(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton && allowZoom_)
        gesture_ = Gesture::Zoom;
    else if (event->button() == Qt::RightButton && allowPanning_)
        gesture_ = Gesture::Scroll;
}

void TChart::MouseMove(QMouseEvent *event) {
    const QPoint delta = event->pos() - lastAt_;
    lastAt_ = event->pos();
    if (gesture_ == Gesture::Zoom)
        plot_->ShowZoomFrame(QRect(pressAt_, lastAt_));
    else if (gesture_ == Gesture::Scroll && !delta.isNull())
        ScrollBy(delta);
}

void TChart::MouseRelease(QMouseEvent *event) {
    const Gesture gesture = std::exchange(gesture_, Gesture::None);
    const QPoint drag = event->pos() - pressAt_;
    const bool click = std::abs(drag.x()) < MinimumDragPixels && std::abs(drag.y()) < MinimumDragPixels;
    if (gesture == Gesture::Zoom)
        plot_->ShowZoomFrame({});
    if (event->button() != Qt::LeftButton)
        return;
    if (click) {
        emit OnClick();
    } else if (gesture == Gesture::Zoom && drag.x() > 0 && drag.y() > 0) {
        ZoomTo(QRect(pressAt_, event->pos()));
    } else if (gesture == Gesture::Zoom) {
        UndoZoomByCode();
    }
}

void TChart::Wheel(QWheelEvent *event) {
    wheelDelta_ += event->angleDelta().y();
    if (wheelPending_)
        return;
    // the events already queued join this one, as one step of the handler
    wheelPending_ = true;
    QTimer::singleShot(0, this, &TChart::EmitWheel);
}

void TChart::EmitWheel() {
    wheelPending_ = false;
    const int notches = wheelDelta_ / WheelNotch;
    if (notches == 0)
        return;
    wheelDelta_ -= notches * WheelNotch;
    emit OnMouseWheel(notches * WheelNotch);
}

void TChart::ZoomTo(QRect pixels) {
    ZoomRect(pixels.intersected(ChartRect()));
}

void TChart::ZoomRect(QRect pixels) {
    if (pixels.isEmpty())
        return;
    RememberUnzoomed();
    bottom_->SetMinMax(bottom_->CalcPosPoint(pixels.left()), bottom_->CalcPosPoint(pixels.right()));
    for (TChartAxis *axis : {left_.get(), right_.get()})
        axis->SetMinMax(axis->CalcPosPoint(pixels.bottom()), axis->CalcPosPoint(pixels.top()));
    emit OnZoom();
    plot_->Draw(QCustomPlot::rpQueuedReplot);
}

void TChart::ScrollBy(QPoint pixels) {
    RememberUnzoomed();
    for (TChartAxis *axis : Axes()) {
        const int along = axis->Horizontal() ? pixels.x() : pixels.y();
        // the values under the mouse follow it
        const double shift = axis->CalcPosPoint(0) - axis->CalcPosPoint(along);
        axis->SetMinMax(axis->Minimum() + shift, axis->Maximum() + shift);
    }
    emit OnScroll();
    plot_->Draw(QCustomPlot::rpQueuedReplot);
}

void TChart::RememberUnzoomed() {
    if (zoomed_)
        return;
    unzoomed_.clear();
    for (const TChartAxis *axis : Axes())
        unzoomed_.push_back({axis->Minimum(), axis->Maximum()});
    zoomed_ = true;
}

void TChart::UndoZoom() {
    if (!zoomed_)
        return;
    const std::vector<TChartAxis *> axes = Axes();
    for (std::size_t i = 0; i < axes.size(); ++i)
        axes[i]->SetMinMax(unzoomed_[i].minimum, unzoomed_[i].maximum);
    zoomed_ = false;
    plot_->Draw(QCustomPlot::rpQueuedReplot);
}

void TChart::UndoZoomByCode() {
    UndoZoom();
    emit OnUndoZoom();
}

void TChart::ZoomPercent(double percent) {
    const QRect plot = ChartRect();
    if (plot.isEmpty() || !(percent > 0))
        return;
    const double width = plot.width() * 100.0 / percent;
    const double height = plot.height() * 100.0 / percent;
    const QPointF centre = QRectF(plot).center();
    ZoomRect(QRectF(centre.x() - width / 2, centre.y() - height / 2, width, height).toRect());
}
