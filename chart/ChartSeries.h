#pragma once

#include <QColor>
#include <QString>

#include <functional>
#include <vector>

class TChartAxis;
class SeriesPlottable;

// A series of points of a TChart. A gap is a point whose y is NaN: lines break there, areas leave it out and
// the range functions skip it. A line series draws in its own colour; a stairs area series holds each y up to
// the next point, fills down to the bottom of the plot and gives each step the colour of the point that ends it.
class TChartSeries {
public:
    enum class Style { Line, StairsArea };
    // In the order the colour dialog lists them.
    enum class PointerStyle { Rectangle, Circle, Triangle, DownTriangle, Cross, DiagCross, Star, Diamond, SmallDot };
    static constexpr int PointerStyleCount = 9;

    TChartSeries(const TChartSeries &) = delete;
    TChartSeries &operator=(const TChartSeries &) = delete;

    Style SeriesStyle() const { return style_; }

    // Keeps x ascending unless the series is unordered; an invalid colour means the series colour.
    void AddXY(double x, double y, const QString &label = {}, const QColor &colour = {});
    void AddNull(double x); // a gap at x
    void Clear();

    int Count() const { return int(x_.size()); }
    double XValue(int index) const; // NaN outside 0..Count-1
    double YValue(int index) const;
    bool IsNull(int index) const; // a gap, or outside 0..Count-1
    QString Label(int index) const;
    QColor ValueColor(int index) const;                              // the point's own colour or the series colour
    void ColorRange(double fromX, double toX, const QColor &colour); // every point with x in [fromX, toX]
    // Moves each bound of an interval to the x of the point after the first pair of neighbours that holds
    // it; false when neither bound found one.
    bool SnapInterval(double &from, double &to) const;
    // Every x a number and none below the one before, as the points stand; then the two functions above
    // search instead of going through every point.
    bool XAscending() const { return ascending_; }

    // Ranges of the points that are not gaps; 0 when there is none.
    double MinXValue() const;
    double MaxXValue() const;
    double MinYValue() const;
    double MaxYValue() const;

    bool Active() const { return active_; }
    void SetActive(bool active);
    QColor Color() const { return colour_; }
    void SetColor(const QColor &colour);
    QString Title() const { return title_; }
    void SetTitle(const QString &title); // also the series' text in the chart's legend
    void SetShowInLegend(bool show);     // shown there unless taken out
    int LineWidth() const { return lineWidth_; }
    void SetLineWidth(int width);
    // A line without pen shows only its points' marks and pointers.
    bool PenVisible() const { return penVisible_; }
    void SetPenVisible(bool visible) { penVisible_ = visible; }
    bool XOrdered() const { return ordered_; }
    void SetXOrdered(bool ordered) { ordered_ = ordered; } // points added later keep x ascending

    // Point pointers of a line series.
    bool PointerVisible() const { return pointerVisible_; }
    PointerStyle Pointer() const { return pointerStyle_; }
    int PointerSize() const { return pointerSize_; }
    void SetPointer(bool visible, PointerStyle style, int size);

    // Point marks: a text box above each point that has a value, hidden until shown. The styles are
    // numbered as the stored window keys number them; another number shows the value.
    enum MarksStyle { MarksValue = 0, MarksLabel = 2, MarksLabelValue = 4, MarksXValue = 8 };
    bool MarksVisible() const { return marksVisible_; }
    int MarksStyleNumber() const { return marksStyle_; }
    void SetMarks(bool visible, int style);
    // The text of a point's mark: by the style, then as OnGetMarkText leaves it (empty: no mark).
    QString MarkText(int index) const;
    std::function<void(const TChartSeries &series, int index, QString &text)> OnGetMarkText;

    TChartAxis &VertAxis() const { return *vertAxis_; }
    void SetVertAxis(TChartAxis &axis); // the left or the right axis of the same chart

private:
    friend class TChart;
    friend class SeriesPlottable;
    TChartSeries(Style style, TChartAxis &vertical);
    bool Range(const std::vector<double> &values, bool maximum, double &result) const;
    bool SnapBound(double &bound) const;

    Style style_;
    std::vector<double> x_, y_;
    std::vector<QRgb> colours_;   // 0 for the series colour
    std::vector<QString> labels_; // empty until a point gets a label
    QColor colour_{0xFF, 0xCB, 0xC0};
    QString title_;
    int lineWidth_ = 1;
    bool penVisible_ = true;
    bool active_ = true;
    bool ordered_ = true;
    bool ascending_ = true;
    bool pointerVisible_ = false;
    bool marksVisible_ = false;
    int marksStyle_ = MarksLabelValue;
    PointerStyle pointerStyle_ = PointerStyle::Rectangle;
    int pointerSize_ = 1;
    TChartAxis *vertAxis_;
    SeriesPlottable *plottable_ = nullptr;
};
