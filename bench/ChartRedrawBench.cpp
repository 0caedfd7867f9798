// Replot of a 16384-point series offscreen through the chart layer against QCustomPlot alone on the same
// data and widget size: a line with its own graph, a stairs area with QCustomPlot's step graph filled to the
// axis. The ratios printed after the run are what the layer adds.
#include "chart/Chart.h"

#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QApplication>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int Points = 16384;
constexpr QSize WidgetSize(800, 500);

double X(int i) {
    return i * 0.5;
}

double Y(int i) {
    return -60 + 20 * std::sin(i * 0.013) + 5 * std::sin(i * 0.77);
}

void LayerReplot(benchmark::State &state, TChartSeries::Style style) {
    TChart chart;
    chart.resize(WidgetSize);
    chart.BottomAxis().SetMinMax(0, X(Points - 1));
    chart.LeftAxis().SetMinMax(-100, 0);
    TChartSeries *series = chart.AddSeries(style);
    for (int i = 0; i < Points; ++i)
        series->AddXY(X(i), Y(i), {}, i % 100 < 50 ? QColor(Qt::red) : QColor());
    chart.show();
    for (auto _ : state)
        chart.Repaint();
}

void PlotReplot(benchmark::State &state, bool stairs) {
    QCustomPlot plot;
    plot.resize(WidgetSize);
    plot.setNotAntialiasedElements(QCP::aeAll);
    plot.xAxis->setRange(0, X(Points - 1));
    plot.yAxis->setRange(-100, 0);
    QCPGraph *graph = plot.addGraph();
    if (stairs) {
        graph->setLineStyle(QCPGraph::lsStepLeft);
        graph->setBrush(Qt::red);
    }
    QVector<double> x(Points), y(Points);
    for (int i = 0; i < Points; ++i) {
        x[i] = X(i);
        y[i] = Y(i);
    }
    graph->setData(x, y, true);
    plot.show();
    for (auto _ : state)
        plot.replot(QCustomPlot::rpImmediateRefresh);
}

BENCHMARK_CAPTURE(LayerReplot, Line, TChartSeries::Style::Line)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PlotReplot, Line, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(LayerReplot, StairsArea, TChartSeries::Style::StairsArea)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PlotReplot, StairsArea, true)->Unit(benchmark::kMicrosecond);

// Prints as usual and keeps the real time per iteration of every benchmark by name.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                times[r.run_name.str()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

void PrintRatios(const RecordingReporter &reporter) {
    std::printf("\n%12s %12s %16s %8s\n", "series", "layer us", "QCustomPlot us", "ratio");
    for (const char *kind : {"Line", "StairsArea"}) {
        const auto layer = reporter.times.find(std::string("LayerReplot/") + kind);
        const auto plot = reporter.times.find(std::string("PlotReplot/") + kind);
        if (layer != reporter.times.end() && plot != reporter.times.end() && plot->second > 0)
            std::printf("%12s %12.0f %16.0f %8.2f\n", kind, layer->second, plot->second, layer->second / plot->second);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
