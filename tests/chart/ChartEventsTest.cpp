#include "ChartFixture.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWheelEvent>

namespace {

// Counts every event the chart raises.
struct EventSpies {
    explicit EventSpies(TChart &chart)
        : zoom(&chart, &TChart::OnZoom), undo(&chart, &TChart::OnUndoZoom), scroll(&chart, &TChart::OnScroll),
          wheel(&chart, &TChart::OnMouseWheel), click(&chart, &TChart::OnClick) {}
    int Total() const { return int(zoom.count() + undo.count() + scroll.count() + wheel.count() + click.count()); }
    QSignalSpy zoom, undo, scroll, wheel, click;
};

} // namespace

class ChartMouseFixture : public ChartFixture {
protected:
    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, at, Plot().mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&Plot(), &event);
    }
    void Drag(QPoint from, QPoint to, Qt::MouseButton button) {
        Send(QEvent::MouseButtonPress, from, button, button);
        Send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
        Send(QEvent::MouseMove, to, Qt::NoButton, button);
        Send(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }
    void Wheel(int delta) {
        const QPoint at = chart.ChartRect().center();
        QWheelEvent event(at, Plot().mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&Plot(), &event);
    }
    QPoint At(double x, double y) { return {chart.BottomAxis().CalcPosValue(x), chart.LeftAxis().CalcPosValue(y)}; }
};

TEST_F(ChartMouseFixture, RangesSetByCodeRaiseNoEvent) {
    EventSpies spies(chart);
    chart.BottomAxis().SetMinMax(2, 8);
    chart.LeftAxis().SetMinimum(-5);
    chart.RightAxis().SetAutomatic(true);
    chart.UndoZoom();
    chart.Repaint();
    chart.resize(500, 320);
    QCoreApplication::processEvents();
    EXPECT_EQ(spies.Total(), 0);
}

TEST_F(ChartMouseFixture, ADragToTheLowerRightZoomsOnceAndTheHandlerStillSeesThePreviousRange) {
    EventSpies spies(chart);
    double previousLeft = 0, previousRight = 0;
    QObject::connect(&chart, &TChart::OnZoom, [&] {
        previousLeft = chart.BottomAxis().CalcPosPoint(chart.ChartRect().left());
        previousRight = chart.BottomAxis().CalcPosPoint(chart.ChartRect().left() + chart.ChartWidth());
    });
    Drag(At(2, 8), At(6, 4), Qt::LeftButton);
    EXPECT_EQ(spies.zoom.count(), 1);
    EXPECT_EQ(spies.Total(), 1);
    const double pixelX = 10.0 / chart.ChartWidth(), pixelY = 10.0 / chart.ChartHeight();
    EXPECT_NEAR(chart.BottomAxis().Minimum(), 2, pixelX);
    EXPECT_NEAR(chart.BottomAxis().Maximum(), 6, pixelX);
    EXPECT_NEAR(chart.LeftAxis().Minimum(), 4, pixelY);
    EXPECT_NEAR(chart.LeftAxis().Maximum(), 8, pixelY);
    EXPECT_NEAR(previousLeft, 0, 1e-9);
    EXPECT_NEAR(previousRight, 10, 1e-9);
    EXPECT_TRUE(chart.Zoomed());
}

TEST_F(ChartMouseFixture, ADragTheOtherWayUndoesTheZoomAndAShortOneIsAClick) {
    Drag(At(2, 8), At(6, 4), Qt::LeftButton);
    chart.Repaint();
    EventSpies spies(chart);
    Drag(At(6, 4), At(3, 7), Qt::LeftButton);
    EXPECT_EQ(spies.undo.count(), 1);
    EXPECT_EQ(spies.zoom.count(), 0);
    EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 10);
    EXPECT_EQ(chart.LeftAxis().Maximum(), 10);
    EXPECT_FALSE(chart.Zoomed());

    chart.Repaint();
    const QPoint centre = chart.ChartRect().center();
    Drag(centre, centre + QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(spies.click.count(), 1);
    EXPECT_EQ(spies.zoom.count(), 0);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 10);

    chart.SetAllowZoom(false);
    Drag(At(2, 8), At(6, 4), Qt::LeftButton);
    EXPECT_EQ(spies.zoom.count(), 0);
    EXPECT_EQ(chart.BottomAxis().Maximum(), 10);
}

TEST_F(ChartMouseFixture, ARightDragScrollsTheValuesAlongWithTheMouse) {
    EventSpies spies(chart);
    Drag(At(5, 5), At(7, 4), Qt::RightButton);
    EXPECT_EQ(spies.scroll.count(), 2); // one per move
    EXPECT_EQ(spies.zoom.count(), 0);
    // the value 5 now lies under the mouse at the pixel where 7 was
    const double pixelX = 10.0 / chart.ChartWidth(), pixelY = 10.0 / chart.ChartHeight();
    EXPECT_NEAR(chart.BottomAxis().Minimum(), -2, 2 * pixelX);
    EXPECT_NEAR(chart.BottomAxis().Maximum(), 8, 2 * pixelX);
    EXPECT_NEAR(chart.LeftAxis().Minimum(), 1, 2 * pixelY);
    EXPECT_NEAR(chart.LeftAxis().Maximum(), 11, 2 * pixelY);

    chart.UndoZoom();
    EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
    chart.SetAllowPanning(false);
    Drag(At(5, 5), At(7, 4), Qt::RightButton);
    EXPECT_EQ(spies.scroll.count(), 2);
    EXPECT_EQ(chart.BottomAxis().Minimum(), 0);
}

TEST_F(ChartMouseFixture, WheelEventsOfABurstMakeOneStepOfWholeNotches) {
    EventSpies spies(chart);
    Wheel(60);
    Wheel(120);
    Wheel(60);
    EXPECT_EQ(spies.wheel.count(), 0); // not before the queued events are in
    QCoreApplication::processEvents();
    ASSERT_EQ(spies.wheel.count(), 1);
    EXPECT_EQ(spies.wheel.at(0).at(0).toInt(), 240);

    Wheel(-60); // half a notch waits for the rest
    QCoreApplication::processEvents();
    EXPECT_EQ(spies.wheel.count(), 1);
    Wheel(-60);
    QCoreApplication::processEvents();
    ASSERT_EQ(spies.wheel.count(), 2);
    EXPECT_EQ(spies.wheel.at(1).at(0).toInt(), -120);
    EXPECT_EQ(chart.LeftAxis().Maximum(), 10); // stepping is the handler's business
}
