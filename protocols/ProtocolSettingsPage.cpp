#include "protocols/ProtocolSettingsPage.h"

#include "chart/HtmlText.h"
#include "chartlib/Chartlib.h"
#include "engine/MeterRange.h"
#include "platform/StringTable.h"
#include "protocols/ProtocolState.h"
#include "settings/MeterSettings.h"
#include "state/DeviceSettings.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <vector>

namespace {

const QString ValueCell = QStringLiteral("<td align=center width=\"30%\">");
const QString RowEnd = QStringLiteral("</td></tr>\n");
const QString YellowRow = QStringLiteral("<tr bgcolor=\"lightyellow\"><td align=left>");
const QString PlainRow = QStringLiteral("<tr><td align=left>");

// A name cell and a value cell on a row that opens with rowStart.
QString Row(const QString &rowStart, const QString &name, const QString &value) {
    return rowStart + name + QStringLiteral("</td>") + ValueCell + value + RowEnd;
}

QString NoBreak(const char *text) {
    return QStringLiteral("<NOBR>") + QString::fromUtf8(text) + QStringLiteral("</NOBR>");
}

// The reference preset texts of the generator (high byte of the presets) and the meter (low byte); a
// preset beyond its list shows no reference.
constexpr const char *GeneratorPresets[] = {"\"=Прямое задание\" [", "\"=0 дБмо (дБм0=дБм)\" [",
                                            "\"=0.775 В (дБм0=дБ)\" [", "\"=1.0 В (дБм0=дБВ)\" [", "\"=-13 дБмо\" ["};
constexpr const char *MeterPresets[] = {"\"=Прямое задание\" [",    "\"=0 дБмо (дБм0=дБм)\" [",
                                        "\"=0.775 В (дБм0=дБ)\" [", "\"=1.0 В (дБм0=дБВ)\" [",
                                        "\"=+4 дБмо\" [",           "\"= Измеренному\" ["};

template <std::size_t N> QString ReferenceText(const char *const (&presets)[N], int preset, float level) {
    if (preset < 0 || preset >= int(N))
        return {};
    return QString::fromUtf8(presets[preset]) + FormatValue(level) + QStringLiteral(" дБм0]");
}

constexpr const char *MirvakModes[] = {"АЧХ",      "Сканирования в полосе",     "Мониторинг уровня",
                                       "Импеданс", "Калибровка импеданса в ХХ", "Калибровка импеданса в КЗ"};
constexpr const char *SyncEdges[] = {
    "Начать по положительному фронту на SYNC", "Начать по отрицательному фронту на SYNC",
    "Завершить по положительному фронту на SYNC", "Завершить по отрицательному фронту на SYNC"};

template <std::size_t N> QString ItemOf(const char *const (&texts)[N], int index) {
    return index >= 0 && index < int(N) ? QString::fromUtf8(texts[index]) : QString();
}

// One row of a generator kind besides its signal row.
enum class GenValue { Level, Frequency, Count };
struct GeneratorRow {
    const char *Name;
    GenValue Kind;
    std::size_t Field; // offset of the float in GenBlock
};

struct GeneratorKindRows {
    const GenBlock TDeviceSettings::*Block;
    int StringNumber; // the signal's name in the string table, 0 for a fixed name
    const char *Name;
    std::vector<GeneratorRow> Rows;
};

const GeneratorRow LevelRow = {"Уровень", GenValue::Level, offsetof(GenBlock, Level)};

// Indexed by the block's generator kind - 1.
const GeneratorKindRows GeneratorKinds[] = {
    {&TDeviceSettings::Sin, 0, "SIN", {LevelRow, {"Частота", GenValue::Frequency, offsetof(GenBlock, F1)}}},
    {&TDeviceSettings::Sin2,
     0,
     "SIN2",
     {LevelRow,
      {"Частота1", GenValue::Frequency, offsetof(GenBlock, F1)},
      {"Частота2", GenValue::Frequency, offsetof(GenBlock, F2)}}},
    {&TDeviceSettings::Mtts,
     141,
     "",
     {LevelRow,
      {"Начальная частота", GenValue::Frequency, offsetof(GenBlock, F1)},
      {"Конечная частота", GenValue::Frequency, offsetof(GenBlock, F2)},
      {"Всего частот", GenValue::Count, offsetof(GenBlock, Count)},
      {"Шаг по частоте", GenValue::Frequency, offsetof(GenBlock, Step)}}},
    {&TDeviceSettings::Rnd, 425, "", {LevelRow}},
    {nullptr, 209, "", {}},
    {&TDeviceSettings::Noise, 152, "", {LevelRow}},
};
constexpr int NoSignalKind = 5;

// The block's fields are packed: a float is read by its bytes, never through a pointer.
float FloatAt(const GenBlock &block, std::size_t offset) {
    float value;
    std::memcpy(&value, reinterpret_cast<const char *>(&block) + offset, sizeof value);
    return value;
}

QString GeneratorValue(const GenBlock &block, const GeneratorRow &row) {
    switch (row.Kind) {
    case GenValue::Level:
        return FormatValue(FloatAt(block, row.Field)) + QStringLiteral(" дБм0");
    case GenValue::Frequency:
        return FormatFrequency(FloatAt(block, row.Field)) + QStringLiteral(" кГц");
    case GenValue::Count:
        return QString::number(block.Count);
    }
    return {};
}

// Connection types that switch no generator to the line.
bool WithoutGenerator(int connectionType) {
    return connectionType == 0 || connectionType == 2 || connectionType == 7;
}

// The block-size index of a block, bounded to the sizes the instrument has.
int BlockSizeIndex() {
    return std::clamp<int>(ProtocolHeader.AdcIndex, 0, int(SpectrumSizes.size()) - 1);
}

} // namespace

std::array<int16_t, 4> ProtocolMaxLevelChoices(float meterImpedance) {
    std::array<int16_t, 4> levels;
    std::copy(std::begin(RangeMaxLevels), std::end(RangeMaxLevels), levels.begin());
    const TDeviceSettings &d = *DeviceSettings;
    if (const auto computed = MaxLevelChoices(meterImpedance, d.ConnectionType, d.MeterRef))
        levels = *computed;
    return levels;
}

void WriteSettingsHead(QStringList &lines, int remote) {
    lines << QStringLiteral("<h5 align=center><FONT COLOR=\"blue\">") +
                 (remote ? QStringLiteral("Настройки удаленного прибора") : LoadStr(446)) +
                 QStringLiteral("</FONT></h5>\n");
    lines << QStringLiteral("<table align=center border=\"1\" cellpadding=\"1\" width=\"100%\">\n");
    lines << QStringLiteral("<tr bgcolor=\"wheat\"><td COLSPAN=2 align=left>Максимальная частота</td>"
                            "<td align=center  width=\"30%\">") +
                 ProtocolRateName + RowEnd;
    lines << Row(QStringLiteral("<tr bgcolor=\"wheat\"><td COLSPAN=2 align=left>"), LoadStr(351), ProtocolConnName);
}

void WriteMirvakSettings(QStringList &lines) {
    const MirvakBlock &m = DeviceSettings->Mirvak;
    lines << QStringLiteral("<tr bgcolor=\"lightyellow\"><td ROWSPAN=2 align=center><FONT COLOR=\"blue\">Режим "
                            "Мирвак</FONT></td>\n") +
                 QStringLiteral("<td align=left>Полоса селекции</td>") + ValueCell + FormatValue(m.B) +
                 QStringLiteral(" кГц") + RowEnd;
    lines << Row(YellowRow, QStringLiteral("Режим измерений"), ItemOf(MirvakModes, m.SubMode));
}

void WriteSyncSettings(QStringList &lines) {
    const TDeviceSettings &d = *DeviceSettings;
    const int edge = uint8_t(d.SyncEdgeMode);
    lines << QStringLiteral(
        "<tr bgcolor=\"lightyellow\"><td ROWSPAN=3 align=center><FONT COLOR=\"blue\">Режим SYNC</FONT></td>\n");
    lines << Row(YellowRow, QStringLiteral("Режим измерений"), ItemOf(SyncEdges, edge));
    // Only the four edge modes have a delay; another mode leaves the cell empty.
    const bool known = edge < int(std::size(d.SyncDelay));
    lines << Row(YellowRow, QStringLiteral("Задержка"),
                 known ? FormatPicture(d.SyncDelay[edge], u"0") + QStringLiteral(" мкс") : QString());
}

void WriteGeneratorRows(QString &text, int &rows, int generatorKind) {
    rows = 0;
    if (generatorKind < 1 || generatorKind > int(std::size(GeneratorKinds)))
        return;
    const GeneratorKindRows &kind = GeneratorKinds[generatorKind - 1];
    const QString name = kind.StringNumber ? LoadStr(kind.StringNumber) : QString::fromUtf8(kind.Name);
    const QString colour = generatorKind == NoSignalKind ? QStringLiteral("#FF0000") : QStringLiteral("#008000");
    text += Row(YellowRow, LoadStr(261),
                QStringLiteral("<FONT COLOR=\"") + colour + QStringLiteral("\">") + name + QStringLiteral("</FONT>"));
    rows = 1;
    for (const GeneratorRow &row : kind.Rows) {
        text += Row(YellowRow, QString::fromUtf8(row.Name), GeneratorValue(DeviceSettings->*kind.Block, row));
        ++rows;
    }
}

void WriteGeneratorSettings(QStringList &lines) {
    if (WithoutGenerator(ProtocolHeader.ConnectionType))
        return;
    const TDeviceSettings &d = *DeviceSettings;
    QString signalRows;
    int rows = 0;
    WriteGeneratorRows(signalRows, rows, ProtocolHeader.GeneratorKind);
    lines << QStringLiteral("<tr bgcolor=\"lightyellow\"><td ROWSPAN=") + QString::number(rows + 2) +
                 QStringLiteral(" align=center><FONT COLOR=\"blue\">") + LoadStr(210) +
                 QStringLiteral("</FONT></td>\n");
    lines << QStringLiteral("<td align=left>Опорный уровень</td>") + ValueCell +
                 ReferenceText(GeneratorPresets, uint8_t(uint16_t(d.RefPresets) >> 8), d.GenRef) + RowEnd;
    lines << Row(YellowRow, LoadStr(144),
                 FormatValue(ProtocolHeader.GenImpedance) + QLatin1Char(' ') + LoadStr(254) +
                     (ProtocolHeader.GenLowImpedance ? QStringLiteral(", низкоомно") : QString()));
    lines << signalRows;
}

void WriteMeterSettings(QStringList &lines) {
    const TDeviceSettings &d = *DeviceSettings;
    const TProtocolHeader &h = ProtocolHeader;
    const double fs = d.SampleRate;
    const double n = double(SpectrumSizes[std::size_t(BlockSizeIndex())]);

    lines << QStringLiteral("<tr><td ROWSPAN=18 align=center><FONT COLOR=\"blue\">") + LoadStr(191) +
                 QStringLiteral("</FONT></td>\n") + QStringLiteral("<td align=left>Опорный уровень</td>") + ValueCell +
                 ReferenceText(MeterPresets, uint8_t(d.RefPresets), d.MeterRef) + RowEnd;
    lines << Row(PlainRow, LoadStr(144),
                 FormatValue(h.MeterImpedance) + QLatin1Char(' ') + LoadStr(254) +
                     (h.MeterHighImpedance ? QStringLiteral(", высокоомно") : QString()));
    const std::array<int16_t, 4> levels = ProtocolMaxLevelChoices(h.MeterImpedance);
    lines << Row(PlainRow, NoBreak("Максимальный измеряемый уровень"),
                 FormatValue(levels[std::size_t(ValidMeterRange(h.MaxLevelIndex))]) + QStringLiteral(" дБм0"));
    lines << Row(PlainRow, NoBreak("Минимальный уровень сигнала"), FormatValue(d.Lmin) + QStringLiteral(" дБм0"));
    lines << Row(PlainRow, NoBreak("Минимальная защищенность сигнала"), FormatValue(d.MinSnr) + QStringLiteral(" дБ"));
    lines << Row(PlainRow, QStringLiteral("Шаг представления спектра"),
                 FormatFrequency(fs * h.StepFactor / n) + QStringLiteral(" кГц"));
    lines << Row(PlainRow, QStringLiteral("Интервал усреднения,мин:сек"), SecondsToClock(d.AveragingInterval, false));
    if (d.EventCounting) {
        lines << QStringLiteral(
            "<tr><td COLSPAN=2 align=center><FONT COLOR=\"#006400\">Счет случайных событий</FONT></td></tr>\n");
        lines << Row(PlainRow, QStringLiteral("Интервал объединения"),
                     FormatValue(d.EventMergeInterval) + QStringLiteral(" с"));
    } else {
        lines << QStringLiteral(
            "<tr><td COLSPAN=2 align=center><FONT COLOR=\"#006400\">Прецизионный анализ спектра</FONT></td></tr>\n");
        lines << Row(PlainRow, QStringLiteral("Разрешение спектра"), FormatFrequency(fs / n) + QStringLiteral(" кГц"));
    }
    lines << Row(PlainRow, QStringLiteral("Рефлектометр: импульс"),
                 FormatPicture(1000 / fs, u"0") + QStringLiteral(" мкс"));
    lines << Row(PlainRow, QStringLiteral("Осциллограмма: развертка"),
                 FormatPicture(n * 1000 / fs, u"0.0") + QStringLiteral(" мкс"));
    lines << Row(PlainRow, QStringLiteral("Фазограмма: мин. частота"),
                 FormatPicture(fs / n, u"0.######") + QStringLiteral(" кГц"));
    lines << Row(PlainRow, QStringLiteral("Диапазон частот анализа"),
                 FormatFrequency(h.F0) + QStringLiteral("...") + FormatFrequency(h.F1) + QStringLiteral(" кГц"));
    const QString weighting = WeightingPathOf(d);
    lines << Row(PlainRow, QStringLiteral("Взвешивающая характеристика"),
                 weighting.isEmpty() ? QStringLiteral("не задана") : HtmlEscaped(weighting));
    const QString afc = QStringLiteral("Построение АЧХ");
    if (d.AfcRef < 0)
        lines << Row(PlainRow, afc, QStringLiteral("относительно опорного уровня"));
    else if (d.AfcRef == 0)
        lines << Row(PlainRow, afc, QStringLiteral("относительно минимума в полосе анализа"));
    else
        lines << Row(PlainRow, afc,
                     QStringLiteral("относительно затухания на частоте:") + FormatFrequency(d.AfcRef) +
                         QStringLiteral(" кГц"));
    lines << Row(PlainRow, QStringLiteral("Построение ГВП"),
                 d.GvpRef == 0 ? QStringLiteral("относительно минимума в полосе анализа")
                               : QStringLiteral("относительно времени прохождения на частоте:") +
                                     FormatFrequency(d.GvpRef) + QStringLiteral(" кГц"));
    lines << Row(PlainRow, QStringLiteral("Построение фазограмм"),
                 d.Phasogram == 0 ? QStringLiteral("запрещено")
                                  : QStringLiteral("на опорной частоте:") + FormatPicture(d.PhasogramRef, u"0.######") +
                                        QStringLiteral(" кГц"));
    lines << Row(PlainRow, QStringLiteral("Скорость"), FormatValue(d.CableVelocity) + QStringLiteral(" м/мкс"));
}

void WriteSettingsSection(int remote) {
    const TDeviceSettings &d = *DeviceSettings;
    QStringList lines;
    lines << QStringLiteral("<A NAME=\"") + ProtocolPageStamp + QStringLiteral("\"></A>\n");
    lines << QStringLiteral("<H5 align=left><FONT COLOR=\"#0000FF\">") + ProtocolEntryTitle +
                 QStringLiteral("</FONT></H5>\n");
    WriteSettingsHead(lines, remote);
    if (d.Mirvak.RunState > 0)
        WriteMirvakSettings(lines);
    if (d.SyncGenState > 0)
        WriteSyncSettings(lines);
    WriteGeneratorSettings(lines);
    WriteMeterSettings(lines);
    lines << QStringLiteral("</table>\n");
    AppendToProtocolPage(SettingsPage, lines);
}
