#include "state/MirvakGrid.h"

double MirvakQuantum = 0.001;
double MirvakTopFreq = 1024;
double MirvakLowestFreq = 0.04;

namespace {

struct TGridRow {
    double BelowSampleRate;
    double Quantum;
    double TopFreq;
};
constexpr TGridRow GridRows[] = {{2600, 0.001, 1024}, {5200, 0.002, 2048}, {10400, 0.004, 4096}};

} // namespace

void SetMirvakGrid(double sampleRate) {
    for (const TGridRow &row : GridRows)
        if (sampleRate < row.BelowSampleRate) {
            MirvakQuantum = row.Quantum;
            MirvakTopFreq = row.TopFreq;
            return;
        }
}
