#include "controls/Radiogroup_border.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLayout>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

namespace {

const QColor kGroupBackground(255, 255, 255);
const QColor kCaption(0, 0, 255);
const QColor kGroupShadow(255, 0, 0);
const QColor kGroupHighlight(0, 255, 0);
const QColor kFrame(255, 0, 255);

struct GroupScene {
    QWidget parent;
    TRadioGroup_Border *group;

    GroupScene() : group(new TRadioGroup_Border(&parent)) {
        QPalette palette;
        palette.setColor(QPalette::Window, kGroupBackground);
        palette.setColor(QPalette::WindowText, kCaption);
        palette.setColor(QPalette::Dark, kGroupShadow);
        palette.setColor(QPalette::Light, kGroupHighlight);
        palette.setColor(QPalette::Shadow, kFrame);
        parent.setPalette(palette);
        parent.setAutoFillBackground(true);
        parent.resize(240, 140);
        QFont font = group->font();
        font.setStyleStrategy(QFont::NoAntialias);
        group->setFont(font);
        group->setTitle(QStringLiteral("Режим"));
        group->SetItems({QStringLiteral("первый"), QStringLiteral("второй"), QStringLiteral("третий")});
        group->setGeometry(0, 0, 240, 140);
        parent.show();
    }

    QImage Image() { return group->grab().toImage(); }
    int FrameTop() const { return group->fontMetrics().height() / 2 - 1; }
};

int CountInRect(const QImage &image, const QRect &rect, const QColor &colour) {
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

TEST(RadioGroup_Border, SunkenFrameIsShadowOutsideHighlightInside) {
    GroupScene scene;
    const QImage image = scene.Image();
    const int w = image.width();
    const int h = image.height();
    const int top = scene.FrameTop();
    EXPECT_EQ(image.pixelColor(0, h / 2), kGroupShadow);
    EXPECT_EQ(image.pixelColor(1, h / 2), kGroupHighlight);
    EXPECT_EQ(image.pixelColor(w - 2, h / 2), kGroupShadow);
    EXPECT_EQ(image.pixelColor(w - 1, h / 2), kGroupHighlight);
    EXPECT_EQ(image.pixelColor(w / 2, top), kGroupShadow);
    EXPECT_EQ(image.pixelColor(w / 2, top + 1), kGroupHighlight);
    EXPECT_EQ(image.pixelColor(w / 2, h - 2), kGroupShadow);
    EXPECT_EQ(image.pixelColor(w / 2, h - 1), kGroupHighlight);
}

TEST(RadioGroup_Border, FlatFrameIsOneLineInTheFrameColour) {
    GroupScene scene;
    scene.group->SetCtl3D(false);
    const QImage image = scene.Image();
    EXPECT_EQ(image.pixelColor(0, image.height() / 2), kFrame);
    EXPECT_EQ(image.pixelColor(1, image.height() / 2), kGroupBackground);
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() - 1), kFrame);
    EXPECT_EQ(CountInRect(image, image.rect(), kGroupShadow), 0);
}

TEST(RadioGroup_Border, WithoutBorderOnlyCaptionAndButtonsRemain) {
    for (bool ctl3D : {true, false}) {
        SCOPED_TRACE(ctl3D);
        GroupScene scene;
        scene.group->SetCtl3D(ctl3D);
        scene.group->SetBorder(false);
        const QImage image = scene.Image();
        const QRect leftEdge(0, 0, 2, image.height());
        const QRect bottomEdge(0, image.height() - 2, image.width(), 2);
        for (const QColor &colour : {kGroupShadow, kGroupHighlight, kFrame}) {
            EXPECT_EQ(CountInRect(image, leftEdge, colour), 0);
            EXPECT_EQ(CountInRect(image, bottomEdge, colour), 0);
        }
        const QRect captionLine(8, 0, image.width() / 2, scene.group->fontMetrics().height());
        EXPECT_GT(CountInRect(image, captionLine, kCaption), 10);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(scene.group->Button(i)->isVisible());
    }
}

TEST(RadioGroup_Border, CaptionStandsEightPixelsFromTheReadingStart) {
    for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        SCOPED_TRACE(direction);
        GroupScene scene;
        scene.group->setLayoutDirection(direction);
        const QImage image = scene.Image();
        const int lineHeight = scene.group->fontMetrics().height();
        int first = image.width();
        int last = -1;
        for (int y = 0; y < lineHeight; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == kCaption) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
        ASSERT_GE(last, 0);
        if (direction == Qt::LeftToRight) {
            EXPECT_GE(first, 8);
            EXPECT_LT(first, 14);
        } else {
            EXPECT_LE(last, image.width() - 9);
            EXPECT_GT(last, image.width() - 16);
        }
    }
}

TEST(RadioGroup_Border, ButtonsFollowItemsAndReportTheUsersChoice) {
    GroupScene scene;
    TRadioGroup_Border *group = scene.group;
    EXPECT_EQ(group->ItemIndex(), -1);
    QSignalSpy click(group, &TRadioGroup_Border::Click);
    QRadioButton *second = group->Button(1);
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(6, second->height() / 2));
    EXPECT_EQ(group->ItemIndex(), 1);
    EXPECT_EQ(click.count(), 1);

    group->SetItemIndex(2);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(click.count(), 1);
    group->SetItemIndex(-1);
    EXPECT_EQ(group->ItemIndex(), -1);

    group->SetItemIndex(0);
    group->SetItems({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_EQ(group->Button(1)->text(), "b");
    EXPECT_EQ(group->Button(2), nullptr);
}

TEST(RadioGroup_Border, ColumnsFillTopToBottomFirst) {
    GroupScene scene;
    scene.group->SetItems({"1", "2", "3", "4", "5"});
    scene.group->SetColumns(2);
    QCoreApplication::processEvents();
    scene.group->layout()->activate();
    const auto pos = [&](int i) { return scene.group->Button(i)->pos(); };
    EXPECT_EQ(pos(0).x(), pos(2).x());
    EXPECT_LT(pos(0).y(), pos(1).y());
    EXPECT_LT(pos(1).y(), pos(2).y());
    EXPECT_GT(pos(3).x(), pos(0).x());
    EXPECT_EQ(pos(3).y(), pos(0).y());
}

} // namespace
