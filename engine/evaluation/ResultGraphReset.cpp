#include "engine/evaluation/ResultGraphReset.h"

#include "engine/evaluation/DispatchTargets.h"
#include "engine/evaluation/PointVerdicts.h"

void ResetResultGraph(int32_t graphKind, int32_t maskSlot) {
    AllocPointVerdicts(maskSlot);
    Dispatch(DispatchTargets().ResetGraphWindow, graphKind);
}
