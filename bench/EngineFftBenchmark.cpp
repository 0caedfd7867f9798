// Our float real transform against FFTW's real-to-complex one with an estimated and a measured plan,
// at the block sizes the analysis uses, with the ratios of the three times printed after the run.
#include "engine/Fft.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int64_t Sizes[] = {2048, 8192, 32768};

std::vector<float> Samples(int32_t n) {
    std::vector<float> x(n);
    for (int32_t i = 0; i < n; ++i)
        x[i] = static_cast<float>(std::sin(0.37 * i) + 0.5 * std::cos(0.011 * i * i) + 0.001 * (i % 97));
    return x;
}

struct TFftwPlan {
    TFftwPlan(int32_t n, unsigned flags)
        : In(fftwf_alloc_real(n)), Out(fftwf_alloc_complex(n / 2 + 1)), Plan(fftwf_plan_dft_r2c_1d(n, In, Out, flags)) {
    }
    ~TFftwPlan() {
        fftwf_destroy_plan(Plan);
        fftwf_free(Out);
        fftwf_free(In);
    }
    TFftwPlan(const TFftwPlan &) = delete;
    TFftwPlan &operator=(const TFftwPlan &) = delete;

    float *In;
    fftwf_complex *Out;
    fftwf_plan Plan;
};

// Our forward transform uses the e^(+i) kernel and packs the Nyquist term at element 1; FFTW uses
// e^(-i). Largest difference between the two, relative to the largest FFTW magnitude.
double RelativeDifference(const std::vector<float> &ours, const fftwf_complex *fftw, int32_t n) {
    double largest = 0;
    for (int32_t k = 0; k <= n / 2; ++k)
        largest = std::max(largest, std::hypot(double(fftw[k][0]), double(fftw[k][1])));
    double worst = std::max(std::fabs(ours[0] - fftw[0][0]), std::fabs(ours[1] - fftw[n / 2][0]));
    for (int32_t k = 1; k < n / 2; ++k)
        worst = std::max(worst, std::hypot(double(ours[2 * k]) - fftw[k][0], double(ours[2 * k + 1]) + fftw[k][1]));
    return worst / largest;
}

// Every timed loop copies the input into the work array first: our transform works in place and
// FFTW's plans may overwrite their input.
void OurRealFft(benchmark::State &state) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    const std::vector<float> x = Samples(n);
    std::vector<float> work = x;
    RealFft(work.data(), n / 2, 1);
    TFftwPlan check(n, FFTW_ESTIMATE);
    std::copy(x.begin(), x.end(), check.In);
    fftwf_execute(check.Plan);
    if (const double d = RelativeDifference(work, check.Out, n); d > 1e-5) {
        state.SkipWithError(("differs from FFTW by " + std::to_string(d)).c_str());
        return;
    }
    for (auto _ : state) {
        std::memcpy(work.data(), x.data(), n * sizeof(float));
        RealFft(work.data(), n / 2, 1);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
}

void FftwRealFft(benchmark::State &state, unsigned flags) {
    const int32_t n = static_cast<int32_t>(state.range(0));
    const std::vector<float> x = Samples(n);
    TFftwPlan p(n, flags);
    for (auto _ : state) {
        std::memcpy(p.In, x.data(), n * sizeof(float));
        fftwf_execute(p.Plan);
        benchmark::DoNotOptimize(p.Out);
        benchmark::ClobberMemory();
    }
}

void FftwEstimate(benchmark::State &state) {
    FftwRealFft(state, FFTW_ESTIMATE);
}
void FftwMeasure(benchmark::State &state) {
    FftwRealFft(state, FFTW_MEASURE);
}

void AddSizes(benchmark::internal::Benchmark *b) {
    for (const int64_t n : Sizes)
        b->Arg(n);
}

BENCHMARK(OurRealFft)->Apply(AddSizes);
BENCHMARK(FftwEstimate)->Apply(AddSizes);
BENCHMARK(FftwMeasure)->Apply(AddSizes);

// Prints as usual and keeps the time per iteration of every benchmark ("OurRealFft/2048"): the median
// when the run has repetitions, else the single measurement.
class TRecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (r.error_occurred)
                continue;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median")
                Medians[r.run_name.str()] = r.GetAdjustedRealTime();
            else if (r.run_type == Run::RT_Iteration)
                Singles[r.run_name.str()] = r.GetAdjustedRealTime();
        }
    }

    // 0 when the benchmark did not run.
    double Time(const char *name, int64_t n) const {
        char key[64];
        std::snprintf(key, sizeof key, "%s/%lld", name, static_cast<long long>(n));
        for (const auto *times : {&Medians, &Singles})
            if (const auto it = times->find(key); it != times->end())
                return it->second;
        return 0;
    }

private:
    std::map<std::string, double> Medians;
    std::map<std::string, double> Singles;
};

void PrintRatios(const TRecordingReporter &reporter) {
    std::printf("\n%8s %12s %12s %12s %14s %14s\n", "points", "ours ns", "ESTIMATE ns", "MEASURE ns", "ours/ESTIMATE",
                "ours/MEASURE");
    for (const int64_t n : Sizes) {
        const double ours = reporter.Time("OurRealFft", n);
        const double estimate = reporter.Time("FftwEstimate", n);
        const double measure = reporter.Time("FftwMeasure", n);
        if (ours > 0 && estimate > 0 && measure > 0)
            std::printf("%8lld %12.0f %12.0f %12.0f %14.2f %14.2f\n", static_cast<long long>(n), ours, estimate,
                        measure, ours / estimate, ours / measure);
    }
}

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    TRecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
