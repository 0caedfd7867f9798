#include "protocols/ProtocolSettingsPage.h"

#include "protocols/ProtocolPagesFixture.h"

#include <cmath>

namespace {

// The value cell of the row named name ("" when there is none).
QString Cell(const QString &html, const QString &name) {
    const QString start = name + QStringLiteral("</td><td align=center width=\"30%\">");
    const qsizetype at = html.indexOf(start);
    if (at < 0)
        return QStringLiteral("<no row>");
    const qsizetype from = at + start.size();
    return html.mid(from, html.indexOf(QStringLiteral("</td></tr>"), from) - from);
}

// A number rounded half away from zero to the given decimals, trailing zeros dropped.
QString Rounded(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    QString text = QString::number(std::round(value * scale) / scale, 'f', decimals);
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    return text;
}

QString Meter() {
    QStringList lines;
    WriteMeterSettings(lines);
    return lines.join(QString());
}

QString Generator() {
    QStringList lines;
    WriteGeneratorSettings(lines);
    return lines.join(QString());
}

using ProtocolSettingsPage = ProtocolPagesTest;

TEST_F(ProtocolSettingsPage, BlockRowsFollowTheBlockSizeOfTheEntry) {
    const double fs = 2560;
    ProtocolHeader.StepFactor = 2;
    // The resolution rows as the sizes give them at Fmax 1024 kHz; 0.3125 is a tie, rounded up.
    const char *resolution[] = {"1.25", "0.625", "0.313", "0.156", "0.078"};
    for (int k = 0; k <= 4; ++k) {
        ProtocolHeader.AdcIndex = k;
        const double n = 2048.0 * std::pow(2.0, k);
        const QString html = Meter();
        SCOPED_TRACE(k);
        EXPECT_EQ(Cell(html, "Осциллограмма: развертка"),
                  QString::number(std::round(n * 1000 / fs * 10) / 10, 'f', 1) + " мкс");
        EXPECT_EQ(Cell(html, "Разрешение спектра"), Rounded(fs / n, 3) + " кГц");
        EXPECT_EQ(Cell(html, "Разрешение спектра"), QString(resolution[k]) + " кГц");
        EXPECT_EQ(Cell(html, "Фазограмма: мин. частота"), Rounded(fs / n, 6) + " кГц");
        EXPECT_EQ(Cell(html, "Шаг представления спектра"), Rounded(fs * 2 / n, 3) + " кГц");
        EXPECT_EQ(Cell(html, "Рефлектометр: импульс"), "0 мкс");
    }
    ProtocolHeader.AdcIndex = 0;
    EXPECT_EQ(Cell(Meter(), "Осциллограмма: развертка"), "800.0 мкс");
    ProtocolHeader.AdcIndex = 4;
    EXPECT_EQ(Cell(Meter(), "Осциллограмма: развертка"), "12800.0 мкс");
}

TEST_F(ProtocolSettingsPage, BlockSizeIndexOfAPeerIsBoundedBeforeTheShift) {
    for (const auto &[index, sweep] : {std::pair{200, "12800.0 мкс"}, {5, "12800.0 мкс"}, {-3, "800.0 мкс"}}) {
        ProtocolHeader.AdcIndex = index;
        EXPECT_EQ(Cell(Meter(), "Осциллограмма: развертка"), sweep) << index;
    }
}

// The maximum level as the formula gives it for the meter impedance z and the current connection type.
int ExpectedTopLevel(double z, int connectionType, double reference) {
    const bool coaxial = connectionType > 5 && connectionType != 12;
    const double v = coaxial ? 1.7151894 : 1.7389097;
    const double k = coaxial ? 0.25 : 1;
    return int(std::trunc(10 * std::log10(v * v * k / (z * 0.001)) - reference - 3 + 0.5));
}

TEST_F(ProtocolSettingsPage, MaximumLevelIsComputedApartFromTheMetersLevels) {
    const int16_t live[] = {71, 51, 31, 11};
    std::copy(std::begin(live), std::end(live), std::begin(RangeMaxLevels));
    struct Case {
        float impedance;
        int16_t connectionType;
        float reference;
        int index;
        int expected;
    };
    const Case cases[] = {
        {600, 3, 0, 2, ExpectedTopLevel(600, 3, 0)},
        {600, 7, 0, 2, ExpectedTopLevel(600, 7, 0)},
        {150, 12, -10, 0, ExpectedTopLevel(150, 12, -10) + 40},
        {75, 9, 4, 3, ExpectedTopLevel(75, 9, 4) - 20},
        {600, 3, 0, 200, ExpectedTopLevel(600, 3, 0) - 20}, // a damaged index: the last choice
        {5, 3, 0, 1, 51},                                   // below 10 Ohm: the live choices stand
    };
    for (const Case &c : cases) {
        Settings.ConnectionType = c.connectionType;
        Settings.MeterRef = c.reference;
        ProtocolHeader.ConnectionType = 3; // the block's type does not choose the input
        ProtocolHeader.MeterImpedance = c.impedance;
        ProtocolHeader.MaxLevelIndex = c.index;
        EXPECT_EQ(Cell(Meter(), "<NOBR>Максимальный измеряемый уровень</NOBR>"),
                  QString::number(c.expected) + ".00 дБм0")
            << c.impedance << " " << c.connectionType << " " << c.index;
        EXPECT_TRUE(std::equal(std::begin(live), std::end(live), std::begin(RangeMaxLevels)));
    }
}

TEST_F(ProtocolSettingsPage, ReferencePresetsBeyondTheirListsShowNoReference) {
    Settings.GenRef = -13;
    Settings.MeterRef = 4;
    struct Case {
        int16_t presets;
        const char *generator;
        const char *meter;
    };
    const Case cases[] = {
        {0x0401, "\"=-13 дБмо\" [-13.00 дБм0]", "\"=0 дБмо (дБм0=дБм)\" [4.00 дБм0]"},
        {0x0905, "", "\"= Измеренному\" [4.00 дБм0]"},
        {0x00FF, "\"=Прямое задание\" [-13.00 дБм0]", ""},
        {int16_t(0xFF06), "", ""},
    };
    const QString name = QStringLiteral("<td align=left>Опорный уровень");
    for (const Case &c : cases) {
        Settings.RefPresets = c.presets;
        EXPECT_EQ(Cell(Generator(), name), QString::fromUtf8(c.generator)) << c.presets;
        EXPECT_EQ(Cell(Meter(), name), QString::fromUtf8(c.meter)) << c.presets;
    }
}

TEST_F(ProtocolSettingsPage, GeneratorGroupByConnectionAndGeneratorKind) {
    Settings.Mtts.Count = 17;
    Settings.Mtts.Step = 4.0f;
    struct Case {
        int connectionType;
        int generatorKind;
        int rowSpan; // 0: no group
        const char *shows;
    };
    const Case cases[] = {
        {0, 1, 0, ""},
        {2, 1, 0, ""},
        {7, 1, 0, ""},
        {3, 1, 5, "<FONT COLOR=\"#008000\">SIN</FONT>"},
        {3, 2, 6, "Частота2</td>"},
        {3, 3, 8, "Всего частот</td><td align=center width=\"30%\">17</td></tr>"},
        {3, 4, 4, "<FONT COLOR=\"#008000\">ПСС</FONT>"},
        {3, 5, 3, "<FONT COLOR=\"#FF0000\">Блокирован</FONT>"},
        {3, 6, 4, "<FONT COLOR=\"#008000\">ШУМ</FONT>"},
        {3, 9, 2, "Импеданс</td><td align=center width=\"30%\">600.00 Ом</td>"},
    };
    for (const Case &c : cases) {
        ProtocolHeader.ConnectionType = c.connectionType;
        ProtocolHeader.GeneratorKind = c.generatorKind;
        const QString html = Generator();
        SCOPED_TRACE(testing::Message() << c.connectionType << "/" << c.generatorKind);
        if (c.rowSpan == 0) {
            EXPECT_TRUE(html.isEmpty());
            continue;
        }
        EXPECT_TRUE(html.startsWith(QStringLiteral("<tr bgcolor=\"lightyellow\"><td ROWSPAN=%1 align=center>"
                                                   "<FONT COLOR=\"blue\">Настройки генератора</FONT></td>\n")
                                        .arg(c.rowSpan)));
        EXPECT_EQ(html.count(QStringLiteral("<tr")), c.rowSpan); // the group cell shares the reference row
        EXPECT_TRUE(html.contains(QString::fromUtf8(c.shows)));
    }
    ProtocolHeader.GenLowImpedance = 1;
    EXPECT_TRUE(Generator().contains("600.00 Ом, низкоомно</td></tr>"));
}

TEST_F(ProtocolSettingsPage, SectionGoesToThePageInWindows1251WithTheRunningModesFirst) {
    FileNameList = {QStringLiteral("/r9/Data/A<B>&C.9wf")};
    Settings.WeightingIndex = 0;
    Settings.Mirvak.RunState = 1;
    Settings.Mirvak.SubMode = 3;
    Settings.Mirvak.B = 0.5f;
    Settings.SyncGenState = 1;
    Settings.SyncEdgeMode = 1;
    Settings.SyncDelay[1] = 12.6f;
    WriteSettingsSection(0);
    const QString html = Sections(SettingsPage);
    EXPECT_TRUE(html.startsWith("<A NAME=\"15.03.13_10:22:05__1\"></A>\n<H5 align=left><FONT COLOR=\"#0000FF\">"
                                "<NOBR>15.03.13 10:22:05 </NOBR> <NOBR>SIN/2_Г_И_симм/1024 кГц</NOBR></FONT></H5>\n"
                                "<h5 align=center><FONT COLOR=\"blue\">Настройки прибора</FONT></h5>\n"));
    EXPECT_TRUE(html.endsWith("</table>\n"));
    EXPECT_EQ(Cell(html, "<td COLSPAN=2 align=left>Тип подключения к линии"), "2_Г_И_симм");
    const qsizetype mirvak = html.indexOf("Режим Мирвак");
    const qsizetype sync = html.indexOf("Режим SYNC");
    const qsizetype generator = html.indexOf("Настройки генератора");
    const qsizetype meter = html.indexOf("Настройки измерителя");
    EXPECT_TRUE(mirvak > 0 && mirvak < sync && sync < generator && generator < meter);
    EXPECT_EQ(Cell(html, "Полоса селекции"), "0.50 кГц");
    EXPECT_EQ(Cell(html, "<tr bgcolor=\"lightyellow\"><td align=left>Режим измерений"), "Импеданс");
    EXPECT_TRUE(html.contains("Начать по отрицательному фронту на SYNC"));
    EXPECT_EQ(Cell(html, "Задержка"), "13 мкс");
    EXPECT_EQ(Cell(html, "Взвешивающая характеристика"), "/r9/Data/A&lt;B&gt;&amp;C.9wf");

    // A second entry appends; a SYNC edge mode beyond the four leaves its texts empty; the remote head.
    Settings.Mirvak.RunState = 0;
    Settings.SyncEdgeMode = 7;
    Settings.WeightingIndex = -1;
    WriteSettingsSection(1);
    const QString both = Sections(SettingsPage);
    KeepPage(SettingsPage);
    EXPECT_TRUE(both.startsWith(html));
    const QString second = both.mid(html.size());
    EXPECT_FALSE(second.contains("Режим Мирвак"));
    EXPECT_TRUE(second.contains("<h5 align=center><FONT COLOR=\"blue\">Настройки удаленного прибора</FONT></h5>"));
    EXPECT_EQ(Cell(second, "<tr bgcolor=\"lightyellow\"><td align=left>Режим измерений"), "");
    EXPECT_EQ(Cell(second, "Задержка"), "");
    EXPECT_EQ(Cell(second, "Взвешивающая характеристика"), "не задана");
}

} // namespace
