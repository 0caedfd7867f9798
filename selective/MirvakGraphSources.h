#pragma once

#include "views/GraphSources.h"

#include <optional>

// The curve of selective graph kind 21 to 36 from the work record: the bin levels (21, 22) over the bin
// frequencies, the point curves (23 to 36) over the point frequencies; nullopt while there is no result
// holder, or for another kind.
std::optional<TCurveArrays> MirvakGraphCurve(int kind);

// Registers the selective processing where the layers below reach it: the graph windows' source of
// kinds 21 to 36 with the holder's bin lookup, the result processing of every stored item, and the
// recorder's and playback's selective work state.
void RegisterMirvakServices();
