#pragma once

#include <cstdint>
#include <functional>

// Everything above the engine that a judged frame is handed on to. Each view or service registers its
// own entry when it comes into being (the graph windows their redraw, the time series their append, ...);
// an empty entry is a target that does not exist in this program run, and the dispatch skips it.
struct TDispatchTargets {
    // The graph window of a graph kind redraws from the engine's arrays when it is open.
    std::function<void(int32_t graphKind)> RedrawGraph;
    // The graph window of a graph kind, when open, takes its default X range and binds both its masks
    // anew: its result curve has just started afresh.
    std::function<void(int32_t graphKind)> ResetGraphWindow;
    // The graph windows rescale their Y axes automatically (while the peer analyser drives the link).
    std::function<void()> AutoScaleGraphs;
    // The first result table shows the rows' new values and verdicts.
    std::function<void()> RefreshResultTable;
    // The time series take the frame's values; source is the frame's origin (1..4).
    std::function<void(int32_t source)> AppendTimeSeries;
    // The value windows and the time diagrams show the new values.
    std::function<void()> UpdateValueWindows;
    std::function<void()> AppendTimeDiagramPoints;
    // The frequency and level masters: the SIN result they plot, and their step on every frame.
    std::function<void()> UpdateMasterParams;
    std::function<void()> MasterFrameHooks;
    // The recorder notes which of its streams changed (bits of its change mask).
    std::function<void(int32_t bits)> RecordChange;
    // The running scenario takes its step.
    std::function<void()> StepScenario;
    // The settings window shows the selective mode's current selection frequency, and the input ranges
    // after the automatic range moved.
    std::function<void()> ShowMirvakSelectionFreq;
    std::function<void()> ShowMaxLevelRanges;
    // Issues the instrument commands pending in DeviceSettings->Mode. The connection control, which sits
    // above the engine, registers it when the application starts.
    std::function<void()> SendCommand;
};

TDispatchTargets &DispatchTargets();

// Calls a registered target; nothing when it is not registered.
template <typename... Args> void Dispatch(const std::function<void(Args...)> &target, Args... args) {
    if (target)
        target(args...);
}
