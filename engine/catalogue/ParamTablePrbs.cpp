#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParamDslRows.h"
#include "engine/catalogue/ParamHints.h"
#include "engine/catalogue/ParamRowData.h"
#include "engine/catalogue/ParamTableBuilder.h"

#include <iterator>

namespace {

// clang-format off
// Caption, result slot, id, unit group, value range, increment, norm editor range, code steps, wire bytes,
// allowed switches, mask slot, graph kind, file mask, default switches, lower and upper norm, factor,
// Y scale, colour, hint.
constexpr ParamRowData PrbsRows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Red,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Olive,
     HintCompliance},
    {"Сигнал,дБм0\n", 71, 2, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -40, 10, 1, -80, 10, Blue,
     "Уровень псевдослучайного сигнала"},
    {"Отражения,дБм0\n", 72, 50, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -60, -60, 1, -80, 10, Red,
     "Суммарный уровень отражений"},
    {"Сигн/отражения,дБ\n", 73, 51, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("APL-M"), 40, 40, 1, -10, 80, Green,
     "Защищенность псевдослучайного сигнала от отражений \n(сигнал/отражения)"},
    {"Рефлектограмма,дБ\n", NoSlot, -1, 0, -160, 100, 1, -100, 100, 52000, 2, SwitchesAllowed("TP--LUM"), 3, 3, "*.9rt\n", DefaultSwitches("A----"), 0, 0, 1, -80, 80, Olive,
     "Рефлектограмма уровня отраженного сигнала в децибелах \nотносительно уровня собственных помех и с учетом знака: \n- положительные значения уровня соответствуют отражению, \n  знак которого совпадает со знаком основного импульса \n  (отражение от разрыва или ХХ на конце линии), \n- отрицательные значения уровня соответствуют \n  отражению с противоположным знаком \n  (отражение от замыкания жил или КЗ на конце линии)"},
    {"Рефлектограмма,%\n", NoSlot, -1, 2, -100, 100, 0.01, -100, 100, 40000, 2, SwitchesAllowed("TP--LU-"), 4, 4, "*.9pt\n", DefaultSwitches("A----"), 0, 0, 0.5, -100, 100, Olive,
     "Рефлектограмма амплитуды отраженного сигнала в процентах \nотносительно амплитуды основного импульса"},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP-----"), -1, 1, NoFileMask, DefaultSwitches("A----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveLevels},
    {"Сел.взв.уровни,дБм0\n", NoSlot, 301, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP-----"), -1, 2, NoFileMask, DefaultSwitches("-----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveWeightedLevels},
    {"Осциллограмма\n", NoSlot, -1, -1, -100, 100, 1e-05, -100, 100, 20000000, 4, SwitchesAllowed("TP-----"), -1, 0, NoFileMask, DefaultSwitches("-----"), 0, 0, 0.5, -2, 2, Olive,
     HintOscillogram},
    {"АЧХ,дБ\n", NoSlot, 113, 0, -100, 120, 0.1, -40, 60, 44000, 2, SwitchesAllowed("TP--LUM"), 22, 20, "*.9af\n", DefaultSwitches("A----"), 0, 0, 1, -10, 80, Red,
     "ЧХ затухания. Рассчитана по отражению от ХХ \nс экстраполяцией на частотах с затуханием>30дБ"},
    {"Задерж.Отр.ХХ,мкс\n", 74, 52, 8, 0, 100000, 0.01, 0, 100000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 50, 1, 0, 100000, Green,
     "Задержка сигнала, \nотраженного от ХХ на удаленном окончании"},
    {"Затухание(300кГц),дБ\n", 75, 53, 0, -100, 120, 1, -40, 120, 44000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("-P--M"), 0, 80, 1, -10, 80, Red,
     "Рабочее затухание на частоте 300кГц. \nРассчитано по сигналу отражения от ХХ"},
    {"ДлинаЛинии,м\n", 76, -1, -1, 0, 1000000, 0.001, 0, 1000000, 0, 4, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 5000, 1, 0, 100000, Blue,
     "Длина линии по задержке отражения. \nРассчитана по задержке отражения от ХХ и \nзаданной скорости распространения сигнала"},
    {"ДиаметрЖилы,мм\n", 77, -1, -1, 0, 100, 1, 0, 10, 44000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-PLU-"), 0.32, 1.2, 1, -10, 80, Black,
     "Наиболее подходящий диаметр \nдля кабеля с полиэтиленовой изоляцией жил \nпо затуханию на 300кГц и задержке от ХХ. \nВыбран из ряда 0.32, 0.4, 0.5, 0.64, 0.9, 1.2мм"},
    {"Погон.Затух(300кГц),дБ/км\n", 78, 54, 0, -100, 120, 1, 0, 40, 44000, 2, SwitchesAllowed("-P-WLUM"), -1, -1, NoFileMask, DefaultSwitches("-P--M"), 0, 80, 1, -10, 80, Blue,
     "Коэффициент затухания на 300кГц. \nРассчитан по сигналу отражения от ХХ и \nдлине линии по задержке отражения от ХХ"},
    {"Погон.Затух(300кГц),%\n", 79, -1, -1, -100, 100, 1, -100, 100, 50000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-PLU-"), -10, 10, 1, -50, 50, Blue,
     "Отклонение коэффициента затухания на 300кГц \nот номинала по диаметру жилы: дБ/км(мм) \n17.6(0.32) 12.9(0.4) 9.9(0.5) 7.23(0.64) 5.0(0.9) 4.4(1.2)"},
    {"Погон.Сопрот.,Ом/км\n", 82, 55, 6, 0, 1000000, 1, 0, 5000, 0, 4, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 500, 1, 0, 4000, Blue,
     "Погонное сопротивление шлейфа. \nРассчитано по заранее измеренному сопротивлению шлейфа и \nдлине линии по задержке отражения от ХХ"},
    {"Погон.Сопрот.,%\n", 83, -1, -1, -100, 100, 1, -100, 100, 50000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-PLU-"), -10, 10, 1, -50, 50, Blue,
     "Отклонение погонного сопротивления шлейфа \nот номинала по диаметру жилы: Ом/км(мм) \n432(0.32) 278(0.4) 180(0.5) 110(0.64) 56.8(0.9) 31.6(1.2)"},
    {"Погон.Емкость,нФ/км\n", 80, 56, 9, 0, 4000, 0.1, 0, 500, 40000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 100, 1, 0, 4000, Blue,
     "Погонная емкость. \nРассчитана по заранее измеренной на частоте 1.02кГц емкости и \nдлине линии по задержке отражения от ХХ"},
    {"Погон.Емкость,%\n", 81, -1, -1, -100, 100, 1, -100, 100, 50000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-PLU-"), -10, 33, 1, -50, 50, Blue,
     "Относительное отклонение погонной емкости от номинала 45 нФ/км"},
};

// Result slots of the rate and percent rows, id and colour of the rate row, the two hints.
constexpr DslTableRows DslPrbsRows = {SwitchesAllowed("-P-WL--"), {
    {84, 85, -1, Red,
     "Скоростной потенциал ADSL, downstream, \n+20.4dBm, 138...1104kHz, \nmax=8bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL_dn и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL)"},
    {86, 87, -1, Olive,
     "Скоростной потенциал ADSL2, downstream, \n+20.4dBm, 138...1104kHz, \nmax=12bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL2_dn и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2)"},
    {88, 89, -1, Blue,
     "Скоростной потенциал ADSL2+, downstream, \n+20.4dBm, 138...2208kHz, \nmax=12bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL2+_dn и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2+)"},
    {90, 91, -1, Red,
     "Скоростной потенциал ADSL, upstream, \n+12.5dBm, 26...138kHz, \nmax=6bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL_up и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL)"},
    {92, 93, -1, Olive,
     "Скоростной потенциал ADSL2, upstream, \n+12.5dBm, 26...138kHz, \nmax=9bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL2_up и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2)"},
    {94, 95, -1, Blue,
     "Скоростной потенциал ADSL2+, upstream, \n+12.5dBm, 26...138kHz, \nmax=9bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL2+_up и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2+)"},
    {96, 97, -1, Green,
     "Скоростной потенциал SHDSL, \n16-TCPAM, +13.5dBm, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала SHDSL_16-TCPAM и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 SHDSL)"},
    {98, 99, -1, Purple,
     "Скоростной потенциал SHDSL.bis, \n32-TCPAM, +13.5dBm, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала SHDSL_32-TCPAM и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 SHDSL.bis)"},
    {100, 101, -1, Blue,
     "Скоростной потенциал ADSL4, downstream, \n+20.4dBm, 138...4416kHz, \nmax=12bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL4_dn и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL4)"},
    {102, 103, -1, Blue,
     "Скоростной потенциал ADSL4, upstream, \n+12.5dBm, 26...138kHz, \nmax=9bit/bin, SNR-margin=6dB. \nРассчитан по заранее измеренному спектру помех и АЧХ",
     "Отношение скоростного потенциала ADSL4_up и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL4)"},
}};
// clang-format on

static_assert(std::size(PrbsRows) + 2 * DslPairCount == ParamTableRowCounts[4]);

} // namespace

int32_t BuildPrbsTable() {
    ParamTableBuilder builder(4);
    builder.Add(PrbsRows);
    AddDslRows(builder, DslPrbsRows);
    return builder.RowsOffered();
}
