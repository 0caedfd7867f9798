#include "settings/window/SetDevGeneratorTable.h"

#include "settings/GeneratorCommands.h"
#include "state/GeneratorKind.h"

const std::vector<TGeneratorPageKind> &GeneratorPageKinds() {
    using F = TForm_SetDev;
    // clang-format off
    static const std::vector<TGeneratorPageKind> kinds = {
        {GenKindSin, &F::Button_SIN, &F::Button_SIN_R, &F::Edit_SIN_L, &F::Label_SIN_L, 9, StartSin, {0, 10}, {10}},
        {GenKindSin2, &F::Button_SIN2, &F::Button_SIN2_R, &F::Edit_SIN2_L, &F::Label_SIN2_L, 10, StartSin2, {1, 11}, {11}},
        {GenKindMtts, &F::Button_MTTS, &F::Button_MTTS_R, &F::Edit_MTTS_L, &F::Label_MTTS_L, 13, StartMtts, {2, 12}, {12}},
        {GenKindRnd, &F::Button_RND, &F::Button_RND_R, &F::Edit_RND_L, &F::Label_RND_L, 11, StartRnd, {3, 13}, {13}},
        {GenKindNoise, &F::Button_NOISE, &F::Button_NOISE_R, &F::Edit_NOISE_L, &F::Label_NOISE_L, 12, StartNoise, {7, 17}, {17}},
        {GenKindBlock, &F::Button_Block, &F::Button_Block_R, nullptr, nullptr, 0, BlockGenerator, {}, {14}},
    };
    // clang-format on
    return kinds;
}

const TGeneratorPageKind *GeneratorPageKind(int kind) {
    for (const TGeneratorPageKind &k : GeneratorPageKinds())
        if (k.Kind == kind)
            return &k;
    return nullptr;
}
