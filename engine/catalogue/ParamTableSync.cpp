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
constexpr ParamRowData SyncRows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Red,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Black,
     HintCompliance},
    {"SYNC_Сигнал,событий\n", 122, 20, 5, 0, 999999, 1, 0, 999999, 999999, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 999999, 0.5, 0, 100, Green,
     "Счетчик фактов событий синхронизации на входе SYNC. \nСобытием является обнаружение: \n- положительного фронта импульса, или \n- отрицательного фронта импульса. \nВид события синхронизации выбирается настройкой режима SYNC"},
    {"SYNC_Длительность,мкс\n", 123, 52, 8, 0, 4000000, 100, 0, 4000000, 40000, 2, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 25000, 0.5, 0, 40000, Olive,
     "Длительность импульса на входе SYNC"},
    {"SYNC_Таймер,с\n", 124, -1, -1, 0, 999999, 1, 0, 999999, 999999, 4, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 999999, 0.5, 0, 1000, Olive,
     "Время между двумя последними событиями на входе SYNC"},
    {"Осциллограмма\n", NoSlot, -1, -1, -100, 100, 1e-05, -100, 100, 20000000, 4, SwitchesAllowed("TP-----"), -1, 0, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0.5, -2, 2, Green,
     "Осциллограмма сигнала, поступающего на вход RTx. \nНулевая отметка времени на Осциллограмме соответствует \nмоменту события синхронизации на входе SYNC. \nАктивация 2-х курсоров - Фрагмент от курсора - до курсора. \nАктивация 1-го курсора - Фрагмент от курсора вправо до конца. \nВ отсутствие курсоров  - Фрагмент соответствует Осциллограмме. \nДля выделенного Фрагмента определяются \nСпектр Фрагмента и параметры сигнала Фрагмента"},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 36, 1, "*.9sf\n", DefaultSwitches("AP---"), 0, 0, 1, -120, 40, Red,
     "Диаграмма селективных уровней в диапазоне частот - \nСпектр соответствующего выделенному на Осциллограмме \nвременному Фрагменту сигнала, поступающего на вход RTx"},
    {"Частота,кГц\n", 125, 1, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Teal,
     "Частота максимальной частотной составляющей Спектра, \nсоответствующего выделенному на Осциллограмме \nвременному фрагменту сигнала, поступающего на вход RTx"},
    {"Сигнал,дБм0\n", 126, 2, 1, -160, 100, 1, -120, 40, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP--M"), -40, 10, 1, -80, 10, Blue,
     "Уровень максимальной частотной составляющей Спектра, \nсоответствующего выделенному на Осциллограмме \nвременному фрагменту сигнала, поступающего на вход RTx"},
    {"Шум,дБм0\n", 127, 6, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -60, 10, 1, -80, 20, Red,
     "Уровень шума в полосе анализа с режекцией \nмаксимальной частотной составляющей Спектра, \nсоответствующего выделенному на Осциллограмме \nвременному фрагменту сигнала, поступающего на вход RTx"},
    {"Сигн/шум,дБ\n", 128, 8, 0, -100, 120, 1, 0, 85, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 40, 40, 1, -10, 80, Red,
     "Защищенность максимальной частотной составляющей Спектра, \nсоответствующего выделенному на Осциллограмме \nвременному фрагменту сигнала, поступающего на вход RTx"},
};
// clang-format on

static_assert(std::size(SyncRows) == ParamTableRowCounts[7]);

} // namespace

int32_t BuildSyncTable() {
    ParamTableBuilder builder(7);
    builder.Add(SyncRows);
    return builder.RowsOffered();
}
