#include "engine/masks/MaskDefaultRange.h"

#include "engine/masks/MaskArray.h"

void GetParamDefaultRange(double &minimum, double &maximum, int32_t slot) {
    if (slot < 0 || slot >= MaskSlotCount)
        return;
    if (slot == 0) {
        minimum = 0.1;
        maximum = 200000;
    } else if (slot == 3 || slot == 4) {
        minimum = 1;
        maximum = 1000000;
    } else if (slot == 21) {
        minimum = -100;
        maximum = 120;
    } else {
        minimum = 0.001;
        maximum = 10000;
    }
}
