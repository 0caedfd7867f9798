#pragma once

#include <cstdint>

struct MasterBlock;

// The plan of a master: the values its generator and its meter walk through. A range (Source bit 0)
// has RangeN positions RangeStart + RangeStep x j; a preset list has one position per stored row. Bit 1
// walks either backwards. A list position whose row is not marked yields no value.

int32_t PlanPositionCount(const MasterBlock &block);
// The list row of a plan position (the position itself in forward order).
int32_t PlanRow(const MasterBlock &block, int32_t position);

// Advances `position` (-1 before the first step) to the next position that yields a value, skipping
// unmarked rows but counting them. False, with `position` at the count, once the plan is exhausted.
bool NextPlanValue(const MasterBlock &block, int32_t &position, float &value);
