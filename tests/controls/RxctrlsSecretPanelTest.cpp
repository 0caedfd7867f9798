#include "controls/RxctrlsSecretPanel.h"
#include "controls/Rxtimer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>

#include <chrono>
#include <thread>

namespace {

// Serves the main thread's queue until the condition holds or the time is up.
template <typename Condition> bool WaitFor(Condition condition, int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition() && elapsed.elapsed() < ms)
        QTest::qWait(5);
    return condition();
}

TEST(RxTimer, TicksStartWithAHandlerAndStopAtIntervalZero) {
    TRxTimer timer;
    timer.SetInterval(20);
    EXPECT_FALSE(timer.HasThread());
    std::atomic<int> ticks{0};
    std::thread::id tickThread;
    timer.SetOnTimer([&](TRxTimer *) {
        tickThread = std::this_thread::get_id();
        ++ticks;
    });
    ASSERT_TRUE(WaitFor([&] { return ticks >= 2; }, 2000));
    EXPECT_EQ(tickThread, std::this_thread::get_id());
    timer.SetInterval(0);
    QTest::qWait(30);
    const int stopped = ticks;
    QTest::qWait(80);
    EXPECT_EQ(ticks, stopped);
    timer.SetInterval(20);
    EXPECT_TRUE(WaitFor([&] { return ticks > stopped; }, 2000));
}

TEST(RxTimer, TheIntervalCountsFromTheEndOfTheTick) {
    TRxTimer timer;
    timer.SetSyncEvent(false);
    timer.SetInterval(100);
    std::mutex mutex;
    std::vector<std::chrono::steady_clock::time_point> starts;
    timer.SetOnTimer([&](TRxTimer *) {
        {
            std::lock_guard lock(mutex);
            starts.push_back(std::chrono::steady_clock::now());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    });
    ASSERT_TRUE(WaitFor(
        [&] {
            std::lock_guard lock(mutex);
            return starts.size() >= 3;
        },
        3000));
    timer.SetEnabled(false);
    std::lock_guard lock(mutex);
    for (size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(starts[i] - starts[i - 1]).count(), 130);
}

TEST(RxTimer, AFailingTickIsReportedAndTickingGoesOn) {
    TRxTimer timer;
    timer.SetInterval(10);
    std::atomic<int> failures{0};
    timer.OnTickFailed = [&](const std::exception &) { ++failures; };
    timer.SetOnTimer([](TRxTimer *) { throw std::runtime_error("tick"); });
    EXPECT_TRUE(WaitFor([&] { return failures >= 2; }, 2000));
}

TEST(RxTimer, WindowModeTicksOnAQtTimer) {
    TRxTimer timer;
    timer.SetInterval(10);
    timer.SetThreaded(false);
    int ticks = 0;
    timer.SetOnTimer([&](TRxTimer *) { ++ticks; });
    EXPECT_TRUE(WaitFor([&] { return ticks >= 2; }, 2000));
    EXPECT_FALSE(timer.HasThread());
}

TEST(RxTimer, DestroyingATickingTimerJoinsItsWorker) {
    for (const bool sync : {true, false}) {
        auto timer = std::make_unique<TRxTimer>();
        timer->SetSyncEvent(sync);
        timer->SetInterval(1);
        std::atomic<int> ticks{0};
        timer->SetOnTimer([&](TRxTimer *) { ++ticks; });
        QTest::qWait(20);
        timer.reset();
        const int last = ticks;
        QTest::qWait(20);
        EXPECT_EQ(ticks, last);
    }
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
