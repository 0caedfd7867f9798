#include "shell/MainSst.h"

#include "engine/SstParam2.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "views/Fgraph.h"

#include <algorithm>
#include <array>

namespace {

// The selective graph kinds each sub-mode draws.
constexpr std::array<int, 2> LevelKinds = {21, 22};
constexpr std::array<int, 7> ImpedanceKinds = {21, 22, 23, 27, 28, 29, 30};
constexpr std::array<int, 14> LineKinds = {21, 22, 23, 24, 25, 26, 28, 29, 30, 32, 33, 34, 35, 36};
constexpr std::array<int, 3> AfcKinds = {21, 22, 23};

template <std::size_t N> bool Contains(const std::array<int, N> &kinds, int kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

bool KindFitsSubMode(int kind, int subMode) {
    switch (subMode) {
    case -1:
    case 0:
        return Contains(AfcKinds, kind);
    case 1:
    case 2:
        return Contains(LevelKinds, kind);
    case 3:
    case 4:
    case 5:
    case 6:
        return Contains(ImpedanceKinds, kind);
    case 7:
    case 8:
        return Contains(LineKinds, kind);
    default:
        return false;
    }
}

template <typename Visit> void ForEachShownSstGraph(Visit visit) {
    for (int index = 0; index < GraphWindowCount; ++index)
        if (IsShownSstGraph(index))
            visit(*OpenGraphWindow(index));
}

} // namespace

bool IsShownSstGraph(int index) {
    const TForm_Graphic *graph = OpenGraphWindow(index);
    if (!graph)
        return false;
    const int kind = graph->Kind();
    return kind >= 21 && kind <= 36 && KindFitsSubMode(kind, DeviceSettings->Mirvak.SubMode);
}

// A group whose frequency lies between two bins has no bin to show; the cursors stay where they are.
void MoveCursorsToSstFrequency() {
    const TSST_Param2 *holder = SstParam;
    if (!holder || holder->CurrentBin < 0 || holder->CurrentBin >= int32_t(holder->Bins.size()) ||
        holder->Divider == 0)
        return;
    const double frequency = holder->Bins[std::size_t(holder->CurrentBin)] * holder->Resolution / holder->Divider;
    ForEachShownSstGraph([frequency](TForm_Graphic &graph) { SetBoundCursorX(graph.CursorSet, frequency); });
}

void StoreSstTraces() {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    const int32_t options = m.Options;
    if (!(options & MirvakContinuous) || ((options & MirvakUpperTraceMask) && (options & MirvakLowerTraceMask)))
        return;
    if (options & MirvakTwoTraces) {
        ForEachShownSstGraph([](TForm_Graphic &graph) {
            graph.ShiftTraceMask(1);
            graph.SaveTraceAsMask(0);
        });
        return;
    }
    const bool lower = options & MirvakUpperTraceMask;
    if (lower && (m.SubMode == 1 || m.SubMode == 2))
        return;
    ForEachShownSstGraph([lower](TForm_Graphic &graph) { graph.SaveTraceAsMask(lower ? 1 : 0); });
}
