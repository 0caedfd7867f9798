#include "controls/RxctrlsLabel.h"
#include "controls/RxctrlsListBox.h"
#include "controls/RxctrlsSecretPanel.h"
#include "controls/RxctrlsSpeedButton.h"
#include "controls/Sbsetup.h"
#include "controls/Speedbar.h"
#include "support/Screenshot.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QTableWidget>

namespace {

// A 16 by 16 picture on the fuchsia background: a filled shape in one colour with a black outline.
QImage GalleryGlyph(QColor color, int shape) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 255));
    QPainter painter(&image);
    painter.setPen(Qt::black);
    painter.setBrush(color);
    if (shape == 0)
        painter.drawRect(2, 2, 11, 11);
    else if (shape == 1)
        painter.drawEllipse(2, 2, 11, 11);
    else
        painter.drawPolygon(QPolygon({QPoint(8, 1), QPoint(14, 14), QPoint(1, 14)}));
    return image;
}

// Every control of the speed bar family and its neighbours in one window, for a look by eye
// (R9_SCREENSHOTS=<folder> keeps the pictures).
struct Gallery {
    QWidget window;
    TSpeedBar *bar = new TSpeedBar(&window);
    TRxLabel *label = new TRxLabel(&window);
    TTextListBox *list = new TTextListBox(&window);
    TSecretPanel *panel = new TSecretPanel(&window);
    QList<TRxSpeedButton *> buttons;

    Gallery() {
        window.resize(560, 300);
        window.setWindowTitle(QStringLiteral("Speed bars and their neighbours"));
        bar->setObjectName(QStringLiteral("GalleryBar"));
        bar->SetBoundLines(blBottom);
        bar->AddSection(QStringLiteral("File"));
        bar->AddSection(QStringLiteral("Edit"));
        const QStringList names{QStringLiteral("BtnOpen"), QStringLiteral("BtnSave"), QStringLiteral("BtnPrint")};
        const QList<QColor> colors{Qt::yellow, Qt::blue, Qt::green};
        for (int i = 0; i < names.size(); ++i) {
            TSpeedItem *item = bar->NewItem(&window, i == 2 ? 1 : 0, names[i]);
            item->SetGlyph(GalleryGlyph(colors[i], i));
            item->SetLeft(3 + 24 * i + (i == 2 ? 8 : 0));
            item->SetVisible(true);
        }
        bar->NewItem(&window, 1, QStringLiteral("BtnHidden"))->SetGlyph(GalleryGlyph(Qt::red, 1));

        const QStringList captions{QStringLiteral("Up"), QStringLiteral("Down"), QStringLiteral("Flat"),
                                   QStringLiteral("Off"), QStringLiteral("Menu")};
        for (int i = 0; i < captions.size(); ++i) {
            auto *button = new TRxSpeedButton(&window);
            button->setGeometry(10 + 60 * i, 45, 56, 40);
            button->SetCaption(captions[i]);
            button->SetGlyph(GalleryGlyph(QColor(60 * i, 120, 200), i % 3));
            buttons.append(button);
        }
        buttons[1]->SetGroupIndex(1);
        buttons[1]->SetDown(true);
        buttons[2]->SetFlat(true);
        buttons[3]->setEnabled(false);
        auto *menu = new TPopupMenu(&window);
        buttons[4]->SetLayout(blGlyphLeft);
        buttons[4]->SetDropDownMenu(menu);

        label->move(320, 50);
        QFont big = label->font();
        big.setPixelSize(22);
        big.setBold(true);
        label->setFont(big);
        label->SetShadowColor(Qt::gray);
        label->SetShadowPos(spRightBottom);
        label->SetShadowSize(2);
        label->SetCaption(QStringLiteral("Shadow &label"));

        list->setGeometry(10, 100, 250, 120);
        for (const char *text : {"a short item", "an item much longer than the list is wide, to scroll sideways",
                                 "column\tafter a tab", "the last one"})
            list->addItem(QString::fromUtf8(text));
        list->SetTabWidth(8);

        panel->setGeometry(280, 100, 260, 120);
        panel->SetGlyph(GalleryGlyph(Qt::cyan, 2));
        panel->SetAsyncDrawing(false);
        panel->SetTextStyle(bvCutLowered);
        panel->SetLines({QString(), QStringLiteral("Scrolling text panel"), QStringLiteral("line two"),
                         QStringLiteral("line three")});
    }
};

TEST(GalleryBars, EveryControlShows) {
    Gallery gallery;
    gallery.window.show();
    gallery.panel->Play();
    for (int tick = 0; tick < 70; ++tick)
        gallery.panel->TimerExpired();
    QApplication::processEvents();

    // The bar runs across the top and shows its three visible buttons with their pictures.
    EXPECT_EQ(gallery.bar->geometry(), QRect(0, 0, 560, 29));
    const QImage barImage = gallery.bar->grab().toImage();
    EXPECT_EQ(barImage.pixelColor(3 + 8, 3 + 11), QColor(Qt::yellow));
    EXPECT_EQ(barImage.pixelColor(3 + 24 + 11, 3 + 11), QColor(Qt::blue));
    EXPECT_TRUE(gallery.bar->SearchItem(QStringLiteral("BtnHidden"))->Button()->isHidden());
    // The panel has handed over a picture of its lines, and the list scrolls to its widest item.
    EXPECT_FALSE(gallery.panel->ShownImage().isNull());
    EXPECT_GT(gallery.list->HorizontalExtent(), gallery.list->viewport()->width());
    for (QWidget *control : std::initializer_list<QWidget *>{gallery.label, gallery.list, gallery.panel})
        EXPECT_TRUE(gallery.window.rect().contains(control->geometry())) << control->metaObject()->className();
    SaveScreenshot(gallery.window, QStringLiteral("gallery_bars"));

    TSpeedbarSetupWindow *setup = ShowSpeedbarSetupWindow(gallery.bar, 12);
    setup->SectionList->setCurrentCell(1, 0);
    QApplication::processEvents();
    EXPECT_EQ(setup->ButtonsList->rowCount(), 2);
    SaveScreenshot(*setup, QStringLiteral("gallery_bars_setup"));
    setup->close();
}

} // namespace
