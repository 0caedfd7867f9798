#pragma once

#include "chart/ChartAxis.h"
#include "chart/ChartSeries.h"

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class ChartPlot;
struct MetafileDrawing;

// A chart with a left, a right and a bottom axis and series reached by index, drawn by QCustomPlot.
// The user zooms by dragging a rectangle to the lower right with the left button, undoes the zoom by dragging
// the other way, scrolls by dragging with the right button and steps with the wheel. Those gestures alone
// raise OnZoom, OnUndoZoom, OnScroll and OnMouseWheel; ranges set by code raise nothing.
class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget *parent = nullptr);
    ~TChart() override;

    TChartAxis &LeftAxis() { return *left_; }
    TChartAxis &RightAxis() { return *right_; }
    TChartAxis &BottomAxis() { return *bottom_; }

    TChartSeries *AddSeries(TChartSeries::Style style); // on the left axis; the chart owns it
    void RemoveSeries(TChartSeries *series);
    int SeriesCount() const { return int(series_.size()); }
    TChartSeries *Series(int index) const; // null outside 0..SeriesCount-1

    // The plot rectangle of the last drawing (empty before the first).
    QRect ChartRect() const;
    int ChartWidth() const { return ChartRect().width(); }
    int ChartHeight() const { return ChartRect().height(); }
    int ChartXCenter() const { return ChartRect().center().x(); }
    int ChartYCenter() const { return ChartRect().center().y(); }

    QColor BackColor() const;
    void SetBackColor(const QColor &colour);
    bool AllowZoom() const { return allowZoom_; }
    void SetAllowZoom(bool allow) { allowZoom_ = allow; }
    bool AllowPanning() const { return allowPanning_; }
    void SetAllowPanning(bool allow) { allowPanning_ = allow; }

    bool Zoomed() const { return zoomed_; }
    // The legend of the series' titles, at the upper right of the plot; hidden until shown. A press on it
    // raises OnClickLegend instead of starting a gesture.
    void SetLegendVisible(bool visible);
    void UndoZoom(); // back to the ranges from before the first zoom or scroll; raises nothing
    // Zooms from code as the user's gestures do, raising OnZoom and OnUndoZoom: to the values under a
    // pixel rectangle (which may reach beyond the plot), to percent of the plot around its centre (120
    // shows 1/1.2 of the span, 80 shows 1.25 times it), and back to the unzoomed ranges.
    void ZoomRect(QRect pixels);
    void ZoomPercent(double percent);
    void UndoZoomByCode();

    // Called at every drawing (screen, picture, print) after the series and axes, with the plot rectangle.
    using AfterDrawHandler = std::function<void(QPainter &painter, const QRect &chartRect)>;
    void SetOnAfterDraw(AfterDrawHandler handler) { afterDraw_ = std::move(handler); }

    void Repaint(); // draws now
    // Draws once at the end of this turn of the event loop, however often it is asked to in the turn; with
    // screenRate at most once per refresh of the screen (for data that comes faster than that, as in
    // playback). A chart that is not on screen draws nothing then and is drawn when it shows again.
    void RepaintLater(bool screenRate = false);
    bool RepaintPending() const { return repaintQueued_; }
    // False while the chart is hidden, its window minimised, or the MDI window that holds it covered wholly
    // by a maximised sibling above it.
    bool OnScreen() const;
    // The owner put off filling the series while the chart was not on screen: the handler fills them before
    // the next drawing of any kind (screen, picture, print), so that every picture shows the current data.
    void SetOnUpdateSeries(std::function<void()> handler) { updateSeries_ = std::move(handler); }
    void SeriesOutdated() { seriesOutdated_ = true; }

    // Pictures at the chart's size. Extensions are compared without regard to case; SavePicture writes
    // ".bmp", ".jpg", ".emf" and ".wmf" and nothing else. Each returns false when nothing was written.
    QImage Bitmap();
    // The bitmap with a one-pixel black frame, reduced to the 16 colours of the system palette (an
    // indexed image with 16 colour-table entries); null when the chart has no size.
    QImage FramedBitmap16();
    bool SavePicture(const QString &path);
    bool SaveToBitmapFile(const QString &path);
    bool SaveToJpegFile(const QString &path); // black frame, 16 colours, quality 90
    bool SaveToMetafileEnh(const QString &path);
    bool SaveToMetafile(const QString &path);
    void CopyToClipboardBitmap();
    bool Print(QPrinter &printer); // the bitmap on one page, as large as fits

signals:
    void OnZoom();
    void OnUndoZoom();
    void OnScroll();
    void OnMouseWheel(int delta); // whole wheel notches times 120, gathered from a burst of wheel events
    void OnClick();
    void OnDblClick();
    void OnResize();
    void OnClickLegend(QPoint globalPosition);

private:
    friend class ChartPlot;
    friend class AfterDrawLayer;
    void ApplyAutomaticAxes();
    void UpdateSeries();
    void DrawQueued();
    void DrawAfter(QPainter &painter, const QRect &chartRect);
    std::vector<TChartAxis *> Axes() const { return {left_.get(), right_.get(), bottom_.get()}; }

    // gestures
    void MousePress(QMouseEvent *event);
    void MouseMove(QMouseEvent *event);
    void MouseRelease(QMouseEvent *event);
    void Wheel(QWheelEvent *event);
    void ZoomTo(QRect pixels);
    void ScrollBy(QPoint pixels);
    void RememberUnzoomed();
    void EmitWheel();

    bool SaveMetafile(const QString &path, QByteArray (*format)(const MetafileDrawing &));

    ChartPlot *plot_;
    std::unique_ptr<TChartAxis> left_, right_, bottom_;
    std::vector<std::unique_ptr<TChartSeries>> series_;
    AfterDrawHandler afterDraw_;
    std::function<void()> updateSeries_;
    bool seriesOutdated_ = false;
    bool repaintQueued_ = false;
    bool waitingForScreen_ = false; // the queued drawing waits for the screen's next refresh
    QElapsedTimer lastDrawing_;
    bool allowZoom_ = true;
    bool allowPanning_ = true;

    enum class Gesture { None, Zoom, Scroll };
    Gesture gesture_ = Gesture::None;
    QPoint pressAt_, lastAt_;
    bool zoomed_ = false;
    struct Range {
        double minimum, maximum;
    };
    std::vector<Range> unzoomed_;
    int wheelDelta_ = 0;
    bool wheelPending_ = false;
};
