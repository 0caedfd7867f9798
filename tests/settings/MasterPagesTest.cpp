#include "settings/window/Form_SetDev.h"

#include "chartlib/Chartlib.h"
#include "controls/RxCheckListBox.h"
#include "controls/Zeltcspinedit.h"
#include "engine/GeneratorSynthesis.h"
#include "engine/MasterParam.h"
#include "engine/catalogue/ValueQuantizer.h"
#include "engine/evaluation/PointVerdicts.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "WaitingRemoteCodes.h"
#include "settings/remote/RemoteExchange.h"
#include "settings/masters/MasterFreq.h"
#include "settings/masters/MasterLev.h"
#include "settings/window/MasterFreqPage.h"
#include "settings/window/MasterLevPage.h"
#include "settings/window/MeterPage.h"
#include "settings/window/PresetLists.h"
#include "settings/window/ShopMenu.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/SettingsLoadState.h"
#include "support/PausedView.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QGroupBox>
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

// The settings window on a 256 kHz range (sample rate 640 kHz, generator grid 0.625 kHz), connection
// type 3, shown and active so that the in-place editors take the focus.
class MasterPagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitValueQuantizers();
        settings = DefaultDeviceSettings();
        settings.MaxFrequency = 256;
        RecomputeSampleRateFields(settings);
        settings.ConnectionType = 3;
        settings.Mode = 0;
        settings.ConnectState = 0;
        settings.PeerConnectState = 0;
        settings.Mirvak.RunState = 0;
        saved = DeviceSettings;
        DeviceSettings = &settings;
        ConnectionKind = 0;
        SettingsLoadState = 1;
        SetConnectionView(&held);
        SetMessageBoxHandler([this](const MessageRequest &request) {
            boxes.push_back(request);
            return int(IdYes);
        });
        window = std::make_unique<TForm_SetDev>();
        window->resize(900, 760);
        window->show();
        QApplication::setActiveWindow(window.get());
        freq = window->MasterFreqPage;
        lev = window->MasterLevPage;
    }
    void TearDown() override {
        window.reset();
        StopMasterFreq();
        StopMasterLev();
        DeleteMasterParams();
        FreePointVerdicts(20);
        FreePointVerdicts(21);
        DropRemoteMessages();
        SetMessageBoxHandler({});
        SetConnectionView(nullptr);
        DeviceSettings = saved;
    }

    void ShowPage(QWidget *page) {
        window->PageControl1->setCurrentWidget(page);
        QApplication::processEvents();
    }

    // Types into the open in-place editor and ends with `key`.
    void Type(TPresetList &list, const QString &text, Qt::Key key) {
        ASSERT_TRUE(list.Editor->isVisible());
        QTest::keyClicks(list.Editor, text);
        QTest::keyClick(list.Editor, key);
        QApplication::processEvents();
    }

    QStringList Rows(TPresetList &list) {
        QStringList rows;
        for (int i = 0; i < list.List->count(); ++i)
            rows << list.List->item(i)->text();
        return rows;
    }

    void FillRows(TPresetList &list, int count) {
        for (int i = 0; i < count; ++i)
            list.List->addItem(QString::number(i + 1));
    }

    TDeviceSettings settings;
    TDeviceSettings *saved = nullptr;
    PausedView held;
    std::vector<MessageRequest> boxes;
    static std::vector<uint8_t> SentCodes() { return TakeWaitingRemoteCodes(); }
    VirtualClock clock{1000, 1};
    std::unique_ptr<TForm_SetDev> window;
    TMasterFreqPage *freq = nullptr;
    TMasterLevPage *lev = nullptr;
};

// Add appends a marked row and opens the editor on it; the commit brings a value beyond the range to its
// limit and the page stores the list.
TEST_F(MasterPagesTest, AddEditsTheNewRowAndTheCommitKeepsItInRange) {
    ShowPage(window->TabSheet_MasterFreq);
    freq->RB_Shop->setChecked(true);
    TPresetList &list = *freq->ShopList;
    list.List->clear();
    list.N_AddClick();
    ASSERT_EQ(list.List->count(), 1);
    EXPECT_TRUE(list.List->GetChecked(0));
    EXPECT_FALSE(list.List->isEnabled()) << "the list waits for the editor";
    Type(list, QStringLiteral("5000"), Qt::Key_Return);
    EXPECT_EQ(Rows(list), QStringList{FormatFrequency(256)});
    EXPECT_TRUE(list.List->isEnabled());
    EXPECT_TRUE(list.List->GetSelected(0));
    EXPECT_TRUE(list.List->GetChecked(0));
    EXPECT_FALSE(list.Editor->isVisible());
    EXPECT_EQ(settings.MasterF.SetCount, 1);
    EXPECT_EQ(settings.MasterF.Set[0].Value, 256);
    EXPECT_EQ(settings.MasterF.Set[0].Checked, 1);

    // Escape right after Add leaves the row empty; the store turns it into the lowest value.
    list.N_AddClick();
    Type(list, QString(), Qt::Key_Escape);
    EXPECT_EQ(Rows(list).value(1), FormatFrequency(256 * 0.00001));
    EXPECT_EQ(settings.MasterF.SetCount, 2);
    EXPECT_FLOAT_EQ(settings.MasterF.Set[1].Value, 256 * 0.00001f);

    // '-' is dropped by the frequency editor; a text that is no number commits as the lowest value.
    list.List->SetItemIndex(0);
    list.N_EditClick();
    list.Editor->clear();
    Type(list, QStringLiteral("-1.2.3"), Qt::Key_Return);
    EXPECT_EQ(Rows(list).value(0), FormatFrequency(256 * 0.00001));
}

TEST_F(MasterPagesTest, TheLevelEditorTakesMinusAndKeepsTheMark) {
    ShowPage(window->TabSheet_MasterLev);
    lev->RB_Shop->setChecked(true);
    TPresetList &list = *lev->ShopList;
    list.List->clear();
    list.List->addItem(QStringLiteral("1"));
    list.List->addItem(QStringLiteral("2"));
    list.List->SetChecked(0, false);
    list.List->SetItemIndex(0);
    list.N_EditClick();
    list.Editor->clear();
    Type(list, QStringLiteral("-12.5"), Qt::Key_Up);
    EXPECT_EQ(Rows(list).value(0), FormatValue(-12.5));
    EXPECT_FALSE(list.List->GetChecked(0)) << "an unmarked row stays unmarked";
    EXPECT_TRUE(list.List->GetSelected(0)) << "Up on the first row keeps it selected";
    EXPECT_EQ(settings.MasterL.Set[0].Value, -12.5f);

    list.List->SetChecked(1, true);
    list.List->SetItemIndex(1);
    list.N_EditClick();
    list.Editor->clear();
    Type(list, QStringLiteral("3"), Qt::Key_Return);
    EXPECT_TRUE(list.List->GetChecked(1)) << "a marked row stays marked";
    EXPECT_TRUE(list.List->GetSelected(1)) << "Enter on the last row keeps it selected";
}

// A list holds 127 rows, the most its stored count keeps: the 128th is refused with the limit message.
TEST_F(MasterPagesTest, ListsStopAtTheirStoredRowLimit) {
    TPresetList &list = *freq->ShopList;
    list.List->clear();
    FillRows(list, TPresetList::RowLimit);
    list.List->SetItemIndex(3);
    list.N_AddClick();
    list.N_InsClick();
    EXPECT_EQ(list.List->count(), 127);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text,
              QStringLiteral("Нельзя добавить значение!\nМаксимально возможное количество значений в наборе - 127"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Внимание!"));
    EXPECT_FALSE(list.Editor->isVisible());
}

TEST_F(MasterPagesTest, InsertNeedsACurrentRowAndDeleteRemovesEverySelectedRow) {
    ShowPage(window->TabSheet_MasterFreq);
    freq->RB_Shop->setChecked(true);
    TPresetList &list = *freq->ShopList;
    list.List->clear();
    list.N_InsClick();
    EXPECT_EQ(list.List->count(), 0) << "no current row, no insert";
    FillRows(list, 4);
    list.List->SetItemIndex(0);
    list.List->SetSelected(0, true);
    list.List->SetSelected(1, true);
    list.N_DelClick();
    EXPECT_EQ(Rows(list), (QStringList{QStringLiteral("3"), QStringLiteral("4")}));
    EXPECT_EQ(settings.MasterF.SetCount, 2);
    EXPECT_EQ(settings.MasterF.Set[0].Value, 3);
    for (int i = 0; i < 2; ++i)
        list.List->SetSelected(i, true);
    list.N_DelClick();
    EXPECT_EQ(list.List->count(), 0);
    EXPECT_EQ(list.List->GetSelCount(), 0);

    FillRows(list, 3);
    list.N_UnCheckClick();
    EXPECT_EQ(settings.MasterF.Set[2].Checked, 0);
    list.N_CheckClick();
    EXPECT_EQ(settings.MasterF.Set[2].Checked, 1);
}

// One pop-up menu serves both master lists and the page control. While a master page is on show its
// plan source decides the items; every row of a list given up for the range is disabled one by one.
TEST_F(MasterPagesTest, TheSharedMenuFollowsTheActivePagesPlanSource) {
    settings.MasterF.Source = 1; // range
    settings.MasterL.Source = 0; // list
    settings.MasterF.Set[0] = {10, 1};
    settings.MasterF.Set[1] = {20, 0};
    settings.MasterF.SetCount = 2;
    window->RefreshAllPages();
    const auto itemsEnabled = [this] {
        QStringList states;
        for (QAction *action : window->ShopMenu->PopupMenu_Shop->actions())
            if (!action->isSeparator())
                states << (action->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"));
        return states.join(QLatin1Char(' '));
    };
    TRxCheckListBox &freqRows = *freq->ShopList->List;

    ShowPage(window->TabSheet_MasterFreq);
    EXPECT_EQ(itemsEnabled(), QStringLiteral("off off off off off off"));
    ASSERT_EQ(freqRows.count(), 2);
    EXPECT_FALSE(freqRows.GetItemEnabled(0));
    EXPECT_FALSE(freqRows.GetItemEnabled(1));
    freqRows.ToggleClickCheck(0);
    EXPECT_TRUE(freqRows.GetChecked(0)) << "a disabled row does not toggle";
    SaveScreenshot(*window, QStringLiteral("frequency_master_page_range"));

    ShowPage(window->TabSheet_MasterLev);
    EXPECT_EQ(itemsEnabled(), QStringLiteral("on on on on on on")) << "the level page has its list";
    freq->RefreshState();
    EXPECT_EQ(itemsEnabled(), QStringLiteral("on on on on on on")) << "a page not on show leaves the menu";
    lev->RB_Range->setChecked(true);
    EXPECT_EQ(itemsEnabled(), QStringLiteral("off off off off off off"));

    ShowPage(window->TabSheet_MasterFreq);
    freq->RB_Shop->setChecked(true);
    EXPECT_EQ(itemsEnabled(), QStringLiteral("on on on on on on"));
    EXPECT_TRUE(freqRows.GetItemEnabled(0));
    EXPECT_TRUE(freqRows.GetItemEnabled(1));
    EXPECT_TRUE(freqRows.hasFocus()) << "the list chosen as the source takes the focus";

    // For a look: the page with the menu open over its list (the menu is a window of its own).
    QMenu &popup = *window->ShopMenu->PopupMenu_Shop;
    window->ShopMenu->Popup(&freqRows, freqRows.mapToGlobal(QPoint(30, 20)));
    QApplication::processEvents();
    if (!qEnvironmentVariableIsEmpty("R9_SCREENSHOTS")) {
        QPixmap picture = window->grab();
        QPainter painter(&picture);
        painter.drawPixmap(window->mapFromGlobal(popup.pos()), popup.grab());
        painter.end();
        picture.save(qEnvironmentVariable("R9_SCREENSHOTS") + QStringLiteral("/frequency_master_menu.png"));
    }
    popup.hide();
}

// The menu's commands go to the list whose control holds the focus, else to the list it was opened on;
// opened on the page control with the focus elsewhere, they do nothing.
TEST_F(MasterPagesTest, TheMenuWorksOnTheFocusedListOrTheListThatOpenedIt) {
    settings.MasterF.Source = 0;
    settings.MasterL.Source = 0;
    window->RefreshAllPages();
    ShowPage(window->TabSheet_MasterFreq);
    TShopMenu &menu = *window->ShopMenu;
    QMenu &popup = *menu.PopupMenu_Shop;
    QAction *check = popup.findChild<QAction *>(QStringLiteral("N_Check"));
    ASSERT_NE(check, nullptr);
    TPresetList &freqList = *freq->ShopList;
    TPresetList &levList = *lev->ShopList;
    freqList.List->clear();
    FillRows(freqList, 2);
    levList.List->clear();
    FillRows(levList, 2);
    const auto openOn = [&](QWidget *widget) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(widget, &event);
        QApplication::processEvents();
        EXPECT_TRUE(popup.isVisible());
        popup.hide();
    };
    const auto marks = [](TPresetList &list) { return int(list.List->GetChecked(0)) + int(list.List->GetChecked(1)); };

    // A press on the page outside any list: the page control opened the menu.
    freq->Edit_RangeFirst->setFocus();
    openOn(freq->findChild<QGroupBox *>(QStringLiteral("Panel_Timing_masterF")));
    EXPECT_EQ(menu.PopupComponent(), window->PageControl1);
    check->trigger();
    EXPECT_EQ(marks(freqList) + marks(levList), 0) << "no list to work on";

    openOn(freqList.List->viewport());
    EXPECT_EQ(menu.PopupComponent(), freqList.List);
    {
        // Inside the main window (an MDI sub-window in the program) the lists still find their menu.
        QWidget mainWindow;
        window->setParent(&mainWindow);
        EXPECT_EQ(TShopMenu::Of(freqList.List), &menu);
        window->setParent(nullptr);
        window->show();
        QApplication::setActiveWindow(window.get());
    }
    freq->Edit_RangeFirst->setFocus();
    check->trigger();
    EXPECT_EQ(marks(freqList), 2);
    EXPECT_EQ(settings.MasterF.Set[1].Checked, 1) << "the page stores the marks";

    // The focus decides over the opener: a command of the level list's button, or the list itself.
    ShowPage(window->TabSheet_MasterLev);
    levList.Btn_Add->setFocus();
    popup.findChild<QAction *>(QStringLiteral("N_Add"))->trigger();
    EXPECT_EQ(levList.List->count(), 3);
    EXPECT_EQ(freqList.List->count(), 2);
    ASSERT_TRUE(levList.Editor->isVisible()) << "Add ends in the in-place editor";
    Type(levList, QStringLiteral("-7"), Qt::Key_Return);
    levList.Btn_Add->setFocus();
    check->trigger();
    EXPECT_EQ(marks(levList), 0) << "marking all needs the list itself, not a button";
    levList.List->setFocus();
    check->trigger();
    EXPECT_EQ(marks(levList), 2);
    EXPECT_EQ(settings.MasterL.SetCount, 3);
}

// A reverse list loads as the list with "обратный" and stores back the same source byte; an interval
// below the size's minimum shows and stores the minimum.
TEST_F(MasterPagesTest, ThePageLoadsAndStoresThePlanAndTheInterval) {
    MasterBlock &m = settings.MasterF;
    m.Source = 2;
    m.Set[0] = {1, 1};
    m.Set[1] = {500, 0}; // above the range: lowered to it on load
    m.SetCount = 2;
    m.Interval = 1;
    m.AutoByTime = 1;
    window->RefreshAllPages();
    EXPECT_TRUE(freq->RB_Shop->isChecked());
    EXPECT_TRUE(freq->RB_Reverse->isChecked());
    EXPECT_EQ(m.Set[1].Value, 256);
    const int32_t minimum = m.Interval;
    EXPECT_GE(minimum, 3);
    EXPECT_EQ(freq->Edit_OnTime->text(), SecondsToClock(minimum, false));
    m.Source = 0;
    freq->Store();
    EXPECT_EQ(m.Source, 2);
    EXPECT_EQ(m.Interval, minimum);
    EXPECT_EQ(m.Set[1].Checked, 0);

    freq->SpinDownClick();
    EXPECT_EQ(freq->Edit_OnTime->text(), SecondsToClock(minimum, false)) << "not below the minimum";
    freq->Edit_OnTime->setText(QStringLiteral("59:58"));
    freq->SpinUpClick();
    freq->SpinUpClick();
    EXPECT_EQ(freq->Edit_OnTime->text(), QStringLiteral("59:59"));
}

// The wide band spans the plan and one generator step more on either side, within the range.
TEST_F(MasterPagesTest, TheWideBandFollowsThePlan) {
    MasterBlock &m = settings.MasterF;
    m.Source = 0;
    m.Set[0] = {10, 1};
    m.Set[1] = {40, 0};
    m.Set[2] = {20, 1};
    m.SetCount = 3;
    window->RefreshAllPages();
    freq->Store();
    const float grid = settings.SampleRate / 1024;
    EXPECT_FLOAT_EQ(m.BandF0, 10 - grid);
    EXPECT_FLOAT_EQ(m.BandF1, 40 + grid);

    freq->RB_Range->setChecked(true);
    freq->Edit_RangeFirst->SetValue(10);
    freq->Edit_RangeN->SetValue(100);
    freq->Edit_RangeStep->SetValue(5);
    freq->RangeStepEnter();
    // The last value would be 505 kHz: the step is cut to 2.48484 kHz, shown to four decimals.
    EXPECT_DOUBLE_EQ(freq->Edit_RangeStep->GetValue(), RoundFrequency(2.48484));
    EXPECT_NEAR(freq->RangeLast(), 256, 0.01);
    EXPECT_EQ(m.Source & 1, 1);
    EXPECT_FLOAT_EQ(m.BandF0, 10 - float(freq->Edit_RangeStep->GetValue()));
}

TEST_F(MasterPagesTest, ALocalSinCannotStepOnAMeterOnlyConnection) {
    settings.ConnectionType = 2;
    settings.MasterF.SinOn = 1;
    window->RefreshAllPages();
    EXPECT_EQ(settings.MasterF.SinOn, 0);
    EXPECT_FALSE(freq->CB_SIN->isEnabled());
}

// Start stores the page and starts the run, which locks the plan; Next steps a manual run; Stop finishes
// it. With a remote link up Start sends the plan to the peer instead.
TEST_F(MasterPagesTest, StartNextAndStopRunTheMaster) {
    MasterBlock &m = settings.MasterF;
    m.Source = 0;
    m.Set[0] = {10, 1};
    m.Set[1] = {20, 1};
    m.Set[2] = {30, 1};
    m.SetCount = 3;
    m.AutoByTime = 0;
    m.SinOn = 1;
    m.BandType = 0;
    window->RefreshAllPages();
    ShowPage(window->TabSheet_MasterFreq);
    freq->Button_Start->click();
    EXPECT_EQ(m.State, 1);
    EXPECT_FALSE(freq->ShopList->List->isEnabled()) << "the plan is locked during the run";
    EXPECT_TRUE(freq->Button_Stop->isEnabled());
    EXPECT_TRUE(freq->Button_Next->isEnabled());
    EXPECT_TRUE(freq->ShopList->List->GetSelected(0)) << "the row in use is highlighted";
    EXPECT_EQ(freq->Edit_SinCurrent->text(), FormatFrequency(settings.Sin.F1));
    EXPECT_EQ(freq->Edit_Fc->text(), FormatFrequency(10));
    freq->Button_Next->click();
    EXPECT_TRUE(freq->ShopList->List->GetSelected(1));
    EXPECT_EQ(freq->Edit_Fc->text(), FormatFrequency(20));
    SaveScreenshot(*window, QStringLiteral("frequency_master_page_running"));

    // The level master's Start stops the frequency master first.
    ShowPage(window->TabSheet_MasterLev);
    lev->Button_Start->click();
    EXPECT_EQ(m.State, 0);
    EXPECT_EQ(settings.MasterL.State, 1);
    lev->Button_Stop->click();
    EXPECT_EQ(settings.MasterL.State, 0);
    EXPECT_FALSE(lev->Button_Stop->isEnabled());
    SaveScreenshot(*window, QStringLiteral("level_master_page"));

    settings.ConnectState = 2;
    window->RefreshAllPages();
    EXPECT_EQ(freq->Button_Start->text(), QStringLiteral("уд.Старт"));
    freq->Button_Start->click();
    EXPECT_EQ(m.State, 0) << "the peer's receipt starts the run here";
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{8, 18}));
}

// Leaving the level master's SIN frequency puts it on a frequency the generator produces.
TEST_F(MasterPagesTest, TheLevelMastersSinFrequencyIsFittedWhenLeft) {
    settings.EventCounting = 0;
    window->RefreshAllPages();
    lev->Edit_SinValue->SetValue(1.001);
    lev->Edit_SIN_masterL_FEnter();
    float fitted = 0;
    uint32_t phaseStep = 0;
    FitGeneratorFrequency(8192, 1.001f, settings.SampleRate, fitted, phaseStep);
    EXPECT_FLOAT_EQ(settings.MasterL.SinValue, float(RoundFrequency(fitted)));
    EXPECT_GE(lev->Edit_SinValue->Increment(), 0.01);

    settings.EventCounting = 1;
    settings.Sin.MinFreq = 0.625f;
    lev->Edit_SinValue->SetValue(1.0);
    lev->Edit_SIN_masterL_FEnter();
    EXPECT_FLOAT_EQ(settings.MasterL.SinValue, 1.25f) << "the nearest point of the generator's grid";
}

} // namespace

// A mark ticked in a preset list and an interval set by the arrows reach the settings at once, on both
// master pages; leaving the list stores it as well.
TEST_F(MasterPagesTest, MarksAndArrowClicksAreStoredAtOnce) {
    for (MasterBlock *m : {&settings.MasterF, &settings.MasterL}) {
        m->Source = 0;
        m->Set[0] = {10, 0};
        m->Set[1] = {20, 1};
        m->SetCount = 2;
        m->Interval = 30;
        m->AutoByTime = 1;
    }
    window->RefreshAllPages();
    for (TMasterPage *page : {static_cast<TMasterPage *>(freq), static_cast<TMasterPage *>(lev)}) {
        MasterBlock &m = page == freq ? settings.MasterF : settings.MasterL;
        page->ShopList->List->ToggleClickCheck(0);
        EXPECT_EQ(m.Set[0].Checked, 1);
        page->SpinUpClick();
        EXPECT_EQ(m.Interval, 31);
        page->SpinDownClick();
        page->SpinDownClick();
        EXPECT_EQ(m.Interval, 29);
        // A mark set without the click (as a key on another control would) is stored when the list is left.
        ShowPage(page == freq ? window->TabSheet_MasterFreq : window->TabSheet_MasterLev);
        page->ShopList->List->setFocus();
        QApplication::processEvents();
        page->ShopList->List->SetChecked(1, false);
        page->RB_Range->setFocus();
        QApplication::processEvents();
        EXPECT_EQ(m.Set[1].Checked, 0);
    }
}

// A master run moves only the Meter page's averaging interval and band: an edit the user has made there
// and not yet applied survives the start, every step and the finish.
TEST_F(MasterPagesTest, ARunKeepsTheMeterPagesUnappliedEdits) {
    MasterBlock &m = settings.MasterF;
    m.Source = 0;
    m.Set[0] = {10, 1};
    m.Set[1] = {20, 1};
    m.SetCount = 2;
    m.AutoByTime = 0;
    m.SinOn = 1;
    m.BandType = 0;
    settings.AveragingInterval = 10;
    settings.Lmin = -60;
    window->RefreshAllPages();
    TMeterPage &meter = *window->MeterPage;
    meter.Edit_M9_Lmin->SetValue(-50);
    meter.Edit_M9_VCable->setText(QStringLiteral("150"));
    ShowPage(window->TabSheet_MasterFreq);
    freq->Button_Start->click();
    ASSERT_EQ(m.State, 1);
    EXPECT_EQ(meter.Edit_M9_Tavr->text(), QStringLiteral("00:00"));
    EXPECT_DOUBLE_EQ(meter.Edit_M9_F0->GetValue(), RoundFrequency(settings.BandF0));
    freq->Button_Next->click();
    EXPECT_NEAR(meter.Edit_M9_Fc->GetValue(), 20, 0.001) << "the band is centred on the second plan frequency";
    EXPECT_DOUBLE_EQ(meter.Edit_M9_F1->GetValue(), RoundFrequency(settings.BandF1));
    EXPECT_EQ(meter.Edit_M9_Lmin->GetValue(), -50);
    freq->Button_Stop->click();
    ASSERT_EQ(m.State, 0);
    EXPECT_EQ(meter.Edit_M9_Tavr->text(), QStringLiteral("00:10"));
    EXPECT_EQ(meter.Edit_M9_Lmin->GetValue(), -50);
    EXPECT_EQ(meter.Edit_M9_VCable->text(), QStringLiteral("150"));
    EXPECT_EQ(settings.Lmin, -60);
}
