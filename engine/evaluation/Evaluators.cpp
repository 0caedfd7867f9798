#include "engine/evaluation/Evaluators.h"

#include "engine/catalogue/ConnectionTypes.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/CurveMargin.h"
#include "engine/evaluation/CurveMarking.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ParamJudging.h"
#include "engine/evaluation/SlotCurves.h"
#include "state/DeviceSettings.h"

#include <span>

namespace {

enum class StepOp : uint8_t { Mark, MarkCheck, MasterParams, JudgeTable };

struct EvalStep {
    StepOp Op;
    int8_t Slot;
    TCurve (*Curve)(); // null: the curve its owner published for the slot
};

struct Evaluator {
    std::span<const EvalStep> Steps;
    std::span<const int8_t> Redraw;
    std::span<const int8_t> RedrawForSelectiveResult;
};

constexpr EvalStep Judge{StepOp::JudgeTable, -1, nullptr};

constexpr EvalStep Mark(int8_t slot, TCurve (*curve)() = nullptr) {
    return {StepOp::Mark, slot, curve};
}
constexpr EvalStep MarkCheck(int8_t slot, TCurve (*curve)() = nullptr) {
    return {StepOp::MarkCheck, slot, curve};
}

constexpr EvalStep SinSteps[] = {
    MarkCheck(1, SpectrumCurve), MarkCheck(2, WeightedSpectrumCurve), {StepOp::MasterParams, -1, nullptr}, Judge};
constexpr EvalStep Sin2Steps[] = {Judge};
// The multitone's curves are those of the graph kinds with the same numbers as their mask slots.
template <int8_t Slot> TCurve LineCurveOfSlot() {
    return LineResultCurve(Slot);
}
template <int8_t Slot> constexpr EvalStep MarkLine() {
    return Mark(Slot, LineCurveOfSlot<Slot>);
}
template <int8_t Slot> constexpr EvalStep MarkCheckLine() {
    return MarkCheck(Slot, LineCurveOfSlot<Slot>);
}
constexpr EvalStep MttsSteps[] = {MarkCheckLine<5>(), MarkLine<6>(),  MarkCheckLine<7>(),  MarkLine<14>(),
                                  MarkLine<15>(),     MarkLine<8>(),  MarkLine<9>(),       MarkLine<10>(),
                                  MarkCheckLine<11>(), MarkLine<12>(), MarkLine<13>(),      Judge};
constexpr EvalStep PrbsSteps[] = {MarkCheck(3, ReflectogramLevelCurve), Mark(4, ReflectogramPercentCurve),
                                  MarkCheck(22), Judge};
constexpr EvalStep NoiseSteps[] = {Mark(0, OscillogramCurve),
                                   MarkCheck(16, SpectrumCurve),
                                   MarkCheck(17, WeightedSpectrumCurve),
                                   MarkCheck(18, [] { return PhasogramCurve(0); }),
                                   MarkCheck(19, [] { return PhasogramCurve(1); }),
                                   MarkCheck(42, [] { return PhasogramCurve(2); }),
                                   MarkCheck(43, [] { return PhasogramCurve(3); }),
                                   Judge};
// The selective table is judged before its plan and line curves are marked, so their margins and
// verdicts enter the table one result later.
constexpr EvalStep SelectiveSteps[] = {MarkCheck(23, SpectrumCurve),
                                       MarkCheck(24, WeightedSpectrumCurve),
                                       Judge,
                                       MarkCheck(25),
                                       MarkCheck(26),
                                       MarkCheck(27),
                                       Mark(28),
                                       Mark(29),
                                       Mark(30),
                                       Mark(31),
                                       MarkCheck(32),
                                       Mark(33),
                                       Mark(34),
                                       Mark(35),
                                       Mark(37),
                                       Mark(38),
                                       Mark(39),
                                       Mark(40),
                                       Mark(41)};
constexpr EvalStep SyncSteps[] = {Mark(0, SyncOscillogramCurve), MarkCheck(36, SpectrumCurve), Judge};

constexpr int8_t SinRedraw[] = {0, 1, 2, 18, 19};
constexpr int8_t Sin2Redraw[] = {0, 1, 2};
constexpr int8_t MttsRedraw[] = {0, 1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr int8_t PrbsRedraw[] = {0, 1, 2, 3, 4, 20};
constexpr int8_t NoiseRedraw[] = {0, 1, 2, 16, 17, 37, 38};
constexpr int8_t SelectiveRedraw[] = {1, 2};
constexpr int8_t SelectiveCurveRedraw[] = {21, 22, 23, 24, 25, 26, 27, 29, 28, 30, 31, 32, 33, 34, 35, 36};
constexpr int8_t SyncRedraw[] = {0, 1};

// Indexed by signal kind; kind 0 (settling) has no evaluator.
const Evaluator Evaluators[8] = {
    {},
    {SinSteps, SinRedraw, {}},
    {Sin2Steps, Sin2Redraw, {}},
    {MttsSteps, MttsRedraw, {}},
    {PrbsSteps, PrbsRedraw, {}},
    {NoiseSteps, NoiseRedraw, {}},
    {SelectiveSteps, SelectiveRedraw, SelectiveCurveRedraw},
    {SyncSteps, SyncRedraw, {}},
};

constexpr int32_t SelectiveKind = 6;
constexpr int32_t SelectiveResultSource = 3;

void RunStep(const EvalStep &step, int32_t kind) {
    const TDispatchTargets &targets = DispatchTargets();
    if (step.Op == StepOp::MasterParams) {
        Dispatch(targets.UpdateMasterParams);
        return;
    }
    if (step.Op == StepOp::JudgeTable) {
        const ParameterTable table = ParameterTableOf(kind);
        EvaluateParamTable(table.Rows, table.RowCount);
        return;
    }
    const TCurve curve = step.Curve ? step.Curve() : PublishedSlotCurve(step.Slot);
    MarkCurvePoints(curve.X, curve.Y, curve.Count, step.Slot);
    if (step.Op == StepOp::MarkCheck)
        CheckCurveAgainstMasks(curve.X, curve.Y, curve.Count, step.Slot);
}

void RedrawGraphs(std::span<const int8_t> kinds) {
    for (int8_t kind : kinds)
        Dispatch(DispatchTargets().RedrawGraph, int32_t(kind));
}

} // namespace

void EvaluateSignalKind(int32_t kind, int32_t source) {
    if (kind < FirstTableKind || kind > LastTableKind || !MeterConnected(DeviceSettings->ConnectionType))
        return;
    const Evaluator &evaluator = Evaluators[kind];
    for (const EvalStep &step : evaluator.Steps)
        RunStep(step, kind);
    RedrawGraphs(evaluator.Redraw);
    if (source == SelectiveResultSource)
        RedrawGraphs(evaluator.RedrawForSelectiveResult);
    Dispatch(DispatchTargets().RefreshResultTable);
    if (kind == SelectiveKind)
        Dispatch(DispatchTargets().ShowMirvakSelectionFreq);
}
