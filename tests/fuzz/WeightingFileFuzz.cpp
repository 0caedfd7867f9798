// Any bytes as a weighting characteristic file: the reader gives pairs of finite numbers, and the engine
// takes them as its characteristic and interpolates over them without reading out of bounds.
#include "engine/EngineBuffers.h"
#include "engine/Spectrum.h"
#include "engine/masks/WeightingFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const TWeightingPoints points = ParseWeightingFile(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (points.X.size() != points.Y.size())
        std::abort();
    for (std::size_t i = 0; i < points.X.size(); ++i)
        if (!std::isfinite(points.X[i]) || !std::isfinite(points.Y[i]))
            std::abort();
    const int32_t n = int32_t(points.X.size());
    if (!SetWeightingCurve(n, points.X.data(), points.Y.data()))
        std::abort();
    if (!std::is_sorted(WeightingCurve.AscendingFrequencies, WeightingCurve.AscendingFrequencies + n))
        std::abort();
    if (n > 0) {
        for (float f : {-1.0f, 0.0f, points.X.front(), points.X.back(), 1.0f, 1e6f})
            WeightingFactor(f);
    }
    SetWeightingCurve(0, nullptr, nullptr);
    return 0;
}
