// Gesture messages delivered through the window-system layer to the application's router,
// and the two ready-made consumers. Every message goes the way the system sends it: through
// the application's native event filter, then the default window procedure.
#include "GestureTestSupport.h"

#include <Tavrin/App/Application/Gesture/Emitter.h>
#include <Tavrin/App/Application/Gesture/Router.h>
#include <Tavrin/App/Application/Gesture/Scroller.h>

#include <QAbstractEventDispatcher>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStringListModel>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

using namespace Tavrin::Test;
using namespace Tavrin::Win;
using Tavrin::App::Gesture;

namespace {

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
        hwnd = HandleOf(&window);
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
// inertia and gutter bits cross over into the system's 0x10 and 0x8.
TEST_F(GestureTest, NegotiationTurnsAnswersIntoTheWindowsConfiguration)
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

// Nothing on the parent chain wants gestures: the whole window is blocked and its steps go
// unconsumed; the next notification over a consumer opens it again.
TEST_F(GestureTest, NotificationWithoutConsumerBlocksTheWindowUntilOneOverAConsumer)
{
    TouchWindow touch;
    SendGestureNotify(touch.hwnd, touch.ServedPoint());
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

// Every kind decoded from its arguments; start values follow begin steps only.
TEST_F(GestureTest, StepsAreDecodedPerKind)
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
}

// A step for a native child window is passed up to the top-level window by the default
// window procedure and decoded there, in the top-level window's coordinates.
TEST_F(GestureTest, ChildWindowStepGoesUpThroughTheDefaultProcedure)
{
    TouchWindow touch;
    touch.served->setAttribute(Qt::WA_NativeWindow);
    QTest::qWait(0);
    const HWND child = HandleOfWindow(touch.served->windowHandle());
    ASSERT_NE(child, touch.hwnd);
    ASSERT_EQ(GetParent(child), touch.hwnd);
    SendGestureNotify(touch.hwnd, touch.ServedPoint());
    EXPECT_TRUE(SendGesture(child, {GID_PAN, GF_BEGIN, touch.ServedPoint(), 0}).consumed);
    ASSERT_EQ(touch.consumer->pans.size(), 1u);
    EXPECT_EQ(touch.consumer->pans[0].pos, touch.ClientOf(touch.ServedPoint()));
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
    EXPECT_TRUE(send(touch.hwnd, OpenGestureInfoHandle(HandleOf(&other), pan)));
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

TEST_F(GestureTest, EmitterWantsWhatItIsSwitchedOnFor)
{
    Gesture::Emitter emitter;
    Gesture::Consumer& c = emitter;
    const auto answers = [&] {
        return std::vector<int>{c.WantGesture(Gesture::Zoom{}), c.WantGesture(Gesture::Pan{}),
                                c.WantGesture(Gesture::Rotate{}), c.WantGesture(Gesture::Tap{}),
                                c.WantGesture(Gesture::PressAndTap{})};
    };
    EXPECT_EQ(answers(), (std::vector<int>{0, 0, 0, 0, 0}));
    emitter.setVerticalPanEnabled(true);
    emitter.setZoomEnabled(true);
    EXPECT_EQ(answers(), (std::vector<int>{1, 2, 0, 0, 0}));
    emitter.setHorizontalPanEnabled(true);
    emitter.setPanGutterEnabled(true);
    emitter.setPanInertiaEnabled(true);
    emitter.setRotateEnabled(true);
    emitter.setTapEnabled(true);
    emitter.setPressAndTapEnabled(true);
    EXPECT_EQ(answers(), (std::vector<int>{1, 30, 1, 1, 1}));
}

// A pan of a few steps over a real scroll area, delivered through the layer.
void Pan(QWidget* area, const std::vector<QPoint>& points)
{
    const HWND hwnd = HandleOf(area);
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
    QPlainTextEdit text;
    text.setLineWrapMode(QPlainTextEdit::NoWrap);
    text.setPlainText(QString(400, 'x') + QString(200, '\n'));
    text.resize(200, 150);
    ShowAndWait(&text);
    text.hide();
    text.show();  // shown again: still one scroller, the area's own
    const auto scrollers = text.findChildren<Gesture::Scroller*>();
    ASSERT_EQ(scrollers.size(), 1);
    EXPECT_EQ(scrollers[0]->parent(), &text);
    QScrollBar* h = text.horizontalScrollBar();
    QScrollBar* v = text.verticalScrollBar();
    h->setValue(50);
    v->setValue(50);
    Pan(&text, {{100, 100}, {90, 103}, {80, 110}});
    EXPECT_EQ(QPoint(h->value(), v->value()), QPoint(60, 47));
    Pan(&text, {{60, 60}, {60, 60}});  // begin and end only: no scrolling
    EXPECT_EQ(QPoint(h->value(), v->value()), QPoint(60, 47));
}

// An item view scrolls by pixels while panned and is back in its modes afterwards; one in
// item-wise scrolling panned to its very end stays there.
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
    Pan(&list, {{50, 140}, {50, 100}, {50, 100}});
    EXPECT_EQ(list.verticalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(list.horizontalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_GT(v->value(), 0);

    Pan(&list, {{50, 140}, {50, -30000}, {50, -30000}});
    EXPECT_EQ(list.verticalScrollMode(), QAbstractItemView::ScrollPerItem);
    EXPECT_EQ(v->value(), v->maximum());
}

}  // namespace
