// Touch gestures end to end. Gesture messages delivered through the window-system layer to
// the application's router and the two ready-made consumers, and real touch input (QTest
// touch sequences on real widgets) turned into the same messages by the application's touch
// source. Every message goes the way the system sends it: through the application's native
// event filter, then the default window procedure; one application object serves the whole
// run. The tst_touch run takes the touch tests, tst_gesture_absent the one for a system
// without the gesture functions.
#include "TestSupport.h"

#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/Gesture/Emitter.h>
#include <Tavrin/App/Application/Gesture/Router.h>
#include <Tavrin/App/Application/Gesture/Scroller.h>
#include <Tavrin/Win/GestureInjection.h>
#include <Tavrin/Win/WinGesture.h>

#include <QAbstractEventDispatcher>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>
#include <QTouchDevice>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace Tavrin::Win;
using Tavrin::App::Gesture;

namespace {

// Every gesture test leaves the layer's handle table as it found it: empty.
class GestureTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_EQ(OpenGestureInfoHandleCount(), 0); }
};

// A consumer that answers what it is told and records every step it gets.
class RecordingConsumer : public QObject, public Gesture::Consumer
{
public:
    explicit RecordingConsumer(QObject* parent = nullptr) : QObject(parent) {}

    // What WantGesture answers: zoom, pan, rotate, two-finger tap, press-and-tap.
    int answers[5] = {Gesture::All, Gesture::All, Gesture::All, Gesture::All, Gesture::All};

    std::vector<Gesture::Zoom> zooms;
    std::vector<Gesture::Pan> pans;
    std::vector<Gesture::Rotate> rotates;
    std::vector<Gesture::Tap> taps;
    std::vector<Gesture::PressAndTap> pressAndTaps;
    std::vector<QPoint> askedAt;  // pos of every WantGesture(Zoom), the first question

    void OnGesture(const Gesture::PressAndTap& g) override { pressAndTaps.push_back(g); }
    void OnGesture(const Gesture::Tap& g) override { taps.push_back(g); }
    void OnGesture(const Gesture::Rotate& g) override { rotates.push_back(g); }
    void OnGesture(const Gesture::Zoom& g) override { zooms.push_back(g); }
    void OnGesture(const Gesture::Pan& g) override { pans.push_back(g); }
    int WantGesture(const Gesture::PressAndTap&) override { return answers[4]; }
    int WantGesture(const Gesture::Tap&) override { return answers[3]; }
    int WantGesture(const Gesture::Rotate&) override { return answers[2]; }
    int WantGesture(const Gesture::Zoom& g) override
    {
        askedAt.push_back(g.pos);
        return answers[0];
    }
    int WantGesture(const Gesture::Pan&) override { return answers[1]; }
};

// Shows a top-level widget and waits until it can be touched.
void ShowAndWait(QWidget* window)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
}

constexpr double kTwoPi = 6.2831853;

// A window with a consumer-less area on top and an area with a recording consumer below.
struct TouchWindow
{
    TouchWindow()
    {
        window.resize(300, 200);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(plain = new QWidget);
        layout->addWidget(served = new QWidget);
        consumer = new RecordingConsumer(served);
        ShowAndWait(&window);
        hwnd = HandleOfWindow(window.windowHandle());
    }
    QPoint PlainPoint() const { return plain->mapToGlobal(plain->rect().center()); }
    QPoint ServedPoint() const { return served->mapToGlobal(served->rect().center()); }
    QPoint ClientOf(QPoint global) const { return window.mapFromGlobal(global); }
    Delivery Step(DWORD id, DWORD flags, QPoint global, ULONGLONG args = 0)
    {
        return SendGesture(hwnd, {id, flags, global, args});
    }

    QWidget window;
    QWidget* plain = nullptr;
    QWidget* served = nullptr;
    QPointer<RecordingConsumer> consumer;
    HWND hwnd = nullptr;
};

// The negotiation: the consumer's five answers become the window's five records; pan's
// inertia and gutter bits cross over into the system's 0x10 and 0x8. With nothing on the
// parent chain that wants gestures the whole window is blocked and its steps go unconsumed;
// the next notification over a consumer opens it again.
TEST_F(GestureTest, NotificationsConfigureTheWindowFromTheConsumersAnswers)
{
    const DWORD ids[5] = {GID_ZOOM, GID_PAN, GID_ROTATE, GID_TWOFINGERTAP, GID_PRESSANDTAP};
    const struct
    {
        int answers[5];  // zoom, pan, rotate, tap, press-and-tap, as in ids
        DWORD want[5], panBlock;
    } rows[] = {
        {{1, Gesture::All, 1, 1, 1}, {1, 0x1F, 1, 1, 1}, 0x00},
        {{1, Gesture::PanVertically, 0, 2, 1}, {1, 0x03, 0, 0, 1}, 0x1C},
        {{2, Gesture::PanWithInertia, 1, 0, 0}, {0, 0x11, 1, 0, 0}, 0x0E},
        {{0, Gesture::PanWithGutter, 3, 1, -1}, {0, 0x09, 0, 1, 0}, 0x16},
        {{0, Gesture::None, 0, 0, 0}, {0, 0x00, 0, 0, 0}, 0x1F},
        {{1, 30, 1, 1, 1}, {1, 0x1F, 1, 1, 1}, 0x00},
    };
    TouchWindow touch;
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "pan answer " << row.answers[1]);
        std::copy(std::begin(row.answers), std::end(row.answers), touch.consumer->answers);
        EXPECT_FALSE(SendGestureNotify(touch.hwnd, touch.ServedPoint()).consumed);
        const auto config = LastGestureConfig(touch.hwnd);
        ASSERT_EQ(config.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(config[i].dwID, ids[i]);
            EXPECT_EQ(config[i].dwWant, row.want[i]) << "record " << i;
            EXPECT_EQ(config[i].dwBlock, ids[i] == GID_PAN ? row.panBlock : !row.want[i]) << i;
        }
        EXPECT_EQ(touch.consumer->askedAt.back(), touch.ClientOf(touch.ServedPoint()));
    }

    SendGestureNotify(touch.hwnd, touch.PlainPoint());
    const auto blocked = LastGestureConfig(touch.hwnd);
    ASSERT_EQ(blocked.size(), 1u);
    EXPECT_TRUE(blocked[0].dwID == 0 && blocked[0].dwWant == 0 && blocked[0].dwBlock == 1);
    EXPECT_FALSE(touch.Step(GID_PAN, GF_BEGIN, touch.PlainPoint()).consumed);
    EXPECT_TRUE(touch.consumer->pans.empty());
    SendGestureNotify(touch.hwnd, touch.ServedPoint());
    // The chosen consumer keeps the gesture when the finger leaves its widget.
    EXPECT_TRUE(touch.Step(GID_PAN, GF_BEGIN, touch.PlainPoint()).consumed);
    EXPECT_EQ(touch.consumer->pans.size(), 1u);
}

// Without the system's gesture functions (the tst_gesture_absent run) the router configures
// nothing and consumes nothing; the default processing still closes every handle.
TEST_F(GestureTest, WithoutGestureFunctionsMessagesStayUnconsumed)
{
    ASSERT_EQ(GetProcAddress(GetModuleHandleA("user32.dll"), "GetGestureInfo"), nullptr);
    TouchWindow touch;
    EXPECT_FALSE(SendGestureNotify(touch.hwnd, touch.ServedPoint()).consumed);
    EXPECT_TRUE(LastGestureConfig(touch.hwnd).empty());
    for (DWORD id : {GID_ZOOM, GID_PAN, GID_ROTATE}) {
        EXPECT_FALSE(touch.Step(id, GF_BEGIN, touch.ServedPoint()).consumed) << id;
    }
    EXPECT_TRUE(touch.consumer->pans.empty() && touch.consumer->zooms.empty() &&
                touch.consumer->rotates.empty());
}

// Every kind decoded from its arguments; start values follow begin steps only. A step for a
// native child window is passed up to the top-level window by the default window procedure
// and decoded there, in the top-level window's coordinates.
TEST_F(GestureTest, StepsAreDecodedPerKindAlsoForChildWindows)
{
    TouchWindow touch;
    SendGestureNotify(touch.hwnd, touch.ServedPoint());
    const QPoint at = touch.ServedPoint();
    const QPoint client = touch.ClientOf(at);
    RecordingConsumer& c = *touch.consumer;

    touch.Step(GID_ZOOM, GF_BEGIN, at, 120);
    touch.Step(GID_ZOOM, 0, at, 0xFFFFFFFF00000096ull);
    ASSERT_EQ(c.zooms.size(), 2u);
    EXPECT_TRUE(c.zooms[0].begin);
    EXPECT_EQ(c.zooms[1].startDistance, 120.0);
    EXPECT_EQ(c.zooms[1].distance, 150.0);

    touch.Step(GID_PAN, GF_BEGIN, at, 0);
    touch.Step(GID_PAN, GF_INERTIA | GF_END, at + QPoint(5, -3),
               (ULONGLONG(0xFFFE) << 48) | (ULONGLONG(7) << 32) | 0xFFFFFFFF);
    ASSERT_EQ(c.pans.size(), 2u);
    EXPECT_EQ(c.pans[0].globalPos, at);
    EXPECT_EQ(c.pans[1].startPos, client);
    EXPECT_EQ(c.pans[1].pos, client + QPoint(5, -3));
    EXPECT_EQ(c.pans[1].inertiaVector, QPoint(7, -2));
    EXPECT_TRUE(!c.pans[0].hasInertia && c.pans[1].hasInertia && c.pans[1].end);
    EXPECT_EQ(c.pans[1].distance, -1);

    touch.Step(GID_ROTATE, GF_BEGIN, at, 0);
    touch.Step(GID_ROTATE, GF_END, at, 65535);
    touch.Step(GID_ROTATE, GF_BEGIN, at, 65535);
    ASSERT_EQ(c.rotates.size(), 3u);
    EXPECT_NEAR(c.rotates[0].angle, -kTwoPi, 1e-7);
    EXPECT_NEAR(c.rotates[1].angle, kTwoPi, 1e-7);
    EXPECT_NEAR(c.rotates[1].startAngle, -kTwoPi, 1e-7);
    EXPECT_NEAR(c.rotates[2].startAngle, kTwoPi, 1e-7);

    touch.Step(GID_TWOFINGERTAP, GF_BEGIN | GF_END, at, 42);
    touch.Step(GID_PRESSANDTAP, GF_BEGIN, at, 0x0003FFF6);
    ASSERT_EQ(c.taps.size() + c.pressAndTaps.size(), 2u);
    EXPECT_EQ(c.taps[0].distance, 42);
    EXPECT_EQ(c.pressAndTaps[0].tapPos, client + QPoint(-10, 3));

    touch.served->setAttribute(Qt::WA_NativeWindow);
    QTest::qWait(0);
    const HWND child = HandleOfWindow(touch.served->windowHandle());
    ASSERT_EQ(GetParent(child), touch.hwnd);
    EXPECT_TRUE(SendGesture(child, {GID_PAN, GF_BEGIN, at, 0}).consumed);
    EXPECT_EQ(c.pans.back().pos, client);
}

// Broken or foreign input: nothing decoded, nothing crashes, every handle ends up closed.
TEST_F(GestureTest, BadMessagesAreLeftAlone)
{
    QWidget other;  // shown first, so that the touch window lies on top of it
    ShowAndWait(&other);
    TouchWindow touch;
    SendGestureNotify(touch.hwnd, touch.ServedPoint());
    auto send = [&](HWND hwnd, HGESTUREINFO handle) {
        MSG msg{};
        msg.hwnd = hwnd;
        msg.message = WM_GESTURE;
        msg.lParam = reinterpret_cast<LPARAM>(handle);
        return DeliverMessage(msg).consumed;
    };
    const GestureStep pan{GID_PAN, GF_BEGIN, touch.ServedPoint(), 0};

    EXPECT_FALSE(send(touch.hwnd, reinterpret_cast<HGESTUREINFO>(0x12345))) << "never opened";
    const HGESTUREINFO closed = OpenGestureInfoHandle(touch.hwnd, pan);
    CloseGestureInfoHandle(closed);
    EXPECT_FALSE(send(touch.hwnd, closed)) << "stale";
    EXPECT_FALSE(CloseGestureInfoHandle(closed));
    GESTUREINFO shortInfo{};
    shortInfo.cbSize = 40;
    const HGESTUREINFO open = OpenGestureInfoHandle(touch.hwnd, pan);
    EXPECT_FALSE(GetGestureInfo(open, &shortInfo)) << "wrong cbSize";
    // Another window's handle is decoded for the window the message went to, then closed.
    EXPECT_TRUE(send(touch.hwnd, OpenGestureInfoHandle(HandleOfWindow(other.windowHandle()), pan)));
    EXPECT_TRUE(send(touch.hwnd, open));
    EXPECT_EQ(touch.consumer->pans.size(), 2u);
    EXPECT_FALSE(send(reinterpret_cast<HWND>(0xdead), nullptr)) << "unknown window";
    // Ids the router does not decode stay for the default processing, which closes the handle.
    for (DWORD id : {GID_BEGIN, GID_END, DWORD(8), DWORD(0), DWORD(0xFFFF)}) {
        EXPECT_FALSE(touch.Step(id, GF_BEGIN, touch.ServedPoint(), 5).consumed) << id;
    }
    EXPECT_EQ(touch.consumer->pans.size() + touch.consumer->zooms.size(), 2u);

    // Other event types are never read as MSG: a 4-byte buffer would overflow if they were.
    auto bytes = std::make_unique<char[]>(4);
    long result = 0;
    for (const char* type : {"xcb_generic_event_t", "windows_dispatcher_MSG", ""}) {
        EXPECT_FALSE(
            QAbstractEventDispatcher::instance()->filterNativeEvent(type, bytes.get(), &result));
    }
}

// A consumer or window that goes away in the middle of a gesture gets no further step.
TEST_F(GestureTest, ConsumerOrWindowDestroyedMidGesture)
{
    for (bool wholeWindow : {false, true}) {
        auto touch = std::make_unique<TouchWindow>();
        const HWND hwnd = touch->hwnd;
        SendGestureNotify(hwnd, touch->ServedPoint());
        EXPECT_TRUE(touch->Step(GID_PAN, GF_BEGIN, touch->ServedPoint()).consumed);
        const QPoint at = touch->ServedPoint() + QPoint(0, 10);
        if (wholeWindow) {
            touch.reset();
        } else {
            delete touch->consumer;
        }
        EXPECT_FALSE(SendGesture(hwnd, {GID_PAN, 0, at, 0}).consumed);
        EXPECT_FALSE(SendGesture(hwnd, {GID_ZOOM, GF_END, at, 0}).consumed);
    }
}

// The router is an ordinary object: no parent needed, reachable through the producer base.
TEST_F(GestureTest, RouterFindsTheNearestConsumerUpTheTree)
{
    TouchWindow touch;
    auto* inner = new QWidget(touch.served);
    inner->setGeometry(0, 0, 20, 20);
    inner->show();
    Gesture::Router router(nullptr);
    Gesture::Producer& producer = router;  // reached through the base, as consumers see it
    Gesture::Pan at{};
    at.globalPos = inner->mapToGlobal(QPoint(5, 5));
    EXPECT_EQ(producer.Route(at), touch.consumer.data());
    auto* nearer = new RecordingConsumer(inner);
    EXPECT_EQ(producer.Route(at), nearer);
    for (QPoint nowhere : {touch.PlainPoint(), QPoint(-5000, -5000)}) {
        at.globalPos = nowhere;
        EXPECT_EQ(producer.Route(at), nullptr);
    }
}

// What an Emitter wants follows its switches; its tap and two-finger gestures are seen
// working on touch input below.
TEST_F(GestureTest, EmitterWantsWhatItIsSwitchedOnFor)
{
    Gesture::Emitter emitter;
    Gesture::Consumer& consumer = emitter;
    emitter.setVerticalPanEnabled(true);
    EXPECT_EQ(consumer.WantGesture(Gesture::Pan{}), Gesture::PanVertically);
    EXPECT_EQ(consumer.WantGesture(Gesture::Zoom{}), 0);
    emitter.setHorizontalPanEnabled(true);
    emitter.setPanGutterEnabled(true);
    emitter.setPanInertiaEnabled(true);
    emitter.setZoomEnabled(true);
    EXPECT_EQ(consumer.WantGesture(Gesture::Pan{}), 30);
    EXPECT_EQ(consumer.WantGesture(Gesture::Zoom{}), 1);
}

// A pan of a few steps over a real scroll area, delivered through the layer.
void Pan(QWidget* area, const std::vector<QPoint>& points)
{
    const HWND hwnd = HandleOfWindow(area->windowHandle());
    const QPoint origin = area->mapToGlobal(QPoint(0, 0));
    SendGestureNotify(hwnd, origin + points.front());
    for (size_t i = 0; i < points.size(); ++i) {
        const DWORD flags = (i == 0 ? GF_BEGIN : 0) | (i + 1 == points.size() ? GF_END : 0);
        EXPECT_TRUE(SendGesture(hwnd, {GID_PAN, flags, origin + points[i], 0}).consumed);
    }
}

// Begin records 100, the middle step scrolls by 100 - 90, the end only records 80.
TEST_F(GestureTest, ScrolledContentFollowsTheFingerBetweenBeginAndEnd)
{
    QPlainTextEdit text(QString(400, 'x') + QString(200, '\n'));
    text.setLineWrapMode(QPlainTextEdit::NoWrap);
    text.resize(200, 150);
    ShowAndWait(&text);
    text.hide();
    text.show();  // shown again: still one scroller, the area's own
    EXPECT_EQ(text.findChildren<Gesture::Scroller*>().size(), 1);
    EXPECT_EQ(text.findChild<Gesture::Scroller*>()->parent(), &text);
    const auto position = [&] {
        return QPoint(text.horizontalScrollBar()->value(), text.verticalScrollBar()->value());
    };
    text.horizontalScrollBar()->setValue(50);
    text.verticalScrollBar()->setValue(50);
    Pan(&text, {{100, 100}, {90, 103}, {80, 110}});
    EXPECT_EQ(position(), QPoint(60, 47));
    Pan(&text, {{60, 60}, {60, 60}});  // begin and end only: no scrolling
    EXPECT_EQ(position(), QPoint(60, 47));
}

// An item view in item-wise scrolling scrolls by pixels while panned and is back in its modes
// afterwards; panned to its very end, it stays there.
TEST_F(GestureTest, ItemViewScrollsPerPixelDuringThePanAndKeepsItsEnd)
{
    QStringListModel model(QString("row ").repeated(200).split(' ', Qt::SkipEmptyParts));
    QListView list;
    list.setModel(&model);
    list.resize(200, 150);
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    ShowAndWait(&list);
    auto* scroller = list.findChild<Gesture::Scroller*>();
    ASSERT_TRUE(scroller);  // item views get one too
    QScrollBar* v = list.verticalScrollBar();

    QObject::connect(scroller, &Gesture::Emitter::pan, &list, [&](const Gesture::Pan& p) {
        if (!p.end) {
            EXPECT_EQ(list.verticalScrollMode(), QAbstractItemView::ScrollPerPixel);
        }
    });
    Pan(&list, {{50, 140}, {50, -30000}, {50, -30000}});
    EXPECT_EQ(list.verticalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(list.horizontalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(v->value(), v->maximum());
}

// ---- real touch input -------------------------------------------------------------------

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
    const auto fingers = [&] { return QTest::touchEvent(&pad, Screen()); };
    fingers().press(0, QPoint(100, 100), kTarget).press(1, QPoint(200, 100), kTarget);
    fingers().stationary(0).move(1, QPoint(250, 100), kTarget);
    ASSERT_GE(zooms.size(), 2);
    const auto zoom = zooms.last()[0].value<Gesture::Zoom>();
    EXPECT_EQ(zoom.startDistance, 100.0);
    EXPECT_EQ(zoom.distance, 150.0);
    EXPECT_EQ(zoom.pos, QPoint(175, 100));
    EXPECT_EQ(rotates.size(), 0);

    fingers().stationary(0).move(1, QPoint(100, 250), kTarget);
    ASSERT_GE(rotates.size(), 2);
    const auto rotate = rotates.last()[0].value<Gesture::Rotate>();
    EXPECT_NEAR(rotate.startAngle, 0.0, 2e-4);
    EXPECT_NEAR(rotate.angle, M_PI / 2, 2e-4);
    fingers().release(0, QPoint(100, 100), kTarget).release(1, QPoint(100, 250), kTarget);
    EXPECT_TRUE(zooms.last()[0].value<Gesture::Zoom>().end &&
                rotates.last()[0].value<Gesture::Rotate>().end);

    fingers().press(0, QPoint(100, 100), kTarget).press(1, QPoint(160, 180), kTarget);
    fingers().release(0, QPoint(100, 100), kTarget).release(1, QPoint(160, 180), kTarget);
    ASSERT_EQ(taps.size(), 2);
    EXPECT_EQ(taps[0][0].value<Gesture::Tap>().distance, 100);
    EXPECT_EQ(taps[0][0].value<Gesture::Tap>().pos, QPoint(130, 140));
    EXPECT_EQ(pressAndTaps.size(), 0);

    fingers().press(0, QPoint(100, 100), kTarget);
    QTest::qWait(200);
    fingers().stationary(0).press(1, QPoint(90, 130), kTarget);
    fingers().stationary(0).release(1, QPoint(90, 130), kTarget);
    fingers().release(0, QPoint(100, 100), kTarget);
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

int main(int argc, char** argv)
{
    Tavrin::Test::EnterSandbox();
    Tavrin::Test::PointSettingsAtSandbox();
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        Tavrin::App::Application app(argc, argv, Tavrin::App::Application::AppContext{false});
        result = RUN_ALL_TESTS();
    }
    Tavrin::Test::LeaveSandbox();
    return result;
}
