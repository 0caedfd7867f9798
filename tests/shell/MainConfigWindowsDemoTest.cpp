#include "DemoFixture.h"
#include "support/Screenshot.h"

#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "platform/IniFile.h"
#include "shell/WindowRegistries.h"
#include "state/ProgramSettings.h"
#include "storage/ConfigWindows.h"
#include "views/Form_timediagr.h"
#include "views/Scalelabel.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolButton>
#include <set>

namespace {

// The program's own graph windows and time diagrams, saved with their placement into a configuration and
// brought back from it.
class ConfigWindowsDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.Graph = installed.Graph;
        WindowFactories.TimeDiagram = installed.TimeDiagram;
        BuildParamCatalogue();
    }
    void TearDown() override {
        DemoWindowTest::TearDown();
        *DeviceSettings = DefaultDeviceSettings();
    }

    static QMdiSubWindow *Frame(TMainForm &form, QWidget *window) {
        return window ? form.SubWindowOf(window) : nullptr;
    }
    // Closed windows go once the event loop has deleted them.
    static void Settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
    QWidget *Open(TMainForm &form, QPointer<QWidget> &slot, int index, bool graph) {
        form.CurrentIndex = index;
        QWidget *window = graph ? form.ShowGraphWindow() : form.ShowTimeDiagramWindow();
        EXPECT_EQ(window, slot.data());
        return window;
    }
    static TFormScaleLabel *OpenValueWindow() {
        for (QPointer<QWidget> &slot : ScaleLabelWindows)
            if (auto *window = qobject_cast<TFormScaleLabel *>(slot.data()))
                return window;
        return nullptr;
    }
    static QString GraphSection(int kind) { return GraphText(GraphKindTable[kind].Caption); }
};

TEST_F(ConfigWindowsDemoTest, AGraphWindowAndATimeDiagramComeBackAtTheirPlacement) {
    ASSERT_TRUE(installed.Graph && installed.TimeDiagram) << "the program registers no graph windows or time diagrams";
    ASSERT_NE(ConfigWindowHost(), nullptr) << "the main window registers no window host";
    TMainForm &form = StartSinDemo();

    // Graph kind 8 was open once: R9.ini knows it, closed.
    Open(form, GraphWindows[8], 8, true);
    Frame(form, GraphWindows[8])->close();
    Settle();
    ASSERT_FALSE(GraphWindows[8]);

    QWidget *graph = Open(form, GraphWindows[7], 7, true);
    QWidget *diagram = Open(form, TimeDiagramWindows[1], 1, false);
    ASSERT_TRUE(graph && diagram);
    // Within the offscreen screen, which keeps MDI children inside its 800 x 800 pixels.
    const QRect graphPlace(10, 20, 380, 300);
    const QRect diagramPlace(400, 40, 390, 320);
    Frame(form, graph)->setGeometry(graphPlace);
    Frame(form, diagram)->setGeometry(diagramPlace);
    form.MdiArea->setActiveSubWindow(Frame(form, graph));
    SaveScreenshot(form, QStringLiteral("config_windows_saved"));

    const QString configFile = dir.path(QStringLiteral("Config/windows.cfg"));
    {
        TMemIniFile config(configFile);
        WriteWindowSections(config);
        config.UpdateFile();
    }
    {
        TMemIniFile config(configFile);
        EXPECT_EQ(config.ReadInteger(GraphSection(7), QStringLiteral("Visible"), -1), 1);
        EXPECT_EQ(config.ReadInteger(GraphSection(8), QStringLiteral("Visible"), -1), 0);
        QString unit;
        EXPECT_EQ(config.ReadInteger(TimeDiagramCaption(1, unit), QStringLiteral("Visible"), -1), 1);
        EXPECT_FALSE(config.SectionExists(GraphSection(9)));
    }

    // The user moves the graph window, closes the time diagram and opens graph kind 8.
    Frame(form, graph)->setGeometry(300, 300, 300, 250);
    Frame(form, diagram)->close();
    Open(form, GraphWindows[8], 8, true);
    Settle();
    ASSERT_FALSE(TimeDiagramWindows[1]);

    TMemIniFile config(configFile);
    RestoreWindowSections(config);
    Settle();
    ASSERT_EQ(GraphWindows[7].data(), graph) << "an open window is re-placed, not made anew";
    EXPECT_EQ(Frame(form, graph)->geometry(), graphPlace);
    ASSERT_TRUE(TimeDiagramWindows[1]);
    EXPECT_EQ(Frame(form, TimeDiagramWindows[1])->geometry(), diagramPlace);
    EXPECT_FALSE(GraphWindows[8]) << "a window closed when the configuration was saved is closed";
    EXPECT_EQ(form.MdiArea->activeSubWindow(), Frame(form, graph)) << "the window in front comes to the front again";
    SaveScreenshot(form, QStringLiteral("config_windows_restored"));

    // R9.ini keeps no screen-dependent geometry of these windows.
    TMemIniFile r9(form.IniFileName);
    for (const QString &section : {GraphSection(7), GraphSection(8)})
        for (const QString &key : r9.ReadSection(section))
            EXPECT_FALSE(IsGeometryKey(key)) << section.toStdString() << ' ' << key.toStdString();
    EXPECT_EQ(r9.ReadString(GraphSection(7), QStringLiteral("Visible"), {}), QStringLiteral("1"));
}

// A value window on a point of a graph curve is saved with its binding and comes back on that point.
TEST_F(ConfigWindowsDemoTest, AValueWindowOfAGraphPointComesBackOnItsPoint) {
    TMainForm &form = StartSinDemo();
    Open(form, GraphWindows[7], 7, true);
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("МЧС 5"), 5, 5, 7, -1));
    auto *value = OpenValueWindow();
    ASSERT_NE(value, nullptr);
    const QString caption = value->windowTitle();
    const QString configFile = dir.path(QStringLiteral("Config/value.cfg"));
    {
        TMemIniFile config(configFile);
        WriteWindowSections(config);
        config.UpdateFile();
    }
    Frame(form, value)->close();
    Settle();
    ASSERT_EQ(OpenValueWindow(), nullptr);

    TMemIniFile config(configFile);
    RestoreWindowSections(config);
    Settle();
    auto *again = OpenValueWindow();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->windowTitle(), caption);
    EXPECT_EQ(again->IndexValue, 5);
    EXPECT_EQ(again->FormIndexPar, 7);
    EXPECT_EQ(again->IndexNorm, 5);
}

// With the automatic window change on, the first SIN blocks open the result table and the graph windows
// of the curves the SIN table analyses, and close the others.
TEST_F(ConfigWindowsDemoTest, TheAutomaticWindowChangeOpensTheGraphWindowsOfTheNewKind) {
    WindowFactories.BasePar = installed.BasePar;
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    Open(form, GraphWindows[20], 20, true);
    ProgramSettings.AutoWindowChange = 1;
    form.Button_Start->click();
    CountBlocks();
    RunBlocks(6);
    ProgramSettings.AutoWindowChange = 0;
    ASSERT_EQ(SignalKind, 1);
    Settle();
    EXPECT_TRUE(BaseParWindows[0]);
    std::set<int> expected;
    const ParameterTable table = ParameterTableOf(1);
    for (int32_t row = 0; row < table.RowCount; ++row)
        if (table.Rows[row].GraphKind >= 0 && table.Rows[row].Settings.Analyse)
            expected.insert(table.Rows[row].GraphKind);
    ASSERT_FALSE(expected.empty());
    for (int kind = 0; kind < GraphWindowCount; ++kind)
        EXPECT_EQ(!GraphWindows[std::size_t(kind)].isNull(), expected.count(kind) > 0) << kind;
    SaveScreenshot(form, QStringLiteral("config_windows_auto_change"));
    form.StopMeasurement(QString(), false);
}

} // namespace
