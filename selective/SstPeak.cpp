#include "selective/SstPeak.h"

#include "engine/EngineMath.h"

#include <array>
#include <cmath>

namespace {

constexpr int32_t PeakRatioPoints = 129; // d = k / 256, k = 0 .. 128
constexpr int32_t LeakageAxisPoints = 32; // d = j / 62, j = 0 .. 31

// The Hann window's kernel over the bin offset u: W(0) = 1, W(+-1) = 0.5, zero at the other integers.
double HannKernel(double u) {
    const double a = std::fabs(u);
    if (a < 1e-12)
        return 1;
    if (std::fabs(a - 1) < 1e-12)
        return 0.5;
    return std::sin(M_PI * a) / (M_PI * a * (1 - a * a));
}

double NeighbourRatio(double d) {
    const double r = (1 + d) / (2 - d);
    return r * r;
}

struct TPeakTable {
    std::array<float, PeakRatioPoints> Ratio;
    std::array<float, PeakRatioPoints> Offset;
    TPeakTable() {
        for (int32_t k = 0; k < PeakRatioPoints; ++k) {
            Offset[std::size_t(k)] = float(k / 256.0);
            Ratio[std::size_t(k)] = float(NeighbourRatio(k / 256.0));
        }
    }
};

// Rows over the ratio axis, one per distance: Strong[m][j] = (W(m + 1 - d_j) / W(d_j))^2, Other[m][j] =
// (W(m + 1 + d_j) / W(d_j))^2.
struct TLeakageTable {
    std::array<float, LeakageAxisPoints> Axis;
    std::array<std::array<float, LeakageAxisPoints>, LeakageReach> Strong;
    std::array<std::array<float, LeakageAxisPoints>, LeakageReach> Other;
    TLeakageTable() {
        for (int32_t j = 0; j < LeakageAxisPoints; ++j) {
            const double d = j / 62.0;
            Axis[std::size_t(j)] = float(NeighbourRatio(d));
            const double centre = HannKernel(d);
            for (int32_t m = 0; m < LeakageReach; ++m) {
                const double s = HannKernel(m + 1 - d) / centre;
                const double o = HannKernel(m + 1 + d) / centre;
                Strong[std::size_t(m)][std::size_t(j)] = float(s * s);
                Other[std::size_t(m)][std::size_t(j)] = float(o * o);
            }
        }
    }
};

const TPeakTable &PeakTable() {
    static const TPeakTable table;
    return table;
}

const TLeakageTable &LeakageTable() {
    static const TLeakageTable table;
    return table;
}

} // namespace

float PeakOffsetByTable(float left, float centre, float right, float w) {
    if (!(centre > 0))
        return 0;
    const TPeakTable &t = PeakTable();
    const bool toRight = right > left;
    const float ratio = (toRight ? right : left) / centre;
    const float d = InterpolateTable(ratio, PeakRatioPoints, t.Ratio.data(), t.Offset.data());
    return toRight ? d * w : -d * w;
}

bool IsLocalPeak(const float *p, int32_t i, int32_t n) {
    return p[i] > 0 && p[i] > p[i + 1] && p[i] >= p[i - 1] && (i + 2 >= n || p[i + 1] > p[i + 2]) &&
           (i - 2 < 0 || p[i - 1] > p[i - 2]);
}

void LeakageFractions(float v, float strong[LeakageReach], float other[LeakageReach]) {
    const TLeakageTable &t = LeakageTable();
    const TTableSegment segment = FindTableSegment(v, LeakageAxisPoints, t.Axis.data());
    for (int32_t m = 0; m < LeakageReach; ++m) {
        strong[m] = SegmentValue(segment, t.Strong[std::size_t(m)].data());
        other[m] = SegmentValue(segment, t.Other[std::size_t(m)].data());
    }
}
