#include "protocols/Form_scn.h"

#include "ScenarioConfigFixture.h"
#include "chart/ChartlibChart.h"
#include "chartlib/Chartlib.h"
#include "platform/IniFile.h"
#include "protocols/Form_scnmessage.h"
#include "protocols/PauseMessage.h"
#include "protocols/ScenarioFiles.h"
#include "protocols/ScenarioProtocolView.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <memory>

namespace {

class ScenarioWindow : public ScenarioConfigFixture {
protected:
    void SetUp() override {
        ScenarioConfigFixture::SetUp();
        savedHost_ = ScenarioWindowHost();
        ScenarioWindowHost().DirCfgFile = [this] { return &dirCfgFile; };
        ScenarioWindowHost().MeasurementRunning = [this] { return measuring; };
        ScenarioWindowHost().AskOpenFile = [this](QWidget *, const TSaveDialogRequest &request) {
            openRequests.push_back(request);
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
        ScenarioWindowHost().AskSaveFile = [this](QWidget *, const TSaveDialogRequest &request) {
            saveRequests.push_back(request);
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
        savedLinks_ = ScenarioProtocolLinks();
        ScenarioProtocolLinks().DirReport = [this] { return &dirReport; };
        savedPrecision_ = PrecisionZeros;
        SetPrecisionZeros(2);
        QDir().mkpath(program.path(QStringLiteral("Config")));
        form = std::make_unique<TForm_Scenario>(program.path(QStringLiteral("R9.ini")));
        form->show();
    }
    void TearDown() override {
        form.reset();
        PrecisionZeros = savedPrecision_;
        ScenarioProtocolLinks() = savedLinks_;
        ScenarioWindowHost() = savedHost_;
        ScenarioConfigFixture::TearDown();
    }

    // Two rows as the user adds them: a SIN frequency master and a counting MTTS configuration asking
    // for the remote link.
    void AddTwoRows() {
        openAnswers = {WriteIniConfig(MasterSettings(), QStringLiteral("sin master.cfg")),
                       WriteBinaryConfig("V6.11", CountingSettings(), QStringLiteral("mtts.cfg"))};
        form->Tlb_AddCfgClick();
        form->Tlb_AddCfgClick();
    }

    std::vector<QString> EnabledTools() const {
        std::vector<QString> names;
        for (QAction *a : {form->Tlb_New, form->Tlb_Open, form->Tlb_Save, form->Tlb_SaveAs, form->Tlb_ImageOpen,
                           form->Tlb_ImageSave, form->Tlb_InsCfg, form->Tlb_AddCfg, form->Tlb_DelCfg, form->Tlb_Start,
                           form->Tlb_Pause, form->Tlb_Continue})
            if (a->isEnabled())
                names.push_back(a->objectName());
        return names;
    }

    QColor Colour(int column, int gridRow) const { return form->SG->item(gridRow - 1, column)->background().color(); }

    std::unique_ptr<TForm_Scenario> form;
    QString dirCfgFile;
    QString dirReport;
    bool measuring = false;
    QStringList openAnswers, saveAnswers;
    std::vector<TSaveDialogRequest> openRequests, saveRequests;

private:
    TScenarioWindowHost savedHost_;
    TScenarioProtocolLinks savedLinks_;
    QString savedPrecision_;
};

const QColor Silver(0xC0, 0xC0, 0xC0);

TEST_F(ScenarioWindow, ANewWindowShowsTheHeaderAnEmptyRowAndTheSummary) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Сценарий"));
    ASSERT_EQ(form->GridRowCount(), 3);
    const QStringList captions{QStringLiteral("Конфигурация"), QStringLiteral("Tкнф"),
                               QStringLiteral("Прт"),          QStringLiteral("уд.Прт"),
                               QStringLiteral("Пауза"),        QStringLiteral("Состояние"),
                               QStringLiteral("Результат"),    QStringLiteral("уд.Результат")};
    for (int column = 0; column < ScenarioColumnCount; ++column)
        EXPECT_EQ(form->Cell(column, 0), captions[column]);
    EXPECT_EQ(form->Cell(ColConfig, 1), QString());
    EXPECT_EQ(form->Cell(ColConfig, 2), QStringLiteral("Итог"));
    EXPECT_EQ(EnabledTools(), (std::vector<QString>{QStringLiteral("Tlb_New"), QStringLiteral("Tlb_Open"),
                                                    QStringLiteral("Tlb_ImageOpen"), QStringLiteral("Tlb_InsCfg"),
                                                    QStringLiteral("Tlb_AddCfg")}));
    EXPECT_FALSE(form->Modified);
    EXPECT_EQ(CurrentScenario->RepeatKind, 1);
    EXPECT_EQ(form->Tlb_AutoRepeat->text(), QStringLiteral("Однократное исполнение "));
    EXPECT_FALSE(form->MaskEdit1->isVisible());
}

TEST_F(ScenarioWindow, AddedConfigurationsShowTheirNamesDurationsAndFlags) {
    AddTwoRows();
    ASSERT_EQ(CurrentScenario->RowCount(), 2);
    ASSERT_EQ(form->GridRowCount(), 4);
    EXPECT_EQ(form->Cell(ColConfig, 1), QStringLiteral("sin master"));
    EXPECT_EQ(form->Cell(ColDuration, 1), QStringLiteral("00:00:35"));
    EXPECT_EQ(form->Cell(ColConfig, 2), QStringLiteral("mtts"));
    EXPECT_EQ(form->Cell(ColDuration, 2), QStringLiteral("00:01:06"));
    EXPECT_EQ(form->Cell(ColConfig, 3), QStringLiteral("Итог"));
    EXPECT_EQ(QDir(dirCfgFile).absolutePath(), QDir(program.path()).absolutePath());
    ASSERT_EQ(openRequests.size(), 2u);
    EXPECT_EQ(openRequests[0].filters, QStringList{QStringLiteral("*.cfg (*.cfg)")});
    // The master has no remote link: no "уд.Прт" box, silver remote cells.
    EXPECT_NE(form->FlagBox(ColPrt, 1), nullptr);
    EXPECT_EQ(form->FlagBox(ColRemotePrt, 1), nullptr);
    EXPECT_EQ(Colour(ColRemotePrt, 1), Silver);
    EXPECT_EQ(Colour(ColRemoteResult, 1), Silver);
    EXPECT_NE(form->FlagBox(ColRemotePrt, 2), nullptr);
    EXPECT_EQ(Colour(ColRemotePrt, 2), QColor(Qt::yellow));
    EXPECT_TRUE(form->FlagBox(ColPrt, 1)->isChecked());
    ASSERT_NE(form->ResultButton(ColResult, 1), nullptr);
    EXPECT_FALSE(form->ResultButton(ColResult, 1)->isEnabled());
    EXPECT_EQ(form->ResultButton(ColRemoteResult, 1), nullptr);
    EXPECT_EQ(Colour(ColPrt, 3), Silver);
    EXPECT_TRUE(form->Modified);
    EXPECT_TRUE(form->Tlb_Save->isEnabled());
    EXPECT_FALSE(form->Tlb_ImageSave->isEnabled());
    EXPECT_TRUE(form->SG->item(0, ColDuration)
                    ->toolTip()
                    .startsWith(QStringLiteral("В конфигурации задан режим мастера частоты.")));
    EXPECT_EQ(form->SG->item(0, ColConfig)->toolTip(), program.path(QStringLiteral("sin master.cfg")));
    SaveScreenshot(*form, QStringLiteral("scenario_window"));

    // Insert before the selected first row.
    form->SelectGridRow(1);
    openAnswers = {WriteBinaryConfig("V6.11", QuietSettings(), QStringLiteral("plain.cfg"))};
    form->Tlb_InsCfgClick();
    ASSERT_EQ(CurrentScenario->RowCount(), 3);
    EXPECT_EQ(form->Cell(ColConfig, 1), QStringLiteral("plain"));
    EXPECT_EQ(form->Cell(ColConfig, 2), QStringLiteral("sin master"));
    EXPECT_EQ(form->FlagBox(ColRemotePrt, 2), nullptr);
    EXPECT_NE(form->FlagBox(ColRemotePrt, 3), nullptr);

    // A refused binary configuration adds no row.
    openAnswers = {WriteBinaryConfig("V3.50", QuietSettings(), QStringLiteral("old.cfg"))};
    form->Tlb_AddCfgClick();
    EXPECT_EQ(CurrentScenario->RowCount(), 3);

    form->SelectGridRow(2);
    form->Tlb_DelCfgClick();
    ASSERT_EQ(CurrentScenario->RowCount(), 2);
    EXPECT_EQ(form->Cell(ColConfig, 1), QStringLiteral("plain"));
    EXPECT_EQ(form->Cell(ColConfig, 2), QStringLiteral("mtts"));
    EXPECT_EQ(form->Cell(ColConfig, 3), QStringLiteral("Итог"));
    EXPECT_EQ(form->FlagBox(ColPrt, 3), nullptr);
}

TEST_F(ScenarioWindow, BothProtocolFlagsCannotBeCleared) {
    AddTwoRows();
    form->FlagBox(ColPrt, 1)->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Одновременное отсутствие флагов протоколирования недопустимо!")});
    EXPECT_TRUE(form->FlagBox(ColPrt, 1)->isChecked());
    EXPECT_EQ(CurrentScenario->Rows[0].Prt, 1);
    // With the remote results on, the local ones may go, and their result button with them.
    form->FlagBox(ColRemotePrt, 2)->click();
    form->FlagBox(ColPrt, 2)->click();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(CurrentScenario->Rows[1].Prt, 0);
    EXPECT_EQ(CurrentScenario->Rows[1].RemotePrt, 1);
    EXPECT_EQ(form->ResultButton(ColResult, 2), nullptr);
    EXPECT_NE(form->ResultButton(ColRemoteResult, 2), nullptr);
    EXPECT_EQ(Colour(ColResult, 2), Silver);
    EXPECT_EQ(Colour(ColPrt, 2), QColor(Qt::yellow));
}

TEST_F(ScenarioWindow, TickingPauseOpensTheMessageEditor) {
    AddTwoRows();
    SetPauseMessage(CurrentScenario->Rows[0], {QStringLiteral("старое")});
    for (bool ok : {false, true}) {
        CurrentScenario->Rows[0].PauseBefore = 0;
        form->FlagBox(ColPause, 1)->setChecked(false);
        QTimer::singleShot(0, [ok] {
            auto *editor = qobject_cast<TForm_ScnMsg *>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            editor->Memo1->setPlainText(QStringLiteral("Подключите @k1 on@"));
            (ok ? editor->BitBtn1 : editor->BitBtn2)->click();
        });
        form->FlagBox(ColPause, 1)->click();
        EXPECT_EQ(CurrentScenario->Rows[0].PauseBefore, 1);
        EXPECT_EQ(PauseMessageLines(CurrentScenario->Rows[0]),
                  QStringList{ok ? QStringLiteral("Подключите @k1 on@") : QStringLiteral("старое")});
    }
    EXPECT_EQ(form->SG->item(0, ColPause)->toolTip(), QStringLiteral("Подключите @k1 on@ \n "));
}

TEST(RepeatInterval, BlankDigitsAreZeroAndTensOfMinutesAndSecondsAtMostFive) {
    struct Case {
        const char *Typed, *Text;
        int32_t Seconds;
    };
    for (const Case &c :
         {Case{"1_:7_:__", "10:50:00", 39000}, Case{"00:00:00", "00:00:00", 0}, Case{"23:59:59", "23:59:59", 86399},
          Case{"99:99:99", "99:59:59", 359999}, Case{"__:__:__", "00:00:00", 0}, Case{"", "00:00:00", 0}}) {
        const RepeatIntervalText r = CorrectRepeatInterval(QString::fromLatin1(c.Typed));
        EXPECT_EQ(r.Text, QString::fromLatin1(c.Text)) << c.Typed;
        EXPECT_EQ(r.Seconds, c.Seconds) << c.Typed;
    }
}

TEST_F(ScenarioWindow, TheRepeatControlsSetTheScenario) {
    AddTwoRows();
    form->N2->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(CurrentScenario->RepeatKind, 2);
    EXPECT_TRUE(form->MaskEdit1->isVisible());
    form->MaskEdit1->setText(QStringLiteral("01:30:00"));
    form->MaskEdit1Change();
    EXPECT_EQ(CurrentScenario->RepeatInterval, 5400);
    form->CSEdit_AutoRepeat->setValue(4);
    EXPECT_EQ(CurrentScenario->RepeatCount, 4);
    SaveScreenshot(*form, QStringLiteral("scenario_repeat"));
    form->N3->trigger();
    EXPECT_EQ(CurrentScenario->RepeatKind, 3);
    form->N1->trigger();
    EXPECT_EQ(CurrentScenario->RepeatKind, 1);
    EXPECT_EQ(CurrentScenario->RepeatCount, 1);
    EXPECT_EQ(CurrentScenario->RepeatInterval, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->MaskEdit1->isVisible());
    form->Edit1->setText(QStringLiteral("Линия 7"));
    form->Edit1Change();
    EXPECT_EQ(FileNameList.value(CurrentScenario->CommentIndex), QStringLiteral("Линия 7"));
}

TEST_F(ScenarioWindow, SaveAsTakesTheScenarioExtensionAndAsksBeforeOverwriting) {
    AddTwoRows();
    saveAnswers = {program.path(QStringLiteral("test.cfg"))};
    form->Tlb_SaveAsClick();
    EXPECT_EQ(CurrentScenario->Name, program.path(QStringLiteral("test.scn")));
    EXPECT_TRUE(QFileInfo::exists(program.path(QStringLiteral("test.scn"))));
    EXPECT_FALSE(form->Modified);
    ASSERT_EQ(saveRequests.size(), 1u);
    EXPECT_EQ(saveRequests[0].title, QStringLiteral("Сохранение сценария"));
    EXPECT_EQ(saveRequests[0].fileName, QStringLiteral("noname"));

    // "test" names test.scn too, which exists: No shows the dialog again, whose second answer is taken.
    saveAnswers = {program.path(QStringLiteral("test")), program.path(QStringLiteral("other"))};
    answers = {IdNo};
    form->Tlb_SaveAsClick();
    EXPECT_EQ(messages.constLast(), QStringLiteral("Имя '") + program.path(QStringLiteral("test.scn")) +
                                        QStringLiteral("' уже существует! Перезаписать?"));
    EXPECT_EQ(CurrentScenario->Name, program.path(QStringLiteral("other.scn")));
    EXPECT_EQ(saveRequests.size(), 3u);
    // The configurations beside the scenario are stored by their bare names.
    TMemIniFile ini(CurrentScenario->Name);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Сценарий"), QStringLiteral("Конфигурация №1 Имя"), QString()),
              QStringLiteral("sin master.cfg"));
}

TEST_F(ScenarioWindow, AResultsFileShowsTheFinishedRunAgain) {
    AddTwoRows();
    CurrentScenario->Name = program.path(QStringLiteral("plan.scn"));
    form->Tlb_SaveClick();
    ScenarioRow &first = CurrentScenario->Rows[0];
    first.State = 3;
    first.NormOk = 1;
    first.Quality = 1.25f;
    SetFixedText(first.M_Cnt0, QStringLiteral("cnt0_1.html#15.03.13_10:22:05__1"));
    SetFixedText(first.M_Data, QStringLiteral("150313 102205 _data_1.html#15.03.13_10:22:05__1"));
    ScenarioRow &second = CurrentScenario->Rows[1];
    second.State = -2;
    form->Modified = false;
    form->UpdateButtons();
    EXPECT_TRUE(form->Tlb_ImageSave->isEnabled());
    saveAnswers = {program.path(QStringLiteral("run 1"))};
    form->Tlb_ImageSaveClick();
    ASSERT_TRUE(QFileInfo::exists(program.path(QStringLiteral("run 1.dat"))));
    EXPECT_EQ(saveRequests.back().fileName, QStringLiteral("plan"));
    EXPECT_EQ(CurrentScenario->Name, program.path(QStringLiteral("plan.scn")));

    form->Tlb_NewClick();
    ASSERT_EQ(CurrentScenario->RowCount(), 0);
    openAnswers = {program.path(QStringLiteral("run 1.dat"))};
    form->Tlb_ImageOpenClick();
    ASSERT_EQ(CurrentScenario->RowCount(), 2);
    EXPECT_EQ(CurrentScenario->Name, program.path(QStringLiteral("plan.scn")));
    EXPECT_EQ(form->Cell(ColState, 1), QStringLiteral("Выполнена"));
    EXPECT_EQ(form->Cell(ColResult, 1), QStringLiteral("1.25 дБ,Норма"));
    EXPECT_TRUE(form->ResultButton(ColResult, 1)->isEnabled());
    EXPECT_EQ(form->Cell(ColState, 2), QStringLiteral("Нет соединения"));
    EXPECT_EQ(form->Cell(ColResult, 2), QString());
    EXPECT_EQ(form->Cell(ColResult, 3), QStringLiteral("1.25 дБ,Норма"));
    EXPECT_EQ(form->Cell(ColState, 3), QString());
    EXPECT_FALSE(form->Modified);
    SaveScreenshot(*form, QStringLiteral("scenario_results"));

    // The row's button shows its entries of the filed protocol in the browser.
    QList<QUrl> opened;
    ScenarioWindowHost().OpenUrl = [&opened](const QUrl &url) { opened << url; };
    dirReport = QStringLiteral("/reports/line 7/");
    form->SelectGridRow(1);
    form->SG->setCurrentCell(0, ColResult);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(form->SG, &enter);
    ASSERT_EQ(opened.size(), 1);
    QFile page(opened[0].toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray html = page.readAll();
    EXPECT_TRUE(html.contains("<FRAME src=\"file:///reports/line%207/cnt0_1.html#15.03.13_10:22:05__1\" "
                              "NAME=\"Frame1\">"))
        << html.toStdString();
    EXPECT_TRUE(html.contains("<FRAME src=\"file:///reports/line%207/150313%20102205%20_data_1.html"
                              "#15.03.13_10:22:05__1\" NAME=\"Frame2\">"))
        << html.toStdString();
}

TEST_F(ScenarioWindow, TheSummaryCombinesTheFinishedRows) {
    openAnswers = {WriteBinaryConfig("V6.11", QuietSettings(), QStringLiteral("a.cfg")),
                   WriteBinaryConfig("V6.11", QuietSettings(), QStringLiteral("b.cfg")),
                   WriteBinaryConfig("V6.11", QuietSettings(), QStringLiteral("c.cfg"))};
    for (int i = 0; i < 3; ++i)
        form->Tlb_AddCfgClick();
    const int16_t verdicts[] = {1, 1, 3};
    const float qualities[] = {2.5f, NoValue, 1.25f};
    for (int i = 0; i < 3; ++i) {
        CurrentScenario->Rows[std::size_t(i)].State = 3;
        CurrentScenario->Rows[std::size_t(i)].NormOk = verdicts[i];
        CurrentScenario->Rows[std::size_t(i)].Quality = qualities[i];
    }
    form->ResetSummary();
    form->ShowSummary();
    EXPECT_EQ(form->Cell(ColState, 4), QStringLiteral("Выполнен"));
    EXPECT_EQ(form->Cell(ColResult, 4), QStringLiteral("1.25 дБ,Норма"));
    EXPECT_EQ(form->Cell(ColRemoteResult, 4), QString());
    // A failed row turns the summary red.
    CurrentScenario->Rows[1].NormOk = 0;
    form->ResetSummary();
    form->ShowSummary();
    EXPECT_EQ(form->Cell(ColResult, 4), QStringLiteral("1.25 дБ,Ненорма"));
    EXPECT_EQ(Colour(ColResult, 4), QColor(Qt::red));
}

TEST_F(ScenarioWindow, AMissingConfigurationIsAskedForOrTheScenarioEmptied) {
    AddTwoRows();
    CurrentScenario->Name = program.path(QStringLiteral("plan.scn"));
    form->Tlb_SaveClick();
    QFile::rename(program.path(QStringLiteral("mtts.cfg")), program.path(QStringLiteral("Config/mtts2.cfg")));
    messages.clear();
    // The replacement chosen in the dialog takes the row.
    openAnswers = {program.path(QStringLiteral("plan.scn")), program.path(QStringLiteral("Config/mtts2.cfg"))};
    form->Tlb_OpenClick();
    ASSERT_EQ(CurrentScenario->RowCount(), 2);
    EXPECT_EQ(form->Cell(ColConfig, 2), QStringLiteral("mtts2"));
    EXPECT_EQ(form->Cell(ColDuration, 2), QStringLiteral("00:01:06"));
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.constLast().endsWith(QStringLiteral("не найден!\nУкажите путь к файлу или его замену!")));
    // Cancel empties the scenario.
    openAnswers = {program.path(QStringLiteral("plan.scn"))};
    form->Tlb_OpenClick();
    EXPECT_EQ(CurrentScenario->RowCount(), 0);
    EXPECT_EQ(form->GridRowCount(), 3);
}

TEST_F(ScenarioWindow, ContinueNeedsARunningMeasurementAndColumnWidthsAreKept) {
    AddTwoRows();
    EXPECT_FALSE(form->Tlb_Continue->isEnabled());
    measuring = true;
    form->UpdateButtons();
    EXPECT_TRUE(form->Tlb_Continue->isEnabled());
    form->SG->setColumnWidth(ColState, 123);
    form->Modified = false;
    form->close();
    form.release(); // freed by its close
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(CurrentScenario, nullptr);
    TIniFile ini(program.path(QStringLiteral("R9.ini")));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Сценарий"), QStringLiteral("ColWidth[5]"), 0), 123);
    form = std::make_unique<TForm_Scenario>(program.path(QStringLiteral("R9.ini")));
    EXPECT_EQ(form->SG->columnWidth(ColState), 123);
}

TEST_F(ScenarioWindow, ClosingAModifiedScenarioAsksToSaveAndCancelKeepsTheWindow) {
    AddTwoRows();
    answers = {IdCancel};
    EXPECT_FALSE(form->close());
    EXPECT_EQ(messages.constLast(), QStringLiteral("Сохранить текущий сценарий ?"));
    EXPECT_NE(CurrentScenario, nullptr);
}

TEST_F(ScenarioWindow, OnlyResultCellsOfDataRowsBecomeCurrent) {
    AddTwoRows();
    form->SG->setCurrentCell(0, ColRemoteResult);
    EXPECT_EQ(form->SG->currentColumn(), int(ColRemoteResult));
    // A press elsewhere selects the row and keeps the column.
    form->SG->setCurrentCell(1, ColConfig);
    EXPECT_EQ(form->SG->currentRow(), 1);
    EXPECT_EQ(form->SG->currentColumn(), int(ColRemoteResult));
    form->SG->setCurrentCell(0, ColState);
    EXPECT_EQ(form->SG->currentColumn(), int(ColRemoteResult));
    // The summary row is never current.
    form->SG->setCurrentCell(2, ColResult);
    EXPECT_EQ(form->SG->currentRow(), 0);
    EXPECT_EQ(form->SelectedGridRow(), 1);
}

TEST_F(ScenarioWindow, WithoutAScenarioNameNoProtocolOpens) {
    AddTwoRows();
    QList<QUrl> opened;
    ShowProtocol(*CurrentScenario, QStringLiteral("a#b"), QStringLiteral("c#d"),
                 [&opened](const QUrl &url) { opened << url; });
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(messages.constLast(), QStringLiteral("Не задано имя сценария!"));
}

} // namespace

namespace {

TEST(ScenarioDurationHint, ExplainsTheEstimateByTheConfigurationsMode) {
    ScenarioRow precision;
    precision.ModeClass = 255;
    precision.AdcSizeIndex = 200; // a damaged file's index takes the largest block's set-up time
    precision.AveragingTime = 90;
    EXPECT_EQ(DurationHint(precision),
              QStringLiteral("В конфигурации задан режим прецизионного анализа.\nВремя исполнения складывается из:\n"
                             "  - времени на установку конфигурации Tдоп = 28,с \n   (в случае сигнала ПСС Tдоп = "
                             "8,c) \n    и\n  - времени усреднения Tуср = 90,с (00:01:30)"));
    ScenarioRow master;
    master.ModeClass = 1;
    master.AdcSizeIndex = 2;
    master.RemoteLink = 1;
    master.Duration = 41;
    EXPECT_TRUE(DurationHint(master).endsWith(
        QStringLiteral("Tдоп =  11,с \n    и\n  - времени исполнения мастера частоты Tм = 30,с (00:00:30)")));
    ScenarioRow counting;
    counting.ModeClass = 0;
    counting.SinTimerNorm = 60.9f;
    counting.NoiseTimerNorm = 3725;
    EXPECT_TRUE(DurationHint(counting).endsWith(
        QStringLiteral("SIN Норма на таймер = 60,с (00:01:00)\n     МЧС Норма на таймер = 0,с (00:00:00)\n"
                       "     ШУМ Норма на таймер = 3725,с (01:02:05)")))
        << DurationHint(counting).toStdString();
}

} // namespace
