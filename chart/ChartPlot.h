#pragma once

#include <qcustomplot.h>

class TChart;

// The QCustomPlot inside a TChart: hands the mouse to the chart's gestures, draws the chart's after-draw
// painting on a layer above the curves and axes, and the zoom frame above that.
//
// On screen a chart on an opaque background paints its layers straight into the widget in its paint event,
// with no buffer of its own: a full-size chart redrawn with every block is bound by memory traffic, and a
// buffer costs a clearing and a copy of every pixel at each drawing. QCustomPlot's own buffers then serve
// only a chart that cannot paint yet (hidden, or its window not shown on the screen yet), which still lays
// out at once. Pictures and prints draw the layers as before.
class ChartPlot final : public QCustomPlot {
public:
    explicit ChartPlot(TChart &chart);
    void ShowZoomFrame(const QRect &frame); // an empty frame hides it
    // A drawing with the current data and ranges: rpImmediateRefresh painted at once, else at the next paint
    // of the window. beforeReplot and afterReplot come with it, as with replot.
    void Draw(RefreshPriority priority);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool PaintsDirectly() const;
    void PaintLayers(QCPPainter &painter);

    TChart &chart_;
    class ZoomFrame *frame_;
    bool drawingAsked_ = false; // a drawing asked for by Draw and not painted yet
};
