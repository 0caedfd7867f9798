#pragma once

#include <cstdint>

// The generator that runs, as the protocol header names it: 1 SIN, 2 SIN2, 3 MTTS, 4 RND, 6 NOISE, 5 none.
int32_t GeneratorCode();
