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
constexpr ParamRowData MirvakRows[] = {
    {"Качество,дБ\n", NoSlot, 0, 0, -100, 120, 1, -100, 100, 44000, 2, SwitchesAllowed("-PDWL--"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 0, 0, 0, -100, 100, Green,
     HintQuality},
    {"Отметка соответ.\n", NoSlot, -1, -1, 0, 0, 1, 0, 0, 0, 0, SwitchesAllowed("-P-----"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0, 0, 0, Green,
     HintCompliance},
    {"Селективно,дБм0\n", NoSlot, 114, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("TP---UM"), 25, 21, "*.9sf\n", DefaultSwitches("AP---"), 0, 0, 1, -120, 40, Red,
     HintSelectiveLevels},
    {"Селективно взв.,дБм0\n", NoSlot, 115, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP---UM"), 26, 22, "*.9sf\n", DefaultSwitches("AP---"), 0, 0, 1, -120, 40, Red,
     HintSelectiveWeightedLevels},
    {"Частота,кГц\n", 110, 1, 4, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Teal,
     HintSinFrequency},
    {"Сигнал,дБм0\n", 111, 2, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP---"), -40, 10, 1, -80, 10, Blue,
     HintSinLevel},
    {"Затухание,дБ\n", 112, 5, 0, -100, 120, 1, -40, 120, 44000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP-UM"), 0, 30, 1, -10, 80, Green,
     HintSinAttenuation},
    {"Шум,дБм0\n", 113, 6, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP-U-"), -60, -60, 1, -80, 10, Red,
     HintSinNoise},
    {"Взв.шум,дБм0\n", 114, 7, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("-PDWLUM"), -1, -1, NoFileMask, DefaultSwitches("AP-U-"), -60, -60, 1, -80, 10, Red,
     HintSinWeightedNoise},
    {"Сигн/шум,дБ\n", 115, 8, 0, -100, 120, 1, 0, 60, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 40, 40, 1, -10, 80, Green,
     HintSinSnr},
    {"Сигн/взв.шум,дБ\n", 116, 9, 0, -100, 120, 1, 0, 85, 44000, 2, SwitchesAllowed("-PDWL-M"), -1, -1, NoFileMask, DefaultSwitches("APL--"), 40, 40, 1, -10, 80, Green,
     HintSinWeightedSnr},
    {"АЧХ,дБ\n", NoSlot, 116, 0, -100, 120, 0.1, -40, 60, 44000, 2, SwitchesAllowed("TP--LUM"), 27, 23, "*.9af\n", DefaultSwitches("AP---"), 0, 0, 1, -10, 80, Red,
     HintFrequencyResponse},
    {"R,Ом\n", NoSlot, 117, 6, -1200000, 1200000, 1, -1000, 1000, 48000, 2, SwitchesAllowed("TP--LU-"), 28, 24, "*.9zf\n", DefaultSwitches("AP---"), 0, 0, 0.5, -1000, 1000, Green,
     HintResistanceCurve},
    {"X,Ом\n", NoSlot, 118, 6, -1200000, 1200000, 1, -1000, 1000, 48000, 2, SwitchesAllowed("TP--LU-"), 29, 25, "*.9zf\n", DefaultSwitches("AP---"), 0, 0, 0.5, -1000, 1000, Green,
     HintReactanceCurve},
    {"Z,Ом\n", NoSlot, 119, 6, 0, 1200000, 1, 0, 1000, 60000, 2, SwitchesAllowed("TP--LU-"), 30, 26, "*.9zf\n", DefaultSwitches("AP---"), 0, 0, 0.5, 0, 1000, Green,
     HintImpedanceCurve},
    {"Ф,град\n", NoSlot, 120, 7, -180, 180, 0.2, -180, 180, 36000, 2, SwitchesAllowed("TP--LU-"), 31, 27, "*.9pf\n", DefaultSwitches("AP---"), 0, 0, 0.5, -180, 180, Green,
     HintPhaseCurve},
    {"Анс,дБ\n", NoSlot, 121, 0, 0, 100, 0.1, 0, 100, 10000, 2, SwitchesAllowed("TP--LUM"), 32, 28, "*.9kf\n", DefaultSwitches("AP---"), 0, 0, 1, 0, 80, Green,
     HintMismatchLossCurve},
    {"Кнс,%\n", NoSlot, 122, 2, 0, 100, 1, 0, 50, 50000, 2, SwitchesAllowed("TP--LU-"), 33, 29, "*.9rf\n", DefaultSwitches("AP---"), 0, 0, 0.5, 0, 100, Green,
     HintMismatchFactorCurve},
    {"Сопротивление,Ом\n", 117, 17, 6, 0, 1000000, 1, 0, 1000000, 0, 4, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 0.5, 0, 1000, Red,
     HintLoopResistance},
    {"C(1.02кГц),нФ\n", 118, 18, 9, 0, 4000, 0.1, 0, 4000, 40000, 2, SwitchesAllowed("-PDWLU-"), -1, -1, NoFileMask, DefaultSwitches("-P---"), 0, 500, 0.5, 0, 4000, Blue,
     HintCapacitance1020},
    {"C,нФ\n", NoSlot, 123, 9, 0, 4000, 0.1, 0, 4000, 40000, 2, SwitchesAllowed("TP--LU-"), 34, 30, "*.9cf\n", DefaultSwitches("A----"), 0, 0, 0.5, 0, 500, Green,
     HintCapacitanceCurve},
    {"L,мкГн\n", NoSlot, 124, -1, 0, 12000, 0.1, 0, 1000, 60000, 2, SwitchesAllowed("TP--LU-"), 35, 31, "*.9Lf\n", DefaultSwitches("A----"), 0, 0, 0.5, 0, 500, Green,
     "Частотная характеристика эффективной \nиндуктивности подключенной нагрузки"},
    {"Сел.уровни,дБм0\n", NoSlot, 300, 1, -160, 100, 1, -60, 20, 52000, 2, SwitchesAllowed("TP-----"), -1, 1, NoFileMask, DefaultSwitches("AP---"), 0, 0, 1, -120, 40, Red,
     HintSelectiveLevels},
    {"Сел.взв.уровни,дБм0\n", NoSlot, 301, 1, -160, 100, 1, -80, 40, 52000, 2, SwitchesAllowed("TP-----"), -1, 2, NoFileMask, DefaultSwitches("AP---"), 0, 0, 1, -120, 40, Red,
     HintSelectiveWeightedLevels},
    {"a(f),дБ/км\n", NoSlot, 125, -1, -50, 200, 1, -20, 40, 50000, 2, SwitchesAllowed("TP--LU-"), 37, 32, "*.9ak\n", DefaultSwitches("AP---"), 0, 0, 1, -20, 40, Red,
     "ЧХ коэффициента затухания по ХХ-КЗ на конце кабеля"},
    {"b(f),рад/км\n", NoSlot, 126, -1, -10, 240, 1, -10, 240, 50000, 2, SwitchesAllowed("TP--LU-"), 38, 33, "*.9bk\n", DefaultSwitches("AP---"), 0, 0, 1, -10, 240, Red,
     "ЧХ коэффициента фазы по ХХ-КЗ на конце кабеля"},
    {"v(f),м/мкс\n", NoSlot, 127, -1, 0, 300, 1, 0, 300, 60000, 2, SwitchesAllowed("TP--LU-"), 39, 34, "*.9vf\n", DefaultSwitches("AP---"), 0, 0, 1, 0, 300, Red,
     "ЧХ скорости распространения по ХХ-КЗ на конце кабеля"},
    {"Zв(f),Ом\n", NoSlot, 128, -1, 0, 1200000, 1, 0, 1000, 60000, 2, SwitchesAllowed("TP--LU-"), 40, 35, "*.9zf\n", DefaultSwitches("AP---"), 0, 0, 0.5, 0, 1000, Green,
     "ЧХ модуля импеданса по ХХ-КЗ на конце кабеля"},
    {"Ф(f),град\n", NoSlot, 129, -1, -180, 180, 0.2, -180, 180, 36000, 2, SwitchesAllowed("TP--LU-"), 41, 36, "*.9pf\n", DefaultSwitches("AP---"), 0, 0, 0.5, -180, 180, Green,
     "ЧХ фазы импеданса по ХХ-КЗ на конце кабеля"},
    {"Fизм,кГц\n", 119, -1, -1, 0, 10000, 1, 0, 10000, 0, 4, SwitchesAllowed("-P-W---"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 10000, 0.5, 0, 10000, Teal,
     "Частота на которой измерена емкость или индуктивность"},
    {"Cp(Fизм),нФ/км\n", 120, -1, -1, 0, 4000, 0.1, 0, 500, 40000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 100, 1, 0, 4000, Blue,
     "Погонная емкость по ХХ на конце кабеля"},
    {"Rж,Ом/км\n", 121, -1, -1, 0, 1000, 0.05, 0, 1000, 20000, 2, SwitchesAllowed("-P-WLU-"), -1, -1, NoFileMask, DefaultSwitches("AP---"), 0, 1000, 1, 0, 1000, Blue,
     "Погонное сопротивление жилы по КЗ на конце пары"},
};
// clang-format on

static_assert(std::size(MirvakRows) == ParamTableRowCounts[6]);

} // namespace

int32_t BuildMirvakTable() {
    ParamTableBuilder builder(6);
    builder.Add(MirvakRows);
    return builder.RowsOffered();
}
