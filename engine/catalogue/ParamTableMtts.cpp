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
constexpr ParamRowData MttsRows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Green,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Green,
     HintCompliance},
    {"Сигнал,дБм0\n", 36, 2, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -40, 10, 1, -80, 10, Blue,
     "Суммарный уровень гармоник МЧС в полосе анализа"},
    {"Шум,дБм0\n", 37, 6, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -60, -60, 1, -80, 10, Red,
     "Суммарный уровень шума в полосе анализа \nс подавлением гармоник МЧС"},
    {"Сигн/шум,дБ\n", 38, 8, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 40, 40, 1, -10, 80, Green,
     "Защищенность МЧС равна среднему арифметическому \nвыраженных в дБ значений защищенности \nгармоник МЧС в полосе анализа"},
    {"Скорость,кбит/с\n", 39, 16, 10, 0, 120000, 0.1, 0, 100000, 100000, 4, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 6000, 6000, 0.5, 0, 40000, Green,
     "Скоростной потенциал в заданной полосе частот анализа \nс учетом возможно заданных ограничений ЧХ нормами сверху \n(удельная скорость, затухание) и снизу (защищенность)"},
    {"Макс.Затухание,дБ\n", 40, 40, 0, -100, 120, 1, -40, 60, 44000, 2, SwitchesAllowed("-PDW-UM"), -1, -1, NoFileMask, DefaultSwitches("AP-UM"), 0, 30, 1, -10, 80, Green,
     "Максимальное затухание гармоники МЧС в полосе анализа"},
    {"Макс.Затухание,кГц\n", 41, 41, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Green,
     "Частота гармоники МЧС с максимальным затуханием"},
    {"Сопротивление,Ом\n", 44, 17, 6, 0, 1000000, 1, 0, 1000000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0.5, 0, 1000, Red,
     HintLoopResistance},
    {"C(1.02кГц),нФ\n", 48, 18, 9, 0, 4000, 0.1, 0, 4000, 40000, 2, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 500, 0.5, 0, 4000, Blue,
     HintCapacitance1020},
    {"Таймер,с\n", 45, -1, -1, 0, 86400, 1, 10, 86400, 8640, 2, SwitchesAllowed("-P-WL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 900, 900, 0.5, 0, 2000, Green,
     "Таймер отсчета времени анализа \nслучайных событий при измерениях по МЧС"},
    {"Мин.Сигн/шум,дБ\n", 42, 25, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("A----"), 20, 20, 1, -10, 80, Green,
     "Минимальная защищенность гармоники МЧС в полосе анализа; \n'Мин.Сигн/шум,дБ\\Норма_снизу' есть порог анализа \nпри счете 'Мин.Сигн/шум,событий' и 'Мин.Сигн/шум,%'"},
    {"Мин.Сигн/шум,кГц\n", 43, 42, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 0, 10000, 0.5, 0, 10000, Green,
     "Частота гармоники МЧС с минимальной защищенностью"},
    {"Мин.Сигн/шум,событий\n", 46, 26, 5, 0, 9999, 1, 0, 9999, 9999, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("A----"), 2, 2, 0.5, 0, 100, Green,
     "Счетчик фактов снижения минимальной \nзащищенности 'Мин.Сигн/шум,дБ' ниже \nпорога 'Мин.Сигн/шум,дБ\\Норма_снизу' \nна интервале анализа 'Таймер,с'"},
    {"Мин.Сигн/шум,%\n", 47, 27, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("-PDW-U-"), -1, -1, NoFileMask, DefaultSwitches("AP-U-"), 2, 2, 0.5, 0, 10, Green,
     "Процент интервалов объединения со снижением \nминимальной защищенности 'Мин.Сигн/шум,дБ' \nниже порога 'Мин.Сигн/шум,дБ\\Норма_снизу'"},
    {"АЧХ,дБ\n", NoSlot, 100, 0, -100, 120, 0.1, -40, 60, 44000, 2, SwitchesAllowed("TP--LUM"), 5, 5, "*.9af\n", DefaultSwitches("A----"), 0, 0, 1, -10, 80, Red,
     HintFrequencyResponse},
    {"ГВП,мкс\n", NoSlot, 101, 8, -100000, 100000, 0.001, -10000, 10000, 0, 4, SwitchesAllowed("TP--LU-"), 6, 6, "*.9df\n", DefaultSwitches("A----"), 0, 0, 0.5, -10000, 10000, Green,
     "Частотная характеристика группового времени прохождения"},
    {"С/Ш,дБ\n", NoSlot, 102, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("TP--LUM"), 7, 7, "*.9nf\n", DefaultSwitches("A----"), 0, 0, 1, -10, 80, Blue,
     "ЧХ защищенности в децибелах: \nС/Ш,дБ(f)=10*log(С(f)/Ш(f)). \nС(f) - уровень гармоники на частоте f \nШ(f) - уровень шума около частоты f"},
    {"бит\n", NoSlot, 107, 11, 0, 30, 0.1, 0, 30, 30000, 2, SwitchesAllowed("TP--LU-"), 12, 12, "*.9bf\n", DefaultSwitches("A----"), 0, 0, 0.5, 0, 30, Red,
     "ЧХ удельной скорости передачи. \nОпределяется ЧХ защищенности, \nразмерность бит/Гц"},
    {"R,Ом\n", NoSlot, 109, 6, -12000, 12000, 1, -1000, 1000, 48000, 2, SwitchesAllowed("TP--LU-"), 14, 14, "*.9zf\n", DefaultSwitches("A----"), 0, 0, 0.5, -1000, 1000, Green,
     HintResistanceCurve},
    {"X,Ом\n", NoSlot, 110, 6, -12000, 12000, 1, -1000, 1000, 48000, 2, SwitchesAllowed("TP--LU-"), 15, 15, "*.9zf\n", DefaultSwitches("A----"), 0, 0, 0.5, -1000, 1000, Green,
     HintReactanceCurve},
    {"Z,Ом\n", NoSlot, 103, 6, 0, 12000, 1, 0, 1000, 60000, 2, SwitchesAllowed("TP--LU-"), 8, 8, "*.9zf\n", DefaultSwitches("A----"), 0, 0, 0.5, 0, 1000, Green,
     HintImpedanceCurve},
    {"Кнс,%\n", NoSlot, 104, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("TP--LU-"), 9, 9, "*.9rf\n", DefaultSwitches("A----"), 0, 0, 0.5, 0, 100, Green,
     HintMismatchFactorCurve},
    {"Анс,дБ\n", NoSlot, 106, 0, 0, 100, 0.1, 0, 100, 10000, 2, SwitchesAllowed("TP--LUM"), 11, 11, "*.9kf\n", DefaultSwitches("A----"), 0, 0, 1, 0, 80, Green,
     HintMismatchLossCurve},
    {"Ф,град\n", NoSlot, 105, 7, -180, 180, 0.2, -180, 180, 36000, 2, SwitchesAllowed("TP--LU-"), 10, 10, "*.9pf\n", DefaultSwitches("A----"), 0, 0, 0.5, -180, 180, Green,
     HintPhaseCurve},
    {"C,нФ\n", NoSlot, 108, 9, 0, 4000, 0.1, 0, 4000, 40000, 2, SwitchesAllowed("TP--LU-"), 13, 13, "*.9cf\n", DefaultSwitches("A----"), 0, 0, 0.5, 0, 500, Green,
     HintCapacitanceCurve},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("TP-----"), -1, 1, NoFileMask, DefaultSwitches("A----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveLevels},
    {"Сел.взв.уровни,дБм0\n", NoSlot, 301, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP-----"), -1, 2, NoFileMask, DefaultSwitches("-----"), 0, 0, 1, -120, 40, Red,
     HintSelectiveWeightedLevels},
    {"Осциллограмма\n", NoSlot, -1, -1, -100, 100, 1e-05, -100, 100, 20000000, 4, SwitchesAllowed("TP-----"), -1, 0, NoFileMask, DefaultSwitches("-----"), 0, 0, 0.5, -2, 2, Green,
     HintOscillogram},
    {"Затухание(300кГц),дБ\n", 49, 60, 0, -100, 120, 1, -40, 120, 44000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("-PLUM"), 0, 80, 1, -10, 80, Red,
     "Рабочее затухание на частоте 300кГц"},
    {"Длина(ТП-0.5мм),м\n", 50, -1, -1, 0, 1000000, 0.001, 0, 1000000, 0, 4, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 5000, 1, 0, 100000, Blue,
     "Эффективная длина линии по затуханию. \nРассчитана по затуханию на частоте 300кГц \nдля кабеля ТП-0.5мм (9.9дБ/км)"},
};

// Result slots of the rate and percent rows, id and colour of the rate row, the two hints.
constexpr DslTableRows DslMttsRows = {SwitchesAllowed("-PDWL--"), {
    {51, 52, 61, Red,
     "Скоростной потенциал ADSL, downstream, \n+20.4dBm, 138...1104kHz, \nmax=8bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL_dn и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL)"},
    {53, 54, 62, Olive,
     "Скоростной потенциал ADSL2, downstream, \n+20.4dBm, 138...1104kHz, \nmax=12bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL2_dn и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2)"},
    {55, 56, 63, Blue,
     "Скоростной потенциал ADSL2+, downstream, \n+20.4dBm, 138...2208kHz, \nmax=12bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL2+_dn и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2+)"},
    {57, 58, 64, Red,
     "Скоростной потенциал ADSL, upstream, \n+12.5dBm, 26...138kHz, \nmax=6bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL_up и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL)"},
    {59, 60, 65, Olive,
     "Скоростной потенциал ADSL2, upstream, \n+12.5dBm, 26...138kHz, \nmax=9bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL2_up и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2)"},
    {61, 62, 66, Blue,
     "Скоростной потенциал ADSL2+, upstream, \n+12.5dBm, 26...138kHz, \nmax=9bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL2+_up и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL2+)"},
    {63, 64, 67, Green,
     "Скоростной потенциал SHDSL, \n16-TCPAM, +13.5dBm, SNR-margin=6dB",
     "Отношение скоростного потенциала SHDSL_16-TCPAM и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 SHDSL)"},
    {65, 66, 68, Purple,
     "Скоростной потенциал SHDSL.bis, \n32-TCPAM, +13.5dBm, SNR-margin=6dB",
     "Отношение скоростного потенциала SHDSL_32-TCPAM и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 SHDSL)"},
    {67, 68, 69, Black,
     "Скоростной потенциал ADSL4, downstream, \n+20.4dBm, 138...4416kHz, \nmax=12bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL4_dn и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL4)"},
    {69, 70, 70, Black,
     "Скоростной потенциал ADSL4, upstream, \n+12.5dBm, 26...138kHz, \nmax=9bit/bin, SNR-margin=6dB",
     "Отношение скоростного потенциала ADSL4_up и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в 10-парн.пучке до 3 ADSL4)"},
}};
// clang-format on

static_assert(std::size(MttsRows) + 2 * DslPairCount == ParamTableRowCounts[3]);

} // namespace

int32_t BuildMttsTable() {
    ParamTableBuilder builder(3);
    builder.Add(MttsRows);
    AddDslRows(builder, DslMttsRows);
    return builder.RowsOffered();
}
