#include "engine/catalogue/TimeDiagramAxes.h"

#include <algorithm>
#include <iterator>

TimeDiagramAxis TimeDiagramAxes[UnitGroupCount];

namespace {

// clang-format off
constexpr TimeDiagramAxis TimeDiagramAxisPresets[UnitGroupCount] = {
    {-100, 120, 1, -10, 80},                   // дБ
    {-160, 100, 1, -80, 10},                   // дБм0
    {0, 100, 1, 0, 100},                       // %
    {-100, 100, 1, 0, 10},                     // Гц
    {0, 10000, 1, 0, 10000},                   // кГц
    {0, 10000, 1, 0, 100},                     // события
    {-1000000, 1000000, 1, -1000, 1000},       // Ом
    {-180, 180, 0.2f, -180, 180},              // град.
    {-100000, 100000, 0.001f, -10000, 10000},  // мкс
    {0, 4000, 0.1f, 0, 500},                   // нФ
    {0, 120000, 0.1f, 0, 40000},               // кбит/с
    {0, 30, 0.1f, 0, 20},                      // бит
    {-100, 100, 1, -100, 100},                 // В
};
// clang-format on

} // namespace

void InitTimeDiagramAxes() {
    std::copy(std::begin(TimeDiagramAxisPresets), std::end(TimeDiagramAxisPresets), TimeDiagramAxes);
}
