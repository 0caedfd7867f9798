#include "settings/masters/MasterPlan.h"

#include "state/DeviceSettings.h"

#include <algorithm>

namespace {

bool IsRange(const MasterBlock &block) {
    return block.Source & 1;
}

bool IsReverse(const MasterBlock &block) {
    return block.Source & 2;
}

} // namespace

int32_t PlanPositionCount(const MasterBlock &block) {
    return IsRange(block) ? std::max(int32_t(block.RangeN), 0) : SetRowCount(block);
}

int32_t PlanRow(const MasterBlock &block, int32_t position) {
    return IsReverse(block) ? PlanPositionCount(block) - 1 - position : position;
}

bool NextPlanValue(const MasterBlock &block, int32_t &position, float &value) {
    const int32_t count = PlanPositionCount(block);
    for (position = std::max(position + 1, 0); position < count; ++position) {
        const int32_t j = PlanRow(block, position);
        if (IsRange(block)) {
            value = float(double(block.RangeStart) + double(block.RangeStep) * j);
            return true;
        }
        const SetEntry row = block.Set[j];
        if (row.Checked) {
            value = row.Value;
            return true;
        }
    }
    position = count;
    return false;
}
