#include "controls/RxctrlsSecretPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

namespace {

// Serves the main thread's queue until the condition holds or the time is up.
template <typename Condition> bool WaitFor(Condition condition, int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition() && elapsed.elapsed() < ms)
        QTest::qWait(5);
    return condition();
}

// A panel with a known font whose text rectangle is the client shrunk by the frame.
struct PanelScene {
    QWidget parent;
    TSecretPanel *panel = new TSecretPanel(&parent);
    PanelScene() {
        QFont font = panel->font();
        font.setPixelSize(12);
        panel->setFont(font);
        panel->resize(200, 100);
    }
};

TEST(SecretPanel, LeadingBlankLinesAreSkippedAndTheRunEndsByItself) {
    PanelScene scene;
    scene.panel->SetAsyncDrawing(false);
    scene.panel->SetLines({QString(), QStringLiteral("  "), QStringLiteral("one"), QStringLiteral("two")});
    auto *child = new QLabel(QStringLiteral("child"), scene.panel);
    auto *hidden = new QLabel(QStringLiteral("hidden"), scene.panel);
    hidden->hide();
    int stops = 0;
    scene.panel->OnStopPlay = [&](TSecretPanel *) { ++stops; };
    scene.panel->Play();
    EXPECT_TRUE(child->isHidden());
    EXPECT_EQ(scene.panel->FirstLine(), 2);
    const QFontMetrics metrics(scene.panel->font());
    const int lineHeight = metrics.height() + metrics.leading();
    EXPECT_EQ(scene.panel->LineHeight(), lineHeight);
    EXPECT_EQ(scene.panel->TextRect(), QRect(4, 4, 192, 92));
    EXPECT_EQ(scene.panel->ScrollLength(), 92 + 2 * lineHeight);
    for (int tick = 0; tick < 92 + 2 * lineHeight; ++tick)
        scene.panel->TimerExpired();
    EXPECT_TRUE(scene.panel->Active());
    scene.panel->TimerExpired();
    EXPECT_FALSE(scene.panel->Active());
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(child->isHidden());
    EXPECT_TRUE(hidden->isHidden());
}

TEST(SecretPanel, ACycledRunStartsOver) {
    PanelScene scene;
    scene.panel->SetAsyncDrawing(false);
    scene.panel->SetCycled(true);
    scene.panel->SetLines({QStringLiteral("one")});
    scene.panel->Play();
    const int length = scene.panel->ScrollLength();
    for (int tick = 0; tick < length; ++tick)
        scene.panel->TimerExpired();
    EXPECT_EQ(scene.panel->ScrollPos(), length);
    scene.panel->TimerExpired();
    EXPECT_EQ(scene.panel->ScrollPos(), 0);
    EXPECT_TRUE(scene.panel->Active());
}

TEST(SecretPanel, AGlyphOnTheLeftPushesTheText) {
    PanelScene scene;
    QImage glyph(32, 32, QImage::Format_ARGB32);
    glyph.fill(Qt::red);
    scene.panel->SetGlyph(glyph);
    scene.panel->SetLines({QStringLiteral("text")});
    scene.panel->SetAsyncDrawing(false);
    scene.panel->Play();
    EXPECT_EQ(scene.panel->GlyphOrigin().x(), 7);
    EXPECT_EQ(scene.panel->TextRect().left(), 43);
}

TEST(SecretPanel, AHorizontalRunCentresTheNonBlankLines) {
    PanelScene scene;
    scene.panel->SetAsyncDrawing(false);
    scene.panel->SetScrollDirection(sdHorizontal);
    scene.panel->SetLines({QStringLiteral("one"), QStringLiteral("two"), QString()});
    scene.panel->Play();
    const int lineHeight = scene.panel->LineHeight();
    const int free = 92 - 2 * lineHeight;
    EXPECT_EQ(scene.panel->TextRect().top(), 4 + free / 2);
}

// The ticks paint on the timer's worker while the main thread paints the widget and finally stops it.
TEST(SecretPanel, AsyncDrawingHandsPicturesToTheWidget) {
    PanelScene scene;
    scene.parent.show();
    scene.panel->SetInterval(1);
    scene.panel->SetLines({QStringLiteral("first line"), QStringLiteral("second line")});
    ASSERT_TRUE(scene.panel->AsyncDrawing());
    scene.panel->Play();
    ASSERT_TRUE(WaitFor([&] { return !scene.panel->ShownImage().isNull(); }, 3000));
    for (int i = 0; i < 5; ++i) {
        scene.panel->repaint();
        QTest::qWait(5);
    }
    EXPECT_EQ(scene.panel->ShownImage().size(), scene.panel->TextRect().size());
    scene.panel->Stop();
    EXPECT_TRUE(scene.panel->ShownImage().isNull());
    scene.panel->SetCycled(false);
    scene.panel->Play();
    EXPECT_TRUE(WaitFor([&] { return !scene.panel->Active(); }, 5000));
}

} // namespace
