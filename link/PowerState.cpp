#include "link/PowerState.h"

PowerStateEntry PowerState[PowerStateCount];
