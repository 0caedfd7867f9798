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
    // The width of a label in the axis' font: measuring shapes the text, at every drawing of the chart.
    int LabelWidth(const QString &label);

    const TChartAxis &axis_;
    const QCPAxis &drawnAxis_;
    QHash<QString, int> labelWidths_; // of the font below; a few hundred at most
    QFont widthsFont_;
};
