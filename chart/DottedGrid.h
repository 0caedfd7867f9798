#pragma once

#include <qcustomplot.h>

// The grid of an axis as QCustomPlot draws it, with its dotted lines set straight into the pixels of an
// image when the painter draws into one without scaling: the raster engine steps a dotted line pixel by
// pixel through the dash pattern, and a full-size chart's grid then costs more than clearing the chart.
// The dots are the ones the dotted cosmetic pen gives, a dot every third pixel from the line's start; every
// other drawing (antialiased, vectorised, printed, scaled, a pen of another kind) is QCustomPlot's own.
class DottedGrid final : public QCPGrid {
public:
    using QCPGrid::QCPGrid;
    // Puts a dotted grid in place of the axis' own, with the same pens and visibility.
    static void Install(QCPAxis &axis);

protected:
    void draw(QCPPainter *painter) override;
};
