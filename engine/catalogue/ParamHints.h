#pragma once

// Hint texts that several parameter rows share.
inline constexpr const char *HintQuality = "Минимальный запас соответствия \nнормам параметров, измеряемых в дБ";
inline constexpr const char *HintCompliance = "Отметка соответствия всем заданным нормам";
inline constexpr const char *HintCapacitance1020 = "Эффективная электрическая емкость на частоте 1.02кГц";
inline constexpr const char *HintCapacitanceCurve =
    "Частотная характеристика эффективной \nэлектрической емкости подключенной нагрузки";
inline constexpr const char *HintFrequencyResponse = "Частотная характеристика затухания";
inline constexpr const char *HintImpedanceCurve = "ЧХ модуля полного сопротивления (импеданса)";
inline constexpr const char *HintLoopResistance = "Сопротивление постоянному току";
inline constexpr const char *HintMaxNoiseEvents = "Счетчик фактов превышения 'Макс.Шум,дБм0' \nпорога "
                                                  "'Макс.Шум,дБм0\\Норма_сверху' \nна интервале анализа 'Таймер,с'";
inline constexpr const char *HintMaxNoisePercent =
    "Процент интервалов объединения с превышением \n'Макс.Шум,дБм0' порога 'Макс.Шум,дБм0\\Норма_сверху'";
inline constexpr const char *HintMismatchFactorCurve =
    "ЧХ коэффициента несогласованности c нагрузкой \nчисленно равной заданному сопротивлению \nизмерителя Rизм "
    "(Kнс,%=abs(R+jX-Rизм)/abs(R+jX+Rизм)*100%)";
inline constexpr const char *HintMismatchLossCurve =
    "ЧХ затухания несогласованности c нагрузкой \nчисленно равной заданному сопротивлению \nизмерителя Rизм "
    "(Aнс,дБ=-20*log10(abs(R+jX-Rизм)/abs(R+jX+Rизм)))";
inline constexpr const char *HintOscillogram = "Осциллограмма сигнала";
inline constexpr const char *HintPhaseCurve =
    "Частотная характеристика фазового угла между \nнапряжением и током в подключенной нагрузке";
inline constexpr const char *HintPhasogramSelective = "Селективные уровни как функция \nфазы сигнала опорной частоты";
inline constexpr const char *HintPhasogramWeighted = "Взвешенные уровни как функция \nфазы сигнала опорной частоты";
inline constexpr const char *HintReactanceCurve = "ЧХ реактивной составляющей \nполного сопротивления";
inline constexpr const char *HintResistanceCurve = "ЧХ активной составляющей \nполного сопротивления";
inline constexpr const char *HintSelectiveLevels = "Диаграмма селективных уровней в диапазоне частот";
inline constexpr const char *HintSelectiveWeightedLevels =
    "Диаграмма селективных взвешенных уровней в диапазоне частот";
inline constexpr const char *HintSinAttenuation =
    "Затухание гармонического сигнала \nотносительно заданного опорного уровня измерителя";
inline constexpr const char *HintSinFrequency = "Частота гармонического сигнала";
inline constexpr const char *HintSinLevel = "Текущий уровень гармонического сигнала";
inline constexpr const char *HintSinNoise = "Уровень шума в полосе анализа \nс подавлением сигнала (шум с тоном)";
inline constexpr const char *HintSinSnr = "Защищенность сигнала в полосе анализа - \nсоотношение уровня гармонического "
                                          "сигнала и \nуровня шума в полосе анализа с подавлением сигнала";
inline constexpr const char *HintSinWeightedNoise =
    "Уровень взвешенного шума \nc подавлением сигнала (взвешенный шум с тоном)";
inline constexpr const char *HintSinWeightedSnr = "Защищенность сигнала от взвешенных шумов \n- соотношение уровня "
                                                  "сигнала и уровня \nвзвешенного шума с подавлением сигнала";
