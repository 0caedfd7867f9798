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
constexpr ParamRowData Sin2Rows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Green,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Green,
     HintCompliance},
    {"Частота1,кГц\n", 25, 30, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Green,
     "Частота 1-й составляющей \nдвухчастотного сигнала (f1)"},
    {"Частота2,кГц\n", 26, 31, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Green,
     "Частота 2-й составляющей \nдвухчастотного сигнала (f2)"},
    {"Изм.частоты,Гц\n", 27, 32, 3, -100, 100, 1, -20, 20, 40000, 2, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("APLU-"), -2, 2, 0.5, -10, 10, Green,
     "Изменение частоты в канале связи \nпо двухчастотному сигналу \n(для обеспечения точности следует \nустановить время усреднения >20с)"},
    {"Уровень1,дБм0\n", 28, 33, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("A----"), -40, 10, 1, -80, 10, Blue,
     "Уровень 1-й составляющей \nдвухчастотного сигнала"},
    {"Уровень2,дБм0\n", 29, 34, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("A----"), -40, 10, 1, -80, 10, Blue,
     "Уровень 2-й составляющей \nдвухчастотного сигнала"},
    {"Сигнал,дБм0\n", 30, 2, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -40, 10, 1, -80, 10, Blue,
     "Уровень двухчастотного сигнала"},
    {"Шум,дБм0\n", 31, 6, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -60, -60, 1, -80, 10, Red,
     "Уровень шума в полосе анализа \nс подавлением двухчастотного сигнала"},
    {"Сигн/шум,дБ\n", 32, 8, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("AP--M"), 40, 40, 1, -10, 80, Green,
     "Защищенность двухчастотного сигнала - \nсоотношение суммарного уровня двухчастотного сигнала и \nуровня шума в полосе анализа с подавлением сигнала"},
    {"A3,дБ\n", 33, 11, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("APL-M"), 60, 60, 1, -10, 80, Green,
     "Затухание нелинейных искажений 3-го порядка. \nРазность селективно измеренных уровней: \n- уровня SIN2 (f2>f1) и \n- уровня продукта f=2*f1-f2"},
    {"К3,%\n", 34, 14, 2, 0, 100, 1, 0, 30, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 0.1, 0.1, 0.5, 0, 2, Green,
     "Коэффициент нелинейных искажений 3-го порядка. \nОтношение селективного напряжения f=2*f1-f2 \nи уровня SIN2 (f2>f1)"},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP-----"), -1, 1, NoFileMask, DefaultSwitches("A----"), 0, 0, 1, -120, 40, Red,
     "Диаграмма селективных уровней \nв диапазоне частот"},
    {"Сел.взв.уровни,дБм0\n", NoSlot, 301, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP-----"), -1, 2, NoFileMask, DefaultSwitches("-----"), 0, 0, 1, -120, 40, Red,
     "Диаграмма селективных взвешенных \nуровней в диапазоне частот"},
    {"Осциллограмма\n", NoSlot, -1, -1, -100, 100, 1e-05, -100, 100, 20000000, 4, SwitchesAllowed("TP-----"), -1, 0, NoFileMask, DefaultSwitches("-----"), 0, 0, 0.5, -2, 2, Green,
     HintOscillogram},
    {"A21,дБ\n", 35, 35, 0, -100, 120, 1, -10, 10, 44000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("-P---"), -3, 3, 1, -20, 20, Green,
     "Затухание составляющей SIN2 f2 \nотносительно составляющей f1 (f2>f1)"},
};
// clang-format on

static_assert(std::size(Sin2Rows) == ParamTableRowCounts[2]);

} // namespace

int32_t BuildSin2Table() {
    ParamTableBuilder builder(2);
    builder.Add(Sin2Rows);
    return builder.RowsOffered();
}
