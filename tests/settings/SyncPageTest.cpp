#include "SetDevFixture.h"

#include "engine/EngineBuffers.h"
#include "settings/GeneratorStates.h"
#include "settings/SyncRun.h"
#include "settings/window/SyncPage.h"
#include "support/LayoutFaults.h"

#include <QFocusEvent>

namespace {

const QColor Maroon(128, 0, 0);

// The SYNC page inside the settings window; every command stays pending, so the raised bits can be read.
class SyncPageTest : public SetDevWindowTest {
protected:
    void SetUp() override {
        SetDevWindowTest::SetUp();
        // A start clears the SYNC curve in the engine's buffers, which the program allocates at start.
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        page = window->SyncPage;
        ASSERT_NE(page, nullptr);
    }
    void SetMaxFrequency(float maxFrequency) {
        settings.MaxFrequency = maxFrequency;
        RecomputeSampleRateFields(settings);
        window->RefreshAllPages();
    }
    static void LeaveEdit(QWidget *edit) {
        QFocusEvent out(QEvent::FocusOut);
        QApplication::sendEvent(edit, &out);
    }

    TSyncPage *page = nullptr;
};

TEST_F(SyncPageTest, TheOscillogramSweepIsCopiedFromTheCommonPage) {
    window->CBox_Spectr->setCurrentIndex(1);
    EXPECT_EQ(page->Edit_OSC1->text(), QString::number(qRound(4096 * 1000.0 / 640)));
    EXPECT_EQ(page->Edit_OSC1->text(), window->Edit_OSC->text());
    EXPECT_TRUE(page->Edit_OSC1->isReadOnly());
}

// SYNC needs a maximum frequency of 128 kHz or more: at 64 kHz Start says so and changes nothing.
TEST_F(SyncPageTest, StartIsRefusedBelow128kHz) {
    SetMaxFrequency(64);
    page->Btn_SYNC_StartClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Режим \"SYNC\" доступен для значений максимальной частоты в диапазоне 128-4096 кГц!"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Внимание!"));
    EXPECT_EQ(settings.SyncGenState, 0);
    EXPECT_EQ(settings.Mode, 0);

    boxes.clear();
    SetMaxFrequency(128);
    page->Btn_SYNC_StartClick();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(settings.SyncGenState, 1);
}

// Start takes the page into DeviceSettings, raises the SYNC relay, mode and recompute bits with the
// generator block, and locks the set-up panel until Stop, which switches the relay back.
TEST_F(SyncPageTest, StartAndStop) {
    settings.SyncPulseCount = 17;
    window->RefreshAllPages();
    page->RB_Sync_13->click();
    page->Edit_Sync_Delay_3->SetValue(500);
    page->RB_SYNC_Monitor->setChecked(true);
    page->Edit_Sync_CountPulse->SetValue(12);
    page->Btn_SYNC_StartClick();
    EXPECT_EQ(settings.SyncEdgeMode, 2);
    EXPECT_EQ(settings.SyncDelay[2], 500.0f);
    EXPECT_EQ(settings.SyncMonitoring, 1);
    EXPECT_EQ(settings.SyncCountPulse, 12);
    EXPECT_EQ(settings.SyncGenState, 1);
    EXPECT_EQ(settings.SyncPulseCount, 0);
    EXPECT_EQ(settings.Mode, 0x2101 | 0x004);
    EXPECT_EQ(settings.Block.State, 1);
    EXPECT_FALSE(page->Panel14->isEnabled());
    EXPECT_TRUE(page->Btn_SYNC_Stop->isEnabled());
    EXPECT_EQ(TextOf(page->Btn_SYNC_Start), Yellow);

    settings.Mode = 0;
    page->Btn_SYNC_StopClick();
    EXPECT_EQ(settings.SyncGenState, 0);
    EXPECT_EQ(settings.Mode, 0x2000);
    EXPECT_TRUE(page->Panel14->isEnabled());
    EXPECT_FALSE(page->Btn_SYNC_Stop->isEnabled());
    EXPECT_NE(TextOf(page->Btn_SYNC_Start), Yellow);
}

// The count field travels whole: a count above 255 is stored as it is.
TEST_F(SyncPageTest, LargeCountsAreKept) {
    page->RB_End->setChecked(true);
    page->Edit_Sync_CountPulse->SetValue(1000);
    page->Btn_SYNC_StartClick();
    EXPECT_EQ(settings.SyncMonitoring, 0);
    EXPECT_EQ(settings.SyncCountPulse, 1000);
}

// Leaving a delay edit snaps it to the instrument's 25-us grid, halves going up; leaving the count
// rounds it.
TEST_F(SyncPageTest, LeavingTheEditsSnapsThem) {
    struct Case {
        double typed, shown;
    };
    for (const Case c : {Case{1012, 1000}, Case{1013, 1025}, Case{12.5, 25}, Case{12.4, 0}, Case{999999, 1000000}}) {
        page->Edit_Sync_Delay_2->SetValue(c.typed);
        LeaveEdit(page->Edit_Sync_Delay_2);
        EXPECT_EQ(page->Edit_Sync_Delay_2->GetValue(), c.shown) << c.typed;
    }
    page->Edit_Sync_CountPulse->SetValue(2.5);
    LeaveEdit(page->Edit_Sync_CountPulse);
    EXPECT_EQ(page->Edit_Sync_CountPulse->GetValue(), 3);
}

// The least pulse interval: the interval of the spectrum size plus the delay of the edge mode.
TEST_F(SyncPageTest, LeastPulseInterval) {
    settings.SyncEdgeMode = 1;
    settings.SyncDelay[1] = 1000;
    settings.AdcSizeIndex = 0;
    window->RefreshAllPages();
    EXPECT_EQ(settings.SyncMinInterval, 151000);
    EXPECT_EQ(page->Edit_SYNC_dtmPulse->text(), QStringLiteral("151000"));
    EXPECT_TRUE(page->RB_Sync_12->isChecked());

    // Editing shows the interval of the checked mode with the Common page's choice, storing nothing.
    window->CBox_Spectr->setCurrentIndex(2);
    page->Edit_Sync_Delay_2->SetValue(2000);
    EXPECT_EQ(page->Edit_SYNC_dtmPulse->text(), QStringLiteral("602000"));
    page->Edit_Sync_Delay_1->SetValue(3000);
    EXPECT_EQ(page->Edit_SYNC_dtmPulse->text(), QStringLiteral("602000")) << "mode 0 is not checked";
    page->RB_Sync_11->click();
    EXPECT_EQ(page->Edit_SYNC_dtmPulse->text(), QStringLiteral("603000"));
    EXPECT_EQ(settings.SyncMinInterval, 151000);
    EXPECT_EQ(settings.SyncEdgeMode, 1);

    // Start stores it with the chosen size, applied or not.
    page->Btn_SYNC_StartClick();
    EXPECT_EQ(settings.SyncEdgeMode, 0);
    EXPECT_EQ(settings.SyncMinInterval, 603000);
    EXPECT_EQ(settings.AdcSizeIndex, 0);
}

// An edge mode outside 0..3 from a damaged file is shown and stored as 0.
TEST_F(SyncPageTest, UnknownEdgeModeBecomesTheFirst) {
    for (int8_t mode : {int8_t(7), int8_t(-1)}) {
        settings.SyncEdgeMode = mode;
        window->RefreshAllPages();
        EXPECT_EQ(settings.SyncEdgeMode, 0) << int(mode);
        EXPECT_TRUE(page->RB_Sync_11->isChecked());
        EXPECT_FALSE(page->RB_Sync_12->isChecked() || page->RB_Sync_13->isChecked() || page->RB_Sync_14->isChecked());
    }
}

// The run's end recolours Start while the window is open.
TEST_F(SyncPageTest, FinishedRunTurnsStartMaroon) {
    page->Btn_SYNC_StartClick();
    MarkSyncFinished();
    EXPECT_EQ(settings.SyncGenState, 3);
    EXPECT_EQ(TextOf(page->Btn_SYNC_Start), Maroon);
    MarkSyncFinished();
    EXPECT_EQ(settings.SyncGenState, 3);
}

// The page as the user sees it while a run goes: every control shown and none on another, the set-up
// locked and Stop ready. The picture is kept when R9_SCREENSHOTS names a folder.
TEST_F(SyncPageTest, Picture) {
    window->resize(900, 520);
    window->show();
    window->PageControl1->setCurrentWidget(window->TabSheet_Sync);
    page->Btn_SYNC_StartClick();
    QCoreApplication::processEvents();
    for (QWidget *shown : std::initializer_list<QWidget *>{
             page->Panel14, page->RB_Sync_11, page->RB_Sync_12, page->RB_Sync_13, page->RB_Sync_14,
             page->Edit_Sync_Delay_1, page->Edit_Sync_Delay_2, page->Edit_Sync_Delay_3, page->Edit_Sync_Delay_4,
             page->Edit_OSC1, page->Edit_SYNC_dtmPulse, page->RB_End, page->RB_SYNC_Monitor,
             page->Edit_Sync_CountPulse, page->Btn_SYNC_Start, page->Btn_SYNC_Stop})
        EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
    EXPECT_EQ(LayoutFaults(*page).join(" | ").toStdString(), "");
    EXPECT_FALSE(page->Panel14->isEnabled()) << "the set-up is locked while the run goes";
    EXPECT_TRUE(page->Btn_SYNC_Stop->isEnabled());
    SaveScreenshot(*window, QStringLiteral("settings_sync"));
}

} // namespace
