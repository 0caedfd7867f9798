#include "protocols/Form_scn.h"

#include "../ProtocolEntryFixture.h"
#include "ScenarioConfigFixture.h"
#include "chartlib/Chartlib.h"
#include "platform/Clock.h"
#include "platform/Cp1251.h"
#include "protocols/Form_scncontinue.h"
#include "protocols/PackageWork.h"
#include "protocols/ProtocolFiles.h"
#include "protocols/ProtocolState.h"
#include "protocols/ScenarioFiles.h"
#include "protocols/ScenarioSummary.h"
#include "state/ProgramSettings.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <memory>

namespace {

// The protocol's globals as a fresh program has them.
struct ProtocolReset : ProtocolEntryTest {
    using ProtocolEntryTest::ResetProtocol;
};
void ResetProtocol() {
    ProtocolReset::ResetProtocol();
}

// A scenario run on a virtual clock: the configurations "load" at once, the measurement runs, the
// remote link is a fake whose states the test moves, and the protocol is written in the program folder.
class ScenarioRun : public ScenarioConfigFixture {
protected:
    void SetUp() override {
        ScenarioConfigFixture::SetUp();
        CloseCurrentScenario();
        clock = std::make_unique<VirtualClock>(1000, 1);
        savedHost_ = ScenarioWindowHost();
        savedLink_ = ScenarioRemoteLink();
        ScenarioWindowHost() = {};
        ScenarioWindowHost().MeasurementRunning = [] { return true; };
        ScenarioWindowHost().LoadConfiguration = [this](const QString &path) {
            loaded << QFileInfo(path).fileName();
            return true;
        };
        ScenarioWindowHost().AskOpenFile = [this](QWidget *, const TSaveDialogRequest &) {
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
        ScenarioWindowHost().AskSaveFile = [this](QWidget *, const TSaveDialogRequest &) {
            return program.path(QStringLiteral("run.scn"));
        };
        ScenarioRemoteLink().BreakConnection = [this] {
            ++breaks;
            DeviceSettings->ConnectState = 0;
        };
        ScenarioRemoteLink().RequestResults = [this] { ++requests; };
        ResetProtocol();
        InstanceNumber = 1;
        BuildParamCatalogue();
        SetPrecisionZeros(2);
        ProtocolDirReport() = program.path(QStringLiteral("Done/"));
        QDir().mkpath(program.path(QStringLiteral("Config")));
        form = new TForm_Scenario(program.path(QStringLiteral("R9.ini")));
        form->show();
        openAnswers = {WriteIniConfig(MasterSettings(), QStringLiteral("sin master.cfg")),
                       WriteBinaryConfig("V6.11", CountingSettings(), QStringLiteral("mtts.cfg"))};
        form->Tlb_AddCfgClick();
        form->Tlb_AddCfgClick();
        *DeviceSettings = QuietSettings();
        DeviceSettings->ConnectState = 0;
        DeviceSettings->PeerConnectState = 0;
        for (ScenarioRow &row : CurrentScenario->Rows)
            row.Duration = 10;
    }
    void TearDown() override {
        delete form.data();
        ScenarioRunning = 0;
        ResetProtocolSnapshot(LocalProtocolSnapshot, 0);
        ResetProtocolSnapshot(RemoteProtocolSnapshot, 0);
        ResetProtocol();
        ScenarioRemoteLink() = savedLink_;
        ScenarioWindowHost() = savedHost_;
        clock.reset();
        OpenCurrentScenario();
        ScenarioConfigFixture::TearDown();
    }

    static void LocalReady(float quality, uint8_t verdict, int kind = 1) {
        LocalProtocolSnapshot.Results = ResultsBlock(EncodeDate(2013, 3, 15) + EncodeTime(10, 0, 0, 0), kind,
                                                     ParamTableRowCounts[kind], quality, verdict)
                                            .Bytes;
        LocalProtocolSnapshot.HasData = 1;
    }

    // Steps until the row leaves its state (at most a bound of steps), recording each state it takes.
    void Step(int times = 1) {
        for (int i = 0; i < times; ++i) {
            const int row = CurrentScenario->CurrentRow;
            form->StepScenario();
            Record(row);
            if (CurrentScenario && CurrentScenario->CurrentRow != row)
                Record(CurrentScenario->CurrentRow);
        }
    }
    void Record(int row) {
        if (!CurrentScenario || row >= CurrentScenario->RowCount())
            return;
        const int16_t state = CurrentScenario->Rows[std::size_t(row)].State;
        if (states[row].empty() || states[row].back() != state)
            states[row].push_back(state);
    }
    // The protocol's save dialog, when it shows, files into ProtocolDirReport().
    static void FileOnOk() {
        WhenDialogShows([](TForm_Cmt &dialog) { dialog.BitBtn1->click(); });
    }
    // Runs the measurement time of the current row out.
    void RunOut() {
        clock->Advance(10001);
        Step();
    }
    // The first run of a series of three with one row, every ten minutes: its protocol stays unfiled.
    void RunTheFirstOfASeries() {
        form->N2Click();
        CurrentScenario->RepeatCount = 3;
        CurrentScenario->RepeatInterval = 600;
        CurrentScenario->Rows.resize(1);
        form->FillGrid(false);
        CurrentScenario->Rows[0].Duration = 10;
        form->Tlb_StartClick();
        Step(3);
        LocalReady(2.5f, 1);
        RunOut();
    }
    QString StateCell(int row) const { return form->Cell(ColState, row + 1); }
    QString Page(int page) const {
        QFile file(ProtocolFilePaths[std::size_t(page)]);
        return file.open(QIODevice::ReadOnly) ? FromCp1251(file.readAll()) : QString();
    }

    std::unique_ptr<VirtualClock> clock;
    QPointer<TForm_Scenario> form;
    QStringList openAnswers;
    QStringList loaded;
    std::map<int, std::vector<int16_t>> states;
    int breaks = 0;
    int requests = 0;

private:
    TScenarioWindowHost savedHost_;
    TScenarioRemoteLink savedLink_;
};

TEST_F(ScenarioRun, TwoRowsRunThroughTheirStatesAndTheSummaryIsFiled) {
    ProgramSettings.AutoProtocol = 1;
    form->Tlb_StartClick();
    ASSERT_EQ(ScenarioRunning, 1);
    EXPECT_EQ(CurrentScenario->RepeatNumber, 1);
    EXPECT_EQ(ProgramSettings.AutoProtocol, 0);
    Step(3); // 0 -> 13 -> load -> 7 -> 2
    EXPECT_EQ(StateCell(0), QStringLiteral("Исполнение"));
    Step();
    EXPECT_EQ(StateCell(0), QStringLiteral(" 00:00:10 "));
    clock->Advance(4500);
    Step();
    EXPECT_EQ(StateCell(0).trimmed(), QStringLiteral("00:00:05"));
    LocalReady(2.5f, 1);
    RunOut();
    EXPECT_EQ(StateCell(0), QStringLiteral("Выполнена"));
    EXPECT_EQ(form->Cell(ColResult, 1), QStringLiteral("2.50 дБ,Норма"));
    EXPECT_EQ(CurrentScenario->CurrentRow, 1);
    EXPECT_EQ(ProtocolState, 1);

    Step(3);
    LocalReady(1.25f, 1, 3);
    FileOnOk();
    RunOut();
    EXPECT_EQ(states[0], (std::vector<int16_t>{13, 7, 2, 3}));
    EXPECT_EQ(states[1], (std::vector<int16_t>{0, 13, 7, 2, 3}));
    EXPECT_EQ(loaded, (QStringList{QStringLiteral("sin master.cfg"), QStringLiteral("mtts.cfg")}));
    EXPECT_EQ(ScenarioRunning, 0);
    const int summary = form->GridRowCount() - 1;
    EXPECT_EQ(form->Cell(ColState, summary), QStringLiteral("Выполнен"));
    EXPECT_EQ(form->Cell(ColResult, summary), QStringLiteral("1.25 дБ,Норма"));
    // The protocol was filed with the summary: its data page shows the grid with links to the rows.
    const QString data = FromCp1251([&] {
        QFile f(ProtocolDirReport() + ProtocolFileNames[DataPage]);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }());
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_TRUE(data.contains(QStringLiteral("Результаты исполнения сценария"))) << data.toStdString();
    EXPECT_TRUE(data.contains(QStringLiteral("run №0001")));
    EXPECT_TRUE(data.contains(QStringLiteral("<td><NOBR>1.25 дБ,Норма</NOBR></td>\n")));
    EXPECT_TRUE(data.contains(QStringLiteral("<td bgcolor=\"gainsboro\">&nbsp</td>\n<td>Выполнен</td>")));
    EXPECT_TRUE(data.contains(QStringLiteral("ITOG_1")));
}

TEST_F(ScenarioRun, MissingResultsWithTheLinkUpEndAsNoResultsAfterTheLinkIsDown) {
    CurrentScenario->Rows[1].RemotePrt = 1;
    form->Tlb_StartClick();
    CurrentScenario->CurrentRow = 1;
    form->ResetRowResults(1);
    Step(2);
    DeviceSettings->ConnectState = 2; // the configuration's link is up
    Step(2);
    ASSERT_EQ(CurrentScenario->Rows[1].State, 2);
    RunOut();
    EXPECT_EQ(requests, 0);
    EXPECT_EQ(breaks, 1);
    EXPECT_EQ(CurrentScenario->Rows[1].State, -6);
    EXPECT_EQ(StateCell(1), QStringLiteral("Разрыв соединения"));
    Step();
    EXPECT_EQ(CurrentScenario->Rows[1].State, -1);
    EXPECT_EQ(StateCell(1), QStringLiteral("Нет результатов"));
    EXPECT_EQ(form->Cell(ColState, form->GridRowCount() - 1), QStringLiteral("Ошибка!"));
}

TEST_F(ScenarioRun, ASilentPeerGivesNoConnectionAndTheNextRowStarts) {
    CurrentScenario->Rows[0].RemotePrt = 1;
    CurrentScenario->Rows[0].RemoteLink = 1;
    form->Tlb_StartClick();
    Step(2);
    DeviceSettings->ConnectState = 2;
    Step(2);
    LocalReady(2.5f, 1);
    RunOut();
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(CurrentScenario->Rows[0].State, 5);
    EXPECT_EQ(StateCell(0), QStringLiteral("Передача результатов"));
    DeviceSettings->ConnectState = 2;
    clock->Advance(RemoteWaitMs);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[0].State, 5) << "45 s are not yet over";
    clock->Advance(10);
    Step();
    EXPECT_EQ(StateCell(0), QStringLiteral("Нет соединения"));
    EXPECT_EQ(CurrentScenario->Rows[0].State, -12) << "the link is broken first";
    EXPECT_EQ(breaks, 1);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[0].State, -2);
    EXPECT_EQ(CurrentScenario->CurrentRow, 1);
    EXPECT_EQ(ScenarioRunning, 1);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[1].State, 13);
}

TEST_F(ScenarioRun, RemoteResultsThatArriveAreTakenAndTheRowIsDoneOnceTheLinkIsDown) {
    CurrentScenario->Rows[0].RemotePrt = 1;
    form->Tlb_StartClick();
    Step(2);
    DeviceSettings->ConnectState = 2;
    Step(2);
    LocalReady(2.5f, 1);
    RunOut();
    ASSERT_EQ(CurrentScenario->Rows[0].State, 5);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[0].State, 5) << "the link is not back at 2 yet";
    DeviceSettings->ConnectState = 2;
    RemoteProtocolSnapshot.Results = ResultsBlock(EncodeDate(2013, 3, 15), 1, ParamTableRowCounts[1], 0.5f, 0).Bytes;
    RemoteProtocolSnapshot.HasData = 1;
    CurrentScenario->RemoteResultsArrived = 1;
    Step();
    EXPECT_EQ(CurrentScenario->Rows[0].State, 6);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[0].State, 3);
    EXPECT_EQ(form->Cell(ColRemoteResult, 1), QStringLiteral("0.50 дБ,Ненорма"));
    EXPECT_TRUE(FixedText(CurrentScenario->Rows[0].R_Data).contains(QStringLiteral("REMOTE_R9")));
}

// The peer refuses the row's mode: the row says so, the link is taken down, the text stays and the next
// row starts.
TEST_F(ScenarioRun, APeerThatRefusesTheModeEndsTheRowWithItsText) {
    CurrentScenario->Rows[0].RemotePrt = 1;
    form->Tlb_StartClick();
    Step(2);
    DeviceSettings->ConnectState = 2;
    Step(2);
    ASSERT_EQ(CurrentScenario->Rows[0].State, 2);
    form->MarkRowRefused();
    Step();
    EXPECT_EQ(StateCell(0), QStringLiteral("Режим не поддерживается"));
    EXPECT_EQ(CurrentScenario->Rows[0].State, -12);
    EXPECT_EQ(breaks, 1);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[0].State, -2);
    EXPECT_EQ(StateCell(0), QStringLiteral("Режим не поддерживается"));
    EXPECT_EQ(CurrentScenario->CurrentRow, 1);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[1].State, 13);
}

// A row with a pause stops the run before it and shows the pause window; Continue from that row loads its
// configuration without the pause again.
TEST_F(ScenarioRun, APauseBeforeARowStopsTheRunAndContinueLoadsTheRowWithoutPausingAgain) {
    CurrentScenario->Rows[1].PauseBefore = 1;
    SetFixedText(CurrentScenario->Rows[1].PauseMessage, QStringLiteral("Подключите кабель 2 \n "));
    form->Tlb_StartClick();
    Step(3);
    LocalReady(2.5f, 1);
    RunOut();
    ASSERT_EQ(CurrentScenario->CurrentRow, 1);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[1].State, 13);
    EXPECT_EQ(ScenarioRunning, 0);
    ASSERT_FALSE(Form_ScnCont.isNull());
    EXPECT_TRUE(
        Form_ScnCont->Memo1->toPlainText().startsWith(QStringLiteral("Пауза перед mtts.cfg\n\nПодключите кабель 2")));
    EXPECT_EQ(loaded.size(), 1);
    EXPECT_EQ(form->SelectedGridRow(), 2);
    Form_ScnCont->BitBtn1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form_ScnCont.isNull() || !Form_ScnCont->isVisible());
    EXPECT_EQ(ScenarioRunning, 1);
    EXPECT_EQ(CurrentScenario->Rows[1].State, 13);
    Step();
    EXPECT_EQ(CurrentScenario->Rows[1].State, 7);
    EXPECT_EQ(loaded.size(), 2);
}

// The summary reproduces the grid in the data page: a failed row's linked result on light pink, a row
// without "Прт" grey, a row whose remote result never came an empty cell, and the summary row with a grey
// duration and unlinked results; nothing at all while no protocol is open.
TEST_F(ScenarioRun, TheSummaryReproducesTheGridWithItsLinksAndColours) {
    form->Tlb_SaveClick();
    WriteScenarioSummary(*form);
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_FALSE(QDir(ProtocolWorkFolder()).exists()) << "no protocol is opened";

    LocalReady(0.5f, 0);
    AddProtocolEntry(0, LocalProtocolSnapshot, 1, QString());
    ASSERT_EQ(ProtocolState, 1);
    ScenarioRow &failed = CurrentScenario->Rows[0];
    failed.State = 3;
    failed.NormOk = 0;
    failed.Quality = 0.5f;
    SetFixedText(failed.M_Data, QStringLiteral("x_data_1.html#A"));
    form->ShowRowState(0);
    ScenarioRow &remoteOnly = CurrentScenario->Rows[1];
    remoteOnly.Prt = 0;
    remoteOnly.RemotePrt = 1;
    remoteOnly.State = -1;
    form->ShowRowState(1);
    CurrentScenario->CurrentRow = 1;
    form->ShowSummary();
    WriteScenarioSummary(*form);

    const QString data = Page(DataPage);
    EXPECT_TRUE(data.contains(QStringLiteral(
        "<td bgcolor=\"lightpink\"><NOBR> <A href=\"x_data_1.html#A\">\n0.50 дБ,Ненорма</A></NOBR></td>\n")));
    EXPECT_TRUE(data.contains(QStringLiteral("<td>Нет результатов</td>\n<td bgcolor=\"gainsboro\">&nbsp</td>\n"
                                             "<td>&nbsp</td>\n</tr>\n")));
    EXPECT_TRUE(data.contains(QStringLiteral(
        "<tr align=center><td align=left>Итог</td>\n<td bgcolor=\"gainsboro\">&nbsp</td>\n<td>Ошибка!</td>\n"
        "<td bgcolor=\"lightpink\"><NOBR>0.50 дБ,Ненорма</NOBR></td>\n<td>&nbsp</td></tr>\n</table>\n")));
    EXPECT_TRUE(data.contains(QStringLiteral("<FONT COLOR=\"#0000FF\"><NOBR>")));
    EXPECT_TRUE(data.contains(QStringLiteral("<NOBR>run №0000</NOBR>  ")));
    const QString contents = Page(ContentsPage);
    EXPECT_TRUE(
        contents.contains(QStringLiteral("<tr align=center bgcolor=\"gainsboro\"><td align=left><A href=\".\\") +
                          ProtocolFileNames[DataPage] + u'#' + ProtocolPageStamp + QStringLiteral("\">")));
    EXPECT_TRUE(ProtocolPageStamp.endsWith(QStringLiteral("_ITOG_1")));
    EXPECT_TRUE(contents.endsWith(QStringLiteral("</table>")));

    // Under remote control the heading names the peer's scenario and pass.
    UnderRemoteControl = 1;
    PeerScenario.Name = QStringLiteral("peer");
    PeerScenario.Number = 7;
    WriteScenarioSummary(*form);
    EXPECT_TRUE(Page(DataPage).contains(QStringLiteral("<NOBR>peer №0007</NOBR>  ")));
}

// Each repeat kind: the next run starts when its time has come, the protocol is kept in the build folder
// with ProtocolState 0 between the runs and filed only at the end of the series.
TEST_F(ScenarioRun, RepeatKindsStartTheNextRunAtTheirTimeAndFileTheProtocolAtTheEnd) {
    for (const int kind : {2, 3}) {
        SCOPED_TRACE(kind);
        kind == 2 ? form->N2Click() : form->N3Click();
        CurrentScenario->RepeatCount = 2;
        CurrentScenario->RepeatInterval = 600;
        CurrentScenario->Rows.resize(1);
        form->FillGrid(false);
        CurrentScenario->Rows[0].Duration = 10;
        form->Tlb_StartClick();
        const int32_t started = CurrentScenario->RunStartTick;
        Step(3);
        LocalReady(2.5f, 1);
        clock->Advance(700 * 1000);
        Step();
        ASSERT_EQ(CurrentScenario->Rows[0].State, 3);
        EXPECT_EQ(ProtocolState, 0);
        EXPECT_TRUE(QFileInfo::exists(ProtocolFilePaths[ContentsPage]));
        EXPECT_TRUE(form->Timer1->isActive());
        const int32_t wait = CurrentScenario->RunStartTick - int32_t(GetTickCount());
        if (kind == 2) {
            EXPECT_EQ(CurrentScenario->RunStartTick, started + 600000) << "counted from the run's start";
        } else {
            EXPECT_NEAR(wait, 600000, 1000) << "counted from the run's end";
            clock->Advance(uint32_t(wait - 1500));
            form->Timer1Timer();
            EXPECT_EQ(CurrentScenario->RepeatNumber, 1);
            EXPECT_EQ(form->Panel_ViewRepeat->text(), QStringLiteral(" Пауза 00:00:01 "));
            clock->Advance(1500);
        }
        form->Timer1Timer();
        EXPECT_EQ(CurrentScenario->RepeatNumber, 2);
        EXPECT_EQ(ScenarioRunning, 1);
        Step(3);
        LocalReady(1.0f, 1);
        FileOnOk();
        RunOut();
        // The second run appended to the first one's pages; the end of the series files them.
        EXPECT_EQ(ProtocolState, 0);
        EXPECT_FALSE(form->Timer1->isActive());
        QFile data(ProtocolDirReport() + ProtocolFileNames[DataPage]);
        ASSERT_TRUE(data.open(QIODevice::ReadOnly));
        EXPECT_EQ(FromCp1251(data.readAll()).count(QStringLiteral("Результаты исполнения сценария")), 2);
        QDir(ProtocolDirReport()).removeRecursively();
    }
}

TEST_F(ScenarioRun, AStartBetweenTheRunsOfASeriesFilesTheKeptProtocolFirst) {
    RunTheFirstOfASeries();
    ASSERT_EQ(ProtocolState, 0);
    const QString kept = ProtocolFileNames[DataPage];
    ASSERT_TRUE(QFileInfo::exists(ProtocolWorkFolder() + kept));
    FileProtocolLeftInBuildFolder();
    EXPECT_TRUE(QFileInfo::exists(program.path(QStringLiteral("Report/UnsavedProtocol/")) + kept));
    EXPECT_FALSE(QFileInfo::exists(ProtocolWorkFolder() + kept));
}

// Under batch control nobody is there to choose a file: an unnamed scenario does not start and says so in
// the batch log with the mailbox's source, and opening a scenario over it asks for no file either.
TEST_F(ScenarioRun, UnderBatchControlNoFileDialogOpens) {
    int dialogs = 0;
    const auto count = [&dialogs](QWidget *, const TSaveDialogRequest &) {
        ++dialogs;
        return QString();
    };
    ScenarioWindowHost().AskSaveFile = count;
    ScenarioWindowHost().AskOpenFile = count;
    const QString plan = program.path(QStringLiteral("plan.scn"));
    ASSERT_TRUE(SaveScenarioIni(*CurrentScenario, plan));
    std::vector<MessageRequest> logged;
    SetBatchMessageSink([&logged](const MessageRequest &request) {
        logged.push_back(request);
        return int(IdYes);
    });
    ASSERT_TRUE(CurrentScenario->Name.isEmpty());
    form->Modified = true;
    form->Tlb_StartClick();
    EXPECT_EQ(ScenarioRunning, 0);
    form->OpenScenarioFile(plan);
    SetBatchMessageSink({});
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(messages.isEmpty());
    ASSERT_GE(logged.size(), 1u);
    EXPECT_EQ(logged[0].text, QStringLiteral("Не задано имя сценария!"));
    EXPECT_EQ(logged[0].batchLogSource, 1);
    EXPECT_EQ(CurrentScenario->Name, plan);
    EXPECT_EQ(CurrentScenario->RowCount(), 2);
}

// The closing program deletes the batch controller before the scenario window closes. The window files the
// series it interrupts then: no dialog asks for the folder, and the pages stay in the run's result folder.
TEST_F(ScenarioRun, ASeriesInterruptedAfterTheBatchControllerIsDeletedIsFiledWithoutADialog) {
    TPackageWork work(program.path(QStringLiteral("plan.lst")));
    work.ResultPath = program.path(QStringLiteral("results/"));
    PackageWork = &work;
    CurrentScenario->Name = program.path(QStringLiteral("series.scn"));
    RunTheFirstOfASeries();
    ASSERT_EQ(ProtocolState, 0);
    const QString kept = program.path(QStringLiteral("results/")) + ProtocolFileNames[DataPage];
    ASSERT_TRUE(QFileInfo::exists(kept));
    PackageWork = nullptr;
    SetBatchMessageSink(LogBatchMessage);
    int dialogs = 0;
    CommentDialogAnswer = [&dialogs](TForm_Cmt &dialog) {
        ++dialogs;
        dialog.BitBtn2->click();
    };
    form->close();
    CommentDialogAnswer = {};
    SetBatchMessageSink({});
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(ProtocolState, 0);
    EXPECT_TRUE(QFileInfo::exists(kept)) << "filed where the run wrote it";
}

// A step entered from a wait inside another step returns at once and leaves Busy alone; once the window
// is closing no step runs; a window closed inside a step goes after that step, which still finds its
// scenario (the sanitizers see any use of freed memory).
TEST_F(ScenarioRun, AStepInsideAStepAndACloseInsideAStepAreSafe) {
    form->Tlb_StartClick();
    int nested = -1;
    ScenarioWindowHost().LoadConfiguration = [&](const QString &) {
        form->StepScenario();
        nested = form->Busy;
        return true;
    };
    Step(2);
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(form->Busy, 0);
    EXPECT_EQ(CurrentScenario->Rows[0].State, 7);

    form->Busy = 2;
    Step();
    EXPECT_EQ(form->Busy, 2) << "Busy never falls from 2";
    EXPECT_EQ(CurrentScenario->Rows[0].State, 7);
    form->Busy = 0;

    // The window closes (Yes to "Прервать сценарий?") while the next row's configuration loads.
    Step();
    LocalReady(2.5f, 1);
    RunOut();
    ASSERT_EQ(CurrentScenario->CurrentRow, 1);
    ScenarioWindowHost().LoadConfiguration = [&](const QString &) {
        answers << IdYes;
        FileOnOk();
        form->close();
        // A wait inside the step handles the events posted meanwhile: the window must still be there.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(form.isNull());
        EXPECT_EQ(form->Busy, 2);
        return true;
    };
    Step(2);
    EXPECT_FALSE(form.isNull());
    EXPECT_EQ(ScenarioRunning, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_EQ(CurrentScenario, nullptr);
}

} // namespace
