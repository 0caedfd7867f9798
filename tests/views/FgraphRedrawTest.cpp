// When a graph window draws what the blocks bring: once per turn of the event loop however many blocks came
// in it, never while it cannot be seen, once when it can be seen again, and pictures always of the current
// data.
#include "GraphWindowFixture.h"

#include "chart/Chart.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "state/MainGlobals.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

#include <qcustomplot.h>

namespace {

class GraphRedraw : public GraphWindow {
protected:
    void SetUp() override {
        GraphWindow::SetUp();
        SignalKind = 1;
        FillSpectrum(1024);
    }
    // The tone's level in the engine, and what the window's series holds of it.
    static void Tone(float level) { EngineBuffers.PowerSpectrum[120] = level; }
    static double Shown(const TForm_Graphic &w) { return w.Series()->MaxYValue(); }
    // Counts the drawings of the window's chart from now on.
    void CountDrawings(TForm_Graphic &w) {
        drawings = 0;
        QObject::connect(w.Chart1->findChild<QCustomPlot *>(), &QCustomPlot::afterReplot, [this] { ++drawings; });
    }
    // Blocks of rising tone levels handed over in one turn of the event loop.
    static void Blocks(TForm_Graphic &w, float from) {
        for (int i = 0; i < 5; ++i) {
            Tone(from + float(i));
            w.RedrawGraph();
        }
    }
    int drawings = 0;
};

TEST_F(GraphRedraw, BlocksOfOneTurnAreDrawnOnceWithTheLastData) {
    TForm_Graphic &w = Open(1);
    QApplication::processEvents();
    CountDrawings(w);
    Blocks(w, -30);
    EXPECT_EQ(drawings, 0);
    // The event loop runs on for a while: whether the drawing comes in its first turn or the next depends
    // on what else of the window waits to be painted.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 50)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    EXPECT_EQ(drawings, 1);
    EXPECT_DOUBLE_EQ(Shown(w), -26);
}

// Playback hands over blocks faster than the screen refreshes, each in a turn of its own: the window draws
// at most once per refresh, and then with the data of the last block.
TEST_F(GraphRedraw, InPlaybackTheWindowDrawsAtMostOncePerScreenRefresh) {
    TForm_Graphic &w = Open(1);
    QApplication::processEvents();
    CountDrawings(w);
    PlaybackOn = true;
    QElapsedTimer clock;
    clock.start();
    for (int block = 0; block < 40; ++block) {
        Tone(-60 + float(block));
        w.RedrawGraph();
        QApplication::processEvents();
    }
    const double refreshes = double(clock.elapsed()) * w.screen()->refreshRate() / 1000;
    EXPECT_LE(drawings, int(refreshes) + 2);
    EXPECT_LT(drawings, 40);
    while (w.Chart1->RepaintPending())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    PlaybackOn = false;
    EXPECT_DOUBLE_EQ(Shown(w), -21);
}

// Hidden, then shown again; and a picture taken while hidden shows the data of the last block.
TEST_F(GraphRedraw, AHiddenWindowDrawsNothingUntilShownAndItsPicturesAreCurrent) {
    TForm_Graphic &w = Open(1);
    QApplication::processEvents();
    const double before = Shown(w);
    w.hide();
    CountDrawings(w);
    Blocks(w, -30);
    QApplication::processEvents();
    EXPECT_EQ(drawings, 0);
    EXPECT_DOUBLE_EQ(Shown(w), before);

    const QTemporaryDir folder;
    ASSERT_TRUE(w.Chart1->SavePicture(folder.filePath(QStringLiteral("hidden.bmp"))));
    EXPECT_DOUBLE_EQ(Shown(w), -26);

    Blocks(w, -50);
    w.show();
    QApplication::processEvents();
    EXPECT_EQ(drawings, 1);
    EXPECT_DOUBLE_EQ(Shown(w), -46);
}

// Two MDI windows: the spectrum below, another window maximised above it; then minimised itself.
TEST_F(GraphRedraw, AWindowCoveredByAMaximisedSiblingOrMinimisedDrawsOnceWhenItCanBeSeenAgain) {
    QMdiArea area;
    area.resize(800, 600);
    auto *spectrum = new TForm_Graphic(1);
    QMdiSubWindow *below = area.addSubWindow(spectrum);
    auto *other = new QWidget;
    QMdiSubWindow *above = area.addSubWindow(other);
    area.show();
    below->show();
    above->show();
    QApplication::processEvents();
    EXPECT_TRUE(spectrum->Chart1->OnScreen());

    above->showMaximized();
    QApplication::processEvents();
    EXPECT_FALSE(spectrum->Chart1->OnScreen());
    CountDrawings(*spectrum);
    Blocks(*spectrum, -30);
    QApplication::processEvents();
    EXPECT_EQ(drawings, 0);
    EXPECT_FALSE(spectrum->Chart1->FramedBitmap16().isNull()); // the protocol's picture
    EXPECT_DOUBLE_EQ(Shown(*spectrum), -26);

    Blocks(*spectrum, -40);
    above->showNormal();
    area.setActiveSubWindow(below);
    // The uncovered window's paint asks for the drawing, which fills the series and is painted in its turn.
    for (int turn = 0; turn < 3; ++turn)
        QApplication::processEvents();
    EXPECT_TRUE(spectrum->Chart1->OnScreen());
    EXPECT_EQ(drawings, 1);
    EXPECT_DOUBLE_EQ(Shown(*spectrum), -36);

    below->showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(spectrum->Chart1->OnScreen());
    drawings = 0;
    Blocks(*spectrum, -60);
    QApplication::processEvents();
    EXPECT_EQ(drawings, 0);
    below->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(drawings, 1);
    EXPECT_DOUBLE_EQ(Shown(*spectrum), -56);
}

// A spectrum maximised on a large screen with an upper mask, and zoomed into twenty bins: the tone's bins keep
// their colour in both (R9_SCREENSHOTS keeps the pictures).
TEST_F(GraphRedraw, AMaximisedSpectrumWithAMaskAndAZoomedOneShowTheTone) {
    EngineBuffers.ToneBin1 = 120;
    TForm_Graphic &w = Open(1);
    w.resize(1600, 1000);
    ParamDescriptor *row = w.FindKindParam();
    ASSERT_NE(row, nullptr);
    row->Settings.Analyse = 1;
    dir.write("upper.9sf", "== a mask\r\n0 -86\r\n600 -86\r\n800 -20\r\n1300 -20\r\n");
    w.SetMaskFromFile(0, dir.path("upper.9sf"));
    ASSERT_NE(w.BoundMask(0), nullptr);
    const auto toneShown = [&](const QImage &picture) {
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += QColor(picture.pixel(x, y)) == QColor(0, 0, 255);
        return count;
    };
    w.RedrawGraph();
    QApplication::processEvents();
    EXPECT_GT(toneShown(w.Chart1->Bitmap()), 0);
    SaveScreenshot(w, QStringLiteral("graph_spectrum_mask_maximised"));

    w.Chart1->BottomAxis().SetMinMax(137.5, 162.5); // twenty bins around the tone, as a zoom leaves it
    w.Chart1Scroll();
    w.RedrawGraph();
    QApplication::processEvents();
    EXPECT_GT(toneShown(w.Chart1->Bitmap()), 1000);
    SaveScreenshot(w, QStringLiteral("graph_spectrum_zoomed"));

    for (auto &side : MaskArray[1])
        side.reset();
    FreePointVerdicts(1);
}

} // namespace
