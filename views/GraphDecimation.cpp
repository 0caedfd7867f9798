#include "views/GraphDecimation.h"

#include "engine/catalogue/GraphKindTable.h"
#include "platform/NoValue.h"

#include <algorithm>
#include <cmath>

double PixelBinWidth(double axisSpan, double fullSpan, int plotWidth) {
    if (plotWidth <= 0)
        return 0;
    double width = axisSpan / plotWidth;
    if (!(width >= 0.00001) || !std::isfinite(width))
        width = fullSpan / plotWidth;
    return (std::isfinite(width) && width > 0) ? width : 0;
}

namespace {

// The open pixel of the walk: the first x that fell into it and the extremes of its values.
struct TPixel {
    double X0 = 0;
    float Lo = NoValue;
    float Hi = NoValue;
    int32_t Count = 0;

    void Start(double x, float y) {
        X0 = x;
        Lo = Hi = y;
        Count = 1;
    }
    void Widen(float y) {
        ++Count;
        if (y == NoValue)
            return;
        if (Lo == NoValue || y < Lo)
            Lo = y;
        if (Hi == NoValue || y > Hi)
            Hi = y;
    }
};

class TDecimator {
public:
    TDecimator(int kind, const TBinGeometry &geometry, TDecimatedCurve &out)
        : kind_(kind), geometry_(geometry), out_(out), spectral_(IsSpectralKind(kind)),
          levelBars_(IsSelectiveLevelKind(kind)) {}

    // Closes the pixel; the last pixel of the curve also adds its minimum when it holds one point, and
    // leaves no trailing gap for the master and selective response kinds.
    void Close(const TPixel &pixel, bool last) {
        if (pixel.Count == 0)
            return;
        const double x = pixel.X0 - geometry_.HalfStep;
        if (pixel.Lo != NoValue || pixel.Hi != NoValue) {
            if (!spectral_ && (pixel.Count > 1 || last))
                Add(x, pixel.Lo);
            const bool floorBar = levelBars_ && pixel.Lo < SelectiveFloorLevel;
            if (floorBar)
                Add(x - geometry_.BinWidth, pixel.Lo);
            Add(x, pixel.Hi);
            if (floorBar)
                Add(x + geometry_.BinWidth, pixel.Lo);
            return;
        }
        const bool master = kind_ == 18 || kind_ == 19;
        const bool noTrailingGap = last && kind_ >= 23 && kind_ <= 36;
        if (!master && !noTrailingGap) {
            out_.Points.push_back({x, 0, true});
            gapAdded_ = true;
        }
    }

    void Add(double x, float y) { out_.Points.push_back({x, y, false}); }
    bool GapAdded() const { return gapAdded_; }

private:
    int kind_;
    const TBinGeometry &geometry_;
    TDecimatedCurve &out_;
    bool spectral_;
    bool levelBars_;
    bool gapAdded_ = false;
};

} // namespace

void DecimateCurve(int kind, const float *x, const float *y, int32_t n, const TBinGeometry &geometry,
                   TDecimatedCurve &out) {
    out.Clear();
    if (n < 1 || !x || !y)
        return;
    TDecimator decimator(kind, geometry, out);
    const double width = geometry.BinWidth;
    const bool binned = std::isfinite(width) && width > 0 && std::isfinite(geometry.FirstEdge);
    int32_t i = 0;
    for (; i < n && !(x[i] >= geometry.FirstEdge); ++i)
        out.HasValue = out.HasValue || y[i] != NoValue;

    TPixel pixel;
    double pixelStart = 0;
    double pixelEnd = 0;
    for (; i < n; ++i) {
        const double xi = x[i];
        const float yi = y[i];
        if (yi != NoValue)
            out.HasValue = true;
        if (!std::isfinite(xi))
            continue;
        if (pixel.Count > 0 && xi < pixelStart)
            continue;
        if (pixel.Count > 0 && binned && xi < pixelEnd) {
            pixel.Widen(yi);
            continue;
        }
        // A new pixel: the empty pixels between the last one and this point add nothing, so the walk
        // jumps straight to the pixel that holds the point.
        decimator.Close(pixel, false);
        if (binned) {
            const double bin = std::floor((xi - geometry.FirstEdge) / width);
            pixelStart = geometry.FirstEdge + bin * width;
            pixelEnd = pixelStart + width;
            pixelStart = std::min(pixelStart, xi);
            pixelEnd = std::max(pixelEnd, std::nextafter(xi, HUGE_VAL));
        } else {
            pixelStart = pixelEnd = xi;
        }
        pixel.Start(xi, yi);
    }
    decimator.Close(pixel, true);

    if (IsSpectralKind(kind) && pixel.Count > 0 && pixel.Hi != NoValue) {
        const double endX = n > 1 ? 2.0 * x[n - 1] - x[n - 2] - geometry.HalfStep : pixel.X0 + geometry.HalfStep;
        decimator.Add(endX, pixel.Hi);
    }
    if (decimator.GapAdded())
        std::stable_sort(out.Points.begin(), out.Points.end(),
                         [](const TPlotPoint &a, const TPlotPoint &b) { return a.X < b.X; });
}
