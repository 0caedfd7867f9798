#pragma once

// Generator kinds as the generator selection counts them.
enum GeneratorKind : int {
    GenKindSin = 1,
    GenKindSin2 = 2,
    GenKindMtts = 3,
    GenKindRnd = 4,
    GenKindBlock = 5,
    GenKindNoise = 6
};
