#include "views/Form_colorgraph.h"

#include "chart/ChartSeries.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/DeviceSettings.h"
#include "support/Screenshot.h"
#include "views/Fgraph.h"
#include "views/masks/ColourSwatch.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <memory>

// What the dialog knows of a time diagram: its class name.
class TForm_TimeDiagram : public QWidget {
    Q_OBJECT
};

namespace {

class GraphColourDialog : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        saved = *DeviceSettings;
        DeviceSettings->SampleRate = 2560;
        DeviceSettings->AdcSize = 2048;
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        TColourSwatch::AskColour = [this](QWidget *, const QColor &) { return chosen; };
    }
    void TearDown() override {
        window.reset();
        TColourSwatch::AskColour = {};
        *DeviceSettings = saved;
    }

    TForm_Graphic &Open(int kind) {
        window = std::make_unique<TForm_Graphic>(kind);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        return *window;
    }

    TDeviceSettings saved{};
    std::unique_ptr<TForm_Graphic> window;
    QColor chosen;
};

// The spectrum offers the band and the recognised signal, whose colours go back to its window.
TEST_F(GraphColourDialog, SpectrumHasThreeSwatches) {
    TForm_Graphic &graph = Open(1);
    graph.BandColour = 0x0000FF;
    graph.ToneColour = 0xFF0000;
    TForm_Color dialog(&graph);
    dialog.Series = graph.Series();
    dialog.Setup(1, &graph);
    EXPECT_EQ(dialog.IsTimeDiagram, TForm_Color::OwnerKind::GraphWindow);
    for (QWidget *swatch : {static_cast<QWidget *>(dialog.Shape1), static_cast<QWidget *>(dialog.Shape2),
                            static_cast<QWidget *>(dialog.Shape3)})
        EXPECT_TRUE(swatch->isEnabled());
    EXPECT_EQ(dialog.Shape2->Colour(), 0x0000FF);
    EXPECT_EQ(dialog.Shape3->Colour(), 0xFF0000);
    EXPECT_FALSE(dialog.CSEdit_Width->isEnabled());
    dialog.show();
    SaveScreenshot(dialog, QStringLiteral("graph_colour_dialog"));

    const int widthBefore = graph.Series()->LineWidth();
    chosen = QColor(0, 0x80, 0);
    QTest::mouseClick(dialog.Shape2, Qt::LeftButton);
    dialog.BitBtn1Click();
    EXPECT_EQ(graph.BandColour, 0x008000);
    EXPECT_EQ(graph.ToneColour, 0xFF0000);
    EXPECT_EQ(graph.Series()->LineWidth(), widthBefore);
    EXPECT_TRUE(graph.Series()->PenVisible());
}

// A plain graph offers one swatch and its width; width 0 hides the line and shows markers of size 3.
TEST_F(GraphColourDialog, WidthZeroShowsThePointsOnly) {
    TForm_Graphic &graph = Open(5);
    TChartSeries &series = *graph.Series();
    series.SetLineWidth(2);
    TForm_Color dialog(&graph);
    dialog.Series = &series;
    dialog.Setup(5, &graph);
    EXPECT_TRUE(dialog.Shape1->isEnabled());
    EXPECT_FALSE(dialog.Shape2->isEnabled());
    EXPECT_FALSE(dialog.Shape3->isEnabled());
    EXPECT_TRUE(dialog.CSEdit_Width->isEnabled());
    EXPECT_EQ(dialog.CSEdit_Width->value(), 2);

    chosen = QColor(0x11, 0x22, 0x33);
    QTest::mouseClick(dialog.Shape1, Qt::LeftButton);
    dialog.CSEdit_Width->setValue(0);
    dialog.CBox_Marker->setChecked(false);
    dialog.Point_ComboBox->setCurrentIndex(6);
    dialog.CBox_Mark->setChecked(true);
    dialog.RadioButton6->setChecked(true);
    dialog.BitBtn1Click();

    EXPECT_EQ(series.Color(), QColor(0x11, 0x22, 0x33));
    EXPECT_EQ(graph.ToneColour, 0x332211);
    EXPECT_FALSE(series.PenVisible());
    EXPECT_TRUE(series.PointerVisible());
    EXPECT_EQ(series.PointerSize(), 3);
    EXPECT_EQ(series.Pointer(), TChartSeries::PointerStyle::Star);
    EXPECT_TRUE(series.MarksVisible());
    EXPECT_EQ(series.MarksStyle(), TChartSeries::MarksXValue);
}

TEST_F(GraphColourDialog, TimeDiagramLineTakesItsWidthAndMarkerSize) {
    TForm_Graphic &graph = Open(5); // lends its series
    TChartSeries &series = *graph.Series();
    series.SetLineWidth(1);
    TForm_TimeDiagram diagram;
    TForm_Color dialog(&diagram);
    dialog.Series = &series;
    dialog.Setup(3, &diagram);
    EXPECT_EQ(dialog.IsTimeDiagram, TForm_Color::OwnerKind::TimeDiagram);
    EXPECT_TRUE(dialog.CSEdit_Width->isEnabled());
    EXPECT_EQ(dialog.CSEdit_Width->value(), 1);
    dialog.CSEdit_Width->setValue(4);
    dialog.CBox_Marker->setChecked(true);
    dialog.Point_ComboBox->setCurrentIndex(1);
    const int32_t tone = graph.ToneColour;
    dialog.BitBtn1Click();
    EXPECT_EQ(series.LineWidth(), 4);
    EXPECT_TRUE(series.PenVisible());
    EXPECT_EQ(series.PointerSize(), 5);
    EXPECT_EQ(series.Pointer(), TChartSeries::PointerStyle::Circle);
    EXPECT_EQ(graph.ToneColour, tone); // the graph window was not the owner
}

} // namespace

#include "Form_colorgraphTest.moc"
