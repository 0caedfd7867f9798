#include "views/Scalelabel.h"
#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/PointVerdicts.h"
#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "support/Screenshot.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <map>
#include <vector>

namespace {

constexpr int32_t SinKind = 1;
constexpr int32_t SinLevelRow = 5; // "СКО_уровня,дБ", the one row whose value window starts switched on

// The catalogue and the engine's arrays in a fresh program folder, with the message boxes caught.
class ValueWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamCatalogue();
        saved = *DeviceSettings;
        savedInstance = InstanceNumber;
        DeviceSettings->AdcSize = 2048;
        ASSERT_GT(AllocAnalysisBuffers(false), 0);
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return int(IdOk);
        });
        ScaleLabelHost.ShowParams = [this] { ++paramRefreshes; };
        ScaleLabelHost.RemoveWindowMenuItem = [this](QWidget *window) { removedItems.push_back(window); };
    }
    void TearDown() override {
        for (QPointer<QWidget> &slot : ScaleLabelWindows)
            delete slot.data();
        ScaleLabelHost = {};
        SetMessageBoxHandler({});
        FreePointVerdicts(PointSlot);
        FreeAnalysisBuffers();
        SignalKind = 0;
        *DeviceSettings = saved;
        InstanceNumber = savedInstance;
        NowStamp = 0;
    }

    static ParamDescriptor &SinRow(int32_t row) { return ParameterTableOf(SinKind).Rows[row]; }
    static QString SinName(int32_t row) { return QStringLiteral("SIN:") + QString::fromUtf8(SinRow(row).Caption); }
    static TFormScaleLabel *Window(int slot) {
        return qobject_cast<TFormScaleLabel *>(ScaleLabelWindows[std::size_t(slot)].data());
    }
    static int OpenCount() {
        int n = 0;
        for (const QPointer<QWidget> &slot : ScaleLabelWindows)
            n += !slot.isNull();
        return n;
    }
    static bool IsRed(const QLabel *label) { return label->palette().color(QPalette::WindowText) == QColor(Qt::red); }

    static constexpr int32_t PointSlot = 1; // the SIN spectrum's verdicts, one per display point

    TempProgramDir dir;
    TDeviceSettings saved{};
    int32_t savedInstance = 1;
    std::vector<MessageRequest> messages;
    std::vector<QWidget *> removedItems;
    int paramRefreshes = 0;
};

TEST_F(ValueWindowTest, TheFirstWindowTakesTheLastSlotAndAParameterHasOneWindow) {
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    TFormScaleLabel *window = Window(9);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->property("Tag").toInt(), 90);
    EXPECT_EQ(window->Slot, 9);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("SIN:СКО_уровня,дБ - Текстовое окно"));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("SIN:СКО_уровня,дБ"));
    EXPECT_EQ(window->Key, &SinRow(SinLevelRow).Settings.TextWindow);
    EXPECT_EQ(window->IndexNorm, -1);
    EXPECT_EQ(window->IndexValue, -1);
    EXPECT_EQ(window->IndexMask, -1);
    EXPECT_EQ(window->FormIndexPar, -1);

    // Asked again, the same window comes up; a graph point gets the next slot down, and the same point
    // again raises that one.
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    EXPECT_EQ(OpenCount(), 1);
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("Сел.уровни 1.25 кГц"), 0, 0, 1, -1));
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("Сел.уровни 1.25 кГц"), 0, 0, 1, -1));
    EXPECT_EQ(OpenCount(), 2);
    ASSERT_NE(Window(8), nullptr);
    EXPECT_EQ(Window(8)->property("Tag").toInt(), 89);
    EXPECT_EQ(Window(8)->Key, nullptr);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ValueWindowTest, AnEleventhWindowIsRefusedWithAMessage) {
    for (int32_t row = 2; row < 12; ++row)
        ASSERT_TRUE(ShowParamScaleLabel(SinName(row), SinKind, row)) << row;
    EXPECT_EQ(OpenCount(), 10);
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(ShowParamScaleLabel(SinName(12), SinKind, 12));
    EXPECT_EQ(OpenCount(), 10);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Много открытых текстовых окон!"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("Внимание!"));
    EXPECT_EQ(messages[0].icon, MsgIcon::Warning);
    // A freed slot is taken again: the windows went into slots 9 down to 0.
    Window(4)->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(ShowParamScaleLabel(SinName(12), SinKind, 12));
    EXPECT_EQ(Window(4)->TableRow, 12);
}

TEST_F(ValueWindowTest, ARowThatDoesNotExistOpensNothing) {
    EXPECT_FALSE(ShowParamScaleLabel(QStringLiteral("x"), SinKind, ParamTableRowCounts[SinKind]));
    EXPECT_FALSE(ShowParamScaleLabel(QStringLiteral("x"), 0, 2));
    EXPECT_EQ(OpenCount(), 0);
}

// The value as it stands in the row after each frame, and its verdict's colour.
TEST_F(ValueWindowTest, TheValueFollowsItsRowAndTurnsRedOutOfNorm) {
    struct Case {
        float value;
        uint8_t verdict;
        const char *text;
        bool red;
    } const cases[] = {
        {3.25f, ParamPassed, "3.25", false},           {-40.5f, ParamFailed, "-40.50", true},
        {12.0f, ParamNotJudged, "12.00", false},       {NoValue, ParamPassed, "Не измеряется", false},
        {NoValue, ParamFailed, "Не измеряется", true},
    };
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    TFormScaleLabel *window = Window(9);
    for (const Case &c : cases) {
        SinRow(SinLevelRow).Result.Value = c.value;
        SinRow(SinLevelRow).Result.Verdict = c.verdict;
        UpdateScaleLabels();
        EXPECT_EQ(window->Label2->text(), QString::fromUtf8(c.text)) << c.value;
        EXPECT_EQ(IsRed(window->Label2), c.red) << c.value << " " << int(c.verdict);
        // The window is as wide as its wider label and five pixels more.
        EXPECT_EQ(window->width(),
                  std::max(window->Label1->sizeHint().width(), window->Label2->sizeHint().width()) + 5);
    }
}

// A graph point reads its curve and its point verdict at every update, within their present bounds.
TEST_F(ValueWindowTest, AGraphPointReadsItsCurveAndVerdictWithinBounds) {
    EngineBuffers.DisplayPointCount = 100;
    for (int i = 0; i < 100; ++i) {
        EngineBuffers.FrequencyAxis[i] = 1.25f * float(i);
        EngineBuffers.PowerSpectrum[i] = -50.0f - float(i);
    }
    // Point 9 of the spectrum is display point 10 (the curve starts at the second point).
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("Сел.уровни 12.5 кГц"), 9, 9, 1, PointSlot));
    TFormScaleLabel *window = Window(9);
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Не измеряется")) << "nothing measured the spectrum yet";
    ParamSettings &spectrumRow = *GraphParamSettings[1][SinKind];
    spectrumRow.Analyse = 0;
    SignalKind = SinKind;
    UpdateScaleLabels();
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Не измеряется")) << "the spectrum row is not analysed";
    spectrumRow.Analyse = 1;
    UpdateScaleLabels();
    EXPECT_EQ(window->Label2->text(), QStringLiteral("-60.00"));
    EXPECT_FALSE(IsRed(window->Label2)) << "a slot without verdicts leaves the value white";

    PointVerdicts[PointSlot] = std::make_unique<uint8_t[]>(std::size_t(PointVerdictSize(PointSlot)));
    const struct {
        uint8_t verdict;
        bool red;
    } verdicts[] = {{1, false}, {0, true}, {255, true}, {3, false}};
    for (const auto &v : verdicts) {
        PointVerdicts[PointSlot][9] = v.verdict;
        UpdateScaleLabels();
        EXPECT_EQ(IsRed(window->Label2), v.red) << int(v.verdict);
    }

    // The curve shrinks below the point: not measured, no stale number.
    EngineBuffers.DisplayPointCount = 5;
    UpdateScaleLabels();
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Не измеряется"));
    // The verdict array goes away (the mask was removed): the value is judged by nothing.
    EngineBuffers.DisplayPointCount = 100;
    EngineBuffers.PowerSpectrum[10] = -1.5f;
    FreePointVerdicts(PointSlot);
    UpdateScaleLabels();
    EXPECT_EQ(window->Label2->text(), QStringLiteral("-1.50"));
    EXPECT_FALSE(IsRed(window->Label2));
    // A settling block: the spectrum is not measured now.
    SignalKind = 0;
    UpdateScaleLabels();
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Не измеряется"));
}

TEST_F(ValueWindowTest, ADoubleClickWritesTheValueFile) {
    InstanceNumber = 2;
    NowStamp = EncodeDate(2026, 12, 11) + EncodeTime(1, 2, 3, 0);
    SinRow(SinLevelRow).Result.Value = 3.25f;
    SinRow(SinLevelRow).Result.Verdict = ParamPassed;
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    TFormScaleLabel *window = Window(9);
    // Either label passes the double click on to the window.
    QTest::mouseDClick(window->Label2, Qt::LeftButton);
    const QString file = QStringLiteral("Report/Temp2/SIN=СКО_уровня,дБ");
    EXPECT_EQ(dir.read(file), ToCp1251(QStringLiteral("11.12.2026 01:02:03\r\n=3.25\r\n \r\n")));

    // Written anew, with the sentinel's text.
    SinRow(SinLevelRow).Result.Value = NoValue;
    UpdateScaleLabels();
    QTest::mouseDClick(window->Label1, Qt::LeftButton);
    EXPECT_EQ(dir.read(file), ToCp1251(QStringLiteral("11.12.2026 01:02:03\r\n=Не измеряется\r\n \r\n")));
    EXPECT_TRUE(messages.empty());
}

// A name with characters no file name may hold still gives a file in the folder, not a path elsewhere.
TEST_F(ValueWindowTest, TheValueFileNameStaysInItsFolder) {
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("A/B*?:\"<c>|\\d"), 0, 0, 1, -1));
    Window(9)->FormDblClick();
    EXPECT_FALSE(dir.read(QStringLiteral("Report/Temp1/A_B__=__c___d")).isEmpty());
    EXPECT_TRUE(messages.empty());

    // While a batch runs, the batch's result folder takes the file.
    ScaleLabelHost.BatchResultFolder = [this] { return dir.path(QStringLiteral("Batch/Result")); };
    Window(9)->FormDblClick();
    EXPECT_FALSE(dir.read(QStringLiteral("Batch/Result/A_B__=__c___d")).isEmpty());
}

TEST_F(ValueWindowTest, ClosingClearsTheSlotAndTheRowsSwitch) {
    ParamSettings &settings = SinRow(SinLevelRow).Settings;
    settings.TextWindow = 1;
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("point"), 0, 0, 1, -1));
    QPointer<QWidget> parameter = Window(9);
    QPointer<QWidget> point = Window(8);
    ASSERT_TRUE(parameter->close());
    EXPECT_TRUE(ScaleLabelWindows[9].isNull());
    EXPECT_EQ(settings.TextWindow, 0);
    EXPECT_EQ(paramRefreshes, 1);
    ASSERT_EQ(removedItems.size(), 1u);
    EXPECT_EQ(removedItems[0], parameter.data());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(parameter.isNull()) << "a closed window is freed";

    // A point's window touches no row.
    ASSERT_TRUE(point->close());
    EXPECT_TRUE(ScaleLabelWindows[8].isNull());
    EXPECT_EQ(paramRefreshes, 1);
    EXPECT_EQ(removedItems.size(), 2u);
}

// The placement is kept in R9.ini under the caption and comes back with the next window of the value.
TEST_F(ValueWindowTest, ThePlacementIsKeptUnderTheCaption) {
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    Window(9)->move(40, 30);
    Window(9)->resize(Window(9)->width(), 180);
    Window(9)->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(FromCp1251(dir.read(QStringLiteral("R9.ini")))
                    .contains(QStringLiteral("[SIN:СКО_уровня,дБ - Текстовое окно]")));
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    EXPECT_EQ(Window(9)->height(), 180);
}

TEST_F(ValueWindowTest, Picture) {
    SinRow(SinLevelRow).Result.Value = -12.75f;
    SinRow(SinLevelRow).Result.Verdict = ParamFailed;
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    ASSERT_TRUE(ShowPointScaleLabel(QStringLiteral("Сел.уровни 12.5 кГц"), 9, 9, 1, -1));
    Window(9)->resize(Window(9)->width(), 120);
    Window(8)->resize(Window(8)->width(), 80);
    SaveScreenshot(*Window(9), QStringLiteral("value_window_failed"));
    SaveScreenshot(*Window(8), QStringLiteral("value_window_not_measured"));
    EXPECT_EQ(Window(8)->Label2->text(), QStringLiteral("Не измеряется"));
}

// Counts the layout requests that reach the watched widgets.
class LayoutRequestCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        count += event->type() == QEvent::LayoutRequest;
        return false;
    }
};

// Value windows as the main window holds them: children of an MDI area, as wide as its client at most.
class ValueWindowInMdiTest : public ValueWindowTest {
protected:
    void SetUp() override {
        ValueWindowTest::SetUp();
        area.resize(1200, 700);
        area.show();
        ScaleLabelHost.Place = [this](QWidget *window, int) { area.addSubWindow(window)->show(); };
        ScaleLabelHost.ClientWidth = [this] { return area.width(); };
    }
    void TearDown() override {
        ValueWindowTest::TearDown();
        area.closeAllSubWindows();
    }
    // Shows each value in turn, with the events of each update handled before the next.
    static void ShowValues(const std::vector<float> &values) {
        for (const float value : values) {
            SinRow(SinLevelRow).Result.Value = value;
            UpdateScaleLabels();
            QApplication::processEvents();
        }
    }
    QMdiArea area;
};

// A new value whose text is as wide as the last one leaves the sub-window and the area unlaid.
TEST_F(ValueWindowInMdiTest, AValueOfTheSameWidthLaysNothingOutAgain) {
    SinRow(SinLevelRow).Result.Value = 11.25f;
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    TFormScaleLabel *window = Window(9);
    auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    ASSERT_NE(frame, nullptr);
    QApplication::processEvents();
    const std::vector<float> values = {22.25f, 33.25f, 44.25f, 55.25f, 66.25f, 77.25f, 88.25f, 99.25f};
    // The digits of the value font are equally wide, or the case would not show what it claims.
    const QFontMetrics metrics(window->Label2->font());
    for (const float value : values)
        ASSERT_EQ(metrics.horizontalAdvance(FormatValue(value)), metrics.horizontalAdvance(QStringLiteral("11.25")));
    const QSize frameSize = frame->size();
    LayoutRequestCounter counter;
    frame->installEventFilter(&counter);
    area.installEventFilter(&counter);
    area.viewport()->installEventFilter(&counter);
    window->installEventFilter(&counter);
    ShowValues(values);
    EXPECT_EQ(window->Label2->text(), QStringLiteral("99.25"));
    EXPECT_EQ(counter.count, 0);
    EXPECT_EQ(frame->size(), frameSize);
}

// The window keeps the width of its text: after many updates it is as wide as after the first, and a
// wider text widens it, a narrower one narrows it back, each by what the text needs.
TEST_F(ValueWindowInMdiTest, TheWidthFollowsTheTextAndDoesNotCreep) {
    SinRow(SinLevelRow).Result.Value = 1.25f;
    ASSERT_TRUE(ShowParamScaleLabel(SinName(SinLevelRow), SinKind, SinLevelRow));
    TFormScaleLabel *window = Window(9);
    auto *frame = qobject_cast<QMdiSubWindow *>(window->parentWidget());
    ASSERT_NE(frame, nullptr);
    window->Label1->setText(QStringLiteral("a")); // a short name, so that the value decides the width
    std::map<QString, QSize> sizes;               // the window's size for each text, as first seen
    const std::vector<float> values = {-123456.75f, 1.25f, 22.5f, -123456.75f, 1.25f};
    for (int round = 0; round < 20; ++round)
        for (const float value : values) {
            ShowValues({value});
            const auto [seen, first] = sizes.emplace(window->Label2->text(), window->size());
            EXPECT_EQ(window->size(), seen->second) << round << " " << value;
            EXPECT_EQ(window->width(),
                      std::max(window->Label1->sizeHint().width(), window->Label2->sizeHint().width()) + 5);
        }
    EXPECT_GT(sizes.at(FormatValue(-123456.75f)).width(), sizes.at(FormatValue(1.25f)).width());
    // The digits still fill six tenths of the height.
    EXPECT_EQ(window->Label2->font().pixelSize(), int(window->height() * 0.6));
}

} // namespace
