#pragma once

#include "chart/StairsColumns.h"

#include <qcustomplot.h>

class TChartSeries;

// Draws a TChartSeries in its chart: lines broken at gaps with optional point marks, or the stairs area
// with one colour per step. Ranges skip the gaps.
class SeriesPlottable final : public QCPAbstractPlottable {
public:
    SeriesPlottable(const TChartSeries &series, QCPAxis *keyAxis, QCPAxis *valueAxis);

    double selectTest(const QPointF &, bool, QVariant *) const override { return -1; }
    QCPRange getKeyRange(bool &foundRange, QCP::SignDomain inSignDomain) const override;
    QCPRange getValueRange(bool &foundRange, QCP::SignDomain inSignDomain, const QCPRange &inKeyRange) const override;

protected:
    void draw(QCPPainter *painter) override;
    void drawLegendIcon(QCPPainter *painter, const QRectF &rect) const override;

private:
    void DrawLine(QCPPainter *painter) const;
    void DrawWideLine(QCPPainter *painter) const;
    void DrawPointers(QCPPainter *painter) const;
    void DrawMarks(QCPPainter *painter) const;
    void DrawStairs(QCPPainter *painter);

    const TChartSeries &series_;
    TStairsColumns columns_;
    mutable QList<QLineF> steps_; // kept from drawing to drawing
};
