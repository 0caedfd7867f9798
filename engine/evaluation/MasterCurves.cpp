#include "engine/evaluation/MasterCurves.h"

#include "engine/MasterParam.h"
#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/ResultGraphReset.h"

namespace {

void CreateMasterParam(TMaster_Param *&holder, int32_t slot, int32_t graphKind) {
    if (!holder)
        holder = new TMaster_Param();
    holder->Clear();
    ResetResultGraph(graphKind, slot);
    Dispatch(DispatchTargets().RedrawGraph, graphKind);
}

} // namespace

void CreateMasterFreqParam() {
    CreateMasterParam(FreqMasterParam, 20, 18);
}

void CreateMasterLevParam() {
    CreateMasterParam(LevelMasterParam, 21, 19);
}
