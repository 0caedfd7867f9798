#include "LegacyLayoutFixture.h"
#include "support/Fixtures.h"

#include "FakeWindowHost.h"
#include "storage/ConfigWindows.h"
#include "storage/LegacyLayout.h"

#include "chartlib/Chartlib.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "platform/IniFile.h"
#include "state/DeviceSettings.h"
#include "state/SettingsLoadState.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <set>

namespace {

// The value bytes of a graph window: nine ints, four floats, the table size in files newer than V1.07,
// then each cursor's seven values and its two colours.
QByteArray GraphValues(bool withTable) {
    LegacyLayoutBytes v;
    for (int32_t i : {0xFFFFFF, 255, 1, 2, 3, 4, 0, 1, 5})
        v.I32(i);
    for (double f : {10.5, -80.25, 1024.0, 0.5})
        v.F64(f);
    if (withTable)
        v.I32(120).I32(300);
    v.I32(1).I32(11).I32(12).F64(1.5).F64(-2.5).I32(1).Text(QStringLiteral("Серия")).I32(255).I32(0xFF00);
    v.I32(0).I32(0).I32(0).F64(0).F64(0).I32(0).Text({}).I32(0).I32(0);
    return v.Bytes();
}

QByteArray DiagramValues() {
    LegacyLayoutBytes v;
    v.I32(0xFFFFFF);
    v.I32(0xFF).I32(3).I32(0).I32(0).I32(1).I32(2); // the series "Сигнал"
    v.F64(8).F64(-80).F64(1.0 / 48);
    for (int n = 0; n < 2; ++n)
        v.I32(n).I32(1).I32(2).F64(0.25).F64(-3).I32(0).Text({}).I32(0xFF);
    return v.Bytes();
}

bool NotNewer(const char *version, const char *threshold) {
    return qstrcmp(version, threshold) <= 0;
}

// A whole layout block of a file of this version: graph window 7 and result table 0 open, one value
// window on point 5 of graph kind 7, the dBm0 time diagram with one series, graph window 7 in front.
QByteArray LayoutOf(const char *version, const TProgramSettings &settings) {
    LegacyLayoutBytes b;
    b.Settings(settings).I16(1).Binding(QStringLiteral("АЧХ 5"), 100, 5);
    b.Entry(1, {0, 0, 200, 150}).Hidden(NotNewer(version, "V1.14") ? 9 : 1);
    b.Hidden(7);
    b.Entry(0, {5, 5, 400, 300}, 1, LegacyLayoutBytes().I32(2).Bytes());
    b.Entry(0, {5, 5, 400, 300}, 1, LegacyLayoutBytes().I32(1).Bytes());
    for (int kind = 0; kind < 39; ++kind) {
        const bool later = (kind >= 14 && kind <= 20) || kind == 37 || kind == 38;
        if (later && NotNewer(version, "V1.16"))
            continue;
        const bool open = kind == 7;
        b.Entry(open ? 1 : 0, {10, 20, 300, 400}, open ? 3 : 1, GraphValues(!NotNewer(version, "V1.07")));
    }
    b.I32(1).Text(QStringLiteral("АЧХ 5 - Текстовое окно")).I16(3).I16(5).I16(7).I16(12).Entry(1, {1, 2, 3, 4});
    for (int unit = 0; unit < 13; ++unit) {
        if (unit == 1)
            b.I32(1).Text(QStringLiteral("Сигнал")).Entry(1, {30, 40, 500, 350}, 1, DiagramValues());
        else
            b.I32(0).Entry(0, {0, 0, 10, 10}, 1, LegacyLayoutBytes().I32(0).Bytes());
    }
    b.I32(8).I32(8).I32(0);
    return b.Bytes();
}

class LegacyLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        InitProgramSettings();
        BuildParamCatalogue();
        ReleaseAllTimeSeries();
        SettingsLoadState = 1;
        SetConfigWindowHost(&host);
        stored = ProgramSettings;
        stored.Precision = 3;
        stored.AutoWindowChange = 1;
        stored.UseRecordedSettings = 0;
        stored.RecordingWindows[4].Enabled = 1;
        stored.RecordingWindows[4].Start = 41000.25;
    }
    void TearDown() override {
        SetConfigWindowHost(nullptr);
        ReleaseAllTimeSeries();
        InitProgramSettings();
        SetPrecisionZeros(ProgramSettings.Precision);
    }
    bool Logged(const QString &line) const {
        return std::find(host.log.begin(), host.log.end(), line) != host.log.end();
    }

    QTemporaryDir dir;
    FakeWindowHost host{dir.path() + QStringLiteral("/R9.ini")};
    TProgramSettings stored{};
};

TEST_F(LegacyLayoutTest, AV611BlockReadsEveryWindowWithItsValuesInOrder) {
    const TLegacyLayout layout = ParseLegacyLayout(LayoutOf("V6.11", stored), "V6.11");
    ASSERT_TRUE(layout.Settings);
    EXPECT_EQ(std::memcmp(&*layout.Settings, &stored, sizeof stored), 0);
    ASSERT_EQ(layout.Bindings.size(), 1u);
    EXPECT_EQ(layout.Bindings[0].Caption, QStringLiteral("АЧХ 5"));
    EXPECT_EQ(layout.Bindings[0].Code, 100);
    EXPECT_EQ(layout.Bindings[0].Point, 5);
    ASSERT_EQ(layout.Windows.size(), std::size_t(2 + 7 + 2 + 39 + 1 + 13));
    ASSERT_TRUE(layout.ActiveTag);
    EXPECT_EQ(*layout.ActiveTag, 8);

    const TLegacyWindowEntry &graph = layout.Windows[2 + 7 + 2 + 7];
    EXPECT_EQ(WindowName(graph.Window), QStringLiteral("Graph7"));
    EXPECT_EQ(graph.Visible, 1);
    EXPECT_EQ(graph.ShowCmd, 3);
    QStringList keys;
    for (const TLegacyValue &value : graph.Values)
        keys << value.Key;
    EXPECT_EQ(
        keys.join(u' '),
        QStringLiteral("Chart_BackColor Series_Color F0_FN_Clr Signal_Clr Line_Width Marks_Style Marks_Visible "
                       "Point_Visible Point_Style LeftAxis_Maximum LeftAxis_Minimum BottomAxis_Maximum "
                       "BottomAxis_Minimum Table1_Height Table1_Width CurGraph0_Visible CurGraph0_Pxs_x "
                       "CurGraph0_Pxs_y CurGraph0_Ps_x CurGraph0_Ps_y CurGraph0_BindToSeries CurGraph0_BindSeries "
                       "FCursColor0 FMaskColor0 CurGraph1_Visible CurGraph1_Pxs_x CurGraph1_Pxs_y CurGraph1_Ps_x "
                       "CurGraph1_Ps_y CurGraph1_BindToSeries CurGraph1_BindSeries FCursColor1 FMaskColor1"));
    EXPECT_EQ(graph.Values[10].Float, -80.25);
    EXPECT_EQ(graph.Values[21].Text, QStringLiteral("Серия"));

    const TLegacyWindowEntry &text = layout.Windows[2 + 7 + 2 + 39];
    EXPECT_EQ(text.Window.Kind, ConfigWindowKind::TextWindow);
    EXPECT_EQ(text.Section, QStringLiteral("АЧХ 5 - Текстовое окно"));
    EXPECT_EQ(text.PointBinding[1], 5);
    const TLegacyWindowEntry &diagram = layout.Windows[2 + 7 + 2 + 39 + 1 + 1];
    EXPECT_EQ(WindowName(diagram.Window), QStringLiteral("Diagram1"));
    ASSERT_GE(diagram.Values.size(), 8u);
    EXPECT_EQ(diagram.Values[1].Key, QStringLiteral("Сигнал_Series_Color"));
    EXPECT_EQ(diagram.Values[9].Key, QStringLiteral("DTIME_SIGNAL"));
    EXPECT_EQ(diagram.Values.back().Key, QStringLiteral("FCursColor1"));
}

TEST_F(LegacyLayoutTest, TheVersionDecidesTheResultTablesTheGraphEntriesAndTheTableSize) {
    struct Case {
        const char *version;
        std::size_t windows;
        std::size_t used;
        std::size_t graphValues;
    };
    const Case cases[] = {
        {"V1.07", 10 + 7 + 2 + 30 + 1 + 13, 2 + 7 + 2 + 30 + 1 + 13, 31}, // ten result tables, no table size
        {"V1.14", 10 + 7 + 2 + 30 + 1 + 13, 2 + 7 + 2 + 30 + 1 + 13, 33},
        {"V1.16", 2 + 7 + 2 + 30 + 1 + 13, 2 + 7 + 2 + 30 + 1 + 13, 33}, // no graph kinds 14..20, 37, 38
        {"V1.17", 2 + 7 + 2 + 39 + 1 + 13, 2 + 7 + 2 + 39 + 1 + 13, 33},
        {"V6.05", 2 + 7 + 2 + 39 + 1 + 13, 2 + 7 + 2 + 39 + 1 + 13, 33},
    };
    for (const Case &c : cases) {
        QByteArray version(c.version);
        version.resize(20, '\0');
        const TLegacyLayout layout = ParseLegacyLayout(LayoutOf(c.version, stored), version);
        EXPECT_EQ(layout.Windows.size(), c.windows) << c.version;
        EXPECT_TRUE(layout.ActiveTag) << c.version << ": the block was read to its end";
        std::size_t used = 0;
        for (const TLegacyWindowEntry &entry : layout.Windows) {
            used += entry.Used;
            if (WindowName(entry.Window) == QStringLiteral("Graph7"))
                EXPECT_EQ(entry.Values.size(), c.graphValues) << c.version;
        }
        EXPECT_EQ(used, c.used) << c.version << ": the result tables past the second are read and ignored";
    }
}

TEST_F(LegacyLayoutTest, ApplyingPlacesTheWindowsInR9IniAndKeepsThePlaybackSwitch) {
    ProgramSettings.UseRecordedSettings = 1;
    host.open = {QStringLiteral("Graph8"), QStringLiteral("Param2")};
    QByteArray bytes = LayoutOf("V6.11", stored);
    QBuffer stream(&bytes);
    ASSERT_TRUE(stream.open(QIODevice::ReadOnly));
    ReadLegacyLayout(stream, "V6.11");

    EXPECT_EQ(ProgramSettings.Precision, 3);
    EXPECT_EQ(PrecisionZeros, QStringLiteral("000"));
    EXPECT_EQ(ProgramSettings.AutoWindowChange, 1);
    EXPECT_EQ(ProgramSettings.RecordingWindows[4].Start, 41000.25);
    EXPECT_EQ(ProgramSettings.UseRecordedSettings, 1);

    EXPECT_TRUE(Logged(QStringLiteral("create Result0")));
    EXPECT_TRUE(Logged(QStringLiteral("create Graph7")));
    EXPECT_TRUE(Logged(QStringLiteral("create Diagram1")));
    EXPECT_TRUE(Logged(QStringLiteral("replace Graph8")));
    EXPECT_TRUE(Logged(QStringLiteral("close Graph8"))) << "an entry with visible 0 closes an open window";
    EXPECT_TRUE(Logged(QStringLiteral("close Param2")));
    EXPECT_FALSE(Logged(QStringLiteral("create Graph8")));
    EXPECT_FALSE(Logged(QStringLiteral("create Settings0"))) << "a hidden entry creates nothing";
    EXPECT_TRUE(Logged(QStringLiteral("point АЧХ 5 - Текстовое окно 3 5 7 12")));
    EXPECT_TRUE(Logged(QStringLiteral("replace Text0")));
    EXPECT_EQ(host.log.back(), QStringLiteral("front 8"));

    TMemIniFile r9(dir.path() + QStringLiteral("/R9.ini"));
    const QString graph = QStringLiteral("Окно Graph7");
    EXPECT_EQ(r9.ReadString(graph, QStringLiteral("NormPos"), {}), QStringLiteral("10,20,300,400"));
    EXPECT_EQ(r9.ReadString(graph, QStringLiteral("MinMaxPos"), {}), QStringLiteral("-1,-1,-8,-30"));
    EXPECT_EQ(r9.ReadInteger(graph, QStringLiteral("ShowCmd"), 0), 3);
    EXPECT_EQ(r9.ReadInteger(graph, QStringLiteral("Chart_BackColor"), 0), 0xFFFFFF);
    EXPECT_EQ(r9.ReadFloat(graph, QStringLiteral("LeftAxis_Minimum"), 0), -80.25);
    EXPECT_EQ(r9.ReadString(graph, QStringLiteral("CurGraph0_BindSeries"), {}), QStringLiteral("Серия"));
    EXPECT_EQ(r9.ReadInteger(QStringLiteral("Окно Settings0"), QStringLiteral("PgCtrl1_APgIdx"), 0), 2);
    EXPECT_EQ(r9.ReadString(QStringLiteral("АЧХ 5 - Текстовое окно"), QStringLiteral("NormPos"), {}),
              QStringLiteral("1,2,3,4"));
    for (const QString &section : r9.ReadSections())
        for (const QString &key : r9.ReadSection(section))
            EXPECT_FALSE(IsGeometryKey(key)) << section.toStdString() << ' ' << key.toStdString();
    EXPECT_FALSE(r9.SectionExists(QStringLiteral("Окно Result2")));
}

TEST_F(LegacyLayoutTest, ABlockCutAnywhereKeepsOnlyWholeItems) {
    const QByteArray whole = LayoutOf("V6.11", stored);
    std::size_t last = 0;
    for (qsizetype size = 0; size <= whole.size();
         size = size == whole.size() ? size + 1 : std::min(size + 37, whole.size())) {
        const TLegacyLayout layout = ParseLegacyLayout(whole.left(size), "V6.11");
        EXPECT_EQ(layout.Settings.has_value(), size >= 256) << size;
        EXPECT_GE(layout.Windows.size(), last) << size;
        last = layout.Windows.size();
        EXPECT_EQ(layout.ActiveTag.has_value(), size == whole.size()) << size;
    }
    EXPECT_EQ(ParseLegacyLayout(whole, "V6.11").Windows.size(), std::size_t(64));
}

TEST_F(LegacyLayoutTest, CountsAndLengthsBeyondTheBytesLeftEndTheReading) {
    struct Case {
        const char *what;
        QByteArray bytes;
        std::size_t windows;
    };
    const QByteArray head = LegacyLayoutBytes().Settings(stored).Bytes();
    LegacyLayoutBytes bindings;
    bindings.Settings(stored).I16(-3);
    LegacyLayoutBytes hugeBindings;
    hugeBindings.Settings(stored).I16(32767).Binding(QStringLiteral("x"), 100, 1);
    LegacyLayoutBytes entrySize;
    entrySize.Settings(stored).I16(0).Entry(1, {0, 0, 1, 1}).Raw(QByteArray::fromHex("0100"));
    LegacyLayoutBytes valueSize;
    valueSize.Settings(stored).I16(0);
    valueSize.I16(1);
    for (int i = 0; i < 8; ++i)
        valueSize.I16(0);
    valueSize.I32(0).I32(0x7FFFFFFF);
    const Case cases[] = {
        {"a negative binding count", bindings.Bytes(), 0},
        {"more bindings than bytes", hugeBindings.Bytes(), 0},
        {"an entry cut in its head", entrySize.Bytes(), 1},
        {"a value size past the end", valueSize.Bytes(), 0},
    };
    for (const Case &c : cases) {
        const TLegacyLayout layout = ParseLegacyLayout(c.bytes, "V6.11");
        EXPECT_TRUE(layout.Bindings.empty()) << c.what;
        EXPECT_EQ(layout.Windows.size(), c.windows) << c.what;
    }
    // Value windows and time-diagram series counts past what is left.
    QByteArray whole = LayoutOf("V6.11", stored);
    const qsizetype valueWindows = whole.indexOf(ToCp1251(QStringLiteral("АЧХ 5 - Текстовое окно"))) - 8;
    ASSERT_GT(valueWindows, 0);
    QByteArray damaged = whole;
    qToLittleEndian<int32_t>(0x7FFFFFFF, damaged.data() + valueWindows);
    EXPECT_EQ(ParseLegacyLayout(damaged, "V6.11").Windows.size(), std::size_t(2 + 7 + 2 + 39));
    damaged = whole;
    qToLittleEndian<int32_t>(-1, damaged.data() + valueWindows + 4);
    EXPECT_EQ(ParseLegacyLayout(damaged, "V6.11").Windows.size(), std::size_t(2 + 7 + 2 + 39));
}

// The seeds of the fuzz corpus are written by a script of their own: they read whole, like the fixtures
// built here.
TEST_F(LegacyLayoutTest, TheCorpusSeedsReadWhole) {
    const std::pair<const char *, std::size_t> seeds[] = {{"layout_V6_11.bin", 64},
                                                          {"layout_V6_04.bin", 64},
                                                          {"layout_V1_16.bin", 55},
                                                          {"layout_V1_14.bin", 63},
                                                          {"layout_V1_07.bin", 63}};
    for (const auto &[name, windows] : seeds) {
        QFile file(FixturePath(QStringLiteral("fuzz/r9_fuzz_legacy_layout/") + QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = file.readAll();
        const TLegacyLayout layout = ParseLegacyLayout(bytes.sliced(20), bytes.first(20));
        EXPECT_EQ(layout.Windows.size(), windows) << name;
        EXPECT_EQ(layout.Bindings.size(), 2u) << name;
        EXPECT_TRUE(layout.ActiveTag) << name;
    }
}

} // namespace
