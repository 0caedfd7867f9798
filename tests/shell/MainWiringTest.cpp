#include "MainFixture.h"

#include "chart/ChartlibChart.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/StringTable.h"
#include "shell/StatusBar2.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

class MainWiringTest : public MainWindowTest {};

QImage ImageOf(const QPixmap &pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage IconImage(const QToolButton *button, const TImageList &list, int index) {
    return ImageOf(button->icon().pixmap(list.Image(index).size()));
}

// The extension button a tool bar shows when its buttons do not fit.
bool Overflows(const QToolBar *bar) {
    const auto *extension = bar->findChild<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"));
    return extension && extension->isVisible();
}

TEST_F(MainWiringTest, TheConnectionShowsItsCountersOnTheWindowsPanels) {
    Start();
    ASSERT_NE(ConnectionView(), nullptr);
    for (const char *name : {"Panel_RecvErrCnt", "Panel_SendErrCnt", "Panel_RecvReqCnt", "Panel_SendReqCnt",
                             "Panel_ComRdErrCnt", "Panel_ComWrErrCnt"}) {
        const auto *panel = window->findChild<QLabel *>(QLatin1String(name));
        ASSERT_NE(panel, nullptr) << name;
        ConnectionView()->SetCounterPanel(QLatin1String(name), QStringLiteral("17"));
        EXPECT_EQ(panel->text(), QStringLiteral("17")) << name;
    }
    window.reset();
    EXPECT_EQ(ConnectionView(), nullptr);
}

TEST_F(MainWiringTest, AnOutgoingMessageLocksTheSettingsUntilItIsTakenBack) {
    TMainForm &form = Start();
    ASSERT_TRUE(ShowMessageTransfer);
    ShowMessageTransfer(true);
    EXPECT_FALSE(form.StatusBar2->isEnabled());
    EXPECT_EQ(form.StatusBar2->PanelText(3), LoadStr(164));
    EXPECT_EQ(form.TransferProgress, 1);
    ShowMessageTransfer(false);
    EXPECT_TRUE(form.StatusBar2->isEnabled());
    EXPECT_TRUE(form.StatusBar2->PanelText(3).isEmpty());
    EXPECT_EQ(form.TransferProgress, -1);
    window.reset();
    EXPECT_FALSE(ShowMessageTransfer);
}

// The file commands of the chart windows hold Pause down while their dialog is open; a pause the user
// made stays after them.
TEST_F(MainWiringTest, TheFileCommandsPressAndReleasePause) {
    TMainForm &form = Start();
    form.Button_Stop->setEnabled(true);
    {
        const TPauseScope pause;
        EXPECT_TRUE(form.Button_Stop->isChecked());
    }
    EXPECT_FALSE(form.Button_Stop->isChecked());
    form.Button_Stop->click();
    ASSERT_TRUE(form.Button_Stop->isChecked());
    { const TPauseScope pause; }
    EXPECT_TRUE(form.Button_Stop->isChecked());
}

TEST_F(MainWiringTest, ButtonsShowTheImageTheirIndexNames) {
    TMainForm &form = Start();
    const TMainImages &images = form.ImageLists;
    const struct {
        const char *list;
        const TImageList &images;
        int count;
    } lists[] = {{"StartStop", images.ImageList_StartStop, 4},
                 {"Gen", images.ImageList_Gen, 4},
                 {"Power", images.ImageList_Power, 7},
                 {"Progress", images.ImageList_Progress, 6}};
    for (const auto &list : lists) {
        ASSERT_EQ(list.images.Count(), list.count) << list.list;
        for (int i = 0; i < list.count; ++i)
            for (int j = i + 1; j < list.count; ++j)
                EXPECT_NE(ImageOf(list.images.Image(i)), ImageOf(list.images.Image(j))) << list.list << i << j;
    }
    for (int state = 0; state < 7; ++state)
        EXPECT_EQ(ImageOf(images.ImageList_Buttons.Image(state + 9)), ImageOf(images.ImageList_Power.Image(state)));

    const struct {
        QToolButton *button;
        const TImageList &list;
        int index;
    } shown[] = {{form.Button_Start, images.ImageList_StartStop, 0}, {form.Button_Start, images.ImageList_StartStop, 1},
                 {form.Button_Stop, images.ImageList_StartStop, 2},  {form.Button_Stop, images.ImageList_StartStop, 3},
                 {form.Button_Gen, images.ImageList_Gen, 3},         {form.Button_Power, images.ImageList_Buttons, 13}};
    for (const auto &c : shown) {
        c.button->setProperty("ImageIndex", c.index);
        EXPECT_EQ(IconImage(c.button, c.list, c.index), ImageOf(c.list.Image(c.index)))
            << c.button->objectName().toStdString() << " " << c.index;
    }
    // A running measurement blinks Start from one image to the other.
    form.Button_Start->setChecked(true);
    form.Button_Start->setProperty("ImageIndex", 0);
    form.Timer1Timer();
    form.Timer1->stop();
    EXPECT_EQ(IconImage(form.Button_Start, images.ImageList_StartStop, 1),
              ImageOf(images.ImageList_StartStop.Image(1)));
}

// The status bar draws the transfer step and the power state from their image lists.
TEST_F(MainWiringTest, TheStatusBarDrawsProgressAndPowerImages) {
    TMainForm &form = Start();
    form.resize(1000, 600);
    form.show();
    QApplication::processEvents();
    form.StatusBar2->SetPanelText(3, LoadStr(164));
    form.TransferProgress = 3;
    form.PowerWatch.BatteryIcon = 4;
    const QImage bar = form.StatusBar2->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    // The panels draw inside their frame; the image is centred in that height and clipped to it.
    const auto drawnAt = [&bar](const QPixmap &image, const QRect &panel, int left) {
        const QImage expected = ImageOf(image);
        const QRect inner = panel.adjusted(1, 1, -1, -1);
        const int top = inner.top() + (inner.height() - expected.height()) / 2;
        // Transparent pixels of the image show the panel beneath; the opaque ones must be the image's.
        int compared = 0;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                if (qAlpha(expected.pixel(x, y)) == 255 && inner.contains(left + x, top + y)) {
                    ++compared;
                    if (bar.pixel(left + x, top + y) != expected.pixel(x, y))
                        return false;
                }
        return compared > 0;
    };
    const QRect panel3 = form.StatusBar2->PanelRect(3);
    const QRect panel4 = form.StatusBar2->PanelRect(4);
    EXPECT_TRUE(drawnAt(form.ImageLists.ImageList_Progress.Image(3), panel3, panel3.right() - 1 - 66));
    EXPECT_TRUE(drawnAt(form.ImageLists.ImageList_Power.Image(4), panel4, panel4.left() + 1 + 2));
}

TEST_F(MainWiringTest, ToolBarsAndSummariesShowTheirButtonsWhole) {
    TMainForm &form = Start();
    form.resize(1600, 900);
    form.show();
    for (int page = 0; page < form.PageControl1->count(); ++page) {
        form.PageControl1->setCurrentIndex(page);
        QApplication::processEvents();
        QToolBar *bar = form.PageControl1->widget(page)->findChild<QToolBar *>();
        ASSERT_NE(bar, nullptr);
        EXPECT_FALSE(Overflows(bar)) << bar->objectName().toStdString();
    }
    const QString generator = QStringLiteral("150.00 Ом\\SIN\\0.00 дБм0\\41.3 кГц");
    const QString meter = QStringLiteral("150.00 Ом\\Нет данных!\\50.00 дБм0\\0.625-256 кГц\\00:00");
    ConnectionView()->SetGeneratorSummary(generator, 1);
    ConnectionView()->SetMeterSummary(meter);
    QApplication::processEvents();
    for (QToolBar *band : {form.ToolBar_SelfGen, form.ToolBar_SelfMeter})
        EXPECT_FALSE(Overflows(band)) << band->objectName().toStdString();
    EXPECT_GE(form.ToolButton1->width(), form.ToolButton1->sizeHint().width());
    EXPECT_GE(form.ToolButton20->width(), form.ToolButton20->sizeHint().width());
    EXPECT_GE(form.ToolBar_SelfMeter->x(), form.ToolBar_SelfGen->x() + form.ToolBar_SelfGen->width());
    EXPECT_GE(form.ToolBar_Error->x(), form.ToolBar_SelfMeter->x() + form.ToolBar_SelfMeter->width());
    // The summary bands lie below the pages, so a long summary never covers them.
    EXPECT_GE(form.ToolBar_SelfGen->y(), form.PageControl1->y() + form.PageControl1->height());
    EXPECT_EQ(form.Button_Gen->property("ImageIndex").toInt(), 1);
}

} // namespace
