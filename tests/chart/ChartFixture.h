#pragma once

#include "chart/Chart.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

// A chart of a fixed size that has been laid out, as a window shows it.
class ChartFixture : public ::testing::Test {
protected:
    ChartFixture() {
        chart.resize(400, 300);
        chart.BottomAxis().SetMinMax(0, 10);
        chart.LeftAxis().SetMinMax(0, 10);
        chart.show();
        chart.Repaint();
    }
    QCustomPlot &Plot() { return *chart.findChild<QCustomPlot *>(); }

    TChart chart;
};
