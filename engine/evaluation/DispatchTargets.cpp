#include "engine/evaluation/DispatchTargets.h"

TDispatchTargets &DispatchTargets() {
    static TDispatchTargets targets;
    return targets;
}
