#pragma once

#include <qcustomplot.h>

class TChart;

// The QCustomPlot inside a TChart: hands the mouse to the chart's gestures, draws the chart's after-draw
// painting on a layer above the curves and axes, and the zoom frame above that.
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

private:
    TChart &chart_;
    class ZoomFrame *frame_;
};
