#pragma once

#include <cstdint>

// Finds the analysis band (BandLowBin, BandHighBin), the strongest tone (ToneBin1) and a second tone
// (ToneBin2 > ToneBin1, or equal when there is none) in PowerSpectrum, or takes the tone bins from a
// running MTTS or PRBS generator of the peer (ForcedKindHint 3 or 4). Returns the power threshold of
// the search, or the power at ToneBin1 when the generator forced the kind. Every bin found lies
// inside the spectrum, whatever the settings say.
float FindTonePeaks(int32_t n);

// The offset (-0.5 .. 0.5) of a tone from bin k, from the Hann neighbour power ratio in AveragedPower;
// 0 when bin k has no power or no neighbours.
float FractionalBinOffset(int32_t k);
