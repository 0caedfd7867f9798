#include "SetDevFixture.h"

#include "engine/evaluation/ProtocolSnapshot.h"
#include "platform/NumberFormat.h"
#include "settings/window/MeterPage.h"
#include "settings/window/SetDevControlStates.h"
#include "state/ProgramSettings.h"
#include "settings/window/MasterFreqPage.h"
#include "settings/window/MasterLevPage.h"

#include <QCheckBox>
#include <QToolButton>
#include <cmath>

namespace {

TEST_F(SetDevWindowTest, RegistersItselfWhileItLives) {
    EXPECT_EQ(SettingsWindowView(), window.get());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Настройки прибора"));
    window.reset();
    EXPECT_EQ(SettingsWindowView(), nullptr);
}

// A started generator blinks yellow every step of the timer; a running one shows lime green steadily, a
// failed one red.
TEST_F(SetDevWindowTest, GeneratorStatesShowInTheButtonColours) {
    settings.Sin.State = 1;
    window->ShowGeneratorStates();
    EXPECT_EQ(TextOf(window->Button_SIN), Yellow);
    window->ShowGeneratorStates();
    EXPECT_NE(TextOf(window->Button_SIN), Yellow);
    window->ShowGeneratorStates();
    EXPECT_EQ(TextOf(window->Button_SIN), Yellow);

    settings.Sin.State = 2;
    window->RefreshGenButtons();
    EXPECT_EQ(TextOf(window->Button_SIN), Lime);
    window->ShowGeneratorStates();
    EXPECT_EQ(TextOf(window->Button_SIN), Lime);

    settings.Sin.State = -1;
    window->RefreshGenButtons();
    EXPECT_EQ(TextOf(window->Button_SIN), Red);
    window->ShowGeneratorStates();
    EXPECT_EQ(TextOf(window->Button_SIN), Red);
}

// Esc in an in-place list editor ends the edit; elsewhere it closes the window.
TEST_F(SetDevWindowTest, EscapeClosesTheListEditorNotTheWindow) {
    window->show();
    QApplication::setActiveWindow(window.get());
    auto *editor = new QLineEdit(window->TabSheet_Common);
    editor->setObjectName(QStringLiteral("Editor_ShopFreq"));
    editor->show();
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(SettingsWindowView(), window.get());

    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(SettingsWindowView(), nullptr);
}

// Choosing random-event counting always applies the smallest block and shows its sweep.
TEST_F(SetDevWindowTest, CountingAppliesTheSmallestBlock) {
    settings.AdcSizeIndex = 2;
    window->RefreshAllPages();
    window->CBox_Spectr->setCurrentIndex(3);
    window->RB_Rand->setChecked(true);
    EXPECT_EQ(window->Edit_OSC->text(), QString::number(qRound(2048 * 1000.0 / 640)));
    window->ApplyCommonParams();
    EXPECT_EQ(settings.EventCounting, 1);
    EXPECT_EQ(settings.AdcSizeIndex, 0);
    EXPECT_EQ(settings.AdcSize, 2048);
}

// A new spectrum size resets both masters' step intervals to that size's minimum; the same size keeps them.
TEST_F(SetDevWindowTest, SpectrumSizeChangeResetsTheMasterIntervals) {
    settings.AdcSizeIndex = 0;
    settings.MasterF.Interval = 100;
    settings.MasterL.Interval = 200;
    window->RefreshAllPages();
    window->ApplyCommonParams();
    EXPECT_EQ(settings.MasterF.Interval, 100);
    EXPECT_EQ(settings.MasterL.Interval, 200);

    FillStepTimeTable(settings.MaxFrequency);
    window->CBox_Spectr->setCurrentIndex(2);
    window->ApplyCommonParams();
    EXPECT_EQ(settings.AdcSizeIndex, 2);
    EXPECT_EQ(settings.MasterF.Interval, 9); // max(3, ceil(5 x 1.6 + 0.5))
    EXPECT_EQ(settings.MasterL.Interval, 14); // max(3, ceil(8 x 1.6 + 0.5)): the level master settles longer
}

// The automatic protocol of both analysers restarts with the present averaging interval, keeping the
// snapshots already taken.
TEST_F(SetDevWindowTest, CommonApplyRestartsTheAutomaticProtocols) {
    settings.AveragingInterval = 12;
    for (TProtocolSnapshot *snapshot : {&LocalProtocolSnapshot, &RemoteProtocolSnapshot}) {
        snapshot->IntervalSeconds = 0;
        snapshot->HasData = 1;
    }
    window->ApplyCommonParams();
    for (TProtocolSnapshot *snapshot : {&LocalProtocolSnapshot, &RemoteProtocolSnapshot}) {
        EXPECT_EQ(snapshot->IntervalSeconds, 12);
        EXPECT_EQ(snapshot->HasData, 1);
        snapshot->HasData = 0;
    }
}

TEST_F(SetDevWindowTest, ApplyWhileSettingsAreWrittenDoesNothing) {
    SettingsLoadState = 2;
    window->RB_Rand->setChecked(true);
    window->ApplyCommonParams();
    EXPECT_EQ(settings.EventCounting, 0);
    SettingsLoadState = 1;
}

// The Common apply: with this side's link the peer takes the settings over (codes 22 and 23) and no
// local command is raised; without it the mode and recompute bits go out, except on the types where
// only the generator is connected.
TEST_F(SetDevWindowTest, CommonApplyWithAndWithoutALink) {
    settings.ConnectState = 1;
    window->RefreshAllPages();
    window->Button_SetCommonParamClick();
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{22, 23}));
    EXPECT_EQ(settings.Mode, 0);

    settings.ConnectState = 0;
    window->Button_SetCommonParamClick();
    EXPECT_TRUE(SentCodes().empty());
    EXPECT_EQ(settings.Mode, 0x101);

    settings.Mode = 0;
    settings.ConnectionType = 1;
    window->RB_Rand->setChecked(true);
    window->Button_SetCommonParamClick();
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(settings.EventCounting, 1);
    EXPECT_EQ(TextOf(window->Button_SetCommonParam), Lime);
}

// The two SIN2 tones stay four grid steps (2.5 kHz) apart whichever moves.
TEST_F(SetDevWindowTest, Sin2TonesKeepFourGridStepsApart) {
    window->Edit_SIN2_F2->SetValue(105);
    window->Edit_SIN2_F1->SetValue(95);
    window->Edit_SIN2_F1->SetValue(100);
    EXPECT_DOUBLE_EQ(window->Edit_SIN2_F2->GetValue(), 110);
    window->Edit_SIN2_F1->SetValue(100);
    window->Edit_SIN2_F2->SetValue(105);
    EXPECT_DOUBLE_EQ(window->Edit_SIN2_F1->GetValue(), 95);
}

// The last MTTS tone stays within 256 kHz: leaving N lowers N, leaving dF lowers dF on the 1.25 kHz grid.
TEST_F(SetDevWindowTest, MttsToneCountAndSpacingStayInTheRange) {
    window->Edit_MTTS_F1->SetValue(2.5);
    window->Edit_MTTS_dF->SetValue(2.5);
    window->Edit_MTTS_N->SetValue(255);
    window->Edit_MTTS_NEnter();
    EXPECT_EQ(window->Edit_MTTS_N->GetValue(), 102);
    EXPECT_EQ(window->Edit_MTTS_FN->text(), QStringLiteral("255"));

    window->Edit_MTTS_dF->SetValue(5);
    window->Edit_MTTS_dFEnter();
    EXPECT_DOUBLE_EQ(window->Edit_MTTS_dF->GetValue(), 2.5);
    window->StoreMttsFields();
    EXPECT_EQ(settings.Mtts.Count, 102);
    EXPECT_FLOAT_EQ(settings.Mtts.F2, 255);
}

// "уд.SIN" while the local SIN runs starts both in one message; with the local SIN off only the peer's.
TEST_F(SetDevWindowTest, RemoteSinButton) {
    settings.Sin.State = 2;
    window->Button_SINClick(window->Button_SIN_R);
    EXPECT_EQ(settings.Sin.State, 1);
    EXPECT_EQ(settings.RemoteGenState[0], 1);
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{0, 10}));

    settings.Sin.State = 0;
    settings.RemoteGenState[0] = 0;
    window->Button_SINClick(window->Button_SIN_R);
    EXPECT_EQ(settings.Sin.State, 0);
    EXPECT_EQ(settings.RemoteGenState[0], 1);
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{10}));
}

// The generator buttons store the page and start their kind; in demonstration mode the emulator follows.
// "уд.Блокировка" blocks the peer's generator with its one record, while this analyser's own block is on
// as well as while it is off.
TEST_F(SetDevWindowTest, RemoteBlockButtonSendsItsRecord) {
    settings.ConnectState = 2;
    window->UpdateRemoteButtons();
    for (const int localBlock : {2, 0}) {
        settings.Block.State = localBlock;
        settings.RemoteGenState[4] = 0;
        window->Button_Block_R->click();
        EXPECT_EQ(settings.RemoteGenState[4], 1) << localBlock;
        EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{14})) << localBlock;
        EXPECT_EQ(settings.Block.State, localBlock) << "this analyser's generator is left alone";
    }
}

TEST_F(SetDevWindowTest, GeneratorButtonsStartTheirKind) {
    SetConnectionView(nullptr);
    EmuGenMode = 0;
    window->Edit_SIN_L->SetValue(3.1234);
    window->Button_SIN->click();
    EXPECT_FLOAT_EQ(settings.Sin.Level, 3.125f);
    EXPECT_EQ(settings.Sin.State, 1);
    EXPECT_EQ(EmuGenMode, EmuGenSin);
    EXPECT_EQ(TextOf(window->Button_SIN), Yellow);

    window->Button_MTTS->click();
    EXPECT_EQ(settings.Mtts.State, 1);
    EXPECT_EQ(settings.Sin.State, 0);
    EXPECT_EQ(EmuGenMode, EmuGenMtts);
    EXPECT_NE(TextOf(window->Button_SIN), Yellow);

    window->Button_Block->click();
    EXPECT_EQ(settings.Block.State, 1);
    EXPECT_EQ(settings.Mtts.State, 0);
    EXPECT_EQ(EmuGenMode, EmuGenBlocked);
}

// Enter in a level edit while nothing runs does nothing; in the SIN frequency edit it only snaps.
// A level typed beyond the generator's greatest level and entered with Return on a running SIN: the value
// the field snaps to is the one stored, and so the one sent and shown in the status bar.
TEST_F(SetDevWindowTest, ATypedLevelBeyondTheLimitIsStoredAsTheFieldShowsIt) {
    window->RefreshAllPages();
    settings.Sin.State = 2;
    window->show();
    QApplication::setActiveWindow(window.get());
    window->PageControl1->setCurrentWidget(window->TabSheet_Gen);
    TZeltCSpinEdit &level = *window->Edit_SIN_L;
    const double limit = level.MaxValue();
    ASSERT_LT(limit, 60);
    level.setFocus();
    level.findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(level.findChild<QLineEdit *>(), QStringLiteral("60"));
    QTest::keyClick(level.findChild<QLineEdit *>(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_DOUBLE_EQ(level.GetValue(), limit);
    EXPECT_FLOAT_EQ(settings.Sin.Level, float(limit));
    EXPECT_EQ(settings.Sin.State, 1) << "the SIN was started again with the page's values";
}

TEST_F(SetDevWindowTest, EnterOnIdleGeneratorOnlySnaps) {
    window->Edit_SIN_L->SetValue(-10.0012);
    window->GeneratorEditKeyDown(1, window->Edit_SIN_L);
    EXPECT_EQ(settings.Mode, 0);
    EXPECT_EQ(settings.Sin.State, 0);
    settings.EventCounting = 1;
    window->Edit_SIN_F->SetValue(10.3);
    window->GeneratorEditKeyDown(1, window->Edit_SIN_F);
    EXPECT_EQ(settings.Sin.State, 0);
    EXPECT_DOUBLE_EQ(window->Edit_SIN_F->GetValue(), 10.0); // the SIN grid is 0.625 kHz
}

// Before a parameter change under an established link the user is asked; the wait for the peer ends
// after 45000 ms at the latest.
TEST_F(SetDevWindowTest, RemoteParamChangeQuestion) {
    Emulator = new TEmulator;
    settings.ConnectState = 1;
    answer = IdNo;
    EXPECT_FALSE(WarnRemoteParamChange());
    ASSERT_EQ(boxes.size(), 1u);

    answer = IdYes;
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(WarnRemoteParamChange());
    EXPECT_GE(TicksSince(start), RemoteDisconnectWaitMs);
    EXPECT_LT(TicksSince(start), RemoteDisconnectWaitMs + 100);

    settings.ConnectState = 0;
    settings.Mode = 0;
    EXPECT_TRUE(WarnRemoteParamChange());
    EXPECT_EQ(settings.Mode, 0x100);

    settings.Mode = 0;
    settings.Mirvak.RunState = 2;
    EXPECT_TRUE(WarnRemoteParamChange());
    EXPECT_EQ(settings.Mode, 0);
}

// The generator group: a voltage preset sets the reference from the load and locks the edit; the apply
// stores the group and narrows the level edits to what the generator gives into the load.
TEST_F(SetDevWindowTest, GeneratorGroupPresetAndApply) {
    settings.GenImpedance = 600;
    settings.GenLowImpedance = 0;
    window->RefreshAllPages();
    window->CB_G9_ref->setCurrentIndex(2);
    EXPECT_DOUBLE_EQ(window->Edit_G9_Ref->GetValue(), 0);
    EXPECT_FALSE(window->Edit_G9_Ref->isEnabled());
    EXPECT_EQ(TextOf(window->Button_SetGen), Yellow);
    window->Button_SetGenClick();
    EXPECT_EQ(settings.RefPresets >> 8 & 0xFF, 2);
    EXPECT_EQ(settings.Mode, 0x101);
    EXPECT_EQ(TextOf(window->Button_SetGen), Lime);
    const auto limits = GeneratorLevelLimits(GreatestGeneratorLevel(settings), 0, settings.MaxFrequency, 3);
    EXPECT_EQ(window->Edit_SIN_L->MaxValue(), limits[std::size_t(LevelEdit::Sin)].Max);
    EXPECT_EQ(window->Edit_MTTS_L->MaxValue(), limits[std::size_t(LevelEdit::Mtts)].Max);
    EXPECT_LE(settings.Sin.Level, limits[std::size_t(LevelEdit::Sin)].Max);
}

// A higher generator reference narrows every level's range, the frequency master's SIN level among
// them: its next run cannot send a level above what the generator gives into the load.
TEST_F(SetDevWindowTest, TheGeneratorApplyLimitsTheFrequencyMastersLevel) {
    settings.GenRef = 0;
    window->RefreshAllPages();
    TZeltCSpinEdit &level = *window->MasterFreqPage->Edit_SinValue;
    level.SetValue(level.MaxValue());
    window->MasterFreqPage->Edit_SIN_masterF_LEnter();
    const float before = settings.MasterF.SinValue;
    window->CB_G9_ref->setCurrentIndex(0);
    window->Edit_G9_Ref->SetValue(10);
    window->Button_SetGenClick();
    const auto limits = GeneratorLevelLimits(GreatestGeneratorLevel(settings), 10, settings.MaxFrequency, 3);
    const double max = limits[std::size_t(LevelEdit::MasterFreqSin)].Max;
    ASSERT_LT(max, before);
    EXPECT_EQ(level.MaxValue(), max);
    EXPECT_LE(settings.MasterF.SinValue, max);
    EXPECT_EQ(settings.MasterF.SinValue, float(level.GetValue()));
}

namespace {

// A selective page that only counts how often it is asked to show its calibration.
class CalibrationCountingPage : public TSetDevMirvakPage {
public:
    explicit CalibrationCountingPage(int &shown) : shown_(shown) {}
    void ShowMirvak() override {}
    void RefreshMirvakState() override {}
    void ShowMirvakStartButton() override {}
    void ShowMirvakSelectionFreq() override {}
    void ShowMirvakCalibration() override { ++shown_; }
    void ApplySinLevelLimit(const LevelLimit &) override {}

private:
    int &shown_;
};

} // namespace

// The generator's load and reference change what the selective calibration is valid for: the apply shows
// the calibration state again.
TEST_F(SetDevWindowTest, TheGeneratorApplyShowsTheSelectiveCalibration) {
    int shown = 0;
    window.reset();
    MirvakPageFactory() = [&shown](TForm_SetDev &, QWidget *) -> TSetDevMirvakPage * {
        return new CalibrationCountingPage(shown);
    };
    window = std::make_unique<TForm_SetDev>();
    MirvakPageFactory() = {};
    window->RefreshAllPages();
    const int before = shown;
    window->Button_SetGenClick();
    EXPECT_EQ(shown, before + 1);
}

// While a generator runs, its label turns yellow as long as the page differs from what runs.
TEST_F(SetDevWindowTest, LabelsOfARunningGeneratorShowAChangedPage) {
    settings.Sin.State = 2;
    window->RefreshAllPages();
    const double running = window->Edit_SIN_L->GetValue();
    window->Edit_SIN_L->SetValue(running - 5);
    EXPECT_EQ(TextOf(window->Label_SIN_L), Yellow);
    window->Edit_SIN_L->SetValue(running);
    EXPECT_NE(TextOf(window->Label_SIN_L), Yellow);

    settings.Sin.State = 0;
    window->Edit_SIN2_L->SetValue(window->Edit_SIN2_L->GetValue() - 5);
    EXPECT_NE(TextOf(window->Label_SIN2_L), Yellow) << "SIN2 runs nowhere";
}

// During playback a parameter change only recomputes the results.
TEST_F(SetDevWindowTest, RemoteParamChangeDuringPlayback) {
    PlaybackOn = true;
    settings.ConnectState = 1;
    EXPECT_TRUE(WarnRemoteParamChange());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(settings.Mode, 0);
}

// The window opens on the page it was closed on; an R9.ini that cannot be written changes nothing.
TEST_F(SetDevWindowTest, ActivePageIsKeptInR9Ini) {
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("R9.ini"));
    SettingsHost().IniFileName = [ini] { return ini; };
    TIniFile(ini).WriteInteger(QStringLiteral("Настройки прибора"), QStringLiteral("PgCtrl1_APgIdx"), 3);
    window = std::make_unique<TForm_SetDev>();
    EXPECT_EQ(window->PageControl1->currentIndex(), 3);
    window->PageControl1->setCurrentIndex(1);
    window->close();
    EXPECT_EQ(TIniFile(ini).ReadInteger(QStringLiteral("Настройки прибора"), QStringLiteral("PgCtrl1_APgIdx"), -1), 1);

    TIniFile(ini).WriteInteger(QStringLiteral("Настройки прибора"), QStringLiteral("PgCtrl1_APgIdx"), 99);
    window = std::make_unique<TForm_SetDev>();
    EXPECT_EQ(window->PageControl1->currentIndex(), 0) << "a page that does not exist is not chosen";

    SettingsHost().IniFileName = [&folder] { return folder.path(); }; // a folder, not a file
    window = std::make_unique<TForm_SetDev>();
    window->close();
    SettingsHost().IniFileName = nullptr;
}

// The pages as the user sees them, kept when R9_SCREENSHOTS names a folder.
TEST_F(SetDevWindowTest, Picture) {
    settings.Sin.State = 2;
    window->resize(900, 520);
    window->RefreshGenButtons();
    window->show();
    SaveScreenshot(*window, QStringLiteral("settings_common"));
    window->PageControl1->setCurrentWidget(window->TabSheet_Gen);
    EXPECT_EQ(TextOf(window->Button_SIN), Lime);
    SaveScreenshot(*window, QStringLiteral("settings_generator"));
}

} // namespace

// "Установить соединение" takes the control tone from the group's edits and sends the pairing list; code 27
// stays here for after the transmission.
TEST_F(SetDevWindowTest, ConnectSendsThePairingList) {
    settings.ConnectionType = 3;
    window->RefreshAllPages();
    window->Edit_CONNECT_L->SetValue(-12.3);
    window->RG_B_Precision->setCurrentIndex(2);
    window->Button_CONNECTClick();
    EXPECT_EQ(settings.ConnectState, 1);
    EXPECT_FLOAT_EQ(settings.ControlLevel, -12.25f) << "snapped to the 0.25 dB grid of its code";
    EXPECT_EQ(settings.ExchangeMode, 2);
    EXPECT_EQ(SentCodes(), (std::vector<uint8_t>{27, 255}));
}

// The spectrum sizes offered: all five from 80 kHz up, four below (the largest size is forbidden there);
// each item shows the spectrum step in kHz through six decimals.
TEST_F(SetDevWindowTest, TheSpectrumSizeListFollowsTheMaximumFrequency) {
    const struct {
        float maxFrequency;
        int items;
    } cases[] = {{256, 5}, {80, 5}, {64, 4}};
    for (const auto &c : cases) {
        settings.MaxFrequency = c.maxFrequency;
        RecomputeSampleRateFields(settings);
        settings.AdcSizeIndex = 0;
        window->RefreshAllPages();
        ASSERT_EQ(window->CBox_Spectr->count(), c.items) << c.maxFrequency;
        for (int i = 0; i < c.items; ++i) {
            const double step = settings.SampleRate / (2048 << i);
            EXPECT_DOUBLE_EQ(TextToDouble(window->CBox_Spectr->itemText(i), 0), std::round(step * 1e6) / 1e6)
                << c.maxFrequency << ' ' << i;
        }
    }
}

// The masters' timing boxes follow the link whenever the window's controls are brought up to date: while
// this side's link is up they step by time, so the next store keeps that; afterwards the block's own
// choice shows again.
TEST_F(SetDevWindowTest, TheMastersStepByTimeWhileTheLinkIsUp) {
    settings.MasterF.AutoByTime = 0;
    settings.MasterL.AutoByTime = 0;
    window->RefreshAllPages();
    for (TMasterPage *page : {static_cast<TMasterPage *>(window->MasterFreqPage),
                              static_cast<TMasterPage *>(window->MasterLevPage)})
        ASSERT_FALSE(page->CB_OnTime->isChecked());
    settings.ConnectState = 2;
    window->UpdateControlStates();
    for (TMasterPage *page : {static_cast<TMasterPage *>(window->MasterFreqPage),
                              static_cast<TMasterPage *>(window->MasterLevPage)}) {
        EXPECT_TRUE(page->CB_OnTime->isChecked());
        page->Store();
    }
    EXPECT_EQ(settings.MasterF.AutoByTime, 1);
    EXPECT_EQ(settings.MasterL.AutoByTime, 1);
    settings.ConnectState = 0;
    settings.MasterF.AutoByTime = 0;
    window->UpdateControlStates();
    EXPECT_FALSE(window->MasterFreqPage->CB_OnTime->isChecked());
    EXPECT_TRUE(window->MasterLevPage->CB_OnTime->isChecked());
}

// Every name of the enabling table is a control of the window, live and in playback; with the recorded
// settings in force during playback the whole Meter page is locked, the averaging arrows included.
TEST_F(SetDevWindowTest, EveryNameOfTheEnablingTableIsAControl) {
    for (const bool playback : {false, true}) {
        TControlStateInputs in = CurrentControlStateInputs();
        in.PlaybackOn = playback;
        ForEachControlState(in, [this, playback](const char *name, bool) {
            EXPECT_NE(window->findChild<QWidget *>(QLatin1String(name)), nullptr) << name << ' ' << playback;
        });
    }
    PlaybackOn = true;
    ProgramSettings.UseRecordedSettings = 1;
    window->RefreshAllPages();
    window->UpdateControlStates();
    EXPECT_FALSE(window->MeterPage->CSpinButton1Up->isEnabled());
    EXPECT_FALSE(window->MeterPage->CSpinButton1Down->isEnabled());
    EXPECT_FALSE(window->MeterPage->Edit_M9_Tavr->isEnabled());
    ProgramSettings.UseRecordedSettings = 0;
}
