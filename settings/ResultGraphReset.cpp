#include "settings/ResultGraphReset.h"

#include "engine/evaluation/PointVerdicts.h"
#include "settings/InterlockTargets.h"

void ResetResultGraph(int32_t graphKind, int32_t maskSlot) {
    AllocPointVerdicts(maskSlot);
    if (InterlockTargets().ResetGraphWindow)
        InterlockTargets().ResetGraphWindow(graphKind);
}
