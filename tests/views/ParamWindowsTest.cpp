#include "views/Form_parambase.h"
#include "views/Form_parammeter.h"

#include "chartlib/Chartlib.h"
#include "controls/Placemnt.h"
#include "controls/Zeltcspinedit.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "state/RecordChangeMask.h"
#include "state/SettingsLoadState.h"
#include "support/Screenshot.h"
#include "support/TempProgramDir.h"
#include "views/ParamGridCells.h"
#include "views/ParamWindowHost.h"
#include "views/Scalelabel.h"
#include "views/masks/Form_selectmask.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <QWheelEvent>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <span>

namespace {

constexpr int SinIndex = 0;
// Grid rows (table row + 1) of the SIN table.
constexpr int LevelRow = 4;      // "Сигнал,дБм0"
constexpr int TimerRow = 18;     // "Таймер,с": a code step of 10 s
constexpr int FrequencyRow = 3;  // "Частота,кГц": travels as a float
constexpr int SelectiveRow = 28; // "Сел.уровни,дБм0": upper norm as a mask of slot 1
constexpr int SelectiveSlot = 1;

class ParamWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        SetPrecisionZeros(2);
        SignalKind = 1;
        ParamWindowHost.UpdateWindowMenuCaption = [this](QWidget *window) { menuCaptions << window->windowTitle(); };
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages << request.text;
            return int(IdYes);
        });
    }
    void TearDown() override {
        for (auto &registry :
             {std::span<QPointer<QWidget>>(MeasParWindows), std::span<QPointer<QWidget>>(BaseParWindows)})
            for (QPointer<QWidget> &slot : registry)
                delete slot.data();
        for (QPointer<QWidget> &slot : ScaleLabelWindows)
            delete slot.data();
        for (auto &side : MaskArray[SelectiveSlot])
            side.reset();
        FreePointVerdicts(SelectiveSlot);
        ParamWindowHost = {};
        SetMessageBoxHandler({});
        SignalKind = 0;
        RemoteSignalKind = 0;
        PlaybackOn = RecordingOn = false;
        RecordChangeMask = 0;
        SettingsLoadState = 1;
    }

    TForm_MeasPar *OpenParams(int index = SinIndex) {
        auto *window = new TForm_MeasPar(index);
        MeasParWindows[std::size_t(index)] = window;
        window->resize(900, 500);
        window->show();
        return window;
    }
    TForm_BasePar *OpenResults(int index = 0) {
        auto *window = new TForm_BasePar(index);
        BaseParWindows[std::size_t(index)] = window;
        window->setProperty("Tag", 61 + index);
        window->resize(500, 400);
        window->show();
        return window;
    }
    static ParamDescriptor &Sin(int gridRow) { return ParameterTableOf(1).Rows[gridRow - 1]; }
    static int ShownRows(const TForm_BasePar &table) { return table.SG->rowCount() - 1; }

    TempProgramDir dir;
    QStringList messages;
    QStringList menuCaptions;
};

TEST_F(ParamWindowsTest, TabAndArrowsGoBetweenTheTwoNormColumnsOnly) {
    TForm_MeasPar &window = *OpenParams();
    QTableWidget &grid = *window.SG;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("SIN - Настройка параметров"));
    EXPECT_EQ(grid.rowCount(), 33);
    ASSERT_EQ(grid.currentColumn(), ColLowerNorm);
    ASSERT_EQ(grid.currentRow(), 1);
    grid.setFocus();
    struct Step {
        int key;
        int row, column;
    };
    const Step steps[] = {
        {Qt::Key_Right, 1, ColUpperNorm}, {Qt::Key_Right, 1, ColLowerNorm},   {Qt::Key_Left, 1, ColUpperNorm},
        {Qt::Key_Left, 1, ColLowerNorm},  {Qt::Key_Tab, 1, ColUpperNorm},     {Qt::Key_Tab, 2, ColLowerNorm},
        {Qt::Key_Down, 3, ColLowerNorm},  {Qt::Key_Backtab, 2, ColUpperNorm},
    };
    for (const Step &step : steps) {
        QTest::keyClick(&grid, Qt::Key(step.key));
        EXPECT_EQ(grid.currentRow(), step.row) << step.key;
        EXPECT_EQ(grid.currentColumn(), step.column) << step.key;
    }
    // A click beside a norm column leads across; a check-box column never becomes current.
    EXPECT_FALSE(window.SGSelectCell(ColAnalyse, 5));
    EXPECT_EQ(grid.currentColumn(), ColUpperNorm);
    EXPECT_FALSE(window.SGSelectCell(ColMargin, 5));
    EXPECT_EQ(grid.currentColumn(), ColLowerNorm);
    EXPECT_EQ(grid.currentRow(), 5);
    EXPECT_FALSE(window.SGSelectCell(ColApplyLower, 6));
    EXPECT_EQ(grid.currentColumn(), ColUpperNorm);
    // One norm editor at a time, in the current cell.
    int editors = 0;
    for (int row = 1; row < grid.rowCount(); ++row)
        for (int column : {ColLowerNorm, ColUpperNorm})
            editors += grid.cellWidget(row, column) != nullptr;
    EXPECT_EQ(editors, 1);
    // Enter goes into the norm editor of the current cell.
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(window.SGSelectCell(ColLowerNorm, TimerRow));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_TRUE(window.SpinEdit()->hasFocus());
    QTest::keyClick(window.SpinEdit(), Qt::Key_Escape);
    EXPECT_TRUE(grid.hasFocus());
    // Cells whose setting the row lacks have no check box and are grey.
    EXPECT_EQ(window.CheckBoxAt(ColTimeDiagram, 2), nullptr);
    EXPECT_EQ(window.CellColour(ColTimeDiagram, 2), CellGrey);
    SaveScreenshot(window, QStringLiteral("param_window"));
}

TEST_F(ParamWindowsTest, NormsSnapToTheCodeUnlessTheRowTravelsAsAFloat) {
    TForm_MeasPar &window = *OpenParams();
    ASSERT_TRUE(window.SGSelectCell(ColLowerNorm, TimerRow));
    TZeltCSpinEdit *edit = window.SpinEdit();
    ASSERT_NE(edit, nullptr);
    EXPECT_DOUBLE_EQ(edit->MinValue(), Sin(TimerRow).ScaleMin);
    edit->SetValue(905);
    EXPECT_FLOAT_EQ(Sin(TimerRow).Settings.LowerNorm, 910);
    EXPECT_GE(edit->Increment(), 10);
    window.SpEdtExit();
    EXPECT_DOUBLE_EQ(edit->GetValue(), 910);
    EXPECT_EQ(window.SG->item(TimerRow, ColLowerNorm)->text(), QStringLiteral("910.00"));

    ASSERT_TRUE(window.SGSelectCell(ColLowerNorm, FrequencyRow));
    edit = window.SpinEdit();
    ASSERT_NE(edit, nullptr);
    edit->SetValue(3.14159);
    window.SpEdtExit();
    EXPECT_FLOAT_EQ(Sin(FrequencyRow).Settings.LowerNorm, 3.14f);
}

// Entering the norm editor asks whether to break the peer's control; a refusal sends the focus back to
// the grid, so the norm cannot be typed.
TEST_F(ParamWindowsTest, EnteringTheNormEditorAsksFirstWhileThePeerIsLinked) {
    TForm_MeasPar &window = *OpenParams();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(window.SGSelectCell(ColUpperNorm, LevelRow));
    TZeltCSpinEdit *edit = window.SpinEdit();
    ASSERT_NE(edit, nullptr);
    TDeviceSettings &s = *DeviceSettings;
    const TDeviceSettings saved = s;
    s.PeerConnectState = 1;
    SetMessageBoxHandler([this](const MessageRequest &request) {
        messages << request.text;
        return int(IdNo);
    });
    edit->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(messages, QStringList(QStringLiteral("Прервать соединение c удаленным комплексом?")));
    EXPECT_FALSE(edit->hasFocus());
    EXPECT_EQ(s.PeerConnectState, 1);
    s = saved;
}

// A declined question leaves the norm as it was, whichever way the editor was to change it: the mouse
// wheel asks too, and the arrow click that entered the editor asks once and changes nothing.
TEST_F(ParamWindowsTest, ADeclinedBreakLeavesTheNormUnchanged) {
    TForm_MeasPar &window = *OpenParams();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(window.SGSelectCell(ColUpperNorm, LevelRow));
    TZeltCSpinEdit *edit = window.SpinEdit();
    ASSERT_NE(edit, nullptr);
    TDeviceSettings &s = *DeviceSettings;
    const TDeviceSettings saved = s;
    s.PeerConnectState = 1;
    SetMessageBoxHandler([this](const MessageRequest &request) {
        messages << request.text;
        return int(IdNo);
    });
    const float norm = Sin(LevelRow).Settings.UpperNorm;
    const QString cell = window.SG->item(LevelRow, ColUpperNorm)->text();
    const QPointF middle(edit->width() / 2.0, edit->height() / 2.0);
    QWheelEvent wheel(middle, edit->mapToGlobal(middle), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(edit, &wheel);
    EXPECT_EQ(messages.size(), 1) << "the wheel asks";
    EXPECT_EQ(Sin(LevelRow).Settings.UpperNorm, norm);
    EXPECT_DOUBLE_EQ(edit->GetValue(), RoundTo3Decimals(norm));

    messages.clear();
    QStyleOptionSpinBox option;
    option.initFrom(edit);
    option.subControls = QStyle::SC_SpinBoxUp;
    const QRect up = edit->style()->subControlRect(QStyle::CC_SpinBox, &option, QStyle::SC_SpinBoxUp, edit);
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, up.center());
    QApplication::processEvents();
    EXPECT_EQ(messages.size(), 1) << "the click asks once";
    EXPECT_EQ(Sin(LevelRow).Settings.UpperNorm, norm);
    EXPECT_EQ(window.SG->item(LevelRow, ColUpperNorm)->text(), cell);
    EXPECT_EQ(s.PeerConnectState, 1);
    s = saved;
}

TEST_F(ParamWindowsTest, PlaybackWithRecordedSettingsAndScenariosLockAnalysisAndNorms) {
    TForm_MeasPar &window = *OpenParams();
    ASSERT_TRUE(window.SGSelectCell(ColUpperNorm, LevelRow));
    Sin(LevelRow).Settings.Analyse = 1;
    window.EnableEditors();
    EXPECT_TRUE(window.CheckBoxAt(ColAnalyse, LevelRow)->isEnabled());
    EXPECT_TRUE(window.SpinEdit()->isEnabled());

    PlaybackOn = true;
    ProgramSettings.UseRecordedSettings = 1;
    window.EnableEditors();
    EXPECT_TRUE(window.SettingsLocked());
    EXPECT_FALSE(window.CheckBoxAt(ColAnalyse, LevelRow)->isEnabled());
    EXPECT_FALSE(window.CheckBoxAt(ColApplyUpper, LevelRow)->isEnabled());
    EXPECT_FALSE(window.SpinEdit()->isEnabled());
    EXPECT_TRUE(window.CheckBoxAt(ColProtocol, LevelRow)->isEnabled());
    const uint8_t analyse = Sin(LevelRow).Settings.Analyse;
    window.CBoxClick(ColAnalyse, LevelRow);
    EXPECT_EQ(Sin(LevelRow).Settings.Analyse, analyse);

    ProgramSettings.UseRecordedSettings = 0;
    EXPECT_FALSE(window.SettingsLocked());
    PlaybackOn = false;
    ParamWindowHost.ScenarioRunning = [] { return true; };
    window.EnableEditors();
    EXPECT_FALSE(window.CheckBoxAt(ColAnalyse, LevelRow)->isEnabled());
    EXPECT_FALSE(window.SpinEdit()->isEnabled());
}

TEST_F(ParamWindowsTest, EveryChangeIsNotedForTheRecordingWhileItRuns) {
    TForm_MeasPar &window = *OpenParams();
    Sin(LevelRow).Settings.Analyse = 1;
    window.ShowParams();
    window.CBoxClick(ColProtocol, LevelRow);
    EXPECT_EQ(RecordChangeMask, 0);
    RecordingOn = true;
    const uint8_t before = Sin(LevelRow).Settings.Protocol;
    window.CBoxClick(ColProtocol, LevelRow);
    EXPECT_NE(Sin(LevelRow).Settings.Protocol, before);
    EXPECT_EQ(RecordChangeMask & 1, 1);
    EXPECT_EQ(window.BoxChecked(ColProtocol, LevelRow), Sin(LevelRow).Settings.Protocol != 0);
    RecordChangeMask = 0;
    ASSERT_TRUE(window.SGSelectCell(ColUpperNorm, LevelRow));
    window.SpinEdit()->SetValue(-12);
    EXPECT_EQ(RecordChangeMask & 1, 1);
    EXPECT_FLOAT_EQ(Sin(LevelRow).Settings.UpperNorm, -12);
}

TEST_F(ParamWindowsTest, MaskNormsComeFromTheMaskDialogAndAnEmptyChoiceDeletesTheMask) {
    TForm_MeasPar &window = *OpenParams();
    ParamDescriptor &selective = Sin(SelectiveRow);
    ASSERT_EQ(selective.MaskSlot, SelectiveSlot);
    ASSERT_TRUE(window.SGSelectCell(ColUpperNorm, SelectiveRow));
    ASSERT_NE(window.MaskButton(), nullptr);
    EXPECT_EQ(window.SpinEdit(), nullptr);

    dir.write(QStringLiteral("Masks/a.9sf"), "0 -30\r\n300 -30\r\n");
    dir.write(QStringLiteral("Masks/b.9sf"), "0 -40\r\n300 -40\r\n");
    window.RunMaskDialog = [&](TForm_SetMask &) {
        TMASK *mask = SlotMask(SelectiveSlot, MaskUpperSide);
        ASSERT_NE(mask, nullptr);
        EXPECT_FALSE(mask->Active);
        EXPECT_TRUE(mask->Upper);
        mask->Names = {QStringLiteral("a.9sf"), QStringLiteral("b.9sf")};
        mask->Paths = {dir.path(QStringLiteral("Masks/a.9sf")), dir.path(QStringLiteral("Masks/b.9sf"))};
        mask->Points = {{0, -70}, {300, -70}};
        EXPECT_EQ(SettingsLoadState, 2) << "settings loading waits while the dialog is open";
    };
    selective.Settings.Analyse = 1;
    selective.Settings.ApplyUpper = 1;
    window.MaskButton()->click();
    TMASK *mask = SlotMask(SelectiveSlot, MaskUpperSide);
    ASSERT_NE(mask, nullptr);
    EXPECT_TRUE(mask->Active);
    EXPECT_EQ(mask->Scale, 100);
    EXPECT_DOUBLE_EQ(mask->XMin, 0.001);
    EXPECT_DOUBLE_EQ(mask->XMax, 10000);
    EXPECT_DOUBLE_EQ(mask->YMin, selective.MinValue);
    EXPECT_EQ(mask->CodeSteps, selective.CodeSteps);
    EXPECT_EQ(window.SG->item(SelectiveRow, ColUpperNorm)->text(), QStringLiteral("a.9sf..."));
    ASSERT_GE(selective.Settings.UpperMaskName, 0);
    EXPECT_EQ(MaskNameAt(selective.Settings.UpperMaskName), QStringLiteral("a.9sf;b.9sf;"));
    EXPECT_NE(PointVerdicts[SelectiveSlot], nullptr);
    EXPECT_EQ(SettingsLoadState, 1);

    // The second choice replaces the name entry; an empty one deletes the mask and empties the cell.
    window.RunMaskDialog = [](TForm_SetMask &) {
        TMASK *mask = SlotMask(SelectiveSlot, MaskUpperSide);
        mask->Names.clear();
        mask->Paths.clear();
    };
    const int16_t entry = selective.Settings.UpperMaskName;
    window.BtnClick(ColUpperNorm, SelectiveRow);
    EXPECT_EQ(SlotMask(SelectiveSlot, MaskUpperSide), nullptr);
    EXPECT_EQ(window.SG->item(SelectiveRow, ColUpperNorm)->text(), QString());
    EXPECT_EQ(PointVerdicts[SelectiveSlot], nullptr);
    // ... and no norm is left to show: the name entry is emptied (never removed) and the side no longer
    // applies, so a refill shows an empty cell and the result table no norm.
    EXPECT_EQ(MaskNameAt(entry), QString());
    EXPECT_EQ(selective.Settings.ApplyUpper, 0);
    EXPECT_FALSE(window.BoxChecked(ColApplyUpper, SelectiveRow));
    window.ShowParams();
    EXPECT_EQ(window.SG->item(SelectiveRow, ColUpperNorm)->text(), QString());

    // While a configuration is being loaded the dialog does not open.
    bool opened = false;
    window.RunMaskDialog = [&](TForm_SetMask &) { opened = true; };
    SettingsLoadState = 2;
    window.EditMaskNorm(ColUpperNorm, SelectiveRow);
    EXPECT_FALSE(opened);
}

TEST_F(ParamWindowsTest, ColumnWidthsLiveInTheWindowsOwnSectionOfR9Ini) {
    {
        TForm_MeasPar &window = *OpenParams();
        window.SG->setColumnWidth(3, 77);
        window.FormStorage1->SaveFormPlacement();
    }
    const QString ini = FromCp1251(dir.read(QStringLiteral("R9.ini")));
    const qsizetype section = ini.indexOf(QStringLiteral("[SIN - Настройка параметров]"));
    ASSERT_GE(section, 0) << ini.toStdString();
    EXPECT_GT(ini.indexOf(QStringLiteral("ColWidth[3]=77"), section), section);
    EXPECT_GT(ini.indexOf(QStringLiteral("ColWidth[9]="), section), section);
    delete MeasParWindows[SinIndex].data();
    TForm_MeasPar &again = *OpenParams();
    QApplication::processEvents();
    EXPECT_EQ(again.SG->columnWidth(3), 77);
}

// Before anything is measured the NOISE result table judges nothing: the compliance mark and the
// selective-level rows, which show verdicts, stay empty instead of "Норма".
TEST_F(ParamWindowsTest, NothingMeasuredShowsNoVerdict) {
    SignalKind = 5;
    TForm_BasePar &table = *OpenResults();
    ASSERT_TRUE(table.windowTitle().startsWith(QStringLiteral("ШУМ"))) << table.windowTitle().toStdString();
    const ParameterTable noise = ParameterTableOf(5);
    int verdictRows = 0;
    for (int grid = 1; grid <= ShownRows(table); ++grid) {
        const ParamDescriptor &row = noise.Rows[table.RowOfGridRow[std::size_t(grid - 1)]];
        const QString caption = table.SG->item(grid, 0)->text();
        EXPECT_EQ(table.SG->item(grid, 1)->text(), QString()) << caption.toStdString();
        if (row.MaskSlot >= 0 || &row == &noise.Rows[ComplianceRow])
            ++verdictRows;
    }
    EXPECT_GE(verdictRows, 3) << "Отметка соответ., Сел.уровни, Сел.взв.уровни";
}

TEST_F(ParamWindowsTest, TheResultTableShowsTheAnalysedRowsAndColoursWhatFails) {
    ParameterTable sin = ParameterTableOf(1);
    for (int32_t i = 0; i < sin.RowCount; ++i)
        sin.Rows[i].Settings.Analyse = i <= ComplianceRow;
    TForm_BasePar &table = *OpenResults();
    EXPECT_EQ(table.windowTitle(), QStringLiteral("SIN - Результаты измерений"));
    EXPECT_EQ(ShownRows(table), 2);
    EXPECT_TRUE(menuCaptions.isEmpty()) << "the first build has no Window-menu item to update";

    // Analysis switched on in the parameter window brings the row in.
    TForm_MeasPar &params = *OpenParams();
    params.CBoxClick(ColAnalyse, LevelRow);
    ASSERT_EQ(Sin(LevelRow).Settings.Analyse, 1);
    ASSERT_EQ(ShownRows(table), 3);
    EXPECT_EQ(table.RowOfGridRow[2], LevelRow - 1);
    EXPECT_EQ(table.GridRowOfRow[std::size_t(LevelRow - 1)], 3);
    // An allowed lower norm that is not applied: empty and yellow.
    EXPECT_EQ(table.SG->item(3, 2)->text(), QString());
    EXPECT_EQ(table.CellColour(2, 3), CellYellow);

    // The upper norm applied with a margin, then edited below the measured level.
    params.CBoxClick(ColApplyUpper, LevelRow);
    params.CBoxClick(ColMargin, LevelRow);
    ASSERT_TRUE(params.SGSelectCell(ColUpperNorm, LevelRow));
    params.SpinEdit()->SetValue(-25);
    EXPECT_EQ(table.SG->item(3, 3)->text(), QStringLiteral("<=-25.00"));
    ParamDescriptor &level = Sin(LevelRow);
    level.Result = {-20, -5, ParamFailed, {}};
    table.RefreshValues();
    EXPECT_EQ(table.SG->item(3, 1)->text(), QStringLiteral("-20.00"));
    EXPECT_EQ(table.SG->item(3, 4)->text(), QStringLiteral("-5.00"));
    EXPECT_EQ(table.CellColour(1, 3), CellRed);
    EXPECT_EQ(table.CellColour(4, 3), CellRed);
    EXPECT_EQ(table.SG->item(3, 4)->foreground().color(), QColor(Qt::white));
    level.Result = {-20, NoValue, ParamPassed, {}};
    table.RefreshValues();
    EXPECT_EQ(table.SG->item(3, 4)->text(), QString());
    EXPECT_EQ(table.CellColour(4, 3), CellWhite);
    EXPECT_EQ(table.SG->item(3, 4)->foreground().color(), QColor(Qt::black));
    SaveScreenshot(table, QStringLiteral("result_table"));
}

TEST_F(ParamWindowsTest, AKindChangeRenamesTheTableButKeepsItsSection) {
    TForm_BasePar &table = *OpenResults();
    const QString section = table.FormStorage1->GetIniSection();
    EXPECT_EQ(section, QStringLiteral("Результаты измерений"));
    SignalKind = 3;
    RebuildLocalResultTable();
    EXPECT_EQ(table.windowTitle(), QStringLiteral("МЧС - Результаты измерений"));
    EXPECT_EQ(table.RowCount, ParamTableRowCounts[3]);
    ASSERT_EQ(menuCaptions.size(), 1);
    EXPECT_EQ(menuCaptions.last(), table.windowTitle());
    EXPECT_EQ(table.FormStorage1->GetIniSection(), section);
    SignalKind = 0;
    RebuildLocalResultTable();
    EXPECT_EQ(table.windowTitle(), QStringLiteral("ШУМ - Результаты измерений"));

    RemoteSignalKind = 2;
    TForm_BasePar &remote = *OpenResults(1);
    EXPECT_EQ(remote.windowTitle(), QStringLiteral("SIN2_R - Результаты измерений от удаленного R9"));
    EXPECT_EQ(remote.FormStorage1->GetIniSection(), QStringLiteral("Результаты измерений от удаленного R9"));
    EXPECT_EQ(remote.Results[0], &ParameterTableOf(2).RemoteResults[0]);
}

TEST_F(ParamWindowsTest, ADoubleClickOnAParameterOpensItsRowInTheParameterWindow) {
    Sin(LevelRow).Settings.Analyse = 1;
    TForm_BasePar &table = *OpenResults();
    int asked = -1;
    ParamWindowHost.ShowMeasParWindow = [&](int index) -> QWidget * {
        asked = index;
        return MeasParWindows[std::size_t(index)] ? MeasParWindows[std::size_t(index)].data() : OpenParams(index);
    };
    const int gridRow = table.GridRowOfRow[std::size_t(LevelRow - 1)];
    ASSERT_GT(gridRow, 0);
    table.SGDblClick(0, gridRow);
    EXPECT_EQ(asked, SinIndex);
    auto *params = qobject_cast<TForm_MeasPar *>(MeasParWindows[SinIndex].data());
    ASSERT_NE(params, nullptr);
    EXPECT_EQ(params->SG->currentRow(), LevelRow);
    EXPECT_EQ(params->SG->currentColumn(), ColLowerNorm);
}

// Switching analysis off closes the row's value window but keeps its switch, so switching it on again
// brings the window back.
TEST_F(ParamWindowsTest, AnalysisOffClosesTheValueWindowAndOnReopensIt) {
    ParamDescriptor &level = Sin(LevelRow);
    level.Settings.Analyse = 1;
    TForm_MeasPar &window = *OpenParams();
    window.CBoxClick(ColTextWindow, LevelRow);
    ASSERT_EQ(level.Settings.TextWindow, 1);
    const auto openWindows = [] {
        int n = 0;
        for (const QPointer<QWidget> &slot : ScaleLabelWindows)
            n += !slot.isNull();
        return n;
    };
    EXPECT_EQ(openWindows(), 1);
    window.CBoxClick(ColAnalyse, LevelRow);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openWindows(), 0);
    EXPECT_EQ(level.Settings.TextWindow, 1);
    window.CBoxClick(ColAnalyse, LevelRow);
    EXPECT_EQ(openWindows(), 1);
    window.CBoxClick(ColTextWindow, LevelRow);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openWindows(), 0);
    EXPECT_EQ(level.Settings.TextWindow, 0);
}

} // namespace
