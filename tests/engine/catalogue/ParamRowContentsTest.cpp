#include "CatalogueFixture.h"

#include <string>

namespace {

// The ParamResultSlots entry that points at the row, -1 when none does.
int32_t SlotOf(const ParamDescriptor &row) {
    for (int32_t k = 0; k < ParamResultSlotCount; ++k)
        if (ParamResultSlots[k] == &row.Result.Value)
            return k;
    return -1;
}

constexpr int32_t Red = 0x0000FF, Blue = 0xFF0000, Green = 0x008000, Teal = 0x808000, Olive = 0x008080,
                  Black = 0x000000;

struct RowCase {
    int32_t Kind;
    int32_t Row;
    const char *Caption; // without its line feed
    int32_t Slot;
    int32_t Id;
    int32_t Unit;
    float Min, Max, Increment, ScaleMin, ScaleMax;
    int32_t CodeSteps;
    int32_t WireBytes;
    const char *Allowed;
    int32_t MaskSlot;
    int32_t GraphKind;
    const char *FileMask; // without its line feed
    const char *Defaults;
    float LowerNorm, UpperNorm, Factor, YMin, YMax;
    int32_t Colour;
};

// clang-format off
const RowCase RowCases[] = {
    {1, 2, "Частота,кГц", 0, 1, 4, 0, 10000, 1, 0, 10000, 0, 4, "-PDWLU-", -1, -1, "", "AP---", 0, 10000, 0.5f, 0, 10000, Teal},
    {1, 5, "СКО_уровня,дБ", 3, 4, 0, -100, 120, 1, 0, 20, 44000, 2, "-PDW-UM", -1, -1, "", "---U-", 0, 1, 1, 0, 5, Teal},
    {1, 14, "К2,%", 20, 13, 2, 0, 100, 1, 0, 30, 50000, 2, "-PDW-U-", -1, -1, "", "---U-", 0.1f, 0.1f, 0.5f, 0, 2, Green},
    {1, 17, "Таймер,с", 12, -1, -1, 0, 86400, 1, 10, 86400, 8640, 2, "-P-WL--", -1, -1, "", "APL--", 900, 900, 0.5f, 0, 2000, Green},
    {1, 28, "Сел.взв.уровни,дБм0", -1, 301, 1, -160, 100, 1, -80, 40, 52000, 2, "TP---UM", 2, 2, "*.9sf", "-----", 0, 0, 1, -120, 40, Red},
    {1, 31, "АХ,дБ", -1, 112, 0, -100, 120, 0.1f, -40, 60, 44000, 2, "TP--LU-", 21, 19, "*.9ar", "-----", 0, 0, 1, -10, 80, Green},
    {2, 4, "Изм.частоты,Гц", 27, 32, 3, -100, 100, 1, -20, 20, 40000, 2, "-PDWLU-", -1, -1, "", "APLU-", -2, 2, 0.5f, -10, 10, Green},
    {2, 15, "A21,дБ", 35, 35, 0, -100, 120, 1, -10, 10, 44000, 2, "-PDWLUM", -1, -1, "", "-P---", -3, 3, 1, -20, 20, Green},
    {3, 9, "C(1.02кГц),нФ", 48, 18, 9, 0, 4000, 0.1f, 0, 4000, 40000, 2, "-PDWLU-", -1, -1, "", "-P---", 0, 500, 0.5f, 0, 4000, Blue},
    {3, 16, "ГВП,мкс", -1, 101, 8, -100000, 100000, 0.001f, -10000, 10000, 0, 4, "TP--LU-", 6, 6, "*.9df", "A----", 0, 0, 0.5f, -10000, 10000, Green},
    {3, 30, "Длина(ТП-0.5мм),м", 50, -1, -1, 0, 1000000, 0.001f, 0, 1000000, 0, 4, "-P-WLU-", -1, -1, "", "-P---", 0, 5000, 1, 0, 100000, Blue},
    {3, 31, "ADSL_dn,кбит/с", 51, 61, 10, 0, 120000, 0.1f, 0, 100000, 100000, 4, "-PDWL--", -1, -1, "", "-P---", 6000, 6000, 0.5f, 0, 40000, Red},
    {3, 46, "SHDSL.bis,%", 66, -1, -1, 0, 500, 1, 0, 500, 50000, 2, "-P-WL--", -1, -1, "", "-PL--", 100, 100, 1, 100, 200, Blue},
    {3, 49, "ADSL4_up,кбит/с", 69, 70, 10, 0, 120000, 0.1f, 0, 100000, 100000, 4, "-PDWL--", -1, -1, "", "-P---", 600, 600, 0.5f, 0, 40000, Black},
    {4, 5, "Рефлектограмма,дБ", -1, -1, 0, -160, 100, 1, -100, 100, 52000, 2, "TP--LUM", 3, 3, "*.9rt", "A----", 0, 0, 1, -80, 80, Olive},
    {4, 14, "ДиаметрЖилы,мм", 77, -1, -1, 0, 100, 1, 0, 10, 44000, 2, "-P-WLU-", -1, -1, "", "-PLU-", 0.32f, 1.2f, 1, -10, 80, Black},
    {4, 21, "ADSL_dn,кбит/с", 84, -1, 10, 0, 120000, 0.1f, 0, 100000, 100000, 4, "-P-WL--", -1, -1, "", "-P---", 6000, 6000, 0.5f, 0, 40000, Red},
    {4, 37, "ADSL4_dn,кбит/с", 100, -1, 10, 0, 120000, 0.1f, 0, 100000, 100000, 4, "-P-WL--", -1, -1, "", "-P---", 6000, 6000, 0.5f, 0, 40000, Blue},
    {4, 40, "ADSL4_up,%", 103, -1, -1, 0, 500, 1, 0, 500, 50000, 2, "-P-WL--", -1, -1, "", "-PL--", 100, 100, 1, 100, 200, Blue},
    {5, 2, "Шум,дБм0", 104, 6, 1, -160, 100, 1, -105, 20, 52000, 2, "-PDWLUM", -1, -1, "", "AP-U-", -60, -60, 1, -80, 10, Red},
    {5, 13, "Фазограмма(сел),В", -1, 304, 12, -1, 100, 1e-05f, 0, 100, 10000000, 4, "TP--LUM", 42, 37, "*.9pV", "-----", 0, 0, 1, 0, 10, Olive},
    {6, 12, "R,Ом", -1, 117, 6, -1200000, 1200000, 1, -1000, 1000, 48000, 2, "TP--LU-", 28, 24, "*.9zf", "AP---", 0, 0, 0.5f, -1000, 1000, Green},
    {6, 21, "L,мкГн", -1, 124, -1, 0, 12000, 0.1f, 0, 1000, 60000, 2, "TP--LU-", 35, 31, "*.9Lf", "A----", 0, 0, 0.5f, 0, 500, Green},
    {6, 31, "Rж,Ом/км", 121, -1, -1, 0, 1000, 0.05f, 0, 1000, 20000, 2, "-P-WLU-", -1, -1, "", "AP---", 0, 1000, 1, 0, 1000, Blue},
    {7, 3, "SYNC_Длительность,мкс", 123, 52, 8, 0, 4000000, 100, 0, 4000000, 40000, 2, "-PDWLU-", -1, -1, "", "AP---", 0, 25000, 0.5f, 0, 40000, Olive},
    {7, 10, "Сигн/шум,дБ", 128, 8, 0, -100, 120, 1, 0, 85, 44000, 2, "-PDWL-M", -1, -1, "", "AP---", 40, 40, 1, -10, 80, Red},
};
// clang-format on

} // namespace

TEST_F(Catalogue, RowsHoldTheirListedContents) {
    for (const RowCase &c : RowCases) {
        SCOPED_TRACE("kind " + std::to_string(c.Kind) + " row " + std::to_string(c.Row));
        const ParamDescriptor &row = Row(c.Kind, c.Row);
        EXPECT_EQ(std::string(row.Caption), std::string(c.Caption) + "\n");
        EXPECT_EQ(SlotOf(row), c.Slot);
        EXPECT_EQ(row.ParamId, c.Id);
        EXPECT_EQ(row.UnitGroup, c.Unit);
        EXPECT_EQ(row.MinValue, c.Min);
        EXPECT_EQ(row.MaxValue, c.Max);
        EXPECT_EQ(row.Increment, c.Increment);
        EXPECT_EQ(row.ScaleMin, c.ScaleMin);
        EXPECT_EQ(row.ScaleMax, c.ScaleMax);
        EXPECT_EQ(row.CodeSteps, c.CodeSteps);
        EXPECT_EQ(row.WireBytes, c.WireBytes);
        EXPECT_EQ(AllowedLetters(row), c.Allowed);
        EXPECT_EQ(row.MaskSlot, c.MaskSlot);
        EXPECT_EQ(row.GraphKind, c.GraphKind);
        EXPECT_EQ(std::string(row.FileMask), std::string(c.FileMask) + "\n");
        EXPECT_EQ(DefaultLetters(row.Settings), c.Defaults);
        EXPECT_EQ(row.Settings.LowerNorm, c.LowerNorm);
        EXPECT_EQ(row.Settings.UpperNorm, c.UpperNorm);
        EXPECT_EQ(row.Settings.Factor, c.Factor);
        EXPECT_EQ(row.Settings.YScaleMin, c.YMin);
        EXPECT_EQ(row.Settings.YScaleMax, c.YMax);
        EXPECT_EQ(row.Settings.Colour, c.Colour);
    }
}

// The same quantity carries the same id in every table that measures it.
TEST_F(Catalogue, SignalLevelHasOneIdentityAcrossTables) {
    const std::pair<int32_t, int32_t> rows[] = {{1, 3}, {2, 7}, {3, 2}, {4, 2}, {6, 5}, {7, 8}};
    for (const auto &[kind, row] : rows) {
        EXPECT_STREQ(Row(kind, row).Caption, "Сигнал,дБм0\n") << kind;
        EXPECT_EQ(Row(kind, row).ParamId, 2) << kind;
    }
}

// Only the MTTS rate rows may get a time-diagram line.
TEST_F(Catalogue, DslRateRowsDifferBetweenMttsAndPrbs) {
    for (int32_t pair = 0; pair < 10; ++pair) {
        const ParamDescriptor &mtts = Row(3, 31 + 2 * pair);
        const ParamDescriptor &prbs = Row(4, 21 + 2 * pair);
        SCOPED_TRACE(mtts.Caption);
        EXPECT_STREQ(mtts.Caption, prbs.Caption);
        EXPECT_STREQ(Row(3, 32 + 2 * pair).Caption, Row(4, 22 + 2 * pair).Caption);
        EXPECT_EQ(mtts.ParamId, 61 + pair);
        EXPECT_EQ(prbs.ParamId, -1);
        EXPECT_EQ(mtts.TimeDiagramAllowed, 1);
        EXPECT_EQ(prbs.TimeDiagramAllowed, 0);
        EXPECT_EQ(mtts.Settings.LowerNorm, prbs.Settings.LowerNorm);
    }
}

TEST_F(Catalogue, HintsKeepTheirTexts) {
    struct HintCase {
        int32_t Kind, Row;
        const char *Text;
    };
    const HintCase cases[] = {
        {1, 18,
         "Минимальный уровень сигнала на интервале объединения; \n'Мин.Сигн.,дБм0\\Норма_снизу' есть порог анализа "
         "\nпри подсчете 'Мин.Сигн.,событий' и 'Мин.Сигн.,%'"},
        {1, 28, "Диаграмма селективных взвешенных уровней в диапазоне частот\n"},
        {4, 8, "Диаграмма селективных взвешенных уровней в диапазоне частот"},
        {6, 12, "ЧХ активной составляющей \nполного сопротивления"},
        {5, 13, "Селективные уровни как функция \nфазы сигнала опорной частоты"},
        {2, 14, "Осциллограмма сигнала"},
        {3, 31, "Скоростной потенциал ADSL, downstream, \n+20.4dBm, 138...1104kHz, \nmax=8bit/bin, SNR-margin=6dB"},
        {3, 46,
         "Отношение скоростного потенциала SHDSL_32-TCPAM и Нормы скорости. \nНорма(АЧХ, Помехи ETSI-B, в "
         "10-парн.пучке "
         "до 3 SHDSL)"},
        {4, 36,
         "Отношение скоростного потенциала SHDSL_32-TCPAM и Нормы скорости. \nНорма(Длина, Диаметр, Помехи ETSI-B, в "
         "10-парн.пучке до 3 SHDSL.bis)"},
        {7, 4, "Время между двумя последними событиями на входе SYNC"},
    };
    for (const HintCase &c : cases)
        EXPECT_STREQ(Row(c.Kind, c.Row).Hint, c.Text) << "kind " << c.Kind << " row " << c.Row;
}
