#include "storage/WindowArrangement.h"

#include "engine/EngineBuffers.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParameterTable.h"
#include "state/DeviceSettings.h"
#include "state/ProgramSettings.h"
#include "storage/ConfigWindows.h"

#include <array>

namespace {

constexpr int CascadeFrom = 7;     // windows, the result table included
constexpr int TileAcrossBelow = 4; // fewer windows stand side by side, more are stacked

} // namespace

void ArrangeGraphWindows() {
    TConfigWindowHost *host = ConfigWindowHost();
    if (!host || !ProgramSettings.AutoWindowChange)
        return;
    // Without a recognised kind there is no table to follow: the windows stay as they are.
    const ParameterTable table = ParameterTableOf(SignalKind);
    if (table.RowCount == 0)
        return;
    std::array<int, GraphKindCount> used{};
    for (int32_t row = 0; row < table.RowCount; ++row) {
        const ParamDescriptor &p = table.Rows[row];
        if (p.GraphKind >= 0 && p.GraphKind < GraphKindCount && p.Settings.Analyse)
            ++used[std::size_t(p.GraphKind)];
    }
    host->Create({ConfigWindowKind::ResultTable, 0});
    int count = 1;
    for (int32_t kind = 0; kind < GraphKindCount; ++kind) {
        const TConfigWindow graph{ConfigWindowKind::Graph, kind};
        if (used[std::size_t(kind)] == 0) {
            if (host->IsOpen(graph))
                host->Close(graph);
            continue;
        }
        ++count;
        if (!host->IsOpen(graph))
            host->Create(graph);
    }
    host->ProcessMessages();
    if (DeviceSettings->PeerConnectState <= 0)
        return;
    if (count >= CascadeFrom)
        host->Cascade();
    else
        host->Tile(count < TileAcrossBelow);
}
