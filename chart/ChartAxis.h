#pragma once

#include <QString>

class QCPAxis;
class TChart;

// One axis of a TChart (left, right or bottom). Setting a range from code never raises the chart's zoom or
// scroll events. Pixel conversions use the scale of the last drawing, which is what a zoom or scroll
// handler needs to find the range the axis showed before the user changed it.
class TChartAxis {
public:
    TChartAxis(const TChartAxis &) = delete;
    TChartAxis &operator=(const TChartAxis &) = delete;

    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }
    void SetMinimum(double value) { SetMinMax(value, maximum_); }
    void SetMaximum(double value) { SetMinMax(minimum_, value); }
    void SetMinMax(double a, double b); // reversed limits are swapped; a non-finite limit leaves the range as it is

    double Increment() const { return increment_; }
    void SetIncrement(double increment); // label step; 0 (or a step too small for the axis) lets the axis choose

    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool automatic); // the range follows the active series of this axis at every drawing

    bool Visible() const;
    void SetVisible(bool visible);
    QString Title() const;
    void SetTitle(const QString &title);
    QString ValueFormat() const { return valueFormat_; }
    void SetValueFormat(const QString &pattern); // label pattern, e.g. "###0.#####" or "# ### ##0.#"

    int MaxLabelsWidth() const; // pixels of the widest label of the current range

    bool Horizontal() const;
    double CalcPosPoint(int pixel) const; // pixel to value
    int CalcPosValue(double value) const; // value to pixel; a non-finite value gives the axis's start

private:
    friend class TChart;
    friend class TChartSeries;
    explicit TChartAxis(QCPAxis *axis);
    void Apply();           // hands the range to the drawing
    void RememberDrawing(); // keeps the scale of the drawing being made
    QCPAxis *Axis() const { return axis_; }

    QCPAxis *axis_;
    double minimum_ = 0;
    double maximum_ = 100;
    double increment_ = 0;
    bool automatic_ = false;
    QString valueFormat_ = QStringLiteral("###0.###");

    // scale of the last drawing: the pixel of drawnLower_ and the pixels per unit (negative upwards)
    double drawnLower_ = 0;
    double drawnStart_ = 0;
    double drawnPixelsPerUnit_ = 0;
    bool drawn_ = false;
};
