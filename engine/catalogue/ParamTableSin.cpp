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
constexpr ParamRowData SinRows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Red,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Black,
     HintCompliance},
    {"Частота,кГц\n", 0, 1, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Teal,
     HintSinFrequency},
    {"Сигнал,дБм0\n", 1, 2, 1, -160, 100, 1, -120, 40, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -40, 10, 1, -80, 10, Blue,
     HintSinLevel},
    {"Ср.уровень,дБм0\n", 2, 3, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("-----"), -40, 0, 1, -80, 10, Blue,
     "Средний уровень гармонического сигнала \nна текущем интервале измерения"},
    {"СКО_уровня,дБ\n", 3, 4, 0, -100, 120, 1, 0, 20, 44000, 2, SwitchesAllowed("-PDW-UM"), -1, -1, NoFileMask, DefaultSwitches("---U-"), 0, 1, 1, 0, 5, Teal,
     "Среднеквадратическое отклонение \nтекущего уровня сигнала от среднего уровня", 1},
    {"Затухание,дБ\n", 4, 5, 0, -100, 120, 1, -40, 120, 44000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP-UM"), 0, 30, 1, -10, 80, Green,
     HintSinAttenuation},
    {"Шум,дБм0\n", 5, 6, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -60, -60, 1, -80, 10, Red,
     HintSinNoise},
    {"Взв.шум,дБм0\n", 7, 7, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDW-UM"), -1, -1, NoFileMask, DefaultSwitches("-----"), -60, -60, 1, -80, 10, Red,
     HintSinWeightedNoise},
    {"Сигн/шум,дБ\n", 6, 8, 0, -100, 120, 1, 0, 85, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("APL-M"), 40, 40, 1, -10, 80, Red,
     HintSinSnr},
    {"Сигн/взв.шум,дБ\n", 8, 9, 0, -100, 120, 1, 0, 85, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("--L--"), 40, 40, 1, -10, 80, Green,
     HintSinWeightedSnr},
    {"A2,дБ\n", 19, 10, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("--L--"), 60, 60, 1, 0, 80, Green,
     "Затухание 2-й гармоники относительно основной"},
    {"A3,дБ\n", 21, 11, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("--L--"), 60, 60, 1, 0, 80, Green,
     "Затухание 3-й гармоники относительно основной"},
    {"A23,дБ\n", 23, 12, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("--L--"), 60, 60, 1, 0, 80, Green,
     "Затухание суммарных гармонических искажений \n(затухание суммы 2-й и 3-й гармоник относительно основной)"},
    {"К2,%\n", 20, 13, 2, 0, 100, 1, 0, 30, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("---U-"), 0.1, 0.1, 0.5, 0, 2, Green,
     "Коэффициент 2-й гармоники"},
    {"К3,%\n", 22, 14, 2, 0, 100, 1, 0, 30, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("---U-"), 0.1, 0.1, 0.5, 0, 2, Green,
     "Коэффициент 3-й гармоники"},
    {"К23,%\n", 24, 15, 2, 0, 100, 1, 0, 30, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("---U-"), 0.1, 0.1, 0.5, 0, 2, Green,
     "Коэффициент суммарных гармонических искажений"},
    {"Таймер,с\n", 12, -1, -1, 0, 86400, 1, 10, 86400, 8640, 2, SwitchesAllowed("-P-WL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 900, 900, 0.5, 0, 2000, Green,
     "Таймер отсчета времени анализа случайных событий \nпри измерениях по гармоническому сигналу"},
    {"Мин.Сигн.,дБм0\n", 9, 19, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("A----"), -40, -40, 1, -80, 10, Green,
     "Минимальный уровень сигнала на интервале объединения; \n'Мин.Сигн.,дБм0\\Норма_снизу' есть порог анализа \nпри подсчете 'Мин.Сигн.,событий' и 'Мин.Сигн.,%'"},
    {"Мин.Сигн.,событий\n", 13, 20, 5, 0, 9999, 1, 0, 9999, 9999, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 100, Green,
     "Счетчик фактов снижения 'Мин.Сигн.,дБм0' \nниже порога 'Мин.Сигн.,дБм0\\Норма_снизу' \nна интервале анализа 'Таймер,с'"},
    {"Мин.Сигн.,%\n", 14, 21, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 10, Green,
     "Процент интервалов объединения \nсо снижением 'Мин.Сигн.,дБм0' ниже \nпорога 'Мин.Сигн.,дБм0\\Норма_снизу'"},
    {"Макс.Шум,дБм0\n", 10, 22, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDW-UM"), -1, -1, NoFileMask, DefaultSwitches("A----"), -40, -40, 1, -80, 10, Lime,
     "Максимум уровня шума на интервале объединения; \n'Макс.Шум,дБм0\\Норма_сверху' есть порог анализа \nпри подсчете 'Макс.Шум,событий' и 'Макс.Шум,%'"},
    {"Макс.Шум,событий\n", 15, 23, 5, 0, 9999, 1, 0, 9999, 9999, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 100, Green,
     HintMaxNoiseEvents},
    {"Макс.Шум,%\n", 16, 24, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 10, Green,
     HintMaxNoisePercent},
    {"Мин.Сигн/шум,дБ\n", 11, 25, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("A----"), 20, 20, 1, -10, 80, Lime,
     "Минимум сигнал/шум на интервале объединения; \n'Мин.Сигн/шум,дБ\\Норма_снизу' есть порог анализа \nпри подсчете 'Мин.Сигн/шум,событий' и 'Мин.Сигн/шум,%'"},
    {"Мин.Сигн/шум,событий\n", 17, 26, 5, 0, 9999, 1, 0, 9999, 9999, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 100, Green,
     "Счетчик фактов снижения 'Мин.Сигн/шум,дБ' \nниже порога 'Мин.Сигн/шум,дБ\\Норма_снизу' \nна интервале анализа 'Таймер,с'"},
    {"Мин.Сигн/шум,%\n", 18, 27, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("AP-U-"), 2, 2, 0.5, 0, 10, Green,
     "Процент интервалов объединения со снижением \n'Мин.Сигн/шум,дБ' ниже порога 'Мин.Сигн/шум,дБ\\Норма_снизу'"},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 1, 1, "*.9sf\n", DefaultSwitches("A----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveLevels},
    {"Сел.взв.уровни,дБм0\n", NoSlot, 301, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 2, 2, "*.9sf\n", DefaultSwitches("-----"), 0, 0, 1, -120, 40, Red,
     "Диаграмма селективных взвешенных уровней в диапазоне частот\n"},
    {"Осциллограмма\n", NoSlot, -1, -1, -100, 100, 1e-05, -100, 100, 20000000, 4, SwitchesAllowed("TP-----"), -1, 0, NoFileMask, DefaultSwitches("-----"), 0, 0, 0.5, -2, 2, Green,
     HintOscillogram},
    {"АЧХ,дБ\n", NoSlot, 111, 0, -100, 120, 0.1, -40, 60, 44000, 2, SwitchesAllowed("TP--LU-"), 20, 18, "*.9af\n", DefaultSwitches("-----"), 0, 0, 1, -10, 80, Green,
     HintFrequencyResponse},
    {"АХ,дБ\n", NoSlot, 112, 0, -100, 120, 0.1, -40, 60, 44000, 2, SwitchesAllowed("TP--LU-"), 21, 19, "*.9ar\n", DefaultSwitches("-----"), 0, 0, 1, -10, 80, Green,
     "Амплитудная характеристика"},
};
// clang-format on

static_assert(std::size(SinRows) == ParamTableRowCounts[1]);

} // namespace

int32_t BuildSinTable() {
    ParamTableBuilder builder(1);
    builder.Add(SinRows);
    return builder.RowsOffered();
}
