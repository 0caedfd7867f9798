#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParamHints.h"
#include "engine/catalogue/ParamRowData.h"
#include "engine/catalogue/ParamTableBuilder.h"

#include <iterator>

namespace {

// clang-format off
// Caption, result slot, id, unit group, value range, increment, norm editor range, code steps, wire bytes,
// allowed switches, mask slot, graph kind, file mask, default switches, lower and upper norm, factor,
// Y scale, colour, hint.
constexpr ParamRowData NoiseRows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Red,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Olive,
     HintCompliance},
    {"Шум,дБм0\n", 104, 6, 1, -160, 100, 1, -105, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP-U-"), -60, -60, 1, -80, 10, Red,
     "Уровень шума"},
    {"Взв.шум,дБм0\n", 105, 7, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDW-UM"), -1, -1, NoFileMask, DefaultSwitches("AP-U-"), -60, -60, 1, -80, 10, Red,
     "Уровень взвешенного шума"},
    {"Таймер,с\n", 107, -1, -1, 0, 86400, 1, 10, 86400, 8640, 2, SwitchesAllowed("-P-WL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 900, 900, 0.5, 0, 2000, Olive,
     "Таймер отсчета времени анализа \nслучайных событий при измерении шума"},
    {"Макс.Шум,дБм0\n", 106, 22, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDW-UM"), -1, -1, NoFileMask, DefaultSwitches("A----"), -40, -40, 1, -80, 10, Lime,
     "Максимальный уровень шума на интервале объединения; \n'Макс.Шум,дБм0\\Норма_сверху' есть порог анализа \nпри подсчете 'Макс.Шум,событий' и 'Макс.Шум,%'"},
    {"Макс.Шум,событий\n", 108, 23, 5, 0, 9999, 1, 0, 9999, 9999, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 100, Olive,
     HintMaxNoiseEvents},
    {"Макс.Шум,%\n", 109, 24, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 2, 2, 0.5, 0, 10, Olive,
     HintMaxNoisePercent},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 16, 1, "*.9sf\n", DefaultSwitches("A----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveLevels},
    {"Сел.взв.уровни,дБм0\n", NoSlot, 301, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 17, 2, "*.9sf\n", DefaultSwitches("A----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveWeightedLevels},
    {"Осциллограмма\n", NoSlot, -1, -1, -100, 100, 1e-05, -100, 100, 20000000, 4, SwitchesAllowed("TP--LU-"), 0, 0, "*.9vt\n", DefaultSwitches("-----"), 0, 0, 0.5, -5, 5, Olive,
     "Осциллограмма сигнала с возможностью наложения маски"},
    {"Фазограмма(сел),дБм0\n", NoSlot, 302, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 18, 16, "*.9ph\n", DefaultSwitches("-----"), 0, 0, 1, -120, 40, Olive,
     HintPhasogramSelective},
    {"Фазограмма(взв),дБм0\n", NoSlot, 303, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 19, 17, "*.9ph\n", DefaultSwitches("-----"), 0, 0, 1, -120, 40, Olive,
     HintPhasogramWeighted},
    {"Фазограмма(сел),В\n", NoSlot, 304, 12, -1, 100, 1e-05, 0, 100, 10000000, 4, SwitchesAllowed("TP--LUM"), 42, 37, "*.9pV\n", DefaultSwitches("-----"), 0, 0, 1, 0, 10, Olive,
     HintPhasogramSelective},
    {"Фазограмма(взв),В\n", NoSlot, 305, 12, -1, 100, 1e-05, 0, 100, 10000000, 4, SwitchesAllowed("TP--LUM"), 43, 38, "*.9pV\n", DefaultSwitches("-----"), 0, 0, 1, 0, 10, Olive,
     HintPhasogramWeighted},
};
// clang-format on

static_assert(std::size(NoiseRows) == ParamTableRowCounts[5]);

} // namespace

int32_t BuildNoiseTable() {
    ParamTableBuilder builder(5);
    builder.Add(NoiseRows);
    return builder.RowsOffered();
}
