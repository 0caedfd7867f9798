#pragma once

// The difference reference of the generator's PRBS (x^10 + x^7 + 1, period 1023 chips, two samples
// a chip) against itself shifted by half its 2046 samples, kept only as the positions where it is +2
// (EngineBuffers.PrbsPositiveIndexes) and -2 (PrbsNegativeIndexes), so that correlating a block with
// it takes additions only. False when a list cannot be allocated.
bool BuildPrbsReference();
