// The selective page of the settings window on the offscreen platform: the page and MirvakBlock, the
// enabling by connection type, sample rate, run and playback, the plan list's editor, the range and scan
// edits, the calibration colours and the page's Start and Stop.

#include "selective/MirvakPage.h"

#include "controls/RxCheckListBox.h"
#include "controls/Zeltcspinedit.h"
#include "engine/SstParam2.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/evaluation/DispatchTargets.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "selective/MirvakPlan.h"
#include "selective/MirvakRun.h"
#include "selective/MirvakWork.h"
#include "selective/SstSettingsSnapshot.h"
#include "settings/SettingsWindowButtons.h"
#include "settings/window/MasterFreqPage.h"
#include "settings/window/MasterLevPage.h"
#include "settings/window/MeterPage.h"
#include "settings/window/PresetLists.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/MirvakGrid.h"
#include "state/SettingsLoadState.h"
#include "storage/GeneratorRestart.h"
#include "support/PausedView.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

const QColor PageLime(0, 255, 0);
const QColor PageYellow(255, 255, 0);

QColor BackOf(const QWidget *w) {
    return w->autoFillBackground() ? w->palette().color(QPalette::Window) : QColor();
}

// The settings window on the 1024 kHz range (sample rate 2560 kHz, quantum 0.001 kHz), connection type 5,
// with its selective page shown.
class MirvakPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitValueQuantizers();
        BuildParamCatalogue();
        settings = DefaultDeviceSettings();
        settings.MaxFrequency = 1024;
        RecomputeSampleRateFields(settings);
        settings.ConnectionType = 5;
        settings.Mode = 0;
        settings.ConnectState = 0;
        settings.PeerConnectState = 0;
        MirvakBlock &m = settings.Mirvak;
        m.RunState = 0;
        m.RunActive = 0;
        m.SubMode = 0;
        m.Flags = 0;
        m.B = 0.01f;
        m.Options = 0;
        m.SinOn = 1;
        m.SinLevel = -10;
        m.RangeStart = 10;
        m.RangeN = 5;
        m.RangeStep = 1;
        m.Fc1 = 10;
        m.FcN = 20;
        m.FcM = 0;
        m.FcG = 0;
        m.AfcCalDb = 0;
        m.LoadOhm = 600;
        m.CableLength = 100;
        PresetList({{10, 1}, {20, 1}, {30, 1}});
        saved = DeviceSettings;
        DeviceSettings = &settings;
        ConnectionKind = 0;
        SettingsLoadState = 1;
        PlaybackOn = false;
        RecordingOn = false;
        MeasurementRunning = false;
        SetConnectionView(&held);
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request);
            return int(IdOk);
        });
        RegisterMirvakPage();
        window = std::make_unique<TForm_SetDev>();
        window->resize(1000, 820);
        window->show();
        QApplication::setActiveWindow(window.get());
        window->PageControl1->setCurrentWidget(window->TabSheet_Mirvak);
        page = dynamic_cast<TMirvakPage *>(window->MirvakPage);
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override {
        window.reset();
        MirvakPageFactory() = {};
        DispatchTargets().ShowMirvakSelectionFreq = {};
        GeneratorRestartServices().StartMirvak = {};
        ResetMirvakCalibration();
        DeleteSstParam();
        SetMessageBoxHandler({});
        SetConnectionView(nullptr);
        DeviceSettings = saved;
        PlaybackOn = false;
        MeasurementRunning = false;
    }

    struct Row {
        float Value;
        uint8_t Checked;
    };
    void PresetList(std::initializer_list<Row> rows) {
        int i = 0;
        for (const Row &r : rows)
            settings.Mirvak.Set[i++] = {r.Value, r.Checked};
        settings.Mirvak.SetCount = int8_t(i);
    }
    // The settings as the page shows them after a change made behind its back.
    void Show() {
        window->RefreshAllPages();
        QApplication::processEvents();
    }
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < page->ShopList->List->count(); ++i)
            rows << page->ShopList->List->item(i)->text();
        return rows;
    }

    TDeviceSettings settings;
    TDeviceSettings *saved = nullptr;
    PausedView held;
    std::vector<MessageRequest> boxes;
    std::unique_ptr<TForm_SetDev> window;
    TMirvakPage *page = nullptr;
};

// The page shows the block and stores it back unchanged in its meaning: plan rows, order, options, the
// edits; the first frequency follows the run order (reverse: the last checked row).
TEST_F(MirvakPageTest, TheBlockGoesToThePageAndBack) {
    PresetList({{1, 1}, {2, 0}, {3, 1}});
    settings.Mirvak.Flags = 2;
    settings.Mirvak.Options = 0x01 | 0x02 | 0x04 | 0x08 | 0x40;
    settings.Mirvak.FcM = 500;
    settings.Mirvak.FcG = 400.0004f;
    Show();
    EXPECT_EQ(Rows(), (QStringList{"1", "2", "3"}));
    EXPECT_FALSE(page->ShopList->List->GetChecked(1));
    EXPECT_TRUE(page->RB_Mirvak_Reverse->isChecked());
    EXPECT_TRUE(page->RB_FC->isChecked());

    settings.Mirvak = {};
    page->SetMirvak();
    const MirvakBlock &m = settings.Mirvak;
    EXPECT_EQ(m.Flags, 2);
    EXPECT_EQ(m.SetCount, 3);
    EXPECT_EQ(m.Set[1].Value, 2.0f);
    EXPECT_EQ(m.Set[1].Checked, 0);
    EXPECT_EQ(m.FirstFreq, 3.0f);
    EXPECT_EQ(m.Options, 0x01 | 0x02 | 0x04 | 0x08 | 0x40);
    EXPECT_EQ(m.FcM, 500.0f);
    EXPECT_FLOAT_EQ(m.FcG, 400.0f); // on the grid
    EXPECT_EQ(m.SubMode, 0);
    EXPECT_EQ(m.DeviceSubMode, 3);
    EXPECT_EQ(m.SinOn, 1);
    EXPECT_EQ(m.SinLevel, -10.0f);
    EXPECT_EQ(m.LoadOhm, 600.0f);
    EXPECT_EQ(m.CableLength, 100.0f);
    EXPECT_EQ(m.RangeN, 5);
}

// The selection band stays within 0.001..0.5 kHz and never below the quantum of the sample rate: a stored
// band beyond it is brought to the bound, and so is a typed one.
TEST_F(MirvakPageTest, TheSelectionBandStaysWithinItsBounds) {
    const struct {
        float maxFrequency;
        double least;
    } cases[] = {{1024, 0.001}, {4096, 0.004}};
    for (const auto &c : cases) {
        settings.MaxFrequency = c.maxFrequency;
        RecomputeSampleRateFields(settings);
        settings.Mirvak.B = 600;
        Show();
        EXPECT_DOUBLE_EQ(page->Edit_Mirvak_B->MinValue(), c.least) << c.maxFrequency;
        EXPECT_DOUBLE_EQ(page->Edit_Mirvak_B->MaxValue(), 0.5) << c.maxFrequency;
        EXPECT_DOUBLE_EQ(page->Edit_Mirvak_B->GetValue(), 0.5) << c.maxFrequency;
        page->Edit_Mirvak_B->SetValue(1000);
        page->SetMirvak();
        EXPECT_FLOAT_EQ(settings.Mirvak.B, 0.5f) << c.maxFrequency;
    }
}

// Filling the page writes nothing back; an empty row becomes the lowest plan frequency when stored.
TEST_F(MirvakPageTest, RefreshingStoresNothingAndAnEmptyRowBecomesTheLowestFrequency) {
    window->Refreshing = 1;
    page->ShopList->List->addItem(QString());
    page->SetMirvak();
    EXPECT_EQ(settings.Mirvak.SetCount, 3);
    window->Refreshing = 0;
    page->SetMirvak();
    EXPECT_EQ(settings.Mirvak.SetCount, 4);
    EXPECT_FLOAT_EQ(settings.Mirvak.Set[3].Value, 0.04f);
    EXPECT_EQ(Rows().back(), QStringLiteral("0.04"));
}

// The connection type decides the sub-mode the page shows; the impedance modes switch the generator on,
// the meter-only connections switch it off.
TEST_F(MirvakPageTest, TheConnectionTypeForcesTheSubMode) {
    struct Case {
        int16_t Type;
        int8_t Stored;
        int8_t Shown;
        uint8_t SinOn;
    };
    const Case cases[] = {
        {3, 0, 1, 1},  {8, -1, 1, 1}, {3, 4, 4, 1},  {1, 2, 0, 1},  {4, 7, 0, 1}, {2, 5, 0, 0},
        {7, 2, 2, 0},  {9, 8, 0, 1},  {10, -1, 0, 1}, {11, 1, 1, 1}, {0, 3, 3, 1}, {13, 7, 7, 1},
    };
    for (const Case &c : cases) {
        settings.ConnectionType = c.Type;
        settings.Mirvak.SubMode = c.Stored;
        settings.Mirvak.SinOn = 1;
        Show();
        page->SetMirvak();
        EXPECT_EQ(settings.Mirvak.SubMode, c.Shown) << "type " << c.Type << " sub-mode " << int(c.Stored);
        EXPECT_EQ(settings.Mirvak.SinOn, c.SinOn) << "type " << c.Type << " sub-mode " << int(c.Stored);
    }
    settings.ConnectionType = 5;
    settings.Mirvak.SubMode = 3;
    settings.Mirvak.SinOn = 0;
    Show();
    EXPECT_EQ(settings.Mirvak.SubMode, 0);
    settings.ConnectionType = 3;
    settings.Mirvak.SubMode = 5;
    Show();
    EXPECT_TRUE(page->CB_SIN_Mirvak->isChecked());
}

// Which sub-mode buttons the connection type and the sample rate allow.
TEST_F(MirvakPageTest, SubModeButtonsFollowTheConnectionAndTheSampleRate) {
    struct Case {
        int16_t Type;
        float MaxFrequency;
        bool Fc, Scan, Z, ZLine, AfcCal, MeterShift, GenShift;
    };
    const Case cases[] = {
        {3, 2048, false, true, true, true, false, true, false},
        {3, 1024, false, true, true, true, false, true, false},
        {5, 2048, false, false, false, false, false, true, true},
        {5, 1024, true, true, false, false, true, true, true},
        // No connection leaves the line measurements and the shifts as they were.
        {0, 1024, false, false, false, false, false, true, true},
        {1, 1024, true, false, false, false, true, false, true},
        {2, 1024, true, true, false, false, true, true, false},
        {10, 1024, true, true, false, false, false, true, false},
        {3, 4096, false, true, true, true, false, true, false},
        {13, 1024, false, false, false, true, false, true, false},
    };
    for (const Case &c : cases) {
        settings.ConnectionType = c.Type;
        settings.MaxFrequency = c.MaxFrequency;
        RecomputeSampleRateFields(settings);
        settings.Mirvak.SubMode = 2;
        settings.Mirvak.SinOn = 0;
        Show();
        const std::string at = "type " + std::to_string(c.Type) + " at " + std::to_string(c.MaxFrequency);
        EXPECT_EQ(page->RB_FC->isEnabled(), c.Fc) << at;
        EXPECT_EQ(page->RB_Scan->isEnabled(), c.Scan) << at;
        EXPECT_EQ(page->RB_Monitor->isEnabled(), c.Scan) << at;
        EXPECT_EQ(page->RB_Z->isEnabled(), c.Z) << at;
        EXPECT_EQ(page->RB_Z_KZ->isEnabled(), c.Z) << at;
        EXPECT_EQ(page->RB_Z_HH_M->isEnabled(), c.ZLine) << at;
        EXPECT_EQ(page->RB_FC_L->isEnabled(), c.AfcCal) << at;
        EXPECT_EQ(page->CB_ShiftSpectrM->isEnabled(), c.MeterShift) << at;
        EXPECT_EQ(page->CB_ShiftSpectrG->isEnabled(), c.GenShift) << at;
    }
}

// During a run every group is locked and only Stop can be pressed; in playback not even Stop.
TEST_F(MirvakPageTest, ARunLocksThePageAndPlaybackLocksStopToo) {
    const std::vector<QWidget *> groups = {page->Panel_ShopSel, page->Panel_RangeSel, page->GB_Gen_Mirvak,
                                           page->GB_Met_Mirvak, page->GB_ShiftSpectr, page->RB_Mirvak,
                                           page->Panel_SubMode};
    page->RB_FC->click();
    for (QWidget *g : groups)
        EXPECT_TRUE(g->isEnabled()) << g->objectName().toStdString();
    EXPECT_FALSE(page->Btn_Mirvak_Stop->isEnabled());
    EXPECT_TRUE(page->CB_CycleMirvak->isEnabled());

    settings.Mirvak.RunState = 2;
    page->RefreshMirvakState();
    for (QWidget *g : groups)
        EXPECT_FALSE(g->isEnabled()) << g->objectName().toStdString();
    EXPECT_FALSE(page->CB_CycleMirvak->isEnabled());
    EXPECT_TRUE(page->Btn_Mirvak_Stop->isEnabled());

    PlaybackOn = true;
    page->RefreshMirvakState();
    EXPECT_FALSE(page->Btn_Mirvak_Stop->isEnabled());
    settings.Mirvak.RunState = 0;
    page->RefreshMirvakState();
    EXPECT_FALSE(page->Panel_SubMode->isEnabled());
}

// The list side and the range side of the plan are usable only while their button is chosen.
TEST_F(MirvakPageTest, ThePlanButtonsChooseTheUsableSide) {
    page->RB_RangeSel->click();
    EXPECT_EQ(settings.Mirvak.Flags & 1, 1);
    EXPECT_FALSE(page->ShopList->List->isEnabled());
    EXPECT_FALSE(page->ShopList->Btn_Add->isEnabled());
    EXPECT_FALSE(page->ShopList->List->GetItemEnabled(0));
    EXPECT_TRUE(page->Edit_RangeSel_F1->isEnabled());
    page->RB_ShopSel->click();
    EXPECT_EQ(settings.Mirvak.Flags & 1, 0);
    EXPECT_TRUE(page->ShopList->List->isEnabled());
    EXPECT_TRUE(page->ShopList->List->GetItemEnabled(0));
    EXPECT_FALSE(page->Edit_RangeSel_dF->isEnabled());
}

// Options: continuous enables the masks; both masks checked take "1 след" off; the impedance modes and
// monitoring switch off what they cannot use.
TEST_F(MirvakPageTest, OptionsAndSubModesSwitchOffWhatTheyCannotUse) {
    page->RB_FC->click();
    EXPECT_FALSE(page->CB_MaskUp_Mirvak->isEnabled());
    page->CB_CycleMirvak->click();
    EXPECT_TRUE(page->CB_MaskUp_Mirvak->isEnabled());
    EXPECT_TRUE(page->CB_MaskDn_Mirvak->isEnabled());
    EXPECT_TRUE(page->RB_TwoStep_Mirvak->isEnabled());
    page->CB_MaskUp_Mirvak->click();
    EXPECT_TRUE(page->RB_OneStep_Mirvak->isChecked());
    EXPECT_FALSE(page->RB_TwoStep_Mirvak->isEnabled());
    page->CB_MaskDn_Mirvak->click();
    EXPECT_FALSE(page->RB_OneStep_Mirvak->isChecked());
    EXPECT_FALSE(page->RB_OneStep_Mirvak->isEnabled());
    page->CB_MaskDn_Mirvak->click();
    EXPECT_TRUE(page->RB_OneStep_Mirvak->isChecked());

    page->RB_FC_L->click();
    EXPECT_FALSE(page->CB_CycleMirvak->isChecked());
    EXPECT_FALSE(page->CB_CycleMirvak->isEnabled());

    page->CB_SIN_Mirvak->setChecked(true);
    page->RB_Monitor->click();
    EXPECT_FALSE(page->CB_SIN_Mirvak->isChecked());
    EXPECT_FALSE(page->CB_SIN_Mirvak->isEnabled());
    EXPECT_EQ(settings.Mirvak.SubMode, 2);
    EXPECT_EQ(settings.Mirvak.SinOn, 0);

    settings.ConnectionType = 3;
    Show();
    page->CB_ShiftSpectrM->click();
    EXPECT_TRUE(page->CB_ShiftSpectrG->isChecked()); // the generator's shift follows the meter's here
    page->RB_Z_HH->click();
    EXPECT_TRUE(page->CB_SIN_Mirvak->isChecked());
    EXPECT_FALSE(page->CB_ShiftSpectrM->isChecked());
    EXPECT_FALSE(page->CB_ShiftSpectrG->isChecked());
    EXPECT_FALSE(page->CB_SIN_Mirvak->isEnabled());
    EXPECT_EQ(settings.Mirvak.SubMode, 4);
    EXPECT_EQ(settings.Mirvak.DeviceSubMode, 1);
    page->RB_Z_HH_M->click();
    page->SetMirvak();
    EXPECT_EQ(settings.Mirvak.SubMode, 7);
    EXPECT_FALSE(page->RB_Z_HH->isChecked());
    page->RB_Z_Ohm->click();
    page->SetMirvak();
    EXPECT_EQ(settings.Mirvak.SubMode, 6);
}

// With connection type 4 the generator's reference follows the meter's while it is typed.
TEST_F(MirvakPageTest, TheMeterReferenceIsCopiedToTheGeneratorWhileTyped) {
    settings.ConnectionType = 4;
    Show();
    page->CB_ShiftSpectrM->click();
    EXPECT_TRUE(page->CB_ShiftSpectrG->isChecked());
    page->Edit_ShiftSpectr_FcM->findChild<QLineEdit *>()->clear();
    QTest::keyClicks(page->Edit_ShiftSpectr_FcM, QStringLiteral("123"));
    EXPECT_DOUBLE_EQ(page->Edit_ShiftSpectr_FcG->GetValue(), 123.0);
    settings.ConnectionType = 5;
    Show();
    page->CB_ShiftSpectrM->click();
    page->Edit_ShiftSpectr_FcM->findChild<QLineEdit *>()->clear();
    QTest::keyClicks(page->Edit_ShiftSpectr_FcM, QStringLiteral("77"));
    EXPECT_NE(page->Edit_ShiftSpectr_FcG->GetValue(), 77.0);
}

// The range is kept below the top frequency by the edit that would push it above.
TEST_F(MirvakPageTest, TheRangeEditsKeepThePlanBelowTheTopFrequency) {
    page->Edit_RangeSel_F1->SetValue(1000);
    page->Edit_RangeSel_dF->SetValue(10);
    page->Edit_RangeSel_N->SetValue(340);
    page->Edit_RangeSel_NEnter();
    EXPECT_EQ(page->Edit_RangeSel_N->GetValue(), 3);
    EXPECT_EQ(settings.Mirvak.RangeN, 3);
    EXPECT_EQ(page->Edit_RangeSel_FN->text(), QStringLiteral("1020"));

    page->Edit_RangeSel_N->SetValue(5);
    page->Edit_RangeSel_F1Enter();
    EXPECT_DOUBLE_EQ(page->Edit_RangeSel_F1->GetValue(), 984.0);
    EXPECT_FLOAT_EQ(settings.Mirvak.RangeStart, 984.0f);

    // A step too large shrinks to one that ends within the top.
    page->Edit_RangeSel_F1->SetValue(10);
    page->Edit_RangeSel_N->SetValue(7);
    page->Edit_RangeSel_dF->SetValue(500);
    page->Edit_RangeSel_dFEnter();
    EXPECT_LE(settings.Mirvak.RangeStart + 6 * settings.Mirvak.RangeStep, 1024.0f);
    EXPECT_FLOAT_EQ(settings.Mirvak.RangeStep, 169.0f);
    // A shrunk step that lies between two grid points takes the lower one, so the last point stays
    // within the top (the nearer one, 0.002, would end at 1024.001).
    page->Edit_RangeSel_F1->SetValue(1023.997);
    page->Edit_RangeSel_N->SetValue(3);
    page->Edit_RangeSel_dF->SetValue(1);
    page->Edit_RangeSel_dFEnter();
    EXPECT_FLOAT_EQ(settings.Mirvak.RangeStep, 0.001f);
    EXPECT_EQ(page->Edit_RangeSel_FN->text(), QStringLiteral("1023.999"));
}

// The scan band holds at most 16395 points of the band.
TEST_F(MirvakPageTest, AScanLongerThanTheLimitIsShortened) {
    settings.Mirvak.Fc1 = 1;
    settings.Mirvak.FcN = 1000;
    settings.Mirvak.B = 0.001f;
    Show();
    EXPECT_DOUBLE_EQ(page->Edit_Mirvak_FcN->GetValue(), 17.394);

    page->Edit_Mirvak_Fc1->SetValue(100);
    page->Edit_Mirvak_FcN->SetValue(50);
    page->Edit_Mirvak_Fc1Enter();
    EXPECT_DOUBLE_EQ(page->Edit_Mirvak_FcN->GetValue(), 100.0); // raised to the start
    page->Edit_Mirvak_FcN->SetValue(900);
    page->Edit_Mirvak_FcNEnter();
    EXPECT_DOUBLE_EQ(page->Edit_Mirvak_Fc1->GetValue(), 883.606);
    EXPECT_FLOAT_EQ(settings.Mirvak.Fc1, 883.606f);
}

// The plan list's editor: the value snaps to the grid and stays within the plan's limits; the list holds
// as many rows as the stored count keeps.
TEST_F(MirvakPageTest, ThePlanEditorSnapsAndLimitsItsValue) {
    TPresetList &list = *page->ShopList;
    struct Case {
        const char *Typed;
        const char *Row;
        float Stored;
    };
    const Case cases[] = {{"5000", "1024", 1024}, {"0.0015", "0.04", 0.04f}, {"12.0015", "12.002", 12.002f},
                          {"", "0.04", 0.04f},    {"1.2.3", "0.04", 0.04f}};
    for (const Case &c : cases) {
        list.N_AddClick();
        ASSERT_TRUE(list.Editor->isVisible());
        QTest::keyClicks(list.Editor, QString::fromUtf8(c.Typed));
        QTest::keyClick(list.Editor, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(Rows().back(), QString::fromUtf8(c.Row)) << c.Typed;
        page->SetMirvak();
        EXPECT_FLOAT_EQ(settings.Mirvak.Set[settings.Mirvak.SetCount - 1].Value, c.Stored) << c.Typed;
    }

    while (list.List->count() < TPresetList::RowLimit)
        list.List->addItem(QStringLiteral("1"));
    boxes.clear();
    list.N_AddClick();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.endsWith(QStringLiteral("127")));
    page->SetMirvak();
    EXPECT_EQ(settings.Mirvak.SetCount, 127);
}

// The calibration colours while measuring the impedance: lime once valid and unchanged, yellow while due;
// in playback the valid ones show lime and the others yellow. Choosing a valid calibration's own
// sub-mode asks to repeat it.
TEST_F(MirvakPageTest, CalibrationColoursShowWhatIsValidAndWhatIsDue) {
    settings.ConnectionType = 3;
    settings.Mirvak.SubMode = 3;
    Show();
    page->SetMirvak();
    SnapshotMirvakSettings();
    MirvakCalOpenValid = 1;
    MirvakCalShortValid = 0;
    page->ShowMirvakCalibration();
    EXPECT_EQ(BackOf(page->RB_Z_HH), PageLime);

    page->Edit_Mirvak_B->SetValue(0.02);
    page->SetMirvak(); // the band changed: every calibration is due again
    EXPECT_EQ(BackOf(page->RB_Z_HH), PageYellow);
    EXPECT_EQ(BackOf(page->RB_Z_KZ), PageYellow);

    PlaybackOn = true;
    page->ShowMirvakCalibration();
    EXPECT_EQ(BackOf(page->RB_Z_HH), PageLime);
    EXPECT_EQ(BackOf(page->RB_Z_KZ), PageYellow);
    PlaybackOn = false;

    // Line measurements: the shorted line done, the open one still due.
    SnapshotMirvakSettings();
    MirvakZShortValid = 1;
    MirvakZOpenValid = 0;
    page->ShowMirvakCalibration();
    EXPECT_EQ(BackOf(page->RB_Z_HH_M), PageYellow);
    EXPECT_EQ(BackOf(page->RB_Z_KZ_M), PageLime);

    page->RB_Z_KZ_MClick();
    page->SetMirvak();
    EXPECT_EQ(BackOf(page->RB_Z_KZ_M), PageYellow);
    SaveScreenshot(*window, QStringLiteral("mirvak_page_impedance"));
}

// The refusals of Start are shown as the user's message and start nothing.
TEST_F(MirvakPageTest, StartRefusesWhatCannotRun) {
    struct Case {
        float MaxFrequency;
        int8_t SubMode;
        int16_t Type;
        uint8_t MaxLevelIndex;
        bool NoCheckedRow;
        const char *Starts;
    };
    const Case cases[] = {
        {512, 0, 5, 0, false, "Режим \"Мирвак\" для АЧХ,Скан, Мониторинг доступен при максимальной частоте 1024"},
        {2048, 2, 5, 0, false, "Режим \"Мирвак\" для измерения АЧХ, Скан, Мониторинг\nдоступен только"},
        {1024, 4, 3, 3, false, "Калибровка и измерения импеданса в режиме \"Мирвак\"\nпри Макс.уровень,дБм = "},
        {1024, 0, 5, 0, true, "В режиме \"Мирвак\" не заданы значения измерительных частот."},
    };
    for (const Case &c : cases) {
        settings.MaxFrequency = c.MaxFrequency;
        RecomputeSampleRateFields(settings);
        settings.ConnectionType = c.Type;
        settings.Mirvak.SubMode = c.SubMode;
        settings.MaxLevelIndex = c.MaxLevelIndex;
        settings.Mirvak.RunState = 0;
        for (int i = 0; i < settings.Mirvak.SetCount; ++i)
            settings.Mirvak.Set[i].Checked = c.NoCheckedRow ? 0 : 1;
        Show();
        boxes.clear();
        page->Btn_Mirvak_Start->click();
        ASSERT_EQ(boxes.size(), 1u) << c.Starts;
        EXPECT_TRUE(boxes[0].text.startsWith(QString::fromUtf8(c.Starts))) << boxes[0].text.toStdString();
        EXPECT_EQ(boxes[0].caption, QStringLiteral("Внимание!"));
        EXPECT_EQ(boxes[0].icon, MsgIcon::Warning);
        EXPECT_EQ(settings.Mirvak.RunState, 0);
        EXPECT_EQ(settings.Mirvak.RunActive, 0);
    }
    // The maximum level quoted is the meter group's entry.
    settings.MaxFrequency = 1024;
    RecomputeSampleRateFields(settings);
    settings.ConnectionType = 3;
    settings.Mirvak.SubMode = 4;
    settings.MaxLevelIndex = 3;
    Show();
    boxes.clear();
    page->Btn_Mirvak_Start->click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.endsWith(window->MeterPage->CB_Lmax_dBm->itemText(3) + QStringLiteral(" - невозможны.")));
}

// Start with a plan that fits: the run starts with the plan's words, the page locks, the automatic
// maximum level goes off; Stop without a measurement ends the run at once.
TEST_F(MirvakPageTest, StartRunsThePlanAndStopEndsIt) {
    settings.AutoMaxLevel = 1;
    Show();
    window->MeterPage->CB_M9_Lmax_Auto->setChecked(true);
    page->Edit_Mirvak_F->setText(QStringLiteral("5"));
    page->Btn_Mirvak_Start->click();
    ASSERT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
    EXPECT_EQ(settings.Mirvak.RunState, 1);
    EXPECT_EQ(settings.Mirvak.RunActive, 1);
    EXPECT_EQ(MirvakPlanCount, 3);
    EXPECT_EQ(MirvakPlanSteps[1], uint32_t(20.0 / 2560.0 * 4294967296.0 + 0.5));
    EXPECT_EQ(settings.AutoMaxLevel, 0);
    EXPECT_FALSE(window->MeterPage->CB_M9_Lmax_Auto->isChecked());
    EXPECT_TRUE(page->Edit_Mirvak_F->text().isEmpty()); // the plan was built
    EXPECT_FALSE(page->Panel_SubMode->isEnabled());
    EXPECT_TRUE(page->Btn_Mirvak_Stop->isEnabled());
    EXPECT_EQ(page->Btn_Mirvak_Start->palette().color(QPalette::Active, QPalette::ButtonText), QColor(255, 255, 0));

    // The commands went out: the settings' start-button refresh reaches the page.
    settings.Mirvak.RunState = 2;
    ShowMirvakStartButton();
    EXPECT_EQ(page->Btn_Mirvak_Start->palette().color(QPalette::Active, QPalette::ButtonText), QColor(50, 205, 50));

    page->Btn_Mirvak_Stop->click();
    EXPECT_EQ(settings.Mirvak.RunState, 0);
    EXPECT_EQ(settings.Mirvak.RunActive, 0);
    EXPECT_TRUE(page->Panel_SubMode->isEnabled());
    EXPECT_FALSE(page->Btn_Mirvak_Stop->isEnabled());
    SaveScreenshot(*window, QStringLiteral("mirvak_page"));
}

// A scan with the generator on marks the plan point the generator plays.
TEST_F(MirvakPageTest, AScanShowsTheToneTheGeneratorPlays) {
    settings.ConnectionType = 3;
    settings.Mirvak.SubMode = 1;
    settings.Mirvak.Flags = 2;
    PresetList({{10, 1}, {20, 1}, {30, 0}});
    Show();
    page->Btn_Mirvak_Start->click();
    ASSERT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
    ASSERT_EQ(MirvakToneIndex, 1); // the last row is unchecked, so the tone is the second from the end
    EXPECT_TRUE(page->ShopList->List->GetSelected(1));
    EXPECT_FALSE(page->ShopList->List->GetSelected(2));

    page->Btn_Mirvak_Stop->click();
    settings.Mirvak.Flags = 1 | 2;
    Show();
    page->Btn_Mirvak_Start->click();
    ASSERT_TRUE(boxes.empty()) << boxes[0].text.toStdString();
    EXPECT_EQ(BackOf(page->Edit_RangeSel_FN), PageLime);
    EXPECT_NE(BackOf(page->Edit_RangeSel_F1), PageLime);
    page->Btn_Mirvak_Stop->click();
    EXPECT_EQ(BackOf(page->Edit_RangeSel_FN), QColor(255, 255, 255));
}

// The evaluation shows the latest selection frequency through its dispatch; an unset one changes nothing.
TEST_F(MirvakPageTest, TheSelectionFrequencyComesThroughTheDispatch) {
    MirvakSelectionFreq = 12.3456f;
    Dispatch(DispatchTargets().ShowMirvakSelectionFreq);
    EXPECT_EQ(page->Edit_Mirvak_F->text(), QStringLiteral("12.346"));
    MirvakSelectionFreq = -9999999.0f;
    Dispatch(DispatchTargets().ShowMirvakSelectionFreq);
    EXPECT_EQ(page->Edit_Mirvak_F->text(), QStringLiteral("12.346"));
}

// A configuration that stores a running selective run starts it again.
TEST_F(MirvakPageTest, ALoadedConfigurationRestartsItsSelectiveRun) {
    settings.Mirvak.RunState = 1;
    settings.Mirvak.RunActive = 1;
    MirvakPlanCount = 0;
    RestartGeneratorsAfterLoad();
    EXPECT_EQ(settings.Mirvak.RunState, 1);
    EXPECT_EQ(MirvakPlanCount, 3);
}

} // namespace

namespace {

// The generator's greatest level limits the selective level as it limits the SIN's; a level beyond it
// is brought into range and stored.
TEST_F(MirvakPageTest, TheGeneratorLevelLimitsReachTheSelectiveLevel) {
    window->Edit_G9_Ref->SetValue(10);
    window->ApplyGeneratorLevelLimits();
    const double top = window->Edit_SIN_L->MaxValue();
    EXPECT_EQ(page->Edit_SIN_Mirvak_L->MaxValue(), top);
    EXPECT_EQ(page->Edit_SIN_Mirvak_L->MinValue(), window->Edit_SIN_L->MinValue());
    page->Edit_SIN_Mirvak_L->SetMaxValue(100);
    page->Edit_SIN_Mirvak_L->SetValue(top + 5);
    window->ApplyGeneratorLevelLimits();
    EXPECT_LE(settings.Mirvak.SinLevel, top);
    EXPECT_GT(settings.Mirvak.SinLevel, top - 1);
}

} // namespace

// The masters' and the selective page's meter groups show read-only copies of the meter page's maximum
// level, Lmin, AFC reference, weighting file and averaging interval: filled with the window, and
// following the meter page as the user changes it there.
TEST_F(MirvakPageTest, TheMeterSettingsCopiesFollowTheMeterPage) {
    settings.Lmin = -55.5f;
    settings.AfcRef = 0;
    settings.AveragingInterval = 75;
    settings.MaxLevelIndex = 1;
    settings.WeightingIndex = -1;
    Show();
    TMeterPage &meter = *window->MeterPage;
    const std::vector<TMasterPage *> masters = {window->MasterFreqPage, window->MasterLevPage};
    const auto expectCopies = [&](const QString &lmax, const QString &lmin, const QString &afc) {
        for (const TMasterPage *m : masters) {
            EXPECT_EQ(m->Edit_Lmax->text(), lmax);
            EXPECT_EQ(m->Edit_Lmin->text(), lmin);
            EXPECT_EQ(m->Edit_AFC->text(), afc);
            EXPECT_TRUE(m->Edit_Lmax->isReadOnly() && m->Edit_Lmin->isReadOnly() && m->Edit_AFC->isReadOnly());
        }
        EXPECT_EQ(page->Edit_Mirvak_Lmax->text(), lmax);
        EXPECT_EQ(page->Edit_Mirvak_AFC->text(), afc);
    };
    ASSERT_GE(meter.CB_Lmax_dBm->count(), 3);
    const QString level1 = meter.CB_Lmax_dBm->itemText(1);
    EXPECT_FALSE(level1.isEmpty());
    expectCopies(level1, QStringLiteral("-55.5"), QStringLiteral("Минимального затухания"));
    EXPECT_EQ(page->Edit_Mirvak_Tavr->text(), QStringLiteral("01:15"));
    EXPECT_EQ(page->Edit_Mirvak_Weight->text(), QString());
    EXPECT_EQ(window->MasterFreqPage->findChild<QLineEdit *>(QStringLiteral("Edit_MasterF_Lmin")),
              window->MasterFreqPage->Edit_Lmin);
    EXPECT_EQ(window->MasterLevPage->findChild<QLineEdit *>(QStringLiteral("Edit_MasterL_AFC")),
              window->MasterLevPage->Edit_AFC);

    // The user's choices on the meter page, before any apply.
    meter.CB_M9_AFC->setCurrentIndex(1);
    emit meter.CB_M9_AFC->activated(1);
    meter.CB_Lmax_dBm->setCurrentIndex(2);
    emit meter.CB_Lmax_dBm->activated(2);
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(meter.Edit_M9_Lmin, &in);
    meter.Edit_M9_Lmin->SetValue(-40);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(meter.Edit_M9_Lmin, &out);
    expectCopies(meter.CB_Lmax_dBm->itemText(2), QStringLiteral("-40"), QStringLiteral("Опорного уровня"));
    EXPECT_NE(meter.CB_Lmax_dBm->itemText(2), level1);

    meter.CSpinButton1Up->click();
    EXPECT_EQ(page->Edit_Mirvak_Tavr->text(), QStringLiteral("01:16"));
    meter.Edit_FileName->setText(QStringLiteral("line.9wf"));
    EXPECT_EQ(page->Edit_Mirvak_Weight->text(), QStringLiteral("line.9wf"));
    meter.ClearFileClick();
    EXPECT_EQ(page->Edit_Mirvak_Weight->text(), QString());

    // Nothing was applied: the window filled again shows the settings' own values once more.
    Show();
    expectCopies(level1, QStringLiteral("-55.5"), QStringLiteral("Минимального затухания"));
    EXPECT_EQ(page->Edit_Mirvak_Tavr->text(), QStringLiteral("01:15"));
}
