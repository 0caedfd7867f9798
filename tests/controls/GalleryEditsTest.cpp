// A window with one of each of the edits, calendars and drawing helpers, for a look by eye:
//   R9_SCREENSHOTS=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a
//   build/test/tests/controls/r9_controls_tests --gtest_filter='GalleryEdits*'
#include "controls/PickDate.h"
#include "controls/Rxprgrss.h"
#include "controls/Rxtimer.h"
#include "controls/ToolEditDate.h"
#include "controls/ToolEditFile.h"
#include "controls/Vclutils.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>

namespace {

// The drawing helpers side by side: a gradient, a checkerboard brush, a glyph and its disabled look, and a
// caption shortened to fit.
QPixmap DrawingSamples() {
    QImage image(300, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    GradientFillRect(painter, QRect(0, 0, 100, 60), clBlue, clWhite, fdTopToBottom, 16);
    painter.fillRect(QRect(110, 0, 40, 40), QBrush(QPixmap::fromImage(CreateTwoColorsBrushPattern(clWhite, clRed))));
    QImage glyph(16, 16, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 0, 255));
    QPainter glyphPainter(&glyph);
    glyphPainter.fillRect(3, 3, 10, 10, QColor(0, 128, 0));
    glyphPainter.end();
    DrawBitmapTransparent(painter, 160, 10, glyph, clDefault);
    painter.drawImage(185, 10, CreateDisabledBitmap(glyph, 0xFF00FF));
    painter.setPen(Qt::black);
    const QString caption = MinimizeText(QStringLiteral("A caption far too long for its room"), painter.fontMetrics(), 90);
    DrawCellText(painter, QRect(210, 0, 90, 60), caption, taLeftJustify, vaCenterVert);
    painter.end();
    return QPixmap::fromImage(image);
}

TEST(GalleryEditsTest, ShowsEachControl) {
    const TDateLocale savedLocale = DateLocale();
    DateLocale().dateSeparator = QLatin1Char('.');
    QWidget window;
    window.setWindowTitle(QStringLiteral("Edits, calendars and helpers"));
    auto *columns = new QHBoxLayout(&window);
    auto *form = new QFormLayout;
    columns->addLayout(form);

    auto *combo = new TComboEdit;
    combo->SetGlyphKind(gkEllipsis);
    combo->setText(QStringLiteral("combo edit"));
    form->addRow(QStringLiteral("TComboEdit"), combo);
    auto *dropDown = new TComboEdit;
    dropDown->SetGlyphKind(gkDropDown);
    form->addRow(QStringLiteral("drop-down"), dropDown);
    auto *date = new TDateEdit;
    date->SetYearDigits(dyFour);
    date->SetDate(EncodeDate(2014, 3, 15));
    form->addRow(QStringLiteral("TDateEdit"), date);
    auto *file = new TFilenameEdit;
    file->SetFileName(QStringLiteral("/opt/Program Files/r9.cfg"));
    form->addRow(QStringLiteral("TFilenameEdit"), file);
    auto *directory = new TDirectoryEdit;
    directory->setText(QStringLiteral("/tmp"));
    form->addRow(QStringLiteral("TDirectoryEdit"), directory);
    auto *progress = new QProgressBar;
    SetProgressMax(progress, 200);
    SetProgressValue(progress, 150);
    form->addRow(QStringLiteral("progress"), progress);
    auto *ticks = new QLabel(QStringLiteral("no tick yet"));
    form->addRow(QStringLiteral("TRxTimer"), ticks);
    auto *samples = new QLabel;
    samples->setPixmap(DrawingSamples());
    form->addRow(QStringLiteral("Vclutils"), samples);

    auto *calendar = new TRxCalendar;
    calendar->SetCalendarDate(EncodeDate(2014, 6, 15));
    calendar->setFixedSize(220, 140);
    form->addRow(QStringLiteral("TRxCalendar"), calendar);

    // The drop-down and the dialog, shown inside the gallery instead of as windows of their own.
    auto *popup = new TPopupCalendar(date);
    popup->setWindowFlags(Qt::Widget);
    popup->SetValue(EncodeDate(2014, 3, 15));
    popup->show();
    columns->addWidget(popup, 0, Qt::AlignTop);
    auto *dialog = new TSelectDateDlg;
    dialog->setWindowFlags(Qt::Widget);
    dialog->setFixedSize(222, 154);
    SetDialogDate(*dialog, EncodeDate(2016, 2, 29));
    columns->addWidget(dialog, 0, Qt::AlignTop);

    int tickCount = 0;
    TRxTimer timer;
    timer.SetInterval(20);
    timer.SetOnTimer([&](QObject *) { ticks->setText(QStringLiteral("%1 ticks").arg(++tickCount)); });

    window.show();
    QElapsedTimer waited;
    waited.start();
    while (tickCount < 3 && waited.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    timer.SetEnabled(false);
    EXPECT_GE(tickCount, 3);
    EXPECT_EQ(progress->value(), 150);
    for (QWidget *control : std::initializer_list<QWidget *>{combo, dropDown, date, file, directory, calendar, popup, dialog}) {
        EXPECT_TRUE(control->isVisible());
        EXPECT_GT(control->width(), 0);
    }
    EXPECT_EQ(date->text(), FormatDateFmt(date->GetDateFormat(), EncodeDate(2014, 3, 15)));
    SaveScreenshot(window, QStringLiteral("GalleryEdits"));
    DateLocale() = savedLocale;
}

} // namespace
