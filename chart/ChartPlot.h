#pragma once

#include <qcustomplot.h>

class TChart;

// The QCustomPlot inside a TChart: hands the mouse to the chart's gestures, draws the chart's after-draw
// painting on a layer above the curves and axes, and the zoom frame above that.
//
// On screen the chart is drawn into one paint buffer that its own background makes opaque, and the
// widget copies that buffer: a full-size chart redrawn with every block is bound by memory traffic, and
// this saves a second buffer's clearing and compositing and the widget's own background fill. Pictures and
// prints draw the layers as before.
class ChartPlot final : public QCustomPlot {
public:
    explicit ChartPlot(TChart &chart);
    void ShowZoomFrame(const QRect &frame); // an empty frame hides it

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    TChart &chart_;
    class ZoomFrame *frame_;
    class ViewportGround *ground_;
    bool OpaqueBuffer() const;
    bool UseOpaqueImageBuffer();
};
