#include "chart/Chart.h"

#include "chart/ChartPlot.h"
#include "chart/SeriesPlottable.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

TChart::TChart(QWidget *parent) : QWidget(parent), plot_(new ChartPlot(*this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);

    left_.reset(new TChartAxis(plot_->yAxis));
    right_.reset(new TChartAxis(plot_->yAxis2));
    bottom_.reset(new TChartAxis(plot_->xAxis));
    plot_->xAxis2->setVisible(false);
    plot_->yAxis2->setVisible(false);
    SetBackColor(Qt::white);
    connect(plot_, &QCustomPlot::beforeReplot, this, &TChart::ApplyAutomaticAxes);
}

TChart::~TChart() {
    // the plot's series refer to ours
    delete plot_;
}

TChartSeries *TChart::AddSeries(TChartSeries::Style style) {
    auto series = std::unique_ptr<TChartSeries>(new TChartSeries(style, *left_));
    series->plottable_ = new SeriesPlottable(*series, plot_->xAxis, plot_->yAxis);
    series_.push_back(std::move(series));
    return series_.back().get();
}

void TChart::RemoveSeries(TChartSeries *series) {
    const auto it = std::find_if(series_.begin(), series_.end(), [&](const auto &s) { return s.get() == series; });
    if (it == series_.end())
        return;
    plot_->removePlottable((*it)->plottable_);
    series_.erase(it);
}

TChartSeries *TChart::Series(int index) const {
    return index >= 0 && index < SeriesCount() ? series_[std::size_t(index)].get() : nullptr;
}

void TChart::SetLegendVisible(bool visible) {
    plot_->legend->setVisible(visible);
}

QRect TChart::ChartRect() const {
    return plot_->axisRect()->rect();
}

QColor TChart::BackColor() const {
    return plot_->axisRect()->backgroundBrush().color();
}

void TChart::SetBackColor(const QColor &colour) {
    if (!colour.isValid())
        return;
    plot_->setBackground(colour);
    plot_->axisRect()->setBackground(colour);
}

void TChart::Repaint() {
    UpdateSeries();
    plot_->Draw(QCustomPlot::rpImmediateRefresh);
}

void TChart::UpdateSeries() {
    if (!seriesOutdated_)
        return;
    seriesOutdated_ = false;
    if (updateSeries_)
        updateSeries_();
}

void TChart::RepaintLater(bool screenRate) {
    if (repaintQueued_)
        return;
    repaintQueued_ = true;
    int wait = 0;
    if (screenRate && lastDrawing_.isValid()) {
        const qreal rate = screen() ? screen()->refreshRate() : 60;
        const int interval = int(1000 / std::max<qreal>(rate, 1));
        wait = int(std::max<qint64>(interval - lastDrawing_.elapsed(), 0));
    }
    waitingForScreen_ = wait > 0;
    QTimer::singleShot(wait, this, [this] {
        if (repaintQueued_)
            DrawQueued();
    });
}

// The plot is drawn with the window's next paint, straight on the screen where it can be.
void TChart::DrawQueued() {
    repaintQueued_ = false;
    waitingForScreen_ = false;
    if (!OnScreen()) {
        seriesOutdated_ = true;
        return;
    }
    UpdateSeries();
    plot_->Draw(QCustomPlot::rpQueuedRefresh);
    lastDrawing_.start();
}

bool TChart::OnScreen() const {
    if (!isVisible() || window()->isMinimized())
        return false;
    for (const QWidget *w = parentWidget(); w; w = w->parentWidget()) {
        const auto *sub = qobject_cast<const QMdiSubWindow *>(w);
        if (!sub)
            continue;
        if (sub->isMinimized())
            return false;
        if (const QMdiArea *area = sub->mdiArea()) {
            const QList<QMdiSubWindow *> stack = area->subWindowList(QMdiArea::StackingOrder);
            for (qsizetype i = stack.indexOf(const_cast<QMdiSubWindow *>(sub)) + 1; i < stack.size(); ++i)
                if (stack[i]->isVisible() && stack[i]->isMaximized())
                    return false;
        }
    }
    return true;
}

void TChart::ApplyAutomaticAxes() {
    for (TChartAxis *axis : Axes()) {
        if (!axis->Automatic())
            continue;
        bool found = false;
        double lower = 0, upper = 0;
        for (const auto &series : series_) {
            if (!series->Active() || (axis != bottom_.get() && &series->VertAxis() != axis))
                continue;
            const std::vector<double> &values = axis == bottom_.get() ? series->x_ : series->y_;
            double low = 0, high = 0;
            if (!series->Range(values, false, low) || !series->Range(values, true, high))
                continue;
            lower = found ? std::min(lower, low) : low;
            upper = found ? std::max(upper, high) : high;
            found = true;
        }
        if (found)
            axis->SetMinMax(lower, upper);
    }
}

void TChart::DrawAfter(QPainter &painter, const QRect &chartRect) {
    for (TChartAxis *axis : Axes())
        axis->RememberDrawing();
    if (afterDraw_)
        afterDraw_(painter, chartRect);
}
