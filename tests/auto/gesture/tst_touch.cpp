// Real touch input (QTest touch sequences on real widgets) turned into gestures by the
// application's touch source, through the same messages, router and consumers as the
// window system's own.
#include "GestureTestSupport.h"

#include <Tavrin/App/Application/Gesture/Emitter.h>
#include <Tavrin/App/Application/Gesture/Scroller.h>

#include <QListView>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>
#include <QTouchDevice>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace Tavrin::Test;
using Tavrin::App::Gesture;

namespace {

// Points are relative to the widget the sequence was made for.
QWidget* const kTarget = nullptr;

QTouchDevice* Screen()
{
    static QTouchDevice* device = QTest::createTouchDevice(QTouchDevice::TouchScreen);
    return device;
}

struct LongList
{
    LongList()
    {
        model.setStringList(QString("Item ").repeated(10000).split(' ', Qt::SkipEmptyParts));
        view.setModel(&model);
        view.setUniformItemSizes(true);
        view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view.resize(240, 320);
        ShowAndWait(&view);
    }
    int Value() const { return view.verticalScrollBar()->value(); }
    // A drag from y 300 up to y 100 at 2 px/ms, lifted `rest` ms after the last move.
    void Drag(ulong& time, ulong rest)
    {
        Send(QEvent::TouchBegin, Qt::TouchPointPressed, 300, time += 50);
        for (int y = 280; y >= 100; y -= 20) {
            Send(QEvent::TouchUpdate, Qt::TouchPointMoved, y, time += 10);
        }
        Send(QEvent::TouchEnd, Qt::TouchPointReleased, 100, time += rest);
    }
    // One touch point sent with the device's own timestamp, so that the finger's speed does
    // not depend on how fast the test machine is.
    void Send(QEvent::Type type, Qt::TouchPointState pointState, int y, ulong timestamp)
    {
        QWindow* window = view.windowHandle();
        const QPoint global = view.viewport()->mapToGlobal(QPoint(100, y));
        QTouchEvent::TouchPoint point(7);
        point.setState(pointState);
        point.setScreenPos(global);
        point.setPos(window->mapFromGlobal(global));
        QTouchEvent event(type, Screen(), Qt::NoModifier, pointState, {point});
        event.setWindow(window);
        event.setTimestamp(timestamp);
        QCoreApplication::sendEvent(window, &event);
    }

    QStringListModel model;
    QListView view;
};

using TouchTest = GestureTest;

// A fling: the list coasts on with inertia steps, slows down and stops; the last step ends
// the gesture.
TEST_F(TouchTest, FlingContinuesWithInertiaAndStops)
{
    LongList list;
    std::vector<Gesture::Pan> steps;
    auto* scroller = list.view.findChild<Gesture::Scroller*>();
    QObject::connect(scroller, &Gesture::Emitter::pan, scroller,
                     [&](const Gesture::Pan& pan) { steps.push_back(pan); });
    ulong time = 1000;
    list.Drag(time, 5);
    EXPECT_EQ(list.Value(), 200);  // the content follows the finger exactly
    ASSERT_FALSE(steps.empty());
    for (int i = 0; i < 60 && !steps.back().end; ++i) {  // coasting, 6 s at most
        QTest::qWait(100);
    }
    const int stopped = list.Value();
    EXPECT_GT(stopped, 250);
    EXPECT_TRUE(steps.front().begin && steps.back().end && steps.back().hasInertia);
    EXPECT_GT(std::count_if(steps.begin(), steps.end(), [](auto& pan) { return pan.hasInertia; }),
              3);
    QTest::qWait(100);
    EXPECT_EQ(list.Value(), stopped);

    // The same drag with a rest before the lift stops where the finger left it.
    list.view.verticalScrollBar()->setValue(0);
    list.Drag(time, 300);
    QTest::qWait(100);
    EXPECT_EQ(list.Value(), 200);
}

// An emitter taking two-finger gestures: fingers 100 px apart spread to 150 px and turn a
// quarter clockwise; two fingers landing and lifting together tap; a second finger tapping
// beside a held one is a press-and-tap at the offset of the second finger.
TEST_F(TouchTest, TwoFingerGesturesOnAnEmitter)
{
    QWidget pad;
    pad.resize(400, 400);
    auto* emitter = new Gesture::Emitter(&pad);
    emitter->setZoomEnabled(true);
    emitter->setRotateEnabled(true);
    emitter->setTapEnabled(true);
    emitter->setPressAndTapEnabled(true);
    ShowAndWait(&pad);
    QSignalSpy zooms(emitter, &Gesture::Emitter::zoom);
    QSignalSpy rotates(emitter, &Gesture::Emitter::rotate);
    QSignalSpy taps(emitter, &Gesture::Emitter::tap);
    QSignalSpy pressAndTaps(emitter, &Gesture::Emitter::pressAndTap);
    QTest::touchEvent(&pad, Screen())
        .press(0, QPoint(100, 100), kTarget)
        .press(1, QPoint(200, 100), kTarget);
    QTest::touchEvent(&pad, Screen()).stationary(0).move(1, QPoint(250, 100), kTarget);
    ASSERT_GE(zooms.size(), 2);
    const auto zoom = zooms.last()[0].value<Gesture::Zoom>();
    EXPECT_EQ(zoom.startDistance, 100.0);
    EXPECT_EQ(zoom.distance, 150.0);
    EXPECT_EQ(zoom.pos, QPoint(175, 100));
    EXPECT_EQ(rotates.size(), 0);

    QTest::touchEvent(&pad, Screen()).stationary(0).move(1, QPoint(100, 250), kTarget);
    ASSERT_GE(rotates.size(), 2);
    const auto rotate = rotates.last()[0].value<Gesture::Rotate>();
    EXPECT_NEAR(rotate.startAngle, 0.0, 2e-4);
    EXPECT_NEAR(rotate.angle, M_PI / 2, 2e-4);
    QTest::touchEvent(&pad, Screen())
        .release(0, QPoint(100, 100), kTarget)
        .release(1, QPoint(100, 250), kTarget);
    EXPECT_TRUE(zooms.last()[0].value<Gesture::Zoom>().end &&
                rotates.last()[0].value<Gesture::Rotate>().end);

    QTest::touchEvent(&pad, Screen())
        .press(0, QPoint(100, 100), kTarget)
        .press(1, QPoint(160, 180), kTarget);
    QTest::touchEvent(&pad, Screen())
        .release(0, QPoint(100, 100), kTarget)
        .release(1, QPoint(160, 180), kTarget);
    ASSERT_EQ(taps.size(), 2);
    EXPECT_EQ(taps[0][0].value<Gesture::Tap>().distance, 100);
    EXPECT_EQ(taps[0][0].value<Gesture::Tap>().pos, QPoint(130, 140));
    EXPECT_EQ(pressAndTaps.size(), 0);

    QTest::touchEvent(&pad, Screen()).press(0, QPoint(100, 100), kTarget);
    QTest::qWait(200);
    QTest::touchEvent(&pad, Screen()).stationary(0).press(1, QPoint(90, 130), kTarget);
    QTest::touchEvent(&pad, Screen()).stationary(0).release(1, QPoint(90, 130), kTarget);
    QTest::touchEvent(&pad, Screen()).release(0, QPoint(100, 100), kTarget);
    ASSERT_EQ(pressAndTaps.size(), 2);
    const auto pressAndTap = pressAndTaps[0][0].value<Gesture::PressAndTap>();
    EXPECT_EQ(pressAndTap.pos, QPoint(100, 100));
    EXPECT_EQ(pressAndTap.tapPos, QPoint(90, 130));
    EXPECT_EQ(taps.size(), 2);
}

// Records what reaches a widget.
class Recorder : public QWidget
{
public:
    Recorder()
    {
        setAttribute(Qt::WA_AcceptTouchEvents);
        resize(200, 200);
    }
    QList<QEvent::Type> seen;

protected:
    bool event(QEvent* e) override
    {
        if (!QSet<QEvent::Type>{QEvent::TouchBegin, QEvent::TouchUpdate, QEvent::TouchEnd,
                                QEvent::MouseButtonPress, QEvent::MouseButtonRelease}
                 .contains(e->type())) {
            return QWidget::event(e);
        }
        seen.append(e->type());
        e->accept();
        return true;
    }
};

// Where no consumer wants anything, touches stay ordinary touch events; where one takes
// gestures, a tap that becomes none still reaches the widget as a click.
TEST_F(TouchTest, TouchesNoConsumerWantsStayOrdinaryEvents)
{
    Recorder plain, served;
    (new Gesture::Emitter(&served))->setVerticalPanEnabled(true);
    ShowAndWait(&plain);
    QTest::touchEvent(&plain, Screen()).press(0, QPoint(50, 50), kTarget);
    QTest::touchEvent(&plain, Screen()).move(0, QPoint(80, 90), kTarget);
    QTest::touchEvent(&plain, Screen()).release(0, QPoint(80, 90), kTarget);
    ShowAndWait(&served);
    QTest::touchEvent(&served, Screen()).press(0, QPoint(50, 50), kTarget);
    QTest::touchEvent(&served, Screen()).release(0, QPoint(52, 50), kTarget);
    EXPECT_EQ(plain.seen,
              (QList<QEvent::Type>{QEvent::TouchBegin, QEvent::TouchUpdate, QEvent::TouchEnd}));
    EXPECT_EQ(served.seen,
              (QList<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease}));
}

// Ten fingers, a finger never lifted, a window closed while the content coasts: no gesture
// comes of them, nothing crashes, and the next ordinary drag works.
TEST_F(TouchTest, BrokenSequencesLeaveNothingBehind)
{
    auto list = std::make_unique<LongList>();
    QWidget* viewport = list->view.viewport();
    for (int step = 0; step < 3; ++step) {  // ten down, ten moved, nine up
        auto all = QTest::touchEvent(viewport, Screen());
        for (int finger = step / 2; finger < 10; ++finger) {
            const QPoint at(10 + 20 * finger, step ? 10 : 100);
            step == 0   ? all.press(finger, at, kTarget)
            : step == 1 ? all.move(finger, at, kTarget)
                        : all.release(finger, at, kTarget);
        }
    }
    EXPECT_EQ(list->Value(), 0);
    QTest::touchEvent(viewport, Screen()).release(0, QPoint(10, 10), kTarget);

    QTest::touchEvent(viewport, Screen())
        .press(3, QPoint(100, 200), kTarget);  // never released here
    Recorder other;
    ShowAndWait(&other);
    QTest::touchEvent(&other, Screen()).stationary(3).press(4, QPoint(20, 20), kTarget);
    QTest::touchEvent(&other, Screen()).stationary(3).release(4, QPoint(20, 20), kTarget);
    QTest::touchEvent(viewport, Screen()).release(3, QPoint(100, 200), kTarget);

    ulong time = 1000;
    list->Drag(time, 5);
    EXPECT_EQ(list->Value(), 200);
    list.reset();  // closed while coasting
    QTest::qWait(100);
}

}  // namespace
