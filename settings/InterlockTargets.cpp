#include "settings/InterlockTargets.h"

TInterlockTargets &InterlockTargets() {
    static TInterlockTargets targets;
    return targets;
}
