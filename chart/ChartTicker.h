#pragma once

#include <qcustomplot.h>

class TChartAxis;

// Tick positions and labels of a TChartAxis: the axis's increment while its labels fit, a multiple of it
// by a power of two when they would crowd, the library's own choice without an increment; labels by the
// axis's value format.
class ChartTicker final : public QCPAxisTicker {
public:
    ChartTicker(const TChartAxis &axis, const QCPAxis &drawnAxis) : axis_(axis), drawnAxis_(drawnAxis) {}

protected:
    double getTickStep(const QCPRange &range) override;
    QString getTickLabel(double tick, const QLocale &locale, QChar formatChar, int precision) override;

private:
    const TChartAxis &axis_;
    const QCPAxis &drawnAxis_;
};
