#include "GraphWindowFixture.h"

#include "chart/Chart.h"
#include "engine/ResultArrays.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/MaskFile.h"
#include "state/RecordChangeMask.h"
#include "support/Screenshot.h"
#include "views/GraphHost.h"
#include "views/Scalelabel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTableView>

namespace {

constexpr int32_t SpectrumSlot = 1; // the SIN spectrum
constexpr int32_t OscillogramSlot = 0;
constexpr int32_t ResponseSlot = 5; // the MTTS frequency response, which also takes a lower mask

// An MTTS frequency response of 40 lines, 100 to 197.5 kHz, attenuation equal to the line number.
void FillResponse() {
    EngineBuffers.CombLineCount = 40;
    for (int i = 0; i < 40; ++i) {
        ResultArrays.Frequency[i] = 100 + 2.5f * float(i);
        ResultArrays.Attenuation[i] = float(i);
    }
}

// A graph window with its mask commands: the save dialog answers `answer`, and the hosts' refresh of the
// parameter tables is counted.
class GraphMasks : public GraphWindow {
protected:
    void SetUp() override {
        GraphWindow::SetUp();
        TChartDialogs dialogs;
        dialogs.askSaveFileName = [this](QWidget *, const TSaveDialogRequest &request) {
            filters = request.filters;
            return answer;
        };
        SetChartDialogs(dialogs);
        GraphHost.RefreshParamTables = [this] { ++refreshes; };
        savedNames = MaskNameList;
        RecordingOn = false;
        RecordChangeMask = 0;
    }
    void TearDown() override {
        GraphHost.RefreshParamTables = {};
        for (int32_t slot : {SpectrumSlot, OscillogramSlot, ResponseSlot}) {
            for (auto &side : MaskArray[slot])
                side.reset();
            FreePointVerdicts(slot);
        }
        MaskNameList = savedNames;
        RecordingOn = false;
        ClearResultArrays();
        EngineBuffers.CombLineCount = 0;
        GraphWindow::TearDown();
    }

    static void Trigger(TForm_Graphic &w, QAction *item) {
        w.PopupMenu_ChartPopup();
        ASSERT_TRUE(item->isEnabled()) << item->text().toStdString();
        item->trigger();
    }

    // A mask file of the given points in the program folder.
    QString MaskFile(const QString &name, const QByteArray &points) {
        dir.write(name, "== a mask\r\n" + points);
        return dir.path(name);
    }

    QString answer;
    QStringList filters;
    int refreshes = 0;
    QStringList savedNames;
};

TEST_F(GraphMasks, TheCurveBecomesTheUpperMaskAndIsSwitchedOn) {
    SignalKind = 1;
    FillSpectrum(400);
    TForm_Graphic &w = Open(1);
    w.RedrawGraph();
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->MaskSlot, SpectrumSlot);
    ASSERT_TRUE(row->UpperNormAllowed);
    row->Settings.Analyse = 1;
    row->Settings.ApplyUpper = 0;
    row->Settings.UpperMaskName = -1;
    RecordingOn = true;

    answer = dir.path("spectrum.9sf");
    Trigger(w, w.N_SetAsMaskUp);
    EXPECT_EQ(pauses, (std::vector<bool>{true, false}));
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters.first().contains(QStringLiteral("Маска Сел.уровни"))) << filters.first().toStdString();
    EXPECT_TRUE(filters.first().contains(QString::fromUtf8(row->FileMask).trimmed()));

    // The mask holds the curve as the file keeps it, is bound, switched on and named.
    const TMASK *mask = SlotMask(SpectrumSlot, 0);
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(w.BoundMask(0), mask);
    EXPECT_EQ(mask->Names, QStringList{QStringLiteral("spectrum.9sf")});
    EXPECT_EQ(mask->Paths, QStringList{answer});
    EXPECT_EQ(mask->Count(), ReadMaskPoints(answer).Points.size());
    ASSERT_GT(mask->Count(), 100);
    EXPECT_NEAR(mask->Points[119].y, EngineBuffers.PowerSpectrum[120], 1e-3); // the tone, at display point 120
    EXPECT_EQ(mask->Upper, 1);
    EXPECT_EQ(mask->Scale, 100);
    EXPECT_TRUE(mask->Active);
    EXPECT_EQ(row->Settings.ApplyUpper, 1);
    EXPECT_GE(PointVerdictSize(SpectrumSlot), 0);
    ASSERT_GE(row->Settings.UpperMaskName, 0);
    EXPECT_EQ(MaskNameList.value(row->Settings.UpperMaskName), QStringLiteral("spectrum.9sf;"));
    EXPECT_EQ(RecordChangeMask & 0x01, 0x01);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(w.Label_TopMask->isVisibleTo(&w));
    EXPECT_EQ(w.Label_TopMask->text(), QStringLiteral(" норма сверху: spectrum.9sf "));
    EXPECT_FALSE(w.ScrollMask_Panel->isVisibleTo(&w)); // shifting is the oscillogram's
    bool item = false;
    for (QAction *action : w.PopupMenu_Chart->actions())
        item = item || action->text() == QStringLiteral("Норма сверху: spectrum.9sf");
    EXPECT_TRUE(item);

    // A second file on the same side takes the row's name entry instead of adding one; without a
    // recording nothing is marked for it.
    const qsizetype names = MaskNameList.size();
    RecordingOn = false;
    RecordChangeMask = 0;
    answer = dir.path("second.9sf");
    Trigger(w, w.N_SetAsMaskUp);
    EXPECT_EQ(MaskNameList.size(), names);
    EXPECT_EQ(MaskNameList.value(row->Settings.UpperMaskName), QStringLiteral("second.9sf;"));
    EXPECT_EQ(RecordChangeMask, 0);
    EXPECT_EQ(w.BoundMask(0), SlotMask(SpectrumSlot, 0));
}

TEST_F(GraphMasks, CancellingTheSaveDialogInstallsNothing) {
    SignalKind = 3;
    FillResponse();
    TForm_Graphic &w = Open(5);
    w.RedrawGraph();
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->MaskSlot, ResponseSlot);
    row->Settings.ApplyLower = 0;
    RecordingOn = true;
    const QStringList names = MaskNameList;
    answer.clear();
    Trigger(w, w.N_SetAsMaskDn);
    EXPECT_EQ(SlotMask(ResponseSlot, 1), nullptr);
    EXPECT_EQ(row->Settings.ApplyLower, 0);
    EXPECT_EQ(MaskNameList, names);
    EXPECT_EQ(RecordChangeMask, 0);
    EXPECT_EQ(refreshes, 0);
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.9af")}, QDir::Files).isEmpty());
    EXPECT_EQ(pauses, (std::vector<bool>{true, false}));
}

TEST_F(GraphMasks, DeletingASideSwitchesItOffButKeepsItLoaded) {
    SignalKind = 1;
    FillSpectrum(400);
    TForm_Graphic &w = Open(1);
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    row->Settings.Analyse = 1;
    w.SetMaskFromFile(0, MaskFile("flat.9sf", "0 -30\r\n300 -30\r\n"));
    ASSERT_NE(SlotMask(SpectrumSlot, 0), nullptr);
    w.PopupMenu_ChartPopup();
    EXPECT_TRUE(w.N_ClearMaskUp->isEnabled());
    EXPECT_FALSE(w.N_ClearMaskDn->isEnabled());

    Trigger(w, w.N_ClearMaskUp);
    EXPECT_EQ(row->Settings.ApplyUpper, 0);
    ASSERT_NE(SlotMask(SpectrumSlot, 0), nullptr);
    EXPECT_FALSE(SlotMask(SpectrumSlot, 0)->Active);
    EXPECT_TRUE(QFileInfo::exists(dir.path("flat.9sf")));
    EXPECT_FALSE(w.Mask_Panel->isVisibleTo(&w));
    w.PopupMenu_ChartPopup();
    EXPECT_FALSE(w.N_ClearMaskUp->isEnabled());

    // Installing the curve afterwards replaces it.
    answer = dir.path("curve.9sf");
    Trigger(w, w.N_SetAsMaskUp);
    EXPECT_EQ(SlotMask(SpectrumSlot, 0)->Names.first(), QStringLiteral("curve.9sf"));
    EXPECT_TRUE(SlotMask(SpectrumSlot, 0)->Active);
}

TEST_F(GraphMasks, TheMenuOffersOnlyWhatTheRowAllows) {
    SignalKind = 1; // the SIN oscillogram row carries no mask
    TForm_Graphic &w = Open(0);
    w.PopupMenu_ChartPopup();
    for (QAction *item : {w.N_SaveToMask, w.N_SetAsMaskUp, w.N_SetAsMaskDn, w.N_ClearMaskUp, w.N_ClearMaskDn})
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    w.SetMaskFromFile(0, MaskFile("none.9vt", "0 1\r\n10 1\r\n"));
    EXPECT_EQ(SlotMask(OscillogramSlot, 0), nullptr);

    SignalKind = 5; // NOISE's oscillogram row does
    const ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    w.PopupMenu_ChartPopup();
    EXPECT_TRUE(w.N_SaveToMask->isEnabled());
    EXPECT_EQ(w.N_SetAsMaskUp->isEnabled(), bool(row->UpperNormAllowed));
    EXPECT_EQ(w.N_SetAsMaskDn->isEnabled(), bool(row->LowerNormAllowed));
    EXPECT_FALSE(w.N_ClearMaskUp->isEnabled());
}

// The oscillogram's masks move one pixel per step, times 5 with Shift and 10 with Ctrl, and scale their
// values from the percentage they carry.
TEST_F(GraphMasks, TheOscillogramShiftsAndScalesItsMasks) {
    SignalKind = 5;
    TForm_Graphic &w = Open(0);
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(row->UpperNormAllowed);
    row->Settings.Analyse = 1;
    w.SetMaskFromFile(0, MaskFile("pulse.9vt", "0 0.5\r\n100 -0.25\r\n"));
    const TMASK *mask = w.BoundMask(0);
    ASSERT_NE(mask, nullptr);
    ASSERT_TRUE(mask->Active);
    EXPECT_TRUE(w.ScrollMask_Panel->isVisibleTo(&w));
    w.Chart1->Repaint();
    const TChartAxis &bottom = w.Chart1->BottomAxis();
    const double pixel = (bottom.Maximum() - bottom.Minimum()) / w.Chart1->ChartWidth();
    ASSERT_GT(pixel, 0);

    w.SBtn_ShiftMouseDown(1, Qt::ShiftModifier | Qt::ControlModifier);
    w.SBtn_ShiftMouseUp();
    EXPECT_NEAR(mask->Points[0].x, 50 * pixel, 1e-9);
    EXPECT_NEAR(mask->Points[1].x, 100 + 50 * pixel, 1e-9);
    w.SBtn_ShiftMouseDown(-1, Qt::NoModifier);
    w.SBtn_ShiftMouseUp();
    EXPECT_NEAR(mask->Points[0].x, 49 * pixel, 1e-9);

    w.Edit_ScaleMask->setValue(50);
    EXPECT_DOUBLE_EQ(mask->Points[0].y, 0.25);
    EXPECT_DOUBLE_EQ(mask->Points[1].y, -0.125);
    w.Edit_ScaleMask->setValue(200);
    EXPECT_DOUBLE_EQ(mask->Points[0].y, 1.0);
    EXPECT_EQ(mask->Scale, 200);
}

// Under PRBS nothing judges the oscillogram, so a mark left from NOISE does not colour its label.
TEST_F(GraphMasks, UnderPrbsTheOscillogramsMaskLabelShowsNotJudged) {
    SignalKind = 5;
    TForm_Graphic &w = Open(0);
    w.FindKindParam()->Settings.Analyse = 1;
    w.SetMaskFromFile(0, MaskFile("pulse.9vt", "0 0.5\r\n100 0.5\r\n"));
    TMASK *mask = w.BoundMask(0);
    ASSERT_NE(mask, nullptr);
    mask->Passed = 0;
    w.ColourMaskLabels();
    EXPECT_EQ(w.Label_TopMask->palette().color(QPalette::Window), WinColor(mask->Colour));
    SignalKind = 4;
    w.ColourMaskLabels();
    EXPECT_NE(w.Label_TopMask->palette().color(QPalette::Window), WinColor(mask->Colour));
}

// A point below the lower mask (verdict 255) colours its cell in the lower mask's colour; a point above
// an upper mask that is not there colours nothing.
TEST_F(GraphMasks, AVerdictOf255ColoursTheCellInTheLowerMasksColour) {
    SignalKind = 3;
    FillResponse();
    Analyse(5, 3);
    TForm_Graphic &w = Open(5);
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(row->LowerNormAllowed);
    row->Settings.Analyse = 1;
    w.MaskColours[1] = 0x0080FF; // orange: a green byte other than 255 writes white
    w.SetMaskFromFile(1, MaskFile("floor.9af", "100 -5\r\n200 -5\r\n"));
    ASSERT_TRUE(w.BoundMask(1) && w.BoundMask(1)->Active);
    w.RedrawGraph();
    const QModelIndex below = w.ValueTable().index(1, 1);
    const QModelIndex above = w.ValueTable().index(2, 1);
    const int32_t lowPoint = w.ValueTable().PointOfCell(1, 2);
    const int32_t highPoint = w.ValueTable().PointOfCell(1, 3);
    ASSERT_GE(lowPoint, 0);
    ASSERT_LT(highPoint, PointVerdictSize(ResponseSlot));
    PointVerdicts[ResponseSlot][lowPoint] = 255;
    PointVerdicts[ResponseSlot][highPoint] = 0;
    QApplication::processEvents();
    const QImage table = w.Table1->viewport()->grab().toImage();
    const auto ground = [&](const QModelIndex &index) {
        const QRect cell = w.Table1->visualRect(index);
        return table.pixelColor(cell.right() - 2, cell.top() + 2);
    };
    EXPECT_EQ(ground(below), WinColor(0x0080FF));
    EXPECT_EQ(ground(above), w.Table1->palette().color(QPalette::Base));
    SaveScreenshot(w, QStringLiteral("graph_lower_mask_cells"));
}

// While a mask colours the cells, a frame whose values stay the same still repaints them: a verdict can
// change under the same value.
TEST_F(GraphMasks, UnderAMaskAFrameOfTheSameValuesRepaintsTheCells) {
    SignalKind = 3;
    FillResponse();
    Analyse(5, 3);
    TForm_Graphic &w = Open(5);
    w.SetMaskFromFile(1, MaskFile("floor.9af", "100 -5\r\n200 -5\r\n"));
    ASSERT_TRUE(w.BoundMask(1) && w.BoundMask(1)->Active);
    w.RedrawGraph();
    QApplication::processEvents();
    const QModelIndex cell = w.ValueTable().index(1, 1);
    bool reported = false;
    QObject::connect(&w.ValueTable(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex &from, const QModelIndex &to) {
                         reported |= from.row() <= cell.row() && cell.row() <= to.row() &&
                                     from.column() <= cell.column() && cell.column() <= to.column();
                     });
    w.RedrawGraph();
    EXPECT_TRUE(reported);
}

// Value windows of this kind's points judge by the verdicts of the slot just bound; a parameter's
// window is left alone.
TEST_F(GraphMasks, BindingRepointsTheValueWindowsOfTheKindsPoints) {
    SignalKind = 1;
    FillSpectrum(400);
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("point"), 3, 3, 1, -1));
    auto *point = qobject_cast<TFormScaleLabel *>(ScaleLabelWindows[9].data());
    ASSERT_NE(point, nullptr);
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("other kind"), 3, 3, 2, -1));
    auto *other = qobject_cast<TFormScaleLabel *>(ScaleLabelWindows[8].data());
    ASSERT_NE(other, nullptr);
    TForm_Graphic &w = Open(1);
    w.FindKindParam()->Settings.Analyse = 1;
    w.SetMaskFromFile(0, MaskFile("flat.9sf", "0 -30\r\n300 -30\r\n"));
    EXPECT_EQ(point->IndexMask, SpectrumSlot);
    EXPECT_EQ(other->IndexMask, -1);
    // With the masks gone from the slot the window's verdicts go too.
    MaskArray[SpectrumSlot][0].reset();
    FreePointVerdicts(SpectrumSlot);
    w.RebindMasks(2);
    EXPECT_EQ(point->IndexMask, -1);
    for (QPointer<QWidget> &slot : ScaleLabelWindows)
        delete slot.data();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The selective mode keeps the last trace as a line mask, and moves it on to the second trace file when a
// new one comes.
TEST_F(GraphMasks, SelectiveTracesBecomeLineMasks) {
    static const float x[] = {100, 110, 120, 130};
    static const float y[] = {-20, -300, -35, -50};
    GraphSources.Selective = [](int kind) -> std::optional<TCurveArrays> {
        return kind == 21 ? std::optional(TCurveArrays{x, y, 4}) : std::nullopt;
    };
    SignalKind = 6;
    QDir(dir.path()).mkpath(QStringLiteral("Masks"));
    TForm_Graphic &w = Open(21);
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    ASSERT_GE(row->MaskSlot, 0);
    ASSERT_TRUE(row->UpperNormAllowed);
    const int32_t slot = row->MaskSlot;
    const QString ext = QString::fromUtf8(row->FileMask).trimmed().remove(QLatin1Char('*'));
    const QString trace1 = dir.path(QStringLiteral("Masks/Мирвак_Селективно_след1") + ext);
    const QString trace2 = dir.path(QStringLiteral("Masks/Мирвак_Селективно_след2") + ext);

    w.ShiftTraceMask(0); // no trace yet: nothing
    EXPECT_EQ(SlotMask(slot, 0), nullptr);
    w.SaveTraceAsMask(0);
    ASSERT_TRUE(QFileInfo::exists(trace1));
    ASSERT_NE(SlotMask(slot, 0), nullptr);
    EXPECT_EQ(SlotMask(slot, 0)->Paths.first(), trace1);
    EXPECT_EQ(w.MaskIsLine[0], 1);
    EXPECT_EQ(SlotMask(slot, 0)->IsLine, 1);

    w.ShiftTraceMask(0);
    EXPECT_FALSE(QFileInfo::exists(trace1));
    ASSERT_TRUE(QFileInfo::exists(trace2));
    EXPECT_EQ(SlotMask(slot, 0)->Paths.first(), trace2);
    for (auto &side : MaskArray[slot])
        side.reset();
    FreePointVerdicts(slot);
}

} // namespace
