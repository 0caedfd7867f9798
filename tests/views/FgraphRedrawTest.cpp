// When a graph window draws what the blocks bring: once per turn of the event loop however many blocks came
// in it, never while it cannot be seen, once when it can be seen again, and pictures always of the current
// data.
#include "GraphWindowFixture.h"

#include "chart/Chart.h"

#include <QApplication>
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
    QApplication::processEvents();
    EXPECT_EQ(drawings, 1);
    EXPECT_DOUBLE_EQ(Shown(w), -26);
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

} // namespace
