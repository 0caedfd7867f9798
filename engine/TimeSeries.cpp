#include "engine/TimeSeries.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "platform/StringTable.h"
#include "state/SettingsLoadState.h"

#include <algorithm>
#include <new>

std::array<std::unique_ptr<TimeSeries>, TimeSeriesSlotCount> TimeSeriesSlots;
double DTIME_SIGNAL = DefaultTimeSpan;
TTimeSeriesClearRequest TimeSeriesClearRequest;

TTimeSeriesViews &TimeSeriesViews() {
    static TTimeSeriesViews views;
    return views;
}

bool TimeSeries::Sampling() const {
    return AnalyseFlagPtr && DiagramFlagPtr && *AnalyseFlagPtr && *DiagramFlagPtr;
}

namespace {

constexpr int MessageTooManyGraphs = 307;
constexpr int MessageOutOfMemory = 22;
constexpr int CaptionWarning = 7;
constexpr int CaptionError = 5;

// The meter frames carry the random-event counts; those rows take nothing else, and nothing else takes
// a meter frame. A SYNC measurement passes every series.
constexpr int32_t FromMeterFrame = 2;
constexpr int32_t FromSync = 4;

bool EventCountRow(int16_t paramId) {
    return paramId == 42 || (paramId >= 19 && paramId <= 27);
}

void ShowOutOfMemory() {
    ShowMessage({LoadStr(MessageOutOfMemory), LoadStr(CaptionError), MsgIcon::Error, MsgButtons::Ok});
}

// A binding shows message boxes and opens windows, which pump messages: it holds the settings lock, so
// that neither a configuration load nor another binding runs meanwhile, and afterwards the selective
// results that waited for the lock are processed.
class TBindingLock {
public:
    TBindingLock() { SettingsLoadState = 2; }
    ~TBindingLock() {
        SettingsLoadState = 1;
        if (TimeSeriesViews().ReplaySstResults)
            TimeSeriesViews().ReplaySstResults();
    }
    TBindingLock(const TBindingLock &) = delete;
    TBindingLock &operator=(const TBindingLock &) = delete;
};

struct TSlotChoice {
    int32_t Slot = -1;
    bool Exists = false;
};

// The slot of the series the predicate names; else the highest free slot; else none.
template <typename Match> TSlotChoice ChooseSlot(Match match) {
    TSlotChoice choice;
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot) {
        const TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get();
        if (series && match(*series))
            return {slot, true};
        if (!series)
            choice.Slot = slot;
    }
    return choice;
}

bool ReportNoSlot(const TSlotChoice &choice) {
    if (choice.Slot >= 0)
        return false;
    ShowMessage({LoadStr(MessageTooManyGraphs), LoadStr(CaptionWarning), MsgIcon::Warning, MsgButtons::Ok});
    return true;
}

QString BoundedCaption(const QString &caption) {
    return caption.left(TimeSeriesCaptionLength);
}

// A new series of a row (row series and graph-point series differ only in what they sample).
std::unique_ptr<TimeSeries> NewSeries(const ParamDescriptor &row, const QString &caption) {
    auto series = std::make_unique<TimeSeries>();
    series->UnitCode = row.UnitGroup;
    series->ParamId = row.ParamId;
    series->Caption = BoundedCaption(caption);
    series->Colour = row.Settings.Colour;
    return series;
}

void ShowSeries(int32_t slot) {
    const TimeSeries &series = *TimeSeriesSlots[std::size_t(slot)];
    if (TimeSeriesViews().ShowSeries)
        TimeSeriesViews().ShowSeries(series.UnitCode, slot);
}

// A stamp never runs ahead of the frame's own time: the moved point takes NowStamp, unless the clock went
// back, when it keeps its time so that the points stay in order.
void MoveLastPoint(TimeSeries &series) {
    TimePoint &last = series.Points.back();
    last.Time = std::max(last.Time, NowStamp);
}

double Rounded(double value) {
    return value == double(NoValue) ? value : RoundToPrecision(value);
}

} // namespace

float SampledValue(const TimeSeries &series) {
    if (series.ValuePtr)
        return *series.ValuePtr;
    const auto &curvePoint = TimeSeriesViews().CurvePointValue;
    return curvePoint ? curvePoint(series.GraphKind, series.PointIndex) : NoValue;
}

void BindRowTimeSeries(ParamDescriptor *row, bool releaseIfOff) {
    if (!row || SettingsLoadState != 1)
        return;
    const TBindingLock lock;
    if (!row->TimeDiagramAllowed || row->ParamId < 0 || row->UnitGroup < 0)
        return;
    const int16_t id = row->ParamId;
    const TSlotChoice choice = ChooseSlot([id](const TimeSeries &series) { return series.ParamId == id; });
    if (ReportNoSlot(choice))
        return;
    if (row->Settings.Analyse && row->Settings.TimeDiagram) {
        std::unique_ptr<TimeSeries> &slot = TimeSeriesSlots[std::size_t(choice.Slot)];
        if (!choice.Exists) {
            try {
                auto series = NewSeries(*row, QString::fromUtf8(row->Caption));
                series->ValuePtr = &row->Result.Value;
                series->AnalyseFlagPtr = &row->Settings.Analyse;
                series->DiagramFlagPtr = &row->Settings.TimeDiagram;
                slot = std::move(series);
            } catch (const std::bad_alloc &) {
                ShowOutOfMemory();
                return;
            }
        }
        slot->HasNewPoints = 0;
        ++slot->RefCount;
        ShowSeries(choice.Slot);
    } else if (releaseIfOff) {
        ReleaseTimeSeries(choice.Slot);
    }
}

void BindParamTimeSeries(const QString &caption, int32_t graphKind, int32_t pointIndex, ParamDescriptor *row,
                         bool releaseIfFound) {
    if (!row || SettingsLoadState != 1)
        return;
    const TBindingLock lock;
    if (row->UnitGroup < 0)
        return;
    const int16_t id = row->ParamId;
    const TSlotChoice choice = ChooseSlot([&](const TimeSeries &series) {
        return graphKind >= 0 ? series.GraphKind == graphKind && series.PointIndex == pointIndex : series.ParamId == id;
    });
    if (ReportNoSlot(choice))
        return;
    if (!row->Settings.Analyse || choice.Exists) {
        if (releaseIfFound)
            ReleaseTimeSeries(choice.Slot);
        return;
    }
    if (graphKind < 0 || pointIndex < 0)
        return;
    try {
        auto series = NewSeries(*row, caption);
        series->GraphKind = int16_t(graphKind);
        series->PointIndex = int16_t(pointIndex);
        series->AnalyseFlagPtr = &row->Settings.Analyse;
        series->DiagramFlagPtr = &row->Settings.Analyse;
        series->RefCount = 1;
        TimeSeriesSlots[std::size_t(choice.Slot)] = std::move(series);
    } catch (const std::bad_alloc &) {
        ShowOutOfMemory();
        return;
    }
    ShowSeries(choice.Slot);
}

void ReleaseTimeSeries(int32_t slot) {
    if (slot < 0 || slot >= TimeSeriesSlotCount)
        return;
    std::unique_ptr<TimeSeries> &series = TimeSeriesSlots[std::size_t(slot)];
    if (!series)
        return;
    if (--series->RefCount > 0)
        return;
    if (TimeSeriesViews().RemoveSeries)
        TimeSeriesViews().RemoveSeries(series->UnitCode, slot);
    series.reset();
}

void ReleaseAllTimeSeries() {
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get()) {
            series->RefCount = 1;
            ReleaseTimeSeries(slot);
        }
}

void ReleaseCurvePointTimeSeries() {
    for (int32_t slot = 0; slot < TimeSeriesSlotCount; ++slot)
        if (TimeSeries *series = TimeSeriesSlots[std::size_t(slot)].get(); series && series->PointIndex >= 0)
            ReleaseTimeSeries(slot);
}

void AppendTimeSeriesPoint(TimeSeries &series, bool gap) {
    std::deque<TimePoint> &points = series.Points;
    const bool sampling = series.Sampling();
    if (points.size() >= 3 && !sampling && points[points.size() - 1].Value == NoValue &&
        points[points.size() - 2].Value == NoValue) {
        MoveLastPoint(series);
        return;
    }
    const double value = sampling && !gap ? double(SampledValue(series)) : double(NoValue);
    double time = NowStamp;
    if (!points.empty() && NowStamp < points.back().Time + OneTenthSecond) {
        // Frames come faster than the stamps' 0.1 s step: a value that follows a value within that step
        // replaces it instead of taking a stamp ahead of the clock. A gap is a break in the line and is
        // never replaced nor dropped: it takes the next stamp, and so does the value after it.
        if (value != NoValue && points.back().Value != NoValue) {
            points.back().Value = value;
            return;
        }
        time = points.back().Time + OneTenthSecond;
    }
    try {
        points.push_back({time, value});
    } catch (const std::bad_alloc &) {
        ShowOutOfMemory();
    }
}

void AppendTimeSeries(TimeSeries &series, int32_t source) {
    if (source != FromSync && EventCountRow(series.ParamId) != (source == FromMeterFrame))
        return;
    std::deque<TimePoint> &points = series.Points;
    if (points.size() >= 4) {
        const double now = Rounded(series.Sampling() ? double(SampledValue(series)) : double(NoValue));
        if (now == Rounded(points[points.size() - 1].Value) && now == Rounded(points[points.size() - 2].Value)) {
            MoveLastPoint(series);
            series.HasNewPoints = 1;
            return;
        }
    }
    AppendTimeSeriesPoint(series);
    if (points.size() > std::size_t(TimeSeriesKeptPoints) && points.back().Time - points.front().Time > DTIME_SIGNAL)
        points.pop_front();
    series.HasNewPoints = 1;
}

void AppendFrameToTimeSeries(int32_t source) {
    for (const std::unique_ptr<TimeSeries> &series : TimeSeriesSlots) {
        if (!series)
            continue;
        if (TimeSeriesClearRequest.Flag && series->UnitCode == TimeSeriesClearRequest.UnitCode)
            series->Points.clear();
        else if (series->Active)
            AppendTimeSeries(*series, source);
    }
    TimeSeriesClearRequest = {};
}

void RebindTimeSeries(ParamDescriptor *table, int32_t count) {
    for (const std::unique_ptr<TimeSeries> &series : TimeSeriesSlots) {
        // A curve row without identity has no row to be found again by it: its series keeps its curve
        // and its switch, and reads no value while the present kind does not produce the curve.
        if (!series || series->ParamId < 0)
            continue;
        series->Active = 0;
        for (int32_t j = 0; table && j < count; ++j) {
            ParamDescriptor &row = table[j];
            if (row.ParamId != series->ParamId)
                continue;
            series->AnalyseFlagPtr = &row.Settings.Analyse;
            series->Active = 1;
            if (series->ParamId < 100 && series->PointIndex < 0) {
                series->ValuePtr = &row.Result.Value;
                series->DiagramFlagPtr = &row.Settings.TimeDiagram;
            }
        }
    }
}

void GapAllTimeSeries() {
    for (const std::unique_ptr<TimeSeries> &series : TimeSeriesSlots) {
        if (!series)
            continue;
        AppendTimeSeriesPoint(*series, true);
        series->HasNewPoints = 1;
    }
}
