#pragma once

#include <cstdint>

// The evaluator of a signal kind (1 SIN .. 7 SYNC): marks each masked curve of the kind against its
// masks, computes the margins of the curves that have one, judges the kind's parameter table, and asks
// the graph windows of the kind and the result table to redraw. source (1..4) matters only to the
// selective mode, whose curve windows redraw only for a selective result. Nothing without a meter or
// for any other kind.
void EvaluateSignalKind(int32_t kind, int32_t source);
