#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/NoiseMeasurement.h"
#include "engine/ResultSlots.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "views/GraphHost.h"
#include "views/GraphSources.h"

#include <QPainter>
#include <QPainterPath>
#include <QSplitter>
#include <QTableView>

#include <algorithm>
#include <cmath>

void TForm_Graphic::ResizeTable() {
    const TGraphKindRecord &record = GraphKindTable[kind_];
    const int pairs = std::max(record.ColCount / 2, 1);
    int32_t n = 1;
    bool show = true;
    if (kind_ == 18 || kind_ == 19 || IsSelectiveKind(kind_)) {
        if (const auto curve = GraphCurve(kind_))
            n = curve->Count;
    } else if (kind_ == 16 || kind_ == 17 || kind_ == 37 || kind_ == 38) {
        // Sized for the phasogram the settings call for, not for the last block's curve, so that a window
        // opened before the first NOISE block shows every later point.
        const TDeviceSettings &s = *DeviceSettings;
        n = PlanPhasogram(s.SampleRate, std::min(int32_t(s.AdcSize), MaxBlockSize), s.BandF0, s.BandF1, s.PhasogramRef).Points;
    } else {
        const int32_t step = DeviceSettings->SpectrumStepIndex;
        show = step >= SpectrumTableMinStep;
        Table1->setVisible(show);
        if (!show)
            return;
        n = step > 0 ? (DeviceSettings->AdcSize / 2) / step - 1 : 1;
        const int half = height() / 2;
        if (half > 0)
            Splitter1->setSizes({half, std::max(height() - half, 1)});
    }
    n = std::max(n, 1);
    Table1->setVisible(show);
    table_.SetRowCount(int((n + pairs - 1) / pairs) + 1);
    table_.ClearValues();
}

TBinGeometry TForm_Graphic::GetBinGeometry() const {
    TBinGeometry geometry;
    int width = Chart1->ChartWidth();
    if (width == 0)
        width = this->width();
    const TChartAxis &bottom = const_cast<TChart *>(Chart1)->BottomAxis();
    geometry.BinWidth = PixelBinWidth(bottom.Maximum() - bottom.Minimum(), FullXMax - FullXMin, width);
    geometry.FirstEdge = XMin;
    geometry.SecondEdge = XMin + geometry.BinWidth;
    if (kind_ == 1 || kind_ == 2) {
        geometry.HalfStep = 0.5 * DeviceSettings->PresentationStep;
    } else if (kind_ == 16 || kind_ == 17) {
        const float *phase = EngineBuffers.NoiseCurves[4];
        if (phase && EngineBuffers.NoiseCurveLength > 1)
            geometry.HalfStep = 0.5 * (phase[1] - phase[0]);
    } else if (IsSelectiveLevelKind(kind_) && DeviceSettings->Mirvak.SubMode == 1) {
        geometry.HalfStep = 0.5 * DeviceSettings->Mirvak.B;
    }
    return geometry;
}

void TForm_Graphic::FillSeriesDecimated(const float *x, const float *y, int32_t n) {
    if (n < 1 || !x || !y)
        return;
    series_->SetActive(false);
    const QColor colour = series_->Color();
    series_->Clear();
    const TBinGeometry geometry = GetBinGeometry();
    DecimateCurve(kind_, x, y, n, geometry, decimated_);
    hasValue_ = hasValue_ || decimated_.HasValue;
    for (const TPlotPoint &point : decimated_.Points) {
        if (point.Gap)
            series_->AddNull(point.X);
        else
            series_->AddXY(point.X, point.Y, QString(), colour);
    }
    MarkBandAndTones(geometry.BinWidth);
    FillValueTable(x, y, n);
    series_->SetActive(true);
}

namespace {

// The frequency of the display point that holds spectrum bin b.
float DisplayFrequency(int32_t bin) {
    const int32_t step = std::max(int32_t(DeviceSettings->SpectrumStepIndex), 1);
    const int32_t index = int32_t(std::trunc(double(bin) / step + 0.5));
    const int32_t last = std::max<int32_t>(EngineBuffers.DisplayPointCount - 1, 0);
    return EngineBuffers.FrequencyAxis[std::clamp(index, 0, last)];
}

// The spectrum window can mark 255 tone intervals; a longer comb shows its first 255 lines.
constexpr int32_t MaxToneIntervals = 255;

} // namespace

void TForm_Graphic::MarkBandAndTones(double binWidth) {
    if (kind_ == 1) {
        series_->ColorRange(DeviceSettings->BandF0, double(DeviceSettings->BandF1) + DeviceSettings->PresentationStep,
                            WinColor(BandColour));
        if (!EngineBuffers.FrequencyAxis)
            return;
        const TEngineBuffers &b = EngineBuffers;
        const auto tone = [&](int32_t fromBin, int32_t toBin) {
            double from = DisplayFrequency(fromBin), to = DisplayFrequency(toBin);
            if (series_->SnapInterval(from, to))
                series_->ColorRange(from, to, WinColor(ToneColour));
        };
        if (SignalKind == 1) {
            tone(b.ToneBin1 - 1, b.ToneBin1 + 1);
        } else if (SignalKind == 2) {
            tone(b.ToneBin1, b.ToneBin1);
            tone(b.ToneBin2, b.ToneBin2);
        } else if (SignalKind == 3) {
            for (int32_t j = 0; j < std::min(b.CombLineCount, MaxToneIntervals); ++j) {
                const int32_t line = b.CombStart + j * b.CombSpacing;
                tone(line - 1, line + 1);
            }
        }
        return;
    }
    if (kind_ != 21)
        return;
    const MirvakBlock &mirvak = DeviceSettings->Mirvak;
    if (mirvak.SubMode != 1) {
        if (series_->Count() > 0)
            series_->ColorRange(series_->XValue(0), series_->XValue(series_->Count() - 1), WinColor(ToneColour));
        return;
    }
    const double band = mirvak.B;
    if (band > 0) {
        const double from = std::trunc(mirvak.Fc1 / band + 0.5) * band;
        const double to = std::trunc(mirvak.FcN / band + 0.5) * band + band;
        series_->ColorRange(from, to, WinColor(BandColour));
    }
    const ParameterTable mirvakRows = ParameterTableOf(6);
    const ParamDescriptor *frequencyRow = nullptr;
    for (int32_t i = 0; i < mirvakRows.RowCount && !frequencyRow; ++i)
        if (QString::fromUtf8(mirvakRows.Rows[i].Caption) == QStringLiteral("Частота,кГц\n"))
            frequencyRow = &mirvakRows.Rows[i];
    const auto curve = GraphCurve(21);
    if (!frequencyRow || frequencyRow->Result.Value == NoValue || !curve || curve->Count < 1 ||
        !GraphSources.SelectiveFindBin)
        return;
    // The bin search answers -1 between two bins; every neighbour read stays inside the list.
    const int32_t last = curve->Count - 1;
    const int32_t i = std::clamp(GraphSources.SelectiveFindBin(frequencyRow->Result.Value), 0, last);
    const float *f = curve->X;
    double lo = f[std::max(i - 1, 0)], hi = f[std::min(i + 2, last)];
    if (3 * binWidth > hi - lo) {
        lo = f[i] - binWidth;
        hi = f[i] + 2 * binWidth;
    }
    series_->ColorRange(lo, hi, WinColor(ToneColour));
}

void TForm_Graphic::FillValueTable(const float *x, const float *y, int32_t n) {
    if (Table1->isHidden())
        return;
    if (kind_ == 3 || kind_ == 4) {
        if (!GraphSources.Reflections)
            return;
        if (const auto rows = GraphSources.Reflections(); rows && rows->Delay && rows->Distance)
            table_.FillEventTable(rows->Delay, rows->Distance, kind_ == 3 ? rows->Level : rows->Percent);
        return;
    }
    if (IsSelectiveKind(kind_))
        table_.FillPackedTable(x, y, IsSelectiveLevelKind(kind_) ? SelectiveGapValue : NoValue, n);
    else {
        table_.FillPairTable(x, y, n);
        // A value cell's ground shows its point's verdict against the window's mask, which can change
        // while the value stays.
        if (WindowMaskSlot >= 0)
            table_.RepaintValues();
    }
}

void TForm_Graphic::Chart1AfterDraw(QPainter &painter, const QRect &chartRect) {
    DrawMasks(painter);
    DrawNotMeasured(painter, chartRect);
}

void TForm_Graphic::DrawNotMeasured(QPainter &painter, const QRect &chartRect) {
    if (hasValue_)
        return;
    const QString text = QStringLiteral("Не измеряется");
    const QFontMetrics metrics(painter.font());
    const int w = metrics.horizontalAdvance(text), h = metrics.height();
    const int xc = chartRect.center().x(), yc = chartRect.center().y();
    QPainterPath box;
    box.addRoundedRect(QRectF(QPointF(xc - w / 2 - 6, yc - h / 2 - 5), QPointF(xc + w / 2 + 5, yc + h / 2 + 5)), 5, 5);
    painter.save();
    painter.fillPath(box, palette().color(QPalette::Active, QPalette::Highlight));
    const QRect textRect(xc - w / 2 - 1, yc - h / 2, w, h);
    painter.fillRect(textRect, WinColor(0x800080));
    painter.setPen(WinColor(0x00FFFF));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, text);
    painter.restore();
}

void TForm_Graphic::Series1GetMarkText(const TChartSeries &series, int index, QString &text) const {
    if (!series.MarksVisible())
        return;
    if (series.YValue(index) < SelectiveFloorLevel)
        text.clear();
    else if (series.MarksStyleNumber() == TChartSeries::MarksXValue)
        text = FormatPicture(RoundTo3Decimals(series.XValue(index)), u"0.###");
}
