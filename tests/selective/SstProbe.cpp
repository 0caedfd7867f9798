// Runs one step of the selective processing on the numbers check_selective_numbers.py gives on the command
// line and prints what it computed, one "key value" per line with full precision.
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/RandomSource.h"
#include "engine/ResultSlots.h"
#include "engine/SstParam2.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "platform/NoValue.h"
#include "selective/LineParameters.h"
#include "selective/MirvakImpedance.h"
#include "selective/MirvakWork.h"
#include "selective/SstItemMath.h"
#include "selective/SstPeak.h"
#include "selective/SstResultProcessing.h"
#include "state/DeviceSettings.h"
#include "state/MirvakGrid.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

TDeviceSettings Settings = DefaultDeviceSettings();

void Print(std::string_view key, double value) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::printf("%.*s %.*s\n", int(key.size()), key.data(), int(end - text), text);
}

float Arg(char **argv, int i) {
    return std::strtof(argv[i], nullptr);
}

void SetUp() {
    Settings.MaxFrequency = 1024;
    Settings.SampleRate = 2560;
    Settings.ConnectionType = 3;
    Settings.GenImpedance = 600;
    Settings.MeterImpedance = 600;
    Settings.MeterRef = 0;
    Settings.GenRef = 0;
    Settings.MaxLevelIndex = 0;
    Settings.AveragingInterval = 0;
    Settings.Mirvak.SinLevel = 0;
    Settings.Mirvak.RunState = 2;
    Settings.Mirvak.Options = 0;
    DeviceSettings = &Settings;
    // No phase word in the identification image and the generator's output stage in its normal range:
    // the impedance path's own corrections are then the delay and the phase curve alone.
    std::fill(std::begin(EepromImage), std::end(EepromImage), uint8_t(0));
    GenRangeStep = 0;
    SetMirvakGrid(Settings.SampleRate);
    BuildParamCatalogue();
    AllocAnalysisBuffers(false);
    SeedEngineRandom(1);
    NowStamp = 46000;
}

// A work record of count points at the given frequencies, every array at its neutral value.
void Points(const std::vector<float> &freq) {
    TMirvakWorkArrays &w = MirvakWorkArrays;
    const std::size_t n = freq.size();
    w.PointCount = w.PlanPoints = int32_t(n);
    w.PointFreq = freq;
    for (std::vector<float> *a : {&w.TransferRe, &w.TransferIm, &w.R, &w.X, &w.ZMod, &w.ZPhase, &w.MismatchA,
                                  &w.MismatchK, &w.C, &w.L, &w.LineAtt, &w.LinePhase, &w.LineVelocity, &w.LineZMod,
                                  &w.LineZPhase, &w.ZOpenRe, &w.ZOpenIm, &w.ZShortRe, &w.ZShortIm})
        a->assign(n, NoValue);
    w.CalOpenRe.assign(n, 1);
    w.CalOpenIm.assign(n, 0);
    w.CalLoadRe.assign(n, 1);
    w.CalLoadIm.assign(n, 0);
}

void PrintResult(std::string_view key, ResultSlot slot) {
    Print(key, ResultValue(slot));
}

// A scan of Fc1..FcN in steps of B with a tone at tone kHz over a flat floor of in-phase sums.
void Scan(float fc1, float fcn, float tone) {
    Settings.ConnectionType = 2;
    Settings.Lmin = -150;
    Settings.MinSnr = -10;
    Settings.Mirvak.SubMode = 1;
    Settings.Mirvak.DeviceSubMode = 1;
    Settings.Mirvak.B = 0.1f;
    Settings.Mirvak.Fc1 = fc1;
    Settings.Mirvak.FcN = fcn;
    SstParam = new TSST_Param2;
    SstParam->BuildBins();
    ResetMirvakWork();
    for (int32_t k = 0; k < SstParam->BinCount; ++k) {
        const double f = SstParam->Bins[std::size_t(k)] * 0.1;
        const double a = std::fabs(f - tone) < 0.01 ? 3e4 : 20 + 5 * std::sin(0.7 * k);
        SstResultItem = {a, 0, uint32_t(f / 2560.0 * 4294967296.0 + 0.5), 0};
        AddSstResult(SstParam, SstResultItem);
        ProcessMirvakResult(0);
    }
    ProcessMirvakResult(1);
    const TMirvakWorkArrays &w = MirvakWorkArrays;
    for (int32_t k = 0; k < w.BinCount; ++k) {
        Print("freq", w.BinFreq[std::size_t(k)]);
        Print("power", w.BinPower[std::size_t(k)]);
        Print("dst", w.ScanLeakage.Output()[std::size_t(k)]);
    }
    PrintResult("frequency", SlotMirvakFrequency);
    PrintResult("signal", SlotMirvakLevel);
    PrintResult("noise", SlotMirvakNoise);
    PrintResult("snr", SlotMirvakSnr);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2)
        return 2;
    SetUp();
    const std::string command = argv[1];
    if (command == "peak" && argc == 6) {
        Print("offset", PeakOffsetByTable(Arg(argv, 2), Arg(argv, 3), Arg(argv, 4), Arg(argv, 5)));
    } else if (command == "weight" && argc == 4) {
        Settings.AveragingInterval = int32_t(Arg(argv, 2));
        MirvakWorkArrays.BinTime.assign(1, 0);
        MirvakAveragingWeight(0);
        NowStamp += Arg(argv, 3) / SecondsPerDay;
        Print("weight", MirvakAveragingWeight(0));
    } else if (command == "impedance" && argc == 8) {
        // type, max-level index, f, level, phase, meter impedance
        Settings.ConnectionType = int16_t(Arg(argv, 2));
        Settings.MaxLevelIndex = int8_t(Arg(argv, 3));
        Settings.Mirvak.SubMode = 3;
        const float f = Arg(argv, 4);
        Points({f});
        const TComplex h = MeasuredTransfer(f, Arg(argv, 5), Arg(argv, 6));
        MirvakWorkArrays.TransferRe[0] = h.re;
        MirvakWorkArrays.TransferIm[0] = h.im;
        const float cp = Settings.ConnectionType == 3 ? 1.5e-7f : 2e-7f;
        ComputeImpedanceCurve(Arg(argv, 7), 600 * 1.0050251f, MirvakShuntResistance, cp, 0.67f, 0.00015f);
        const TMirvakWorkArrays &w = MirvakWorkArrays;
        Print("r", w.R[0]);
        Print("x", w.X[0]);
        Print("c", w.C[0]);
        Print("l", w.L[0]);
        Print("mismatch", w.MismatchK[0]);
    } else if (command == "line" && argc == 8) {
        Settings.Mirvak.CableLength = Arg(argv, 2);
        Points({Arg(argv, 3)});
        TMirvakWorkArrays &w = MirvakWorkArrays;
        w.ZOpenRe[0] = Arg(argv, 4);
        w.ZOpenIm[0] = Arg(argv, 5);
        w.ZShortRe[0] = Arg(argv, 6);
        w.ZShortIm[0] = Arg(argv, 7);
        LineStep(0);
        Print("att", w.LineAtt[0]);
        Print("phase", w.LinePhase[0]);
        Print("zmod", w.LineZMod[0]);
        Print("zphase", w.LineZPhase[0]);
    } else if ((command == "dc" || command == "cap") && argc >= 4 && argc % 2 == 0) {
        std::vector<float> f;
        std::vector<float> v;
        for (int i = 2; i < argc; i += 2) {
            f.push_back(Arg(argv, i));
            v.push_back(Arg(argv, i + 1));
        }
        Points(f);
        if (command == "dc") {
            MirvakWorkArrays.R = v;
            MirvakDcResistance();
            PrintResult("dc", SlotMirvakResistance);
        } else {
            MirvakWorkArrays.C = v;
            MirvakCapacitance102();
            PrintResult("c102", SlotMirvakCapacitance102);
        }
    } else if (command == "scan" && argc == 5) {
        Scan(Arg(argv, 2), Arg(argv, 3), Arg(argv, 4));
    } else {
        return 2;
    }
    return 0;
}
