// A SYNC run in demonstration mode: the user sets a count of three pulses on the settings window's SYNC
// page and presses Start; the third block ends the run, later blocks are not analysed, and Stop brings
// the analysis back.

#include "DemoFixture.h"
#include "support/Screenshot.h"

#include "controls/Zeltcspinedit.h"
#include "engine/evaluation/DispatchTargets.h"
#include "settings/window/Form_SetDev.h"
#include "settings/window/SyncPage.h"
#include "shell/WindowRegistries.h"

#include <QAction>
#include <QGroupBox>
#include <QMdiArea>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <vector>

namespace {

class SyncDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.SetDev = installed.SetDev;
    }
    void TearDown() override {
        DispatchTargets().StepScenario = stepScenario;
        DemoWindowTest::TearDown();
    }

    // Every analysed block ends with the scenario's step: counting those counts the analysed blocks.
    void CountAnalysedBlocks() {
        stepScenario = DispatchTargets().StepScenario;
        DispatchTargets().StepScenario = [this] {
            ++analysed;
            if (stepScenario)
                stepScenario();
        };
    }

    std::function<void()> stepScenario;
    int analysed = 0;
};

TEST_F(SyncDemoTest, CountOfThreeEndsAfterTheThirdBlock) {
    VirtualClock fast(200000, 0);
    TMainForm &form = StartSinDemo();
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty());
    ASSERT_NE(Emulator, nullptr);
    CountBlocks();
    CountAnalysedBlocks();
    RunBlocks(4);
    EXPECT_GT(analysed, 0);

    QAction *item = form.findChild<QAction *>(QStringLiteral("N_Gen"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    auto *window = qobject_cast<TForm_SetDev *>(Form_SetDev.data());
    ASSERT_NE(window, nullptr);
    window->PageControl1->setCurrentWidget(window->TabSheet_Sync);
    TSyncPage &page = *window->SyncPage;
    page.RB_End->setChecked(true);
    page.Edit_Sync_CountPulse->SetValue(3);

    // Start lets pending messages run before it starts the run, so a block may go through meanwhile; the
    // run itself begins with no pulse counted.
    page.Btn_SYNC_Start->click();
    EXPECT_EQ(DeviceSettings->SyncPulseCount, 0);

    // The state and the analysed blocks after every block that the main window handles from now on.
    struct AfterBlock {
        int32_t state, pulses;
        int analysed;
    };
    std::vector<AfterBlock> after;
    const auto deliver = Emulator->OnAdcArray;
    Emulator->OnAdcArray = [&](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
        deliver(sender, block, n, t);
        after.push_back({DeviceSettings->SyncGenState, DeviceSettings->SyncPulseCount, analysed});
    };
    EXPECT_EQ(DeviceSettings->SyncCountPulse, 3);
    EXPECT_EQ(DeviceSettings->SyncMonitoring, 0);
    const int analysedAtStart = analysed;
    RunBlocks(6);
    ASSERT_GE(after.size(), 6u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(after[i].state == 1 || after[i].state == 2) << "block " << i + 1 << ": " << after[i].state;
        EXPECT_EQ(after[i].pulses, int32_t(i + 1));
        EXPECT_EQ(after[i].analysed, analysedAtStart + int(i) + 1);
    }
    for (std::size_t i = 2; i < after.size(); ++i) {
        EXPECT_EQ(after[i].state, 3) << "block " << i + 1;
        EXPECT_EQ(after[i].pulses, 3) << "block " << i + 1;
        EXPECT_EQ(after[i].analysed, analysedAtStart + 3) << "block " << i + 1 << " was analysed";
    }
    EXPECT_EQ(SignalKind, 7);
    EXPECT_EQ(page.Btn_SYNC_Start->palette().color(QPalette::Active, QPalette::ButtonText), QColor(128, 0, 0));
    EXPECT_TRUE(page.Btn_SYNC_Stop->isEnabled());
    form.MdiArea->tileSubWindows();
    SaveScreenshot(form, QStringLiteral("settings_sync_demo"));

    page.Btn_SYNC_Stop->click();
    EXPECT_EQ(DeviceSettings->SyncGenState, 0);
    EXPECT_TRUE(page.Panel14->isEnabled());
    const int analysedAtStop = analysed;
    RunBlocks(4);
    EXPECT_GT(analysed, analysedAtStop) << "the analysis goes on after Stop";

    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

} // namespace
