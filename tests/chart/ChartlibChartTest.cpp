#include "chart/ChartlibChart.h"

#include "chart/Chart.h"
#include "engine/masks/MaskArray.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "support/SaveDialogAnswers.h"
#include "support/TempProgramDir.h"

#include <QImage>
#include <QPrinter>
#include <QtEndian>

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

// One pixel of the 400-pixel plot is a quarter of a unit of a 0..100 axis.
constexpr double PixelTolerance = 0.5;

class ChartlibChart : public ::testing::Test {
protected:
    ChartlibChart() {
        window.setWindowTitle(QStringLiteral("Спектр: 1.2/3,4"));
        // Laid out and drawn like a window on the screen.
        chart = std::make_unique<TChart>();
        chart->resize(480, 360);
        chart->show();
        chart->Repaint();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return int(IdYes);
        });
        SetChartDialogs({AnswerSaveDialogs(requests, chosen),
                         [this](QWidget *, QPrinter &printer) {
                             if (printTo.isEmpty())
                                 return false;
                             printer.setOutputFormat(QPrinter::PdfFormat);
                             printer.setOutputFileName(printTo);
                             return true;
                         },
                         [this](QWidget *, const QColor &initial) {
                             colourOffered = initial;
                             return colourChosen;
                         }});
    }
    ~ChartlibChart() override {
        SetMessageBoxHandler({});
        SetChartDialogs({});
    }

    void Draw(TChartAxis &axis, double minimum, double maximum) {
        axis.SetMinMax(minimum, maximum);
        chart->Repaint();
    }

    TempProgramDir dir;
    QWidget window;
    std::unique_ptr<TChart> chart;
    std::vector<QString> chosen;
    std::vector<TSaveDialogRequest> requests;
    std::vector<MessageRequest> messages;
    QString printTo;
    QColor colourOffered, colourChosen;
};

TEST_F(ChartlibChart, FitAxisToChartGoesBackToTheDrawnRange) {
    chart->RightAxis().SetVisible(true);
    chart->LeftAxis().SetMinMax(0, 100);
    chart->RightAxis().SetMinMax(-50, 50);
    chart->Repaint();
    chart->LeftAxis().SetMinMax(10, 20);
    chart->RightAxis().SetMinMax(1, 2);

    FitAxisToChart(*chart, 0);
    EXPECT_DOUBLE_EQ(chart->LeftAxis().Minimum(), 10);
    EXPECT_DOUBLE_EQ(chart->RightAxis().Minimum(), 1);

    FitAxisToChart(*chart, 1);
    EXPECT_NEAR(chart->LeftAxis().Minimum(), 0, PixelTolerance);
    EXPECT_NEAR(chart->LeftAxis().Maximum(), 100, PixelTolerance);
    EXPECT_DOUBLE_EQ(chart->RightAxis().Minimum(), 1);

    FitAxisToChart(*chart, -1);
    EXPECT_NEAR(chart->RightAxis().Minimum(), -50, PixelTolerance);
    EXPECT_NEAR(chart->RightAxis().Maximum(), 50, PixelTolerance);
}

TEST_F(ChartlibChart, LimitZoomSpanRestoresAZoomAndKeepsAScroll) {
    Draw(chart->BottomAxis(), 0, 100);
    chart->BottomAxis().SetMinMax(40, 42);
    LimitZoomSpan(*chart, 1, 1, 1);
    EXPECT_NEAR(chart->BottomAxis().Minimum(), 0, PixelTolerance);
    EXPECT_NEAR(chart->BottomAxis().Maximum(), 100, PixelTolerance);

    chart->BottomAxis().SetMinMax(101, 103);
    LimitZoomSpan(*chart, 1, 1, 1);
    EXPECT_DOUBLE_EQ(chart->BottomAxis().Minimum(), 98);
    EXPECT_DOUBLE_EQ(chart->BottomAxis().Maximum(), 103);

    // The left axis centres five steps on a previous span that was already too small.
    Draw(chart->LeftAxis(), 10, 12);
    chart->LeftAxis().SetMinMax(10.5, 11);
    LimitZoomSpan(*chart, 1, 1, 1);
    EXPECT_NEAR(chart->LeftAxis().Minimum(), 8.5, 0.05);
    EXPECT_NEAR(chart->LeftAxis().Maximum(), 13.5, 0.05);
}

TEST_F(ChartlibChart, ClampAxesToLimitsSetsTheIncrementOfAClampedAxis) {
    chart->BottomAxis().SetMinMax(-10, 200);
    chart->BottomAxis().SetIncrement(7);
    chart->LeftAxis().SetMinMax(-80, -78);
    chart->RightAxis().SetMinMax(-1000, 1000);
    ClampAxesToLimits(*chart, 2, 0, 100, 5, 5, 1, -70, 0);
    EXPECT_DOUBLE_EQ(chart->BottomAxis().Minimum(), 0);
    EXPECT_DOUBLE_EQ(chart->BottomAxis().Maximum(), 100);
    EXPECT_DOUBLE_EQ(chart->BottomAxis().Increment(), 2);
    EXPECT_DOUBLE_EQ(chart->LeftAxis().Minimum(), -70);
    EXPECT_DOUBLE_EQ(chart->LeftAxis().Maximum(), -65);
    // Equal right limits: the right axis is not kept at all.
    EXPECT_DOUBLE_EQ(chart->RightAxis().Minimum(), -1000);
    EXPECT_DOUBLE_EQ(chart->RightAxis().Maximum(), 1000);
}

TEST_F(ChartlibChart, SetAxisScaleKeepsTheIncrementForANonsenseOne) {
    TChartAxis &axis = chart->BottomAxis();
    for (double increment : {std::numeric_limits<double>::quiet_NaN(), -1.0, std::numeric_limits<double>::infinity()}) {
        axis.SetIncrement(5);
        SetAxisScale(axis, increment, 1, 2);
        EXPECT_DOUBLE_EQ(axis.Increment(), 5);
        EXPECT_DOUBLE_EQ(axis.Minimum(), 1);
        EXPECT_DOUBLE_EQ(axis.Maximum(), 2);
    }
}

struct RangeCase {
    const char *name;
    std::vector<std::tuple<double, double, const char *>> points; // x, y (NaN: AddNull), label
    int gapMode;
    double yMin, yMax, xMin, xMax;
};

constexpr double Gap = std::numeric_limits<double>::quiet_NaN();
constexpr double Sentinel = NoValue;

const RangeCase RangeCases[] = {
    {"plain", {{1, 5, ""}, {2, -3, ""}, {3, 4, ""}}, 0, -3, 5, 1, 3},
    {"NULL points and gaps are skipped",
     {{1, 5, ""}, {2, Gap, ""}, {3, 2, ""}, {4, -50, "NULL"}, {9, 70, "NULL"}},
     0,
     2,
     5,
     1,
     3},
    {"sentinel values are skipped", {{1, Sentinel, ""}, {2, 7, ""}, {3, 6, ""}}, 0, 6, 7, 2, 3},
    {"gap mode 1 leaves -300 out of the minimum", {{1, -300, ""}, {2, -20, ""}, {3, -400, ""}}, 1, -20, -20, 1, 3},
    {"gap mode 0 takes -300", {{1, -300, ""}, {2, -20, ""}}, 0, -300, -20, 1, 2},
    {"other gap modes never lower the minimum", {{1, 3, ""}, {2, 4, ""}}, 2, 1e9, 4, 1, 2},
    {"only gaps", {{4, Gap, ""}, {5, 1, "NULL"}, {8, 2, "NULL"}}, 0, 0, 0, 4, 8},
    {"no points", {}, 0, 1e9, -1e9, Sentinel, Sentinel},
};

class SeriesRange : public ChartlibChart, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(SeriesRange, SkipsGapsAndTheSentinel) {
    const RangeCase &c = GetParam();
    TChartSeries *series = chart->AddSeries(TChartSeries::Style::Line);
    for (const auto &[x, y, label] : c.points) {
        if (std::isnan(y))
            series->AddNull(x);
        else
            series->AddXY(x, y, QString::fromLatin1(label));
    }
    double yMin = 0, yMax = 0, xMin = 0, xMax = 0;
    SeriesValueRange(*series, yMin, yMax, xMin, xMax, c.gapMode);
    EXPECT_DOUBLE_EQ(yMin, c.yMin) << c.name;
    EXPECT_DOUBLE_EQ(yMax, c.yMax) << c.name;
    EXPECT_DOUBLE_EQ(xMin, c.xMin) << c.name;
    EXPECT_DOUBLE_EQ(xMax, c.xMax) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, SeriesRange, ::testing::ValuesIn(RangeCases),
                         [](const auto &info) { return std::to_string(info.index); });

class MaskRange : public ::testing::Test {
protected:
    static constexpr int Slot = 7;
    ~MaskRange() override { FreeAllMasks(); }
    TMASK &Mask(int side, std::vector<TMaskPoint> points, bool active = true) {
        MaskArray[Slot][side] = std::make_unique<TMASK>();
        MaskArray[Slot][side]->Points = std::move(points);
        MaskArray[Slot][side]->Active = active;
        return *MaskArray[Slot][side];
    }
};

TEST_F(MaskRange, InterpolatesWhereTheMaskCrossesTheBounds) {
    // numpy.interp([5, 15], [0, 10, 20], [10, 20, 0]) gives 15 and 10. The point at 10 follows one left
    // of the range, so it stands for the value at the lower bound instead of its own y.
    Mask(MaskUpperSide, {{0, 10}, {10, 20}, {20, 0}, {30, 5}});
    double yMax = -1e9, yMin = 1e9;
    MaskSlotRange(Slot, MaskUpperSide, 5, 15, yMax, yMin);
    EXPECT_DOUBLE_EQ(yMax, 15);
    EXPECT_DOUBLE_EQ(yMin, 10);

    // Points inside count with their own y; numpy.interp(25, [20, 30], [0, 5]) gives 2.5.
    yMax = -1e9, yMin = 1e9;
    MaskSlotRange(Slot, MaskUpperSide, 10, 25, yMax, yMin);
    EXPECT_DOUBLE_EQ(yMax, 20);
    EXPECT_DOUBLE_EQ(yMin, 0);
    // A range between two points takes the value at its upper bound only.
    yMax = -1e9, yMin = 1e9;
    MaskSlotRange(Slot, MaskUpperSide, 22, 25, yMax, yMin);
    EXPECT_DOUBLE_EQ(yMax, 2.5);
    EXPECT_DOUBLE_EQ(yMin, 2.5);
}

TEST_F(MaskRange, SkipsAbsentInactiveAndSentinelValues) {
    double yMin = 0, yMax = 1;
    MaskRangeForAutoY(Slot, 0, 100, yMin, yMax);
    EXPECT_EQ(yMin, 0);
    EXPECT_EQ(yMax, 1);

    Mask(MaskUpperSide, {{0, 50}, {100, 60}}, false);
    Mask(MaskLowerSide, {{0, -20}, {50, Sentinel}, {100, -30}});
    MaskRangeForAutoY(Slot, 0, 100, yMin, yMax);
    EXPECT_EQ(yMin, -30);
    EXPECT_EQ(yMax, 1);

    MaskArray[Slot][MaskUpperSide]->Active = 1;
    yMin = 0, yMax = 1;
    MaskRangeForAutoY(-1, 0, 100, yMin, yMax);
    MaskRangeForAutoY(Slot, Sentinel, 100, yMin, yMax);
    EXPECT_EQ(yMin, 0);
    EXPECT_EQ(yMax, 1);
    MaskRangeForAutoY(Slot, 0, 100, yMin, yMax);
    EXPECT_EQ(yMin, -30);
    EXPECT_EQ(yMax, 60);
}

// ---- pictures ----

quint32 Le32(const QByteArray &bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
quint16 Le16(const QByteArray &bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// The first entry of the first quantisation table of a baseline JPEG.
int FirstQuantisationValue(const QByteArray &jpeg) {
    const qsizetype at = jpeg.indexOf(QByteArray("\xFF\xDB", 2));
    return at < 0 || at + 5 >= jpeg.size() ? -1 : quint8(jpeg[at + 5]);
}

int Distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

TEST_F(ChartlibChart, JpegHasABlackFrameSixteenColoursAndQuality90) {
    // Of the 16 system colours (230, 235, 225) is nearest to white: 1925 in squared distance against
    // silver's 4382 (numpy over the palette).
    chart->SetBackColor(QColor(230, 235, 225));
    chosen = {dir.path("a.jpg")};
    SaveChartPicture(&window, *chart);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].fileName, QStringLiteral("Спектр_ 1_2_3_4"));
    EXPECT_EQ(requests[0].folder, dir.path() + QStringLiteral("Picture"));
    EXPECT_EQ(requests[0].filters, (QStringList{QStringLiteral("(*.jpg)"), QStringLiteral("(*.bmp)"),
                                                QStringLiteral("(*.emf)"), QStringLiteral("(*.wmf)")}));
    const QByteArray bytes = dir.read("a.jpg");
    ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
    // IJG scaling at quality 90: the luminance table's first entry 16 becomes (16 * 20 + 50) / 100 = 3.
    EXPECT_EQ(FirstQuantisationValue(bytes), 3);

    const QImage image = QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), chart->size());
    const int w = image.width(), h = image.height();
    for (const QPoint p :
         {QPoint(0, 0), QPoint(w / 2, 0), QPoint(w - 1, h / 2), QPoint(w / 2, h - 1), QPoint(0, h / 3)})
        EXPECT_LE(Distance(image.pixel(p), qRgb(0, 0, 0)), 48) << p.x() << "," << p.y();
    // The plot's background is a flat area of the reduced colour.
    const QRect plot = chart->ChartRect();
    const QPoint inside(plot.left() + plot.width() / 3, plot.top() + plot.height() / 3);
    EXPECT_LE(Distance(image.pixel(inside), qRgb(255, 255, 255)), 12);
}

TEST_F(ChartlibChart, EveryPictureFormatIsWrittenWhateverTheCaseOfItsExtension) {
    chosen = {dir.path("b.BMP"), dir.path("c.Emf"), dir.path("d.wmf"), dir.path("e.JPG")};
    for (int i = 0; i < 4; ++i)
        SaveChartPicture(&window, *chart);
    EXPECT_TRUE(messages.empty());

    const QByteArray bmp = dir.read("b.BMP");
    ASSERT_TRUE(bmp.startsWith("BM"));
    EXPECT_EQ(QImage::fromData(bmp).size(), chart->size());
    EXPECT_TRUE(dir.read("e.JPG").startsWith("\xFF\xD8"));

    // EMF: a header record with the " EMF" signature, records that fill the file exactly, EOF last.
    const QByteArray emf = dir.read("c.Emf");
    ASSERT_GE(emf.size(), 108);
    EXPECT_EQ(Le32(emf, 0), 1u);
    EXPECT_EQ(Le32(emf, 40), 0x464D4520u);
    EXPECT_EQ(Le32(emf, 48), quint32(emf.size()));
    qsizetype at = 0;
    quint32 lastType = 0, records = 0;
    while (at + 8 <= emf.size() && Le32(emf, at + 4) >= 8) {
        lastType = Le32(emf, at);
        at += Le32(emf, at + 4);
        ++records;
    }
    EXPECT_EQ(at, emf.size());
    EXPECT_EQ(lastType, 14u);
    EXPECT_EQ(Le32(emf, 52), records);

    // WMF: the placeable header's key and checksum, a 9-word metafile header, records in words, end record.
    const QByteArray wmf = dir.read("d.wmf");
    ASSERT_GE(wmf.size(), 40);
    EXPECT_EQ(Le32(wmf, 0), 0x9AC6CDD7u);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= Le16(wmf, 2 * i);
    EXPECT_EQ(Le16(wmf, 20), sum);
    EXPECT_EQ(Le16(wmf, 24), 9u);
    EXPECT_EQ(Le32(wmf, 28) * 2 + 22, quint32(wmf.size()));
    at = 22 + 18;
    quint16 lastFunction = 0xFFFF;
    while (at + 6 <= wmf.size() && Le32(wmf, at) >= 3) {
        lastFunction = Le16(wmf, at + 4);
        at += qsizetype(Le32(wmf, at)) * 2;
    }
    EXPECT_EQ(at, wmf.size());
    EXPECT_EQ(lastFunction, 0u);
}

TEST_F(ChartlibChart, OtherExtensionsCancelAndFailuresWriteNothing) {
    std::vector<bool> pauses;
    SetPauseHandler([&pauses](bool on) { pauses.push_back(on); });
    chosen = {dir.path("f.png")};
    {
        TPauseScope pause;
        SaveChartPicture(&window, *chart);
        SaveChartPicture(&window, *chart); // cancelled
    }
    SetPauseHandler({});
    EXPECT_EQ(pauses, (std::vector<bool>{true, false}));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(messages.empty());

    chosen = {dir.path("missing/g.jpg")};
    SaveChartPicture(&window, *chart);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Не могу открыть файл ") + dir.path("missing/g.jpg"));
}

TEST_F(ChartlibChart, ExistingPictureIsOverwrittenAfterYes) {
    dir.write("h.bmp", "old");
    chosen = {dir.path("h.bmp")};
    SaveChartPicture(&window, *chart);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(dir.read("h.bmp").startsWith("BM"));
}

// ---- printing and colour ----

TEST_F(ChartlibChart, PrintedBitmapKeepsItsScreenSizeWithinThePage) {
    struct Case {
        QSize bitmap;
        int top;
        QRect expected;
    };
    // A4 at 600 dpi (4960 × 7016), screen at 96 dpi: 6.25 printer dots per pixel; at most 3968 dots wide.
    const Case cases[] = {
        {{400, 300}, 500, {496, 500, 2500, 1875}},  {{1000, 300}, 500, {496, 500, 3968, 1190}},
        {{300, 1200}, 500, {496, 500, 1629, 6516}}, {{0, 300}, 500, {496, 500, 0, 0}},
        {{400, 300}, 8000, {496, 8000, 0, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(PrintedBitmapRect(c.bitmap, {96, 96}, {600, 600}, {4960, 7016}, c.top), c.expected)
            << c.bitmap.width() << "x" << c.bitmap.height();
}

TEST_F(ChartlibChart, PrintWritesAPageWithTheChartAndCancelPrintsNothing) {
    PrintChart(&window, *chart, {QStringLiteral("Генератор   : SIN")});
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());

    printTo = dir.path("page.pdf");
    PrintChart(&window, *chart, {QStringLiteral("Генератор   : SIN"), QStringLiteral("Измеритель  : ON")});
    const QByteArray pdf = dir.read("page.pdf");
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), 1);
    EXPECT_TRUE(pdf.contains("/Subtype /Image"));
}

TEST_F(ChartlibChart, BackgroundColourFollowsTheDialog) {
    chart->SetBackColor(QColor(10, 20, 30));
    colourChosen = QColor();
    ChooseChartBackColor(&window, *chart);
    EXPECT_EQ(colourOffered, QColor(10, 20, 30));
    EXPECT_EQ(chart->BackColor(), QColor(10, 20, 30));
    colourChosen = QColor(1, 2, 3);
    ChooseChartBackColor(&window, *chart);
    EXPECT_EQ(chart->BackColor(), QColor(1, 2, 3));
}

} // namespace
