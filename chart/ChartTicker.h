#pragma once

#include <qcustomplot.h>

#include <optional>

class TChartAxis;

// Tick positions and labels of a TChartAxis: the axis's increment while its labels fit, a multiple of it
// by a power of two when they would crowd, the library's own choice without an increment; labels by the
// axis's value format.
class ChartTicker final : public QCPAxisTicker {
public:
    ChartTicker(const TChartAxis &axis, const QCPAxis &drawnAxis) : axis_(axis), drawnAxis_(drawnAxis) {}
    // The ticks and labels of the last call again while nothing they follow changed: a chart lays out its
    // axes at every drawing, mostly over the same ranges.
    void generate(const QCPRange &range, const QLocale &locale, QChar formatChar, int precision,
                  QVector<double> &ticks, QVector<double> *subTicks, QVector<QString> *tickLabels) override;

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

    struct Generated {
        double lower, upper, increment;
        QString valueFormat;
        int length, tickCount;
        double tickOrigin;
        QFont font;
        QLocale locale;
        QChar formatChar;
        int precision;
        bool withSubTicks, withLabels;
        bool operator==(const Generated &) const = default;
    };
    std::optional<Generated> generated_;
    QVector<double> ticks_, subTicks_;
    QVector<QString> labels_;
};
