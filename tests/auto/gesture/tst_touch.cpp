// Real touch input (QTest touch sequences on real widgets) turned into gestures by the
// application's touch source, through the same messages, router and consumers as the
// window system's own.
#include "GestureTestSupport.h"

#include <Tavrin/App/Application/Gesture/Emitter.h>
#include <Tavrin/App/Application/Gesture/Scroller.h>

#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>
#include <QTouchDevice>
#include <QWindow>

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

// Waits, bounded, until a value stops changing for a while.
template <typename Read>
void WaitUntilSettled(Read read)
{
    auto previous = read();
    for (int i = 0; i < 60; ++i) {
        QTest::qWait(100);
        const auto now = read();
        if (now == previous) {
            return;
        }
        previous = now;
    }
    ADD_FAILURE() << "still moving after 6 s";
}

struct LongList
{
    LongList()
    {
        QStringList rows;
        rows.reserve(10000);
        for (int i = 0; i < 10000; ++i) {
            rows << QStringLiteral("Item %1").arg(i);
        }
        model.setStringList(rows);
        view.setModel(&model);
        view.setUniformItemSizes(true);
        view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view.resize(240, 320);
        ShowAndWait(&view);
        scroller = view.findChild<Gesture::Scroller*>();
    }
    int Value() const { return view.verticalScrollBar()->value(); }
    QWidget* Viewport() { return view.viewport(); }

    QStringListModel model;
    QListView view;
    Gesture::Scroller* scroller = nullptr;
};

class TouchTest : public GestureTest
{
};

// The content follows the finger exactly; a finger that rests before lifting does not fling.
TEST_F(TouchTest, OneFingerDragScrollsTheListByTheFingerDistance)
{
    LongList list;
    ASSERT_TRUE(list.scroller);
    list.view.verticalScrollBar()->setValue(1000);
    QTest::touchEvent(list.Viewport(), Screen()).press(0, QPoint(100, 280), kTarget);
    for (int y = 270; y >= 80; y -= 10) {
        QTest::touchEvent(list.Viewport(), Screen()).move(0, QPoint(100, y), kTarget);
    }
    EXPECT_EQ(list.Value(), 1200);
    QTest::qWait(150);
    QTest::touchEvent(list.Viewport(), Screen()).release(0, QPoint(100, 80), kTarget);
    EXPECT_EQ(list.Value(), 1200);
    QTest::qWait(50);
    EXPECT_EQ(list.Value(), 1200);
}

// One touch point sent to a window with the device's own timestamp, so that the finger's
// speed does not depend on how fast the test machine is.
void SendTouch(QWidget* widget, QEvent::Type type, Qt::TouchPointState pointState,
               const QPoint& local, ulong timestamp)
{
    QWindow* window = widget->window()->windowHandle();
    const QPoint global = widget->mapToGlobal(local);
    QTouchEvent::TouchPoint point(7);
    point.setState(pointState);
    point.setScreenPos(global);
    point.setPos(window->mapFromGlobal(global));
    QTouchEvent event(type, Screen(), Qt::NoModifier, pointState, {point});
    event.setWindow(window);
    event.setTimestamp(timestamp);
    QCoreApplication::sendEvent(window, &event);
}

// A fling: the list coasts on with inertia steps, slows down and stops; the last step ends
// the gesture.
TEST_F(TouchTest, FlingContinuesWithInertiaAndStops)
{
    LongList list;
    std::vector<Gesture::Pan> steps;
    QObject::connect(list.scroller, &Gesture::Emitter::pan, list.scroller,
                     [&](const Gesture::Pan& pan) { steps.push_back(pan); });
    ulong time = 1000;
    SendTouch(list.Viewport(), QEvent::TouchBegin, Qt::TouchPointPressed, {100, 300}, time);
    for (int y = 280; y >= 100; y -= 20) {
        SendTouch(list.Viewport(), QEvent::TouchUpdate, Qt::TouchPointMoved, {100, y}, time += 10);
    }
    SendTouch(list.Viewport(), QEvent::TouchEnd, Qt::TouchPointReleased, {100, 100}, time += 5);
    const int atRelease = list.Value();
    EXPECT_EQ(atRelease, 200);
    WaitUntilSettled([&] { return list.Value(); });
    EXPECT_GT(list.Value(), atRelease + 50);
    ASSERT_FALSE(steps.empty());
    EXPECT_TRUE(steps.front().begin);
    EXPECT_TRUE(steps.back().end && steps.back().hasInertia);
    int inertial = 0;
    for (const Gesture::Pan& pan : steps) {
        inertial += pan.hasInertia ? 1 : 0;
    }
    EXPECT_GT(inertial, 3);

    // The same drag with a rest before the lift stops where the finger left it.
    list.view.verticalScrollBar()->setValue(0);
    SendTouch(list.Viewport(), QEvent::TouchBegin, Qt::TouchPointPressed, {100, 300}, time += 50);
    for (int y = 280; y >= 100; y -= 20) {
        SendTouch(list.Viewport(), QEvent::TouchUpdate, Qt::TouchPointMoved, {100, y}, time += 10);
    }
    SendTouch(list.Viewport(), QEvent::TouchEnd, Qt::TouchPointReleased, {100, 100}, time += 300);
    QTest::qWait(100);
    EXPECT_EQ(list.Value(), 200);
}

// A widget whose emitter takes two-finger gestures: fingers 100 px apart that spread to
// 150 px and turn a quarter clockwise.
struct TwoFingerPad
{
    TwoFingerPad()
    {
        pad.resize(400, 400);
        emitter = new Gesture::Emitter(&pad);
        emitter->setZoomEnabled(true);
        emitter->setRotateEnabled(true);
        emitter->setTapEnabled(true);
        emitter->setPressAndTapEnabled(true);
        ShowAndWait(&pad);
    }
    QWidget pad;
    Gesture::Emitter* emitter = nullptr;
};

TEST_F(TouchTest, TwoFingersZoomAndRotateAnEmitter)
{
    TwoFingerPad pad;
    QSignalSpy zooms(pad.emitter, &Gesture::Emitter::zoom);
    QSignalSpy rotates(pad.emitter, &Gesture::Emitter::rotate);
    QTest::touchEvent(&pad.pad, Screen())
        .press(0, QPoint(100, 100), kTarget)
        .press(1, QPoint(200, 100), kTarget);
    QTest::touchEvent(&pad.pad, Screen()).stationary(0).move(1, QPoint(250, 100), kTarget);
    ASSERT_GE(zooms.size(), 2);
    const auto zoomBegin = zooms.first()[0].value<Gesture::Zoom>();
    EXPECT_TRUE(zoomBegin.begin);
    EXPECT_EQ(zoomBegin.startDistance, 100.0);
    const auto zoom = zooms.last()[0].value<Gesture::Zoom>();
    EXPECT_EQ(zoom.startDistance, 100.0);
    EXPECT_EQ(zoom.distance, 150.0);
    EXPECT_EQ(zoom.pos, QPoint(175, 100));
    EXPECT_EQ(rotates.size(), 0);

    QTest::touchEvent(&pad.pad, Screen()).stationary(0).move(1, QPoint(100, 250), kTarget);
    ASSERT_GE(rotates.size(), 2);
    const auto rotate = rotates.last()[0].value<Gesture::Rotate>();
    EXPECT_NEAR(rotate.startAngle, 0.0, 2e-4);
    EXPECT_NEAR(rotate.angle, M_PI / 2, 2e-4);
    QTest::touchEvent(&pad.pad, Screen())
        .release(0, QPoint(100, 100), kTarget)
        .release(1, QPoint(100, 250), kTarget);
    EXPECT_TRUE(zooms.last()[0].value<Gesture::Zoom>().end);
    EXPECT_TRUE(rotates.last()[0].value<Gesture::Rotate>().end);
}

// Two fingers landing and lifting together tap; a second finger tapping beside a held one
// is a press-and-tap at the offset of the second finger.
TEST_F(TouchTest, TwoFingerTapAndPressAndTap)
{
    TwoFingerPad pad;
    QSignalSpy taps(pad.emitter, &Gesture::Emitter::tap);
    QSignalSpy pressAndTaps(pad.emitter, &Gesture::Emitter::pressAndTap);
    QTest::touchEvent(&pad.pad, Screen())
        .press(0, QPoint(100, 100), kTarget)
        .press(1, QPoint(160, 180), kTarget);
    QTest::touchEvent(&pad.pad, Screen())
        .release(0, QPoint(100, 100), kTarget)
        .release(1, QPoint(160, 180), kTarget);
    ASSERT_EQ(taps.size(), 2);
    EXPECT_EQ(taps[0][0].value<Gesture::Tap>().distance, 100);
    EXPECT_EQ(taps[0][0].value<Gesture::Tap>().pos, QPoint(130, 140));
    EXPECT_EQ(pressAndTaps.size(), 0);

    QTest::touchEvent(&pad.pad, Screen()).press(0, QPoint(100, 100), kTarget);
    QTest::qWait(200);
    QTest::touchEvent(&pad.pad, Screen()).stationary(0).press(1, QPoint(90, 130), kTarget);
    QTest::touchEvent(&pad.pad, Screen()).stationary(0).release(1, QPoint(90, 130), kTarget);
    QTest::touchEvent(&pad.pad, Screen()).release(0, QPoint(100, 100), kTarget);
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
    Recorder() { setAttribute(Qt::WA_AcceptTouchEvents, acceptsTouch); }
    bool acceptsTouch = true;
    QList<QEvent::Type> seen;

protected:
    bool event(QEvent* e) override
    {
        switch (e->type()) {
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
                seen.append(e->type());
                e->accept();
                return true;
            default:
                return QWidget::event(e);
        }
    }
};

// Where no consumer wants anything, touches stay ordinary touch events; where one takes
// gestures, a tap that becomes none still reaches the widget as a click.
TEST_F(TouchTest, TouchesNoConsumerWantsStayOrdinaryEvents)
{
    Recorder plain;
    plain.resize(200, 200);
    ShowAndWait(&plain);
    QTest::touchEvent(&plain, Screen()).press(0, QPoint(50, 50), kTarget);
    QTest::touchEvent(&plain, Screen()).move(0, QPoint(80, 90), kTarget);
    QTest::touchEvent(&plain, Screen()).release(0, QPoint(80, 90), kTarget);
    EXPECT_EQ(plain.seen,
              (QList<QEvent::Type>{QEvent::TouchBegin, QEvent::TouchUpdate, QEvent::TouchEnd}));

    Recorder served;
    served.resize(200, 200);
    auto* emitter = new Gesture::Emitter(&served);
    emitter->setVerticalPanEnabled(true);
    ShowAndWait(&served);
    QTest::touchEvent(&served, Screen()).press(0, QPoint(50, 50), kTarget);
    QTest::touchEvent(&served, Screen()).release(0, QPoint(52, 50), kTarget);
    EXPECT_EQ(served.seen,
              (QList<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease}));
}

// Ten fingers, a finger never lifted, a window closed while the content coasts: no gesture
// comes of them, nothing crashes, and the next ordinary drag works.
TEST_F(TouchTest, BrokenSequencesLeaveNothingBehind)
{
    auto list = std::make_unique<LongList>();
    QWidget* viewport = list->Viewport();
    {
        auto all = QTest::touchEvent(viewport, Screen());
        for (int finger = 0; finger < 10; ++finger) {
            all.press(finger, QPoint(10 + 20 * finger, 100), kTarget);
        }
    }
    {
        auto all = QTest::touchEvent(viewport, Screen());
        for (int finger = 0; finger < 10; ++finger) {
            all.move(finger, QPoint(10 + 20 * finger, 10), kTarget);
        }
    }
    {
        auto all = QTest::touchEvent(viewport, Screen());
        for (int finger = 1; finger < 10; ++finger) {
            all.release(finger, QPoint(10 + 20 * finger, 10), kTarget);
        }
    }
    EXPECT_EQ(list->Value(), 0);
    QTest::touchEvent(viewport, Screen()).release(0, QPoint(10, 10), kTarget);

    QTest::touchEvent(viewport, Screen())
        .press(3, QPoint(100, 200), kTarget);  // never released here
    Recorder other;
    other.resize(100, 100);
    ShowAndWait(&other);
    QTest::touchEvent(&other, Screen()).stationary(3).press(4, QPoint(20, 20), kTarget);
    QTest::touchEvent(&other, Screen()).stationary(3).release(4, QPoint(20, 20), kTarget);
    QTest::touchEvent(viewport, Screen()).release(3, QPoint(100, 200), kTarget);

    QTest::touchEvent(viewport, Screen()).press(0, QPoint(100, 300), kTarget);
    QTest::touchEvent(viewport, Screen()).move(0, QPoint(100, 250), kTarget);
    EXPECT_EQ(list->Value(), 50);
    for (int y = 230; y >= 50; y -= 20) {
        QTest::qWait(8);
        QTest::touchEvent(viewport, Screen()).move(0, QPoint(100, y), kTarget);
    }
    QTest::touchEvent(viewport, Screen()).release(0, QPoint(100, 50), kTarget);
    list.reset();  // closed while coasting
    QTest::qWait(100);
}

}  // namespace
