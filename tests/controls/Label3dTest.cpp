#include "controls/Label3d.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

namespace {

const QColor kBackground(255, 255, 255);
const QColor kFace(0, 0, 255);
const QColor kShadow(255, 0, 0);
const QColor kHighlight(0, 255, 0);
const QColor kGrey(128, 128, 128);
const QColor kParent(255, 255, 0);

// A big caption in distinct colours without antialiasing, so that every pixel is one of them.
struct LabelScene {
    QWidget parent;
    TLabel3D *label;

    LabelScene() : label(new TLabel3D(QStringLiteral("HI"), &parent)) {
        QPalette parentPalette;
        parentPalette.setColor(QPalette::Window, kParent);
        parent.setPalette(parentPalette);
        parent.setAutoFillBackground(true);
        parent.resize(200, 100);

        QPalette palette;
        palette.setColor(QPalette::Window, kBackground);
        palette.setColor(QPalette::WindowText, kFace);
        palette.setColor(QPalette::Dark, kShadow);
        palette.setColor(QPalette::Light, kHighlight);
        palette.setColor(QPalette::Disabled, QPalette::WindowText, kGrey);
        label->setPalette(palette);
        QFont font = label->font();
        font.setPixelSize(48);
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        label->setFont(font);
        label->setGeometry(10, 10, 180, 80);
        label->setAlignment(Qt::AlignCenter);
    }

    QImage Image() { return label->grab().toImage(); }
};

struct Pixels {
    int count = 0;
    double sumX = 0, sumY = 0;
    QPointF Centre() const { return {sumX / count, sumY / count}; }
};

Pixels Find(const QImage &image, const QColor &colour) {
    Pixels found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) {
                ++found.count;
                found.sumX += x;
                found.sumY += y;
            }
    return found;
}

TEST(Label3D, LoweredHasItsShadowAboveLeftAndItsHighlightBelowRight) {
    LabelScene scene;
    const QImage image = scene.Image();
    const Pixels shadow = Find(image, kShadow);
    const Pixels highlight = Find(image, kHighlight);
    ASSERT_GT(shadow.count, 20);
    ASSERT_GT(highlight.count, 20);
    EXPECT_GT(Find(image, kFace).count, 200);
    EXPECT_LT(shadow.Centre().x(), highlight.Centre().x());
    EXPECT_LT(shadow.Centre().y(), highlight.Centre().y());
}

TEST(Label3D, RaisedSwapsShadowAndHighlight) {
    LabelScene scene;
    scene.label->SetStyle(lsRaised);
    const QImage image = scene.Image();
    const Pixels shadow = Find(image, kShadow);
    const Pixels highlight = Find(image, kHighlight);
    ASSERT_GT(shadow.count, 20);
    ASSERT_GT(highlight.count, 20);
    EXPECT_GT(shadow.Centre().x(), highlight.Centre().x());
    EXPECT_GT(shadow.Centre().y(), highlight.Centre().y());
}

TEST(Label3D, DisabledIsFlatGrey) {
    LabelScene scene;
    scene.label->setEnabled(false);
    const QImage image = scene.Image();
    EXPECT_EQ(Find(image, kShadow).count, 0);
    EXPECT_EQ(Find(image, kHighlight).count, 0);
    EXPECT_EQ(Find(image, kFace).count, 0);
    EXPECT_GT(Find(image, kGrey).count, 200);
}

TEST(Label3D, TransparentLeavesTheBackgroundToTheParent) {
    LabelScene scene;
    const QPoint corner(12, 12); // inside the label, away from the caption
    EXPECT_EQ(scene.parent.grab().toImage().pixelColor(corner), kBackground);
    scene.label->SetTransparent(true);
    EXPECT_EQ(scene.parent.grab().toImage().pixelColor(corner), kParent);
}

} // namespace
