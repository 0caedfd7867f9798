#include "TimeSeriesFixture.h"

#include "chartlib/Chartlib.h"
#include "platform/NoValue.h"

#include <cmath>

namespace {

// A graph-point series of a test row: no row table is involved, the value comes from `Curve`.
float CurveValue = 0;
TimeSeries &PointSeries(int32_t slot, int16_t paramId, uint8_t &analyse) {
    auto series = std::make_unique<TimeSeries>();
    series->ParamId = paramId;
    series->GraphKind = 1;
    series->PointIndex = 0;
    series->AnalyseFlagPtr = &analyse;
    series->DiagramFlagPtr = &analyse;
    series->RefCount = 1;
    TimeSeriesSlots[std::size_t(slot)] = std::move(series);
    return *TimeSeriesSlots[std::size_t(slot)];
}

TEST_F(TimeSeriesTest, BindingTakesTheHighestFreeSlotAndReusesTheSlotOfItsId) {
    std::vector<std::pair<int32_t, int32_t>> shown;
    TimeSeriesViews().ShowSeries = [&](int32_t unit, int32_t slot) { shown.push_back({unit, slot}); };
    ParamDescriptor &signal = DiagramRow(2);
    BindRowTimeSeries(&signal, false);
    ASSERT_TRUE(TimeSeriesSlots[29]);
    EXPECT_EQ(TimeSeriesSlots[29]->RefCount, 1);
    EXPECT_EQ(TimeSeriesSlots[29]->UnitCode, signal.UnitGroup);
    EXPECT_EQ(TimeSeriesSlots[29]->Caption, QStringLiteral("Сигнал,дБм0\n"));
    EXPECT_EQ(TimeSeriesSlots[29]->ValuePtr, &signal.Result.Value);
    BindRowTimeSeries(&signal, false);
    EXPECT_EQ(BoundCount(), 1);
    EXPECT_EQ(TimeSeriesSlots[29]->RefCount, 2);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], std::make_pair(int32_t(signal.UnitGroup), 29));
    EXPECT_EQ(SettingsLoadState, 1);
}

TEST_F(TimeSeriesTest, AThirtyFirstBindingShowsTooManyGraphsAndBindsNothing) {
    uint8_t analyse = 1;
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        PointSeries(slot, int16_t(200 + slot), analyse);
    BindRowTimeSeries(&DiagramRow(2), false);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], QStringLiteral("Много графиков"));
    for (const auto &series : TimeSeriesSlots)
        EXPECT_NE(series->ParamId, 2);
}

TEST_F(TimeSeriesTest, BindingWaitsForTheSettingsLockAndRowsWithoutADiagramGetNone) {
    SettingsLoadState = 2;
    BindRowTimeSeries(&DiagramRow(2), false);
    EXPECT_EQ(BoundCount(), 0);
    SettingsLoadState = 1;
    ParamDescriptor &quality = DiagramRow(0);
    quality.TimeDiagramAllowed = 0;
    BindRowTimeSeries(&quality, false);
    EXPECT_EQ(BoundCount(), 0);
    quality.TimeDiagramAllowed = 1;
    BindRowTimeSeries(nullptr, true);
    EXPECT_EQ(BoundCount(), 0);
}

TEST_F(TimeSeriesTest, TurningTheRowOffReleasesItsSeriesAndItsLine) {
    std::vector<int32_t> removed;
    TimeSeriesViews().RemoveSeries = [&](int32_t, int32_t slot) { removed.push_back(slot); };
    ParamDescriptor &signal = DiagramRow(2);
    BindRowTimeSeries(&signal, true);
    signal.Settings.TimeDiagram = 0;
    BindRowTimeSeries(&signal, false);
    EXPECT_EQ(BoundCount(), 1);
    BindRowTimeSeries(&signal, true);
    EXPECT_EQ(BoundCount(), 0);
    EXPECT_EQ(removed, std::vector<int32_t>{29});
}

TEST_F(TimeSeriesTest, AGraphPointIsBoundOnceAndReadThroughItsCurve) {
    TimeSeriesViews().CurvePointValue = [](int32_t kind, int32_t index) { return float(kind * 1000 + index); };
    ParamDescriptor &spectrum = Row(1, 2); // any row with a unit group serves
    spectrum.Settings.Analyse = 1;
    BindParamTimeSeries(QStringLiteral("Спектр 1.000кГц"), 1, 7, &spectrum, false);
    BindParamTimeSeries(QStringLiteral("Спектр 1.000кГц"), 1, 7, &spectrum, false);
    ASSERT_EQ(BoundCount(), 1);
    const TimeSeries &series = *TimeSeriesSlots[29];
    EXPECT_EQ(series.RefCount, 1);
    EXPECT_EQ(series.ValuePtr, nullptr);
    EXPECT_EQ(SampledValue(series), 1007.0f);
    BindParamTimeSeries(QString(), 1, 7, &spectrum, true);
    EXPECT_EQ(BoundCount(), 0);
    BindParamTimeSeries(QStringLiteral("x"), 1, 7, nullptr, false);
    EXPECT_EQ(BoundCount(), 0);
}

TEST_F(TimeSeriesTest, CaptionsAreBoundedToTheirField) {
    ParamDescriptor &row = DiagramRow(2);
    BindParamTimeSeries(QString(500, QLatin1Char('x')), 1, 0, &row, false);
    ASSERT_TRUE(TimeSeriesSlots[29]);
    EXPECT_EQ(TimeSeriesSlots[29]->Caption.size(), TimeSeriesCaptionLength);
}

// Which frame sources a series takes: the random-event rows only meter frames, the others none of them,
// SYNC measurements every series.
TEST_F(TimeSeriesTest, FrameFilterBySource) {
    struct Case {
        int16_t paramId;
        int32_t source;
        bool taken;
    };
    const Case cases[] = {{20, 1, false}, {20, 3, false}, {20, 2, true}, {20, 4, true},  {42, 1, false},
                          {42, 2, true},  {19, 2, true},  {27, 2, true}, {28, 2, false}, {18, 2, false},
                          {5, 1, true},   {5, 3, true},   {5, 2, false}, {5, 4, true},   {150, 2, false}};
    uint8_t analyse = 1;
    for (const Case &c : cases) {
        TimeSeries &series = PointSeries(0, c.paramId, analyse);
        AppendTimeSeries(series, c.source);
        EXPECT_EQ(series.Count(), c.taken ? 1 : 0) << "id " << c.paramId << " source " << c.source;
    }
}

TEST_F(TimeSeriesTest, ThreeEqualRoundedValuesMoveTheLastPointInsteadOfAddingOne) {
    uint8_t analyse = 1;
    TimeSeriesViews().CurvePointValue = [](int32_t, int32_t) { return CurveValue; };
    TimeSeries &series = PointSeries(0, 5, analyse);
    const float values[] = {1, 2, 3, 4};
    for (float v : values) {
        CurveValue = v;
        AppendTimeSeries(series, 1);
        NowStamp += Second;
    }
    ASSERT_EQ(series.Count(), 4);
    // 4.001 and 4.004 round to the 4.00 that is stored twice only after one more equal value.
    CurveValue = 4.001f;
    AppendTimeSeries(series, 1);
    EXPECT_EQ(series.Count(), 5);
    NowStamp += Second;
    CurveValue = 4.004f;
    series.HasNewPoints = 0;
    AppendTimeSeries(series, 1);
    EXPECT_EQ(series.Count(), 5);
    EXPECT_DOUBLE_EQ(series.Points.back().Time, NowStamp);
    EXPECT_EQ(series.HasNewPoints, 1);
    EXPECT_EQ(RoundToPrecision(series.Points.back().Value), RoundToPrecision(4.0));
}

// The demo delivers about 20 frames a second: a stamp 0.1 s after the last would soon run ahead of the clock.
// Within the 0.1 s step the latest value replaces the last point's; no stamp is ever later than NowStamp.
TEST_F(TimeSeriesTest, StampsNeverRunAheadOfTheFrameTime) {
    uint8_t analyse = 1;
    TimeSeriesViews().CurvePointValue = [](int32_t, int32_t) { return CurveValue; };
    TimeSeries &series = PointSeries(0, 5, analyse);
    for (int frame = 0; frame < 200; ++frame) {
        NowStamp = Day + frame * 0.06 * Second;
        CurveValue = float(frame);
        AppendTimeSeries(series, 1);
        for (const TimePoint &point : series.Points)
            ASSERT_LE(point.Time, NowStamp);
    }
    EXPECT_EQ(series.Count(), 100);
    EXPECT_EQ(series.Points.back().Value, 199.0);
    for (int i = 1; i < series.Count(); ++i)
        EXPECT_GE(series.Points[std::size_t(i)].Time - series.Points[std::size_t(i - 1)].Time,
                  OneTenthSecond * (1 - 1e-9));
}

TEST_F(TimeSeriesTest, AnUnsampledSeriesStoresGapsAndALongGapAsOneMovingPoint) {
    uint8_t analyse = 0;
    TimeSeries &series = PointSeries(0, 5, analyse);
    for (int frame = 0; frame < 10; ++frame) {
        AppendTimeSeries(series, 1);
        NowStamp += Second;
    }
    EXPECT_EQ(series.Count(), 3);
    for (const TimePoint &point : series.Points)
        EXPECT_EQ(point.Value, double(NoValue));
    EXPECT_DOUBLE_EQ(series.Points.back().Time, NowStamp - Second);
}

// 501 points spanning more than DTIME_SIGNAL lose exactly the oldest; 500 keep all however long.
TEST_F(TimeSeriesTest, TrimmingDropsOnePointPerAppendPastFiveHundred) {
    uint8_t analyse = 1;
    TimeSeriesViews().CurvePointValue = [](int32_t, int32_t) { return CurveValue; };
    DTIME_SIGNAL = 100 * Second;
    TimeSeries &series = PointSeries(0, 5, analyse);
    for (int frame = 0; frame < 500; ++frame) {
        CurveValue = float(frame);
        AppendTimeSeries(series, 1);
        NowStamp += Second;
    }
    EXPECT_EQ(series.Count(), 500);
    const double oldest = series.Points.front().Time;
    CurveValue = 500;
    AppendTimeSeries(series, 1);
    EXPECT_EQ(series.Count(), 500);
    EXPECT_GT(series.Points.front().Time, oldest);
    EXPECT_EQ(series.Points.front().Value, 1.0);

    DTIME_SIGNAL = 1.0;
    CurveValue = 501;
    NowStamp += Second;
    AppendTimeSeries(series, 1);
    EXPECT_EQ(series.Count(), 501);
}

TEST_F(TimeSeriesTest, AClearRequestEmptiesTheSeriesOfItsUnitAtTheNextFrame) {
    uint8_t analyse = 1;
    TimeSeries &a = PointSeries(0, 5, analyse);
    TimeSeries &b = PointSeries(1, 6, analyse);
    b.UnitCode = 3;
    AppendFrameToTimeSeries(1);
    NowStamp += Second;
    TimeSeriesClearRequest = {1, 3};
    AppendFrameToTimeSeries(1);
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(TimeSeriesClearRequest.Flag, 0);
    EXPECT_EQ(TimeSeriesClearRequest.UnitCode, -1);
}

TEST_F(TimeSeriesTest, ReleasingAllFreesEverySlotWhateverItsBindings) {
    ParamDescriptor &signal = DiagramRow(2);
    BindRowTimeSeries(&signal, false);
    BindRowTimeSeries(&signal, false);
    uint8_t analyse = 1;
    PointSeries(3, 150, analyse);
    ReleaseCurvePointTimeSeries();
    EXPECT_EQ(BoundCount(), 1);
    ReleaseAllTimeSeries();
    EXPECT_EQ(BoundCount(), 0);
}

} // namespace
