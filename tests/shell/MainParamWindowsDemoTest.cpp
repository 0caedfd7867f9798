#include "DemoFixture.h"
#include "support/Screenshot.h"

#include "chartlib/Chartlib.h"
#include "controls/Zeltcspinedit.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/DispatchTargets.h"
#include "link/Emulator.h"
#include "platform/Clock.h"
#include "platform/NoValue.h"
#include "shell/WindowRegistries.h"
#include "views/Fgraph.h"
#include "views/Form_parambase.h"
#include "views/Form_parammeter.h"
#include "views/ParamGridCells.h"
#include "views/Scalelabel.h"
#include "views/masks/Form_selectmask.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTableWidget>
#include <QToolButton>

#include <chrono>

namespace {

constexpr int SinLevelRow = 4; // grid row of "Сигнал,дБм0" in the SIN parameter window (table row 3)

// The program in demonstration mode with the parameter windows, result tables and graph windows it
// registers for itself.
class ParamWindowsDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.MeasPar = installed.MeasPar;
        WindowFactories.BasePar = installed.BasePar;
        WindowFactories.Graph = installed.Graph;
        BuildParamCatalogue();
    }
    void TearDown() override {
        DemoWindowTest::TearDown();
        *DeviceSettings = DefaultDeviceSettings();
        BuildParamCatalogue();
    }

    static QAction *Item(TMainForm &form, const char *name) { return form.findChild<QAction *>(QLatin1String(name)); }
    static QAction *WindowItem(TMainForm &form, int tag) {
        for (QAction *item : form.WindowMenuItems())
            if (item->property("Tag").toInt() == tag)
                return item;
        return nullptr;
    }
};

// The user sets the SIN level's upper norm in the parameter window while the demo measures: the result
// table judges the level against it, and once the norm is set below the level the row turns red.
TEST_F(ParamWindowsDemoTest, TheSinNormEditedInTheParameterWindowTurnsTheResultRowRed) {
    ASSERT_TRUE(installed.MeasPar && installed.BasePar) << "the program registers no parameter windows";
    ASSERT_TRUE(DispatchTargets().RefreshResultTable) << "the dispatch refreshes no result table";
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();
    RunBlocks(8);
    ASSERT_EQ(SignalKind, 1);

    Item(form, "N_ParamSin")->trigger();
    auto *params = qobject_cast<TForm_MeasPar *>(MeasParWindows[0].data());
    ASSERT_NE(params, nullptr);
    form.Button_Result->click();
    auto *results = qobject_cast<TForm_BasePar *>(BaseParWindows[0].data());
    ASSERT_NE(results, nullptr);
    EXPECT_EQ(results->windowTitle(), QStringLiteral("SIN - Результаты измерений"));
    form.N_TileVertClick();

    ParamDescriptor &level = ParameterTableOf(1).Rows[SinLevelRow - 1];
    ASSERT_TRUE(level.Settings.Analyse);
    const int shown = results->GridRowOfRow[std::size_t(SinLevelRow - 1)];
    ASSERT_GT(shown, 0);
    EXPECT_EQ(results->SG->item(shown, 0)->text(), QStringLiteral("Сигнал,дБм0"));
    EXPECT_EQ(results->SG->item(shown, 3)->text(), QString()) << "no upper norm applied yet";
    params->CBoxClick(ColApplyUpper, SinLevelRow);
    params->CBoxClick(ColMargin, SinLevelRow);
    ASSERT_TRUE(level.Settings.ApplyUpper && level.Settings.ComputeMargin);
    ASSERT_TRUE(params->SGSelectCell(ColUpperNorm, SinLevelRow));
    TZeltCSpinEdit *edit = params->SpinEdit();
    ASSERT_NE(edit, nullptr);
    RunBlocks(3);
    const double measured = level.Result.Value;
    ASSERT_NE(measured, NoValue);

    // A norm above the level: within the norm, with the distance to it as margin.
    edit->SetValue(std::round(measured) + 10);
    params->SpEdtExit();
    const double above = level.Settings.UpperNorm;
    EXPECT_EQ(results->SG->item(shown, 3)->text(), QStringLiteral("<=") + FormatValue(above));
    RunBlocks(3);
    EXPECT_EQ(level.Result.Verdict, ParamPassed);
    EXPECT_NEAR(level.Result.Margin, above - level.Result.Value, 1e-3);
    EXPECT_EQ(results->SG->item(shown, 1)->text(), FormatValue(level.Result.Value));
    EXPECT_EQ(results->CellColour(1, shown), CellWhite);
    EXPECT_EQ(results->CellColour(4, shown), CellWhite);
    SaveScreenshot(form, QStringLiteral("param_demo_within"));

    // The level leaves the norm: the verdict fails, the value and margin cells turn red with white text.
    edit->SetValue(std::round(measured) - 5);
    params->SpEdtExit();
    const double below = level.Settings.UpperNorm;
    RunBlocks(3);
    EXPECT_EQ(level.Result.Verdict, ParamFailed);
    EXPECT_NEAR(level.Result.Margin, below - level.Result.Value, 1e-3);
    EXPECT_LT(level.Result.Margin, 0);
    EXPECT_EQ(results->SG->item(shown, 3)->text(), QStringLiteral("<=") + FormatValue(below));
    EXPECT_EQ(results->SG->item(shown, 4)->text(), FormatValue(level.Result.Margin));
    EXPECT_EQ(results->CellColour(1, shown), CellRed);
    EXPECT_EQ(results->CellColour(4, shown), CellRed);
    EXPECT_EQ(results->SG->item(shown, 1)->foreground().color(), QColor(Qt::white));
    EXPECT_EQ(results->SG->item(1 + 1, 1)->text(), QStringLiteral("Ненорма")) << "the compliance mark follows";
    SaveScreenshot(form, QStringLiteral("param_demo_outside"));
    SaveScreenshot(*params, QStringLiteral("param_demo_params"));
    SaveScreenshot(*results, QStringLiteral("param_demo_results"));

    // A double click on the parameter's name brings the parameter window up on its row.
    params->SGSelectCell(ColLowerNorm, 1);
    results->SGDblClick(0, shown);
    EXPECT_EQ(params->SG->currentRow(), SinLevelRow);
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

// The seven "настройка параметров" items and the result buttons open their windows as children of the
// main window with Window-menu items; a curve row switched on opens its graph window and marks it.
TEST_F(ParamWindowsDemoTest, TheMenusOpenTheParameterWindowsAndTheResultTables) {
    TMainForm &form = Start({QStringLiteral("/demo")});
    const std::pair<const char *, const char *> items[] = {
        {"N_ParamSin", "SIN - Настройка параметров"},   {"N_ParamSin2", "SIN2 - Настройка параметров"},
        {"N_ParamMtts", "МЧС - Настройка параметров"},  {"N_ParamPrbs", "ПСС - Настройка параметров"},
        {"N_ParamNoise", "ШУМ - Настройка параметров"}, {"N_ParamMirvak", "Мирвак - Настройка параметров"},
        {"N_ParamSync", "SYNC - Настройка параметров"}};
    for (const auto &[name, caption] : items) {
        Item(form, name)->trigger();
        const int index = Item(form, name)->property("Tag").toInt();
        QWidget *window = MeasParWindows[std::size_t(index)];
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(caption));
        QAction *entry = WindowItem(form, 51 + index);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->text(), QString::fromUtf8(caption));
        EXPECT_EQ(qobject_cast<TForm_MeasPar *>(window)->RowCount + 1,
                  qobject_cast<TForm_MeasPar *>(window)->SG->rowCount());
    }
    form.Button_Result->click();
    ASSERT_NE(BaseParWindows[0], nullptr);
    EXPECT_EQ(WindowItem(form, 61)->text(), QStringLiteral("ШУМ - Результаты измерений"));
    form.Menu_Result->actions()[1]->trigger();
    ASSERT_NE(BaseParWindows[1], nullptr);
    EXPECT_EQ(WindowItem(form, 62)->text(), QStringLiteral("ШУМ_R - Результаты измерений от удаленного R9"));

    // The oscillogram row of the SIN table switched on opens the oscillogram.
    auto *sin = qobject_cast<TForm_MeasPar *>(MeasParWindows[0].data());
    const ParameterTable table = ParameterTableOf(1);
    int oscillogram = -1;
    for (int32_t i = 0; i < table.RowCount; ++i)
        if (table.Rows[i].GraphKind == 0)
            oscillogram = i + 1;
    ASSERT_GT(oscillogram, 0);
    ASSERT_FALSE(table.Rows[oscillogram - 1].Settings.Analyse);
    sin->CBoxClick(ColAnalyse, oscillogram);
    EXPECT_NE(qobject_cast<TForm_Graphic *>(GraphWindows[0].data()), nullptr);
    EXPECT_TRUE(form.Menu_Spectr->actions()[0]->isChecked());

    // The value-window switch opens the row's value window as a child of the main window; closing that
    // window turns the switch off, and the parameter window shows it.
    ParamDescriptor &level = table.Rows[SinLevelRow - 1];
    ASSERT_TRUE(level.Settings.Analyse);
    sin->CBoxClick(ColTextWindow, SinLevelRow);
    QWidget *value = nullptr;
    for (const QPointer<QWidget> &slot : ScaleLabelWindows)
        if (slot)
            value = slot;
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->windowTitle(), QStringLiteral("SIN:Сигнал,дБм0 - Текстовое окно"));
    ASSERT_NE(form.SubWindowOf(value), nullptr);
    EXPECT_TRUE(sin->BoxChecked(ColTextWindow, SinLevelRow));
    form.SubWindowOf(value)->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(level.Settings.TextWindow, 0);
    EXPECT_FALSE(sin->BoxChecked(ColTextWindow, SinLevelRow));

    // A closed parameter window leaves its slot and its Window-menu item.
    QMdiSubWindow *sub = form.SubWindowOf(sin);
    ASSERT_NE(sub, nullptr);
    sub->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(MeasParWindows[0].isNull());
    EXPECT_EQ(WindowItem(form, 51), nullptr);
}

// While a remote link is up, the switches that would break it ask whether to break the peer's control
// before they ask whether to change the parameter; the mask button asks the other way round; a refusal
// changes nothing, and the time-diagram switch asks nothing.
TEST_F(ParamWindowsDemoTest, ChangesThatBreakTheRemoteLinkAskInTheirOrder) {
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    form.Button_Start->click();
    ASSERT_NE(Emulator, nullptr);
    Item(form, "N_ParamSin")->trigger();
    auto *params = qobject_cast<TForm_MeasPar *>(MeasParWindows[0].data());
    ASSERT_NE(params, nullptr);
    TDeviceSettings &s = *DeviceSettings;
    ParamDescriptor &level = ParameterTableOf(1).Rows[SinLevelRow - 1];
    const QString confirm = QStringLiteral("Прервать соединение c удаленным комплексом?");
    QStringList asked;
    int confirmAnswer = IdNo, warnAnswer = IdNo;
    SetMessageBoxHandler([&](const MessageRequest &request) {
        const bool isConfirm = request.text == confirm;
        asked << (isConfirm ? QStringLiteral("confirm") : QStringLiteral("warn"));
        return isConfirm ? confirmAnswer : warnAnswer;
    });
    // Both ends linked: the first question is the peer's, and No to it ends the matter.
    const auto linked = [&](int peer) {
        asked.clear();
        s.PeerConnectState = peer;
        s.ConnectState = 1;
    };
    // An applied norm, so that the margin switch can change too.
    level.Settings.ApplyUpper = 1;
    params->ShowParams();
    for (int column : {ColAnalyse, ColProtocol, ColApplyUpper, ColMargin}) {
        for (int peer : {1, 0}) {
            linked(peer);
            const uint8_t before = *ParamSwitch(level, column);
            params->CBoxClick(column, SinLevelRow);
            EXPECT_EQ(asked, QStringList(peer ? QStringLiteral("confirm") : QStringLiteral("warn"))) << column;
            EXPECT_EQ(*ParamSwitch(level, column), before) << column;
        }
    }
    linked(1);
    params->CBoxClick(ColTimeDiagram, SinLevelRow);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(level.Settings.TimeDiagram, 1);

    ASSERT_TRUE(params->SGSelectCell(ColUpperNorm, SinLevelRow));
    for (int peer : {1, 0}) {
        linked(peer);
        EXPECT_FALSE(params->SpEdtEnter());
        EXPECT_EQ(asked, QStringList(peer ? QStringLiteral("confirm") : QStringLiteral("warn")));
    }

    // The mask button: the change first (Yes), then breaking the link (No): the dialog never opens.
    const int selective = 28;
    ASSERT_EQ(ParameterTableOf(1).Rows[selective - 1].TextNorms, 1);
    ASSERT_TRUE(params->SGSelectCell(ColUpperNorm, selective));
    bool opened = false;
    params->RunMaskDialog = [&](TForm_SetMask &) { opened = true; };
    linked(1);
    warnAnswer = IdYes;
    ASSERT_NE(params->MaskButton(), nullptr);
    params->MaskButton()->click();
    EXPECT_EQ(asked, QStringList({QStringLiteral("warn"), QStringLiteral("confirm")}));
    EXPECT_FALSE(opened);
    s.PeerConnectState = 0;
    s.ConnectState = 0;
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

} // namespace
