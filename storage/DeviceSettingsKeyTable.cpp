#include "storage/DeviceSettingsKeyTable.h"

#include "state/DeviceSettings.h"

#include <array>

namespace {

using K = DeviceSettingsKey;
using W = K::Width;
using R = K::Rounding;
using D = K::Missing;
using A = K::After;

#define AT(field) offsetof(TDeviceSettings, field)

// clang-format off
// The two masters share their key order; a few keys and roundings differ between them.
#define MASTER_KEYS(section, block, range1, rangeN, rangeStep, sinKey, valueRound, valueDefault, sinRound,           \
                    sinDefault)                                                                                        \
    K{section, u"Тип источника", AT(block.Source), W::U8, R::None, D::Current, 0, A::Nothing},                         \
        K{section, u"Количество строк в наборе", AT(block.SetCount), W::I8, valueRound, valueDefault, 0,             \
          A::MasterRows},                                                                                              \
        K{section, range1, AT(block.RangeStart), W::F32, valueRound, valueDefault, 0, A::Nothing},                     \
        K{section, rangeN, AT(block.RangeN), W::I32, R::None, D::Current, 0, A::Nothing},                              \
        K{section, rangeStep, AT(block.RangeStep), W::F32, valueRound, valueDefault, 0, A::Nothing},                   \
        K{section, u"SIN вкл", AT(block.SinOn), W::U8, R::None, D::Current, 0, A::Nothing},                            \
        K{section, u"уд.SIN вкл", AT(block.RemoteSinOn), W::U8, R::None, D::Current, 0, A::Nothing},                   \
        K{section, sinKey, AT(block.SinValue), W::F32, sinRound, sinDefault, 0, A::Nothing},                           \
        K{section, u"Тип ширины полосы", AT(block.BandType), W::U8, R::None, D::Current, 0, A::Nothing},               \
        K{section, u"Ширина полосы: F0,кГц", AT(block.BandF0), W::F32, R::Frequency, D::LowestBin, 0, A::Nothing},     \
        K{section, u"Ширина полосы: F1,кГц", AT(block.BandF1), W::F32, R::Frequency, D::MaxFrequency, 0, A::Nothing},  \
        K{section, u"Автомат по времени", AT(block.AutoByTime), W::U8, R::None, D::Current, 0, A::AutoByTime},         \
        K{section, u"Интервал, сек", AT(block.Interval), W::I32, R::None, D::Current, 0, A::Nothing},                  \
        K{section, u"GenStart", AT(block.State), W::I32, R::None, D::Current, 0, A::Nothing}

// Key texts are exact: "дБмо" ends in the Cyrillic letter о, "дБм0" in the digit 0.
constexpr auto kKeys = std::to_array<K>({
    {u"Общие R9", u"Максимальная частота,кГц", AT(MaxFrequency), W::F32, R::Frequency, D::Current, 0, A::MaxFrequency},
    {u"Общие R9", u"Тип подключения", AT(ConnectionType), W::I16, R::None, D::Current, 0, A::Nothing},

    {u"Генератор", u"Опорный уровень,дБмо", AT(GenRef), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"Опорный уровень список,дБмо", AT(RefPresets), W::HighByte, R::None, D::Current, 0, A::Nothing},
    {u"Генератор", u"Импеданс,Ом", AT(GenImpedance), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"Импеданс низкоомно", AT(GenLowImpedance), W::U8, R::None, D::Current, 0, A::Nothing},
    {u"Генератор", u"SIN уровень,дБм0", AT(Sin.Level), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"SIN частота,кГц", AT(Sin.F1), W::F32, R::Frequency, D::CurrentScaled, 0, A::Nothing},
    {u"Генератор", u"SIN GenStart", AT(Sin.State), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"SIN2 уровень,дБм0", AT(Sin2.Level), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"SIN2 частота1,кГц", AT(Sin2.F1), W::F32, R::Frequency, D::CurrentScaled, 0, A::Nothing},
    {u"Генератор", u"SIN2 частота2,кГц", AT(Sin2.F2), W::F32, R::Frequency, D::CurrentScaled, 0, A::Nothing},
    {u"Генератор", u"SIN2 GenStart", AT(Sin2.State), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"МЧС уровень,дБм0", AT(Mtts.Level), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"МЧС частота1,кГц", AT(Mtts.F1), W::F32, R::Frequency, D::CurrentScaled, 0, A::Nothing},
    {u"Генератор", u"МЧС частота2,кГц", AT(Mtts.F2), W::F32, R::Frequency, D::CurrentScaled, 0, A::Nothing},
    {u"Генератор", u"МЧС Шаг гармоник,кГц", AT(Mtts.Step), W::F32, R::Frequency, D::Current, 0, A::Nothing},
    {u"Генератор", u"МЧС Количество гармоник", AT(Mtts.Count), W::I32, R::None, D::Current, 0, A::Nothing},
    {u"Генератор", u"МЧС GenStart", AT(Mtts.State), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"ПСС уровень,дБм0", AT(Rnd.Level), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"ПСС GenStart", AT(Rnd.State), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"ШУМ уровень,дБм0", AT(Noise.Level), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Генератор", u"ШУМ GenStart", AT(Noise.State), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"Блокировка GenStart", AT(Block.State), W::I32, R::None, D::Constant, 1, A::Nothing},
    {u"Генератор", u"уд.SIN GenStart", AT(RemoteGenState[0]), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"уд.SIN2 GenStart", AT(RemoteGenState[1]), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"уд.MTTS GenStart", AT(RemoteGenState[2]), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"уд.RND GenStart", AT(RemoteGenState[3]), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"уд.NOISE GenStart", AT(RemoteNoiseState), W::I32, R::None, D::Constant, 0, A::Nothing},
    {u"Генератор", u"уд.Блокировка GenStart", AT(RemoteGenState[4]), W::I32, R::None, D::Constant, 1, A::Nothing},

    {u"Измеритель", u"Размер вектора АЦП", AT(AdcSize), W::I32, R::None, D::WrittenOnly, 0, A::Nothing},
    {u"Измеритель", u"Индекс размера вектора АЦП", AT(AdcSizeIndex), W::I32, R::None, D::Current, 0, A::AdcSizeIndex},
    {u"Измеритель", u"Индекс шага представления спектра", AT(SpectrumStepIndex), W::I32, R::None, D::Current, 0,
     A::SpectrumStepIndex},
    {u"Измеритель", u"Полоса анализа: F0,кГц", AT(BandF0), W::F32, R::Frequency, D::LowestBin, 0, A::Nothing},
    {u"Измеритель", u"Полоса анализа: F1,кГц", AT(BandF1), W::F32, R::Frequency, D::MaxFrequency, 0, A::Nothing},
    {u"Измеритель", u"Опорный уровень,дБмо", AT(MeterRef), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Опорный уровень список,дБмо", AT(RefPresets), W::LowByte, R::None, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Импеданс,Ом", AT(MeterImpedance), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Импеданс высокоомно", AT(MeterHighImpedance), W::U8, R::None, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Индекс максимального измеряемого уровня", AT(MaxLevelIndex), W::I8, R::None, D::Current, 0,
     A::MaxLevelIndex},
    {u"Измеритель", u"Автомат максимального измеряемого уровня", AT(AutoMaxLevel), W::U8, R::None, D::Constant, 0,
     A::Nothing},
    {u"Измеритель", u"Минимальный уровень сигнала,дБм0", AT(Lmin), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Минимальная защищенность сигнала,дБ", AT(MinSnr), W::F32, R::ThreeDecimals, D::Current, 0,
     A::Nothing},
    {u"Измеритель", u"Взвешивающая характеристика", AT(WeightingIndex), W::Text, R::None, D::Constant, 0, A::Weighting},
    {u"Измеритель", u"Построение АЧХ", AT(AfcRef), W::F32, R::Frequency, D::Constant, -1.0, A::Nothing},
    {u"Измеритель", u"Построение ГВП", AT(GvpRef), W::F32, R::Frequency, D::Constant, 0.0, A::Nothing},
    {u"Измеритель", u"Скорость распространения, м/мкс", AT(CableVelocity), W::F32, R::ThreeDecimals, D::Current, 0,
     A::Nothing},
    {u"Измеритель", u"Интервал усреднения, сек", AT(AveragingInterval), W::I32, R::None, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Интервал объединения случайных событий, сек", AT(EventMergeInterval), W::F32, R::ThreeDecimals,
     D::Current, 0, A::Nothing},
    {u"Измеритель", u"Прецизионный спектр", AT(EventCounting), W::U8, R::None, D::Current, 0, A::Nothing},
    {u"Измеритель", u"Построение фазограммы", AT(Phasogram), W::U8, R::None, D::Constant, 0, A::Nothing},
    {u"Измеритель", u"Фазограмма - Опорная частота", AT(PhasogramRef), W::F32, R::Frequency, D::Constant, 0.05,
     A::Nothing},

    {u"Управление удаленным R9", u"КМЧС уровень,дБм", AT(ControlLevel), W::F32, R::ThreeDecimals, D::Current, 0,
     A::Nothing},
    {u"Управление удаленным R9", u"КМЧС частота1,кГц", AT(ControlF1), W::F32, R::Frequency, D::CurrentScaled, 0,
     A::Nothing},
    {u"Управление удаленным R9", u"КМЧС частотаN,кГц", AT(ControlFN), W::F32, R::Frequency, D::CurrentScaled, 0,
     A::ControlFN},
    {u"Управление удаленным R9", u"КМЧС режим достоверности", AT(ExchangeMode), W::I16, R::None, D::Current, 0,
     A::Nothing},
    {u"Управление удаленным R9", u"Установить соединение", AT(ConnectState), W::I32, R::None, D::Constant, 0,
     A::Nothing},

    MASTER_KEYS(u"Мастер частоты", MasterF, u"Диапазон частот: F1,кГц", u"Диапазон частот: N",
                u"Диапазон частот: dF,кГц", u"SIN уровень,дБм0", R::Frequency, D::CurrentScaled, R::ThreeDecimals,
                D::Current),
    MASTER_KEYS(u"Мастер уровня", MasterL, u"Диапазон уровней L1,дБм0", u"Диапазон уровней: N",
                u"Диапазон уровней: dL,дБм0", u"SIN частота,кГц", R::ThreeDecimals, D::Current, R::Frequency,
                D::CurrentScaled),

    {u"Мирвак", u"Тип источника", AT(Mirvak.Flags), W::U8, R::None, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Количество строк в наборе", AT(Mirvak.SetCount), W::I8, R::Frequency, D::CurrentScaled, 0,
     A::MirvakRows},
    {u"Мирвак", u"Диапазон частот: F1,кГц", AT(Mirvak.RangeStart), W::F32, R::Frequency, D::CurrentScaled, 0,
     A::Nothing},
    {u"Мирвак", u"Диапазон частот: N", AT(Mirvak.RangeN), W::I32, R::None, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Диапазон частот: dF,кГц", AT(Mirvak.RangeStep), W::F32, R::Frequency, D::CurrentScaled, 0,
     A::Nothing},
    {u"Мирвак", u"SIN вкл", AT(Mirvak.SinOn), W::U8, R::None, D::Current, 0, A::Nothing},
    {u"Мирвак", u"SIN уровень,дБм0", AT(Mirvak.SinLevel), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Тип измерений", AT(Mirvak.SubMode), W::I8, R::None, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Ширина полосы: Fc1,кГц", AT(Mirvak.Fc1), W::F32, R::Frequency, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Ширина полосы: FcN,кГц", AT(Mirvak.FcN), W::F32, R::Frequency, D::Current, 0, A::MirvakFcN},
    {u"Мирвак", u"Ширина полосы: B,кГц", AT(Mirvak.B), W::F32, R::Frequency, D::Current, 0, A::Nothing},
    // Two blanks after the colon.
    {u"Мирвак", u"Перенос спектра:  typeShiftSpectr", AT(Mirvak.Options), W::I32, R::None, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Перенос спектра измерителя: FcM,кГц", AT(Mirvak.FcM), W::F32, R::Frequency, D::Current, 0,
     A::Nothing},
    {u"Мирвак", u"Перенос спектра генератора: FcG,кГц", AT(Mirvak.FcG), W::F32, R::Frequency, D::Current, 0,
     A::Nothing},
    {u"Мирвак", u"Длина кабеля: Lкаб,кГц", AT(Mirvak.CableLength), W::F32, R::Frequency, D::Current, 0, A::Nothing},
    {u"Мирвак", u"AFC калибровка уровень,дБ", AT(Mirvak.AfcCalDb), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Мирвак", u"Импеданс калибровка,Ом", AT(Mirvak.LoadOhm), W::F32, R::ThreeDecimals, D::Current, 0, A::Nothing},
    {u"Мирвак", u"GenStart", AT(Mirvak.RunState), W::I32, R::None, D::Constant, 0, A::MirvakRunState},

    {u"SYNC", u"Тип измерений", AT(SyncEdgeMode), W::I8, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"Задержка_1", AT(SyncDelay[0]), W::F32, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"Задержка_2", AT(SyncDelay[1]), W::F32, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"Задержка_3", AT(SyncDelay[2]), W::F32, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"Задержка_4", AT(SyncDelay[3]), W::F32, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"Мониторинг", AT(SyncMonitoring), W::U8, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"CountPulse", AT(SyncCountPulse), W::I32, R::None, D::Current, 0, A::Nothing},
    {u"SYNC", u"GenStart", AT(SyncGenState), W::I32, R::None, D::Constant, 0, A::Nothing},
});

// clang-format on
#undef MASTER_KEYS
#undef AT

} // namespace

std::span<const DeviceSettingsKey> DeviceSettingsKeyTable() {
    return kKeys;
}
