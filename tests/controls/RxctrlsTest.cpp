#include "controls/RxctrlsGlyph.h"
#include "controls/RxctrlsLabel.h"
#include "controls/RxctrlsListBox.h"
#include "controls/RxctrlsSpeedButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace {

int XWidth(const QWidget &widget, const QString &text) {
    return QFontMetrics(widget.font()).horizontalAdvance(text + u'x');
}

TEST(TextListBox, TheExtentFollowsTheWidestItem) {
    TTextListBox list;
    list.resize(60, 100);
    list.show();
    list.addItem(QStringLiteral("ab"));
    EXPECT_EQ(list.HorizontalExtent(), XWidth(list, QStringLiteral("ab")));
    const QString longText = QStringLiteral("a rather long line of text that needs scrolling");
    list.addItem(longText);
    EXPECT_EQ(list.HorizontalExtent(), XWidth(list, longText));
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), XWidth(list, longText) - list.viewport()->width());

    list.addItem(QStringLiteral("abc"));
    delete list.takeItem(2);
    EXPECT_EQ(list.HorizontalExtent(), XWidth(list, longText));
    list.horizontalScrollBar()->setValue(10);
    delete list.takeItem(1);
    EXPECT_EQ(list.HorizontalExtent(), XWidth(list, QStringLiteral("ab")));
    EXPECT_EQ(list.horizontalScrollBar()->value(), 0);

    list.addItem(longText);
    list.horizontalScrollBar()->setValue(10);
    list.clear();
    EXPECT_EQ(list.HorizontalExtent(), 0);
    EXPECT_EQ(list.horizontalScrollBar()->value(), 0);
}

TEST(TextListBox, TabsExpandToStopsOfAQuarterDigitPerTabWidthUnit) {
    TTextListBox list;
    list.SetTabWidth(8);
    list.addItem(QStringLiteral("a\tb"));
    const QFontMetrics metrics(list.font());
    const int stop = qRound(metrics.horizontalAdvance(u'0') * 2.0);
    EXPECT_EQ(list.GetItemWidth(0),
              metrics.size(Qt::TextSingleLine | Qt::TextExpandTabs, QStringLiteral("a\tbx"), stop).width());
    EXPECT_GE(list.GetItemWidth(0), stop + metrics.horizontalAdvance(QStringLiteral("bx")));
}

TEST(RxCustomListBox, AMultiColumnListKeepsNoExtent) {
    TRxCustomListBox list;
    list.SetColumns(2);
    list.SetAutoScroll(true);
    EXPECT_FALSE(list.AutoScroll());
    list.addItem(QStringLiteral("some text"));
    EXPECT_EQ(list.HorizontalExtent(), 0);
    list.SetColumns(0);
    EXPECT_TRUE(list.AutoScroll());
    EXPECT_EQ(list.HorizontalExtent(), XWidth(list, QStringLiteral("some text")));
}

TEST(RxCustomListBox, OnlyAChangeOfHandlerPresenceScrollsHome) {
    TRxCustomListBox list;
    list.resize(40, 80);
    list.show();
    list.SetAutoScroll(true);
    list.SetStyle(lbOwnerDrawFixed);
    list.addItem(QStringLiteral("a long line that scrolls sideways"));
    auto draw = [](TRxCustomListBox *, int, QPainter *, const QRect &) {};
    list.SetOnGetItemWidth([](TRxCustomListBox *, int, int &width) { width = 500; });
    list.SetOnDrawItem(draw);
    EXPECT_EQ(list.HorizontalExtent(), 500);
    QApplication::processEvents();
    list.horizontalScrollBar()->setValue(20);
    list.SetOnDrawItem(draw);
    EXPECT_EQ(list.horizontalScrollBar()->value(), 20);
    list.SetOnDrawItem(nullptr);
    EXPECT_EQ(list.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(list.HorizontalExtent(), XWidth(list, QStringLiteral("a long line that scrolls sideways")));
}

// Records the automatic drags instead of running one.
class DragRecordingList : public TRxCustomListBox {
public:
    int drags = 0;

protected:
    void BeginAutoDrag() override { ++drags; }
};

TEST(RxCustomListBox, AutomaticDraggingKeepsAMultipleSelection) {
    DragRecordingList list;
    list.resize(100, 100);
    list.SetDragMode(dmAutomatic);
    list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const char *text : {"one", "two", "three"})
        list.addItem(QString::fromLatin1(text));
    list.item(0)->setSelected(true);
    list.item(2)->setSelected(true);
    const QPoint third = list.visualItemRect(list.item(2)).center();
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier, third);
    EXPECT_EQ(list.drags, 1);
    EXPECT_EQ(list.selectedItems().size(), 2);
    const QPoint second = list.visualItemRect(list.item(1)).center();
    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    EXPECT_EQ(list.drags, 1);
}

// Big antialiasing-free text so that the measured sizes are plain.
void PlainFont(QWidget &widget) {
    QFont font = widget.font();
    font.setPixelSize(16);
    font.setStyleStrategy(QFont::NoAntialias);
    widget.setFont(font);
}

TEST(RxLabel, AnEmptyCaptionMeasuresAsOneBlank) {
    QWidget parent;
    auto *label = new TRxLabel(&parent);
    PlainFont(*label);
    label->SetCaption(QStringLiteral("x"));
    label->SetCaption(QString());
    const QFontMetrics metrics(label->font());
    EXPECT_EQ(label->width(), metrics.horizontalAdvance(u' ') + 2);
    EXPECT_EQ(label->height(), metrics.height());
    label->SetCaption(QStringLiteral("&"));
    EXPECT_EQ(label->width(), metrics.horizontalAdvance(u' ') + 2);
    label->SetShowAccelChar(false);
    label->AdjustBounds();
    EXPECT_EQ(label->width(), metrics.horizontalAdvance(u'&') + 2);
}

TEST(RxLabel, AShadowRightAndBelowGrowsTheSize) {
    QWidget parent;
    auto *label = new TRxLabel(&parent);
    PlainFont(*label);
    label->SetCaption(QStringLiteral("Shadow"));
    label->SetShadowSize(0);
    const QSize plain = label->size();
    label->SetShadowPos(spRightBottom);
    label->SetShadowSize(2);
    EXPECT_EQ(label->size(), plain + QSize(2, 2));
    label->SetShadowPos(spLeftTop);
    label->AdjustBounds();
    EXPECT_EQ(label->size(), plain);
}

TEST(RxLabel, TheShadowIsDrawnBesideTheText) {
    QWidget parent;
    auto *label = new TRxLabel(&parent);
    PlainFont(*label);
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(palette);
    label->SetCaption(QStringLiteral("I"));
    label->SetShadowColor(Qt::red);
    label->SetShadowPos(spRightBottom);
    label->SetShadowSize(2);
    const QImage image = label->grab().toImage();
    int blueX = -1;
    int blueY = -1;
    for (int y = 0; y < image.height() && blueX < 0; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == QColor(Qt::blue)) {
                blueX = x;
                blueY = y;
                break;
            }
    ASSERT_GE(blueX, 0);
    EXPECT_EQ(image.pixelColor(blueX + 2, blueY + 2), QColor(Qt::red));
}

TEST(RxLabel, MarginsRightAlignmentAndTheFocusControl) {
    QWidget parent;
    auto *label = new TRxLabel(&parent);
    label->SetLeftMargin(-5);
    EXPECT_EQ(label->LeftMargin(), 0);
    label->SetAlignment(Qt::AlignRight);
    label->SetCaption(QStringLiteral("A long caption"));
    label->move(100, 10);
    const int right = label->geometry().right();
    label->SetCaption(QStringLiteral("A"));
    EXPECT_EQ(label->geometry().right(), right);

    auto *edit = new QLineEdit(&parent);
    label->SetFocusControl(edit);
    delete edit;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

QImage Strip(int cells, int size, QColor background = QColor(255, 0, 255)) {
    QImage strip(cells * size, size, QImage::Format_ARGB32);
    strip.fill(background);
    for (int cell = 0; cell < cells; ++cell)
        for (int y = 4; y < 8; ++y)
            for (int x = 4; x < 8; ++x)
                strip.setPixel(cell * size + x, y, QColor(40 + cell * 40, 0, 0).rgb());
    return strip;
}

TEST(RxButtonGlyph, TheStripSaysHowManyCellsItHolds) {
    const QList<QPair<QSize, int>> cases{{{64, 16}, 4}, {{96, 16}, 1}, {{20, 16}, 3}};
    for (const auto &[size, cells] : cases) {
        TRxButtonGlyph glyph;
        glyph.SetNumGlyphs(3);
        QImage strip(size, QImage::Format_ARGB32);
        strip.fill(Qt::white);
        glyph.SetGlyph(strip);
        EXPECT_EQ(glyph.NumGlyphs(), cells) << size.width() << "x" << size.height();
    }
}

TEST(RxButtonGlyph, MapColorGreysAllButTransparentAndFace) {
    TRxButtonGlyph glyph;
    EXPECT_EQ(glyph.MapColor(QColor(255, 0, 0)), QColor(76, 76, 76));
    EXPECT_EQ(glyph.MapColor(QColor(255, 0, 255)), QColor(255, 0, 255));
    EXPECT_EQ(glyph.MapColor(ButtonColors::Face()), ButtonColors::Face());
}

TEST(RxButtonGlyph, StatePicturesComeFromTheirCells) {
    TRxButtonGlyph two;
    two.SetGlyph(Strip(2, 16));
    ASSERT_EQ(two.NumGlyphs(), 2);
    EXPECT_EQ(two.CreateButtonGlyph(rbsDown), two.CreateButtonGlyph(rbsUp));
    const int disabled = two.CreateButtonGlyph(rbsDisabled);
    EXPECT_EQ(two.GlyphList()->Picture(disabled).toImage().pixelColor(5, 5), QColor(80, 0, 0));

    TRxButtonGlyph one;
    one.SetGlyph(Strip(1, 16));
    const int embossedIndex = one.CreateButtonGlyph(rbsDisabled);
    const QImage embossed = one.GlyphList()->Picture(embossedIndex).toImage();
    EXPECT_EQ(embossed.pixel(4, 4), ButtonColors::Shadow().rgb());
    EXPECT_EQ(embossed.pixel(8, 8), ButtonColors::Highlight().rgb());
    EXPECT_EQ(embossed.pixelColor(0, 0).alpha(), 0);
    TRxButtonGlyph grey;
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 255));
    red.setPixel(5, 5, QColor(255, 0, 0).rgb());
    grey.SetGlyph(red);
    const int index = grey.CreateButtonGlyph(rbsInactive);
    EXPECT_EQ(grey.GlyphList()->Picture(index).toImage().pixelColor(5, 5), QColor(76, 76, 76));
}

TEST(RxButtonGlyph, PaintersOfOneSizeShareAListThatGoesWithTheLast) {
    {
        auto first = std::make_unique<TRxButtonGlyph>();
        auto second = std::make_unique<TRxButtonGlyph>();
        first->SetGlyph(Strip(1, 16));
        second->SetGlyph(Strip(1, 16));
        first->CreateButtonGlyph(rbsUp);
        second->CreateButtonGlyph(rbsUp);
        EXPECT_EQ(first->GlyphList(), second->GlyphList());
        EXPECT_EQ(first->GlyphList()->UsedCount(), 2);
        ASSERT_NE(GlyphCache(), nullptr);
        EXPECT_EQ(GlyphCache()->ListCount(), 1);
        first.reset();
        EXPECT_EQ(GlyphCache()->ListCount(), 1);
    }
    EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(RxButtonGlyph, FreedSlotsAreUsedAgain) {
    TGlyphList list(4, 4);
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    EXPECT_EQ(list.AddPictureMasked(picture, Qt::white), 0);
    EXPECT_EQ(list.AddPictureMasked(picture, Qt::white), 1);
    list.ReleaseIndex(0);
    list.ReleaseIndex(0);
    EXPECT_EQ(list.UsedCount(), 1);
    EXPECT_EQ(list.AddPictureMasked(picture, Qt::white), 0);
    EXPECT_EQ(list.Count(), 2);
}

TEST(RxButtonGlyph, CentredLayoutSharesTheRoomInThirds) {
    TRxButtonGlyph glyph;
    glyph.SetGlyph(Strip(1, 16));
    QImage canvas(100, 40, QImage::Format_ARGB32);
    QPainter painter(&canvas);
    QFont font;
    font.setPixelSize(12);
    painter.setFont(font);
    // A caption of about 29 pixels; the margin is a third of what glyph and text leave.
    QString caption = QStringLiteral("Wxyz");
    const int textWidth = painter.fontMetrics().boundingRect(QRect(0, 0, 50, 0), Qt::AlignCenter, caption).width();
    QPoint glyphPos;
    QRect textBounds;
    glyph.CalcButtonLayout(painter, QRect(0, 0, 75, 23), caption, blGlyphLeft, -1, -1, false, glyphPos, textBounds,
                           0, nullptr, -1);
    const int margin = (75 - 16 - textWidth) / 3;
    EXPECT_EQ(glyphPos.x(), margin);
    EXPECT_EQ(textBounds.left(), margin + 16 + margin);
    EXPECT_EQ(glyphPos.y(), 23 / 2 - 16 / 2);
}

TEST(RxButtonGlyph, MinimizeText) {
    QFont font;
    font.setPixelSize(12);
    const QFontMetrics metrics(font);
    EXPECT_EQ(MinimizeText(QStringLiteral("fits"), metrics, 1000), QStringLiteral("fits"));
    EXPECT_EQ(MinimizeText(QStringLiteral("never fits"), metrics, 1), QStringLiteral("..."));
    const QString shortened = MinimizeText(QStringLiteral("abcdefghijklmnop"), metrics,
                                           metrics.horizontalAdvance(QStringLiteral("abcdefgh...")));
    EXPECT_EQ(shortened, QStringLiteral("abcdefgh..."));
}

TEST(RxSpeedButton, DownNeedsAGroup) {
    QWidget parent;
    auto *alone = new TRxSpeedButton(&parent);
    alone->SetDown(true);
    EXPECT_FALSE(alone->Down());
    auto *first = new TRxSpeedButton(&parent);
    auto *second = new TRxSpeedButton(&parent);
    first->SetGroupIndex(1);
    second->SetGroupIndex(1);
    first->SetDown(true);
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(second->Down());
    EXPECT_FALSE(first->Down());
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(second->Down());
    second->SetAllowAllUp(true);
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FALSE(second->Down());
}

TEST(RxSpeedButton, PropertyLimits) {
    TRxSpeedButton button;
    button.SetNumGlyphs(7);
    EXPECT_EQ(button.NumGlyphs(), 5);
    button.SetMargin(-2);
    EXPECT_EQ(button.Margin(), -1);
    button.SetMargin(3);
    EXPECT_EQ(button.Margin(), 3);
}

TEST(RxSpeedButton, TheRowBelowCountsAsInsideTheColumnRightDoesNot) {
    TRxSpeedButton button;
    int clicks = 0;
    button.OnClick = [&](TRxSpeedButton *) { ++clicks; };
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, button.height()));
    EXPECT_EQ(clicks, 1);
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(button.width(), 5));
    EXPECT_EQ(clicks, 1);
}

TEST(RxSpeedButton, TheClickRepeatsWhileHeld) {
    TRxSpeedButton button;
    button.SetAllowTimer(true);
    button.SetInitPause(50);
    button.SetRepeatInterval(20);
    int clicks = 0;
    button.OnClick = [&](TRxSpeedButton *) { ++clicks; };
    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ASSERT_TRUE(button.RepeatTimerActive());
    QTest::qWait(300);
    const int held = clicks;
    EXPECT_GE(held, 2);
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 50));
    EXPECT_EQ(clicks, held);
    EXPECT_FALSE(button.RepeatTimerActive());
}

TEST(RxSpeedButton, AMenuThatPopsUpByItselfOpensBelowAndClicksNothing) {
    QWidget parent;
    auto *button = new TRxSpeedButton(&parent);
    TPopupMenu menu;
    menu.addAction(QStringLiteral("Item"));
    button->SetDropDownMenu(&menu);
    EXPECT_EQ(button->GetDropDownMenuPos(), QPoint(-1, button->height()));
    button->SetMenuPosition(dmpRight);
    EXPECT_EQ(button->GetDropDownMenuPos(), QPoint(button->width(), -1));
    button->SetMenuPosition(dmpBottom);
    int clicks = 0;
    button->OnClick = [&](TRxSpeedButton *) { ++clicks; };
    bool opened = false;
    QTimer::singleShot(50, &menu, [&] {
        opened = menu.isVisible();
        menu.close();
    });
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(opened);
    EXPECT_EQ(clicks, 0);
}

TEST(RxSpeedButton, FrameColoursOfARaisedNewStyleButton) {
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRect inner = PaintButtonFrame(painter, image.rect(), false, false, bsNew);
    painter.end();
    EXPECT_EQ(inner, QRect(3, 3, 14, 14));
    EXPECT_EQ(image.pixel(0, 0), ButtonColors::Highlight().rgb());
    EXPECT_EQ(image.pixel(19, 19), ButtonColors::WindowFrame().rgb());
    EXPECT_EQ(image.pixel(18, 18), ButtonColors::Shadow().rgb());
}

} // namespace
