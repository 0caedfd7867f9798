#include "DemoFixture.h"
#include "support/Screenshot.h"

#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "protocols/BatchTargets.h"
#include "protocols/Form_cmt.h"
#include "protocols/Form_scn.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarClass.h"
#include "shell/ScenarioWindow.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "storage/Configuration.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QPushButton>

#include <chrono>

namespace {

class ScenarioDemoTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        savedHost_ = ScenarioWindowHost();
    }
    void TearDown() override {
        ScenarioWindowHost().AskOpenFile = savedHost_.AskOpenFile;
        ScenarioWindowHost().AskSaveFile = savedHost_.AskSaveFile;
        DemoWindowTest::TearDown();
    }

    // Pumps until the condition holds (a bound of real time).
    template <typename Condition> bool PumpUntil(Condition done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!done() && std::chrono::steady_clock::now() < deadline)
            PumpMessages();
        return done();
    }

    QStringList openAnswers;

private:
    TScenarioWindowHost savedHost_;
};

// In demonstration mode a scenario of two saved configurations, a SIN and an MTTS one, runs row by row to
// its end: each row's configuration is loaded into the running measurement, measured for its time and
// entered in the protocol, and at the end the protocol is filed with the scenario's summary.
TEST_F(ScenarioDemoTest, ATwoRowScenarioOfSinAndMttsRunsToItsEndAndFilesItsProtocolWithTheSummary) {
    // The run's row times pass quickly: every pump moves the clock on by 50 ms.
    VirtualClock fast(100000, 50);
    TMainForm &form = StartSinDemo();
    ASSERT_GT(DeviceSettings->ConnectionType, 1) << "the demo measures with a meter connected";
    ASSERT_NE(DeviceSettings->ConnectionType, 6);
    const QString sin = dir.path(QStringLiteral("Config/sin.cfg"));
    const QString mtts = dir.path(QStringLiteral("Config/mtts.cfg"));
    QDir().mkpath(dir.path(QStringLiteral("Config")));
    // Results are averaged over 10 s; the row takes that and the set-up time.
    TDeviceSettings &d = *DeviceSettings;
    d.AveragingInterval = 10;
    ASSERT_TRUE(SaveConfiguration(sin, false));
    d.Sin.State = 0;
    d.Mtts.State = 1;
    d.Mtts.Step = d.SampleRate / 256;
    d.Mtts.F1 = d.Mtts.Step;
    d.Mtts.Count = int32_t(d.BandF1 / d.Mtts.Step);
    d.Mtts.Level = -10;
    ASSERT_TRUE(SaveConfiguration(mtts, false));

    openAnswers = {sin, mtts};
    ScenarioWindowHost().AskOpenFile = [this](QWidget *, const TSaveDialogRequest &) {
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    };
    ScenarioWindowHost().AskSaveFile = [this](QWidget *, const TSaveDialogRequest &request) {
        return dir.path(request.defaultSuffix == QStringLiteral("dat") ? QStringLiteral("demo.dat")
                                                                       : QStringLiteral("demo.scn"));
    };
    form.N_ScenarClick();
    TForm_Scenario *window = ScenarioWindow();
    ASSERT_NE(window, nullptr);
    window->Tlb_AddCfgClick();
    window->Tlb_AddCfgClick();
    window->parentWidget()->resize(1100, 320);
    ASSERT_EQ(CurrentScenario->RowCount(), 2);
    EXPECT_EQ(window->Cell(ColConfig, 1), QStringLiteral("sin"));
    EXPECT_EQ(window->Cell(ColConfig, 2), QStringLiteral("mtts"));

    // The save dialog at the end files the protocol into the protocol folder.
    form.DirReport = dir.path(QStringLiteral("Protocols/"));
    CommentDialogAnswer = [](TForm_Cmt &dialog) { dialog.BitBtn1->click(); };

    window->Tlb_StartClick();
    ASSERT_EQ(ScenarioRunning, 1);
    EXPECT_FALSE(form.Button_Start->isEnabled()) << "the run started the measurement";
    EXPECT_FALSE(window->Tlb_Start->isEnabled());
    ASSERT_TRUE(PumpUntil([&] { return CurrentScenario->Rows[1].State == 2; }));
    SaveScreenshot(form, QStringLiteral("scenario_running"));
    ASSERT_TRUE(PumpUntil([] { return ScenarioRunning == 0; }));
    SaveScreenshot(form, QStringLiteral("scenario_done"));

    EXPECT_EQ(window->Cell(ColState, 1), QStringLiteral("Выполнена"));
    EXPECT_EQ(window->Cell(ColState, 2), QStringLiteral("Выполнена"));
    EXPECT_EQ(window->Cell(ColState, 3), QStringLiteral("Выполнен"));
    EXPECT_FALSE(window->Cell(ColResult, 1).isEmpty());
    const QString localSummary = window->Cell(ColResult, 3);
    EXPECT_TRUE(localSummary.endsWith(QStringLiteral(" дБ,Норма"))) << localSummary.toStdString();
    EXPECT_EQ(ProtocolState, 0) << "filed";
    EXPECT_TRUE(form.Button_Start->isEnabled() == false) << "the end of a run does not stop the measurement";
    QFile data(form.DirReport + FixedText(CurrentScenario->Rows[0].M_Data).section(u'#', 0, 0));
    ASSERT_TRUE(data.open(QIODevice::ReadOnly)) << data.fileName().toStdString();
    const QString page = FromCp1251(data.readAll());
    EXPECT_TRUE(page.contains(QStringLiteral("Результаты исполнения сценария")));
    EXPECT_TRUE(page.contains(QStringLiteral("demo №0001")));
    EXPECT_TRUE(page.contains(QStringLiteral("<td>Выполнен</td>")));
    for (const ScenarioRow &row : CurrentScenario->Rows)
        EXPECT_TRUE(page.contains(QStringLiteral(" <A href=\"") + FixedText(row.M_Data) + QStringLiteral("\">")));
    // The filed protocol is kept beside the screenshots for a look in a browser.
    if (const QString shots = qEnvironmentVariable("R9_SCREENSHOTS"); !shots.isEmpty()) {
        QDir().mkpath(shots + QStringLiteral("/protocol"));
        for (const QString &name : QDir(form.DirReport).entryList(QDir::Files))
            QFile::copy(form.DirReport + name, shots + QStringLiteral("/protocol/") + name);
    }
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_TRUE(window->Tlb_Start->isEnabled());

    // The finished run saved as a results file shows again once opened.
    window->Tlb_ImageSaveClick();
    ASSERT_TRUE(QFileInfo::exists(dir.path(QStringLiteral("demo.dat"))));
    window->Tlb_NewClick();
    EXPECT_EQ(CurrentScenario->RowCount(), 0);
    openAnswers = {dir.path(QStringLiteral("demo.dat"))};
    window->Tlb_ImageOpenClick();
    ASSERT_EQ(CurrentScenario->RowCount(), 2);
    EXPECT_EQ(window->Cell(ColState, 1), QStringLiteral("Выполнена"));
    EXPECT_EQ(window->Cell(ColState, 2), QStringLiteral("Выполнена"));
    EXPECT_EQ(window->Cell(ColState, 3), QStringLiteral("Выполнен"));
    EXPECT_EQ(window->Cell(ColResult, 3), localSummary);
    SaveScreenshot(form, QStringLiteral("scenario_results_reopened"));
}

// A window left open when the program closed comes back at start-up; playback closes it, and so does a
// playback started while a run is in progress (without asking).
TEST_F(ScenarioDemoTest, TheWindowComesBackAtStartUpAndPlaybackClosesIt) {
    {
        TIniFile ini(dir.path(QStringLiteral("R9.ini")));
        ini.WriteInteger(QString::fromUtf8(DemoProgramName), QStringLiteral("Form_Scenario"), 1);
    }
    TMainForm &form = Start({QStringLiteral("/demo")});
    form.show(); // the placement and the windows come back when the main window is first shown
    QPointer<TForm_Scenario> window = ScenarioWindow();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(WindowTag(window), ScenarioTag);
    ASSERT_TRUE(BatchControlTargets().StartScenario) << "batch control reaches the open window";
    PlaybackOn = true;
    form.UpdatePlaybackControls();
    PlaybackOn = false;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(BatchControlTargets().StartScenario) << "the closed window is no target any more";
    EXPECT_TRUE(messages.empty());
}

} // namespace
