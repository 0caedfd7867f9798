#pragma once

#include <cstdint>

// A result curve starts afresh: the per-point verdicts of its mask slot are made anew, and its graph
// window, when open, takes its default X range and binds its masks again.
void ResetResultGraph(int32_t graphKind, int32_t maskSlot);
