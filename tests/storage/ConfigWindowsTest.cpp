#include "storage/ConfigWindows.h"
#include "FakeWindowHost.h"
#include "storage/ParamTablesReset.h"
#include "storage/WindowArrangement.h"

#include "engine/EngineBuffers.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "state/DeviceSettings.h"
#include "state/ProgramSettings.h"
#include "state/SettingsLoadState.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <set>
#include <vector>

namespace {

class ConfigWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SetConfigWindowHost(&host);
    }
    void TearDown() override { SetConfigWindowHost(nullptr); }

    QString File(const char *name) const { return dir.path() + QLatin1Char('/') + QLatin1String(name); }
    void Write(const QString &file, const QString &text) const {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(ToCp1251(text));
    }
    static TConfigWindow Graph(int32_t kind) { return {ConfigWindowKind::Graph, kind}; }
    bool Logged(const QString &line) const {
        return std::find(host.log.begin(), host.log.end(), line) != host.log.end();
    }

    QTemporaryDir dir;
    FakeWindowHost host{dir.path() + QStringLiteral("/R9.ini")};
};

TEST_F(ConfigWindowsTest, SavingCopiesTheSectionsOfOpenAndKnownWindowsWithTheirVisibility) {
    // Graph window 7 is open, 8 was open once (its section is in R9.ini), 9 never was.
    Write(File("R9.ini"), QStringLiteral("[Окно Graph8]\r\nNormPos=5,6,70,80\r\nMarks_Style=2\r\nVisible=1\r\n"
                                         "[Окно Main0]\r\nActiveMDIChild_Tag=8\r\n"));
    host.open = {QStringLiteral("Graph7"), QStringLiteral("Main0")};
    TMemIniFile config(File("a.cfg"));
    WriteWindowSections(config);

    EXPECT_TRUE(Logged(QStringLiteral("save Graph7")));
    EXPECT_FALSE(Logged(QStringLiteral("save Graph8")));
    EXPECT_EQ(config.ReadString(QStringLiteral("Окно Graph7"), QStringLiteral("Visible"), {}), QStringLiteral("1"));
    EXPECT_EQ(config.ReadString(QStringLiteral("Окно Graph7"), QStringLiteral("NormPos(1920x1080)"), {}),
              QStringLiteral("1,2,3,4"))
        << "the geometry keys go into the configuration with the rest";
    EXPECT_EQ(config.ReadString(QStringLiteral("Окно Graph8"), QStringLiteral("Visible"), {}), QStringLiteral("0"));
    EXPECT_EQ(config.ReadString(QStringLiteral("Окно Graph8"), QStringLiteral("Marks_Style"), {}), QStringLiteral("2"));
    EXPECT_FALSE(config.SectionExists(QStringLiteral("Окно Graph9")));
    EXPECT_EQ(config.ReadInteger(QStringLiteral("Окно Main0"), QStringLiteral("ActiveMDIChild_Tag"), 0), 8);
    EXPECT_EQ(config.ReadInteger(QStringLiteral("Текстовые окна"), QStringLiteral("Всего окон"), -1), 0);
    // The order of the sections is the order of the window table.
    const QStringList sections = config.ReadSections();
    EXPECT_LT(sections.indexOf(QStringLiteral("Окно Graph7")), sections.indexOf(QStringLiteral("Текстовые окна")));
    EXPECT_EQ(sections.constLast(), QStringLiteral("Окно Main0"));
}

TEST_F(ConfigWindowsTest, LoadingReplacesNonGeometryKeysOpensClosesAndLeavesTheSettingsWindows) {
    Write(File("R9.ini"), QStringLiteral("[Окно Graph7]\r\nNormPos(800x600)=9,9,9,9\r\nPixelsPerInch=120\r\n"
                                         "NormPos=9,9,99,99\r\nOther=kept\r\n"
                                         "[Окно Graph12]\r\nNormPos=0,0,10,10\r\n"));
    Write(File("a.cfg"), QStringLiteral("[Окно Graph7]\r\nMinMaxPos(1280x1024)=1,1,1,1\r\nNormPos=10,20,300,400\r\n"
                                        "Visible=1\r\n"
                                        "[Окно Graph8]\r\nNormPos=1,1,2,2\r\nVisible=0\r\n"
                                        "[Окно Diagram1]\r\nVisible=1\r\n"));
    host.open = {QStringLiteral("Graph8"), QStringLiteral("Graph10"), QStringLiteral("Settings0")};
    TMemIniFile config(File("a.cfg"));
    RestoreWindowSections(config);

    EXPECT_TRUE(Logged(QStringLiteral("create Graph7")));
    EXPECT_TRUE(Logged(QStringLiteral("replace Graph8")));
    EXPECT_TRUE(Logged(QStringLiteral("close Graph8")));
    EXPECT_TRUE(Logged(QStringLiteral("close Graph10"))) << "an open graph window without a section closes";
    EXPECT_FALSE(Logged(QStringLiteral("close Settings0"))) << "the settings window is left as it is";
    EXPECT_TRUE(Logged(QStringLiteral("create Diagram1")));
    EXPECT_EQ(host.open,
              (std::set<QString>{QStringLiteral("Graph7"), QStringLiteral("Settings0"), QStringLiteral("Diagram1")}));
    EXPECT_EQ(host.replacedWith[QStringLiteral("Graph8")], QStringLiteral("1,1,2,2"));

    TMemIniFile r9(File("R9.ini"));
    EXPECT_EQ(r9.ReadSection(QStringLiteral("Окно Graph7")),
              (QStringList{QStringLiteral("NormPos"), QStringLiteral("Other"), QStringLiteral("Visible")}));
    EXPECT_EQ(r9.ReadString(QStringLiteral("Окно Graph7"), QStringLiteral("NormPos"), {}),
              QStringLiteral("10,20,300,400"));
    EXPECT_EQ(r9.ReadString(QStringLiteral("Окно Graph7"), QStringLiteral("Other"), {}), QStringLiteral("kept"));
    EXPECT_EQ(r9.ReadString(QStringLiteral("Окно Graph12"), QStringLiteral("NormPos"), {}), QStringLiteral("0,0,10,10"))
        << "sections the configuration does not hold stay";
}

TEST_F(ConfigWindowsTest, TextWindowsComeBackOnTheirGraphPointsOnly) {
    host.texts[2] = {QStringLiteral("АЧХ 5 - Текстовое окно"), 3, 5, 7, 12};
    host.texts[6] = {QStringLiteral("Сигнал,дБм0 - Текстовое окно"), -1, 0, -1, 0};
    {
        TMemIniFile config(File("a.cfg"));
        WriteWindowSections(config);
        EXPECT_EQ(config.ReadInteger(QStringLiteral("Текстовые окна"), QStringLiteral("Всего окон"), 0), 2);
        EXPECT_EQ(config.ReadString(QStringLiteral("Текстовые окна"), QStringLiteral("№1 Caption"), {}),
                  QStringLiteral("АЧХ 5 - Текстовое окно"));
        EXPECT_EQ(config.ReadInteger(QStringLiteral("Текстовые окна"), QStringLiteral("№1 IndexMask"), 0), 12);
        EXPECT_EQ(config.ReadInteger(QStringLiteral("Текстовые окна"), QStringLiteral("№2 FormIndexPar"), 0), -1);
        EXPECT_EQ(config.ReadString(QStringLiteral("АЧХ 5 - Текстовое окно"), QStringLiteral("Visible"), {}),
                  QStringLiteral("1"));
        config.UpdateFile();
    }
    host.texts.clear();
    host.log.clear();
    TMemIniFile config(File("a.cfg"));
    RestoreWindowSections(config);
    EXPECT_TRUE(Logged(QStringLiteral("point АЧХ 5 - Текстовое окно 3 5 7 12")));
    EXPECT_TRUE(Logged(QStringLiteral("replace Text0")));
    ASSERT_EQ(host.texts.size(), 1u) << "a parameter row's window is not opened bound to nothing";
    EXPECT_EQ(host.texts[0].IndexNorm, 3);
    EXPECT_EQ(host.texts[0].IndexMask, 12);
}

TEST_F(ConfigWindowsTest, AnEntryWithoutAPointOnlyReplacesOrClosesTheOpenWindowOfItsCaption) {
    Write(File("a.cfg"), QStringLiteral("[Текстовые окна]\r\n№1 Caption=X - Текстовое окно\r\n№1 IndexValue=-1\r\n"
                                        "Всего окон=1\r\n[X - Текстовое окно]\r\nVisible=0\r\n"
                                        "[Окно Main0]\r\nActiveMDIChild_Tag=87\r\n"));
    host.texts[4] = {QStringLiteral("X - Текстовое окно"), -1, 0, -1, 0};
    TMemIniFile config(File("a.cfg"));
    RestoreWindowSections(config);
    EXPECT_TRUE(Logged(QStringLiteral("replace Text4")));
    EXPECT_TRUE(Logged(QStringLiteral("close Text4")));
    EXPECT_TRUE(host.texts.empty());
    EXPECT_EQ(host.log.back(), QStringLiteral("front 87"));
}

TEST_F(ConfigWindowsTest, ADamagedWindowCountOpensNoMoreThanTenWindows) {
    QString text = QStringLiteral("[Текстовые окна]\r\nВсего окон=2000000000\r\n");
    QString sections;
    for (int k = 1; k <= 12; ++k) {
        text += QStringLiteral("№%1 Caption=W%1\r\n№%1 IndexValue=1\r\n№%1 FormIndexPar=1\r\n").arg(k);
        sections += QStringLiteral("[W%1]\r\nVisible=1\r\n").arg(k);
    }
    text += sections;
    Write(File("a.cfg"), text);
    TMemIniFile config(File("a.cfg"));
    ReadTextWindows(config);
    EXPECT_EQ(host.texts.size(), 10u);
}

// The automatic window change opens the graph windows of the analysed curves of the current kind.
class WindowArrangementTest : public ConfigWindowsTest {
protected:
    void SetUp() override {
        ConfigWindowsTest::SetUp();
        BuildParamCatalogue();
        settings = DefaultDeviceSettings();
        DeviceSettings = &settings;
        InitProgramSettings();
        ProgramSettings.AutoWindowChange = 1;
        SignalKind = 3;
        // Only the curves of graph kinds 5 and 6 are analysed.
        const ParameterTable table = ParameterTableOf(SignalKind);
        for (int32_t row = 0; row < table.RowCount; ++row)
            table.Rows[row].Settings.Analyse =
                table.Rows[row].GraphKind < 0 || table.Rows[row].GraphKind == 5 || table.Rows[row].GraphKind == 6;
        host.open = {QStringLiteral("Graph1"), QStringLiteral("Graph6")};
    }
    void TearDown() override {
        BuildParamCatalogue();
        InitProgramSettings();
        SignalKind = 0;
        DeviceSettings = nullptr;
        ConfigWindowsTest::TearDown();
    }
    TDeviceSettings settings{};
};

TEST_F(WindowArrangementTest, OpensTheKindsGraphWindowsAndArrangesOnlyUnderThePeer) {
    ArrangeGraphWindows();
    EXPECT_EQ(host.open,
              (std::set<QString>{QStringLiteral("Result0"), QStringLiteral("Graph5"), QStringLiteral("Graph6")}));
    EXPECT_EQ(host.log.back(), QStringLiteral("messages")) << "no peer: opened and closed, not arranged";

    struct Case {
        std::set<int> kinds;
        QString arrangement;
    };
    const Case cases[] = {{{5, 6}, QStringLiteral("tile |")},
                          {{5, 6, 7}, QStringLiteral("tile -")},
                          {{5, 6, 7, 8, 9, 10}, QStringLiteral("cascade")}};
    settings.PeerConnectState = 1;
    const ParameterTable table = ParameterTableOf(SignalKind);
    for (const Case &c : cases) {
        for (int32_t row = 0; row < table.RowCount; ++row)
            table.Rows[row].Settings.Analyse =
                table.Rows[row].GraphKind < 0 || c.kinds.count(table.Rows[row].GraphKind);
        host.log.clear();
        ArrangeGraphWindows();
        EXPECT_EQ(host.log.back(), c.arrangement) << c.kinds.size();
    }
}

TEST_F(WindowArrangementTest, NothingWithoutTheAutomaticChangeOrARecognisedKind) {
    ProgramSettings.AutoWindowChange = 0;
    ArrangeGraphWindows();
    SignalKind = 0;
    ProgramSettings.AutoWindowChange = 1;
    ArrangeGraphWindows();
    EXPECT_TRUE(host.log.empty());
}

// After a load the windows of graph points close, the series lose their bindings and the rows bind
// theirs anew, with the settings lock free for them and held again afterwards.
TEST_F(ConfigWindowsTest, ResettingTheTablesClosesPointWindowsAndLetsEveryRowBindAgain) {
    BuildParamCatalogue();
    ParamTableSin[3].Result.Value = 12.5f;
    host.texts[1] = {QStringLiteral("АЧХ 5 - Текстовое окно"), 3, 5, 7, 12, false};
    host.texts[4] = {QStringLiteral("SIN Сигнал - Текстовое окно"), -1, 0, -1, 0, true};
    for (int32_t slot : {2, 8}) {
        auto series = std::make_unique<TimeSeries>();
        series->RefCount = 2;
        TimeSeriesSlots[std::size_t(slot)] = std::move(series);
    }
    SettingsLoadState = 2;

    ResetParamTables(false);
    EXPECT_EQ(host.texts.size(), 2u) << "at Start the value windows stay";
    ASSERT_TRUE(TimeSeriesSlots[2] && TimeSeriesSlots[8]);
    EXPECT_EQ(TimeSeriesSlots[2]->RefCount, 0);
    EXPECT_EQ(ParamTableSin[3].Result.Value, NoValue);

    host.reapplied.clear();
    ResetParamTables(true);
    EXPECT_EQ(host.texts.size(), 1u);
    EXPECT_TRUE(host.texts.count(4)) << "a parameter row's window stays";
    EXPECT_FALSE(TimeSeriesSlots[2] || TimeSeriesSlots[8]) << "series no row binds again go";
    std::size_t rows = 0;
    for (int32_t kind = 1; kind <= 7; ++kind)
        rows += std::size_t(ParamTableRowCounts[kind]);
    ASSERT_EQ(host.reapplied.size(), rows);
    EXPECT_EQ(host.reapplied.front().table, 0);
    EXPECT_EQ(host.reapplied.back().table, 6);
    EXPECT_EQ(host.reapplied.back().row, 10);
    for (const auto &r : host.reapplied)
        EXPECT_EQ(r.state, 1);
    EXPECT_EQ(SettingsLoadState, 2);
    SettingsLoadState = 1;
    ReleaseAllTimeSeries();
}

} // namespace
