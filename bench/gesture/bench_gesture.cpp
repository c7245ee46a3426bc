// One pan of 1,000 steps over a shown 10,000-item list, three ways: the scroll-bar calls
// themselves, the gesture messages through the application's native event filter, router
// and scroller, and touch events through the touch source that makes those messages. Plus
// the cost of one step's decoding and routing to a consumer that does nothing.
#include <Tavrin/App/Application/Application.h>
#include <Tavrin/App/Application/Gesture/Consumer.h>
#include <Tavrin/App/Application/Gesture/Scroller.h>
#include <Tavrin/Win/GestureInjection.h>
#include <Tavrin/Win/WinGesture.h>

#include <QDir>
#include <QListView>
#include <QScrollBar>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTouchDevice>
#include <QTouchEvent>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace Tavrin::Win;
using Tavrin::App::Gesture;

constexpr int kSteps = 1000;

struct ShownList
{
    ShownList()
    {
        QStringList rows;
        for (int i = 0; i < 10000; ++i) {
            rows << QStringLiteral("Item %1").arg(i);
        }
        model.setStringList(rows);
        view.setModel(&model);
        view.setUniformItemSizes(true);
        view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        view.resize(300, 400);
        view.show();
        QCoreApplication::processEvents();
        hwnd = HandleOfWindow(view.windowHandle());
        start = view.viewport()->mapToGlobal(QPoint(150, 390));
    }
    void Reset()
    {
        view.verticalScrollBar()->setValue(0);
        view.horizontalScrollBar()->setValue(0);
    }
    QStringListModel model;
    QListView view;
    HWND hwnd = nullptr;
    QPoint start;
};

ShownList& List()
{
    static ShownList list;
    return list;
}

// What a scroller does per step, by hand.
void BM_Pan_ScrollBarCalls(benchmark::State& state)
{
    ShownList& list = List();
    QScrollBar* h = list.view.horizontalScrollBar();
    QScrollBar* v = list.view.verticalScrollBar();
    for (auto _ : state) {
        list.Reset();
        for (int step = 1; step < kSteps - 1; ++step) {
            h->setValue(h->value() + 0);
            v->setValue(v->value() + 1);
        }
    }
    benchmark::DoNotOptimize(v->value());
    state.SetItemsProcessed(state.iterations() * kSteps);
}
BENCHMARK(BM_Pan_ScrollBarCalls)->Unit(benchmark::kMicrosecond);

void BM_Pan_GestureMessages(benchmark::State& state)
{
    ShownList& list = List();
    for (auto _ : state) {
        list.Reset();
        SendGestureNotify(list.hwnd, list.start);
        for (int step = 0; step < kSteps; ++step) {
            const DWORD flags = step == 0 ? GF_BEGIN : step == kSteps - 1 ? GF_END : 0;
            SendGesture(list.hwnd, {GID_PAN, flags, list.start - QPoint(0, step), 0});
        }
    }
    if (list.view.verticalScrollBar()->value() != kSteps - 2) {
        state.SkipWithError("the list did not follow the pan");
    }
    state.SetItemsProcessed(state.iterations() * kSteps);
}
BENCHMARK(BM_Pan_GestureMessages)->Unit(benchmark::kMicrosecond);

void SendTouch(QWindow* window, QEvent::Type type, Qt::TouchPointState pointState,
               const QPoint& global)
{
    static QTouchDevice* device = [] {
        auto* screen = new QTouchDevice;
        screen->setType(QTouchDevice::TouchScreen);
        return screen;
    }();
    QTouchEvent::TouchPoint point(1);
    point.setState(pointState);
    point.setScreenPos(global);
    point.setPos(window->mapFromGlobal(global));
    QTouchEvent event(type, device, Qt::NoModifier, pointState, {point});
    event.setWindow(window);
    QCoreApplication::sendEvent(window, &event);
}

void BM_Pan_TouchEvents(benchmark::State& state)
{
    ShownList& list = List();
    QWindow* window = list.view.windowHandle();
    for (auto _ : state) {
        list.Reset();
        SendTouch(window, QEvent::TouchBegin, Qt::TouchPointPressed, list.start);
        for (int step = 1; step < kSteps - 1; ++step) {
            SendTouch(window, QEvent::TouchUpdate, Qt::TouchPointMoved,
                      list.start - QPoint(0, step));
        }
        SendTouch(window, QEvent::TouchEnd, Qt::TouchPointReleased,
                  list.start - QPoint(0, kSteps - 2));
    }
    if (list.view.verticalScrollBar()->value() < kSteps - 2) {
        state.SkipWithError("the list did not follow the finger");
    }
    state.SetItemsProcessed(state.iterations() * kSteps);
}
BENCHMARK(BM_Pan_TouchEvents)->Unit(benchmark::kMicrosecond);

// A consumer that takes every pan and does nothing with it.
struct Sink : QObject, Gesture::Consumer
{
    using QObject::QObject;
    int WantGesture(const Gesture::Pan&) override { return Gesture::All; }
    void OnGesture(const Gesture::Pan& pan) override { benchmark::DoNotOptimize(pan.pos); }
};

void BM_Step_DecodeAndRoute(benchmark::State& state)
{
    QWidget window;
    window.resize(200, 200);
    new Sink(&window);
    window.show();
    QCoreApplication::processEvents();
    const HWND hwnd = HandleOfWindow(window.windowHandle());
    const QPoint at = window.mapToGlobal(QPoint(100, 100));
    SendGestureNotify(hwnd, at);
    for (auto _ : state) {
        SendGesture(hwnd, {GID_PAN, 0, at, 0});
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Step_DecodeAndRoute);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The application writes its crash session under HOME: keep that out of the user's.
    QTemporaryDir home;
    qputenv("HOME", QDir(home.path()).absolutePath().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    benchmark::Initialize(&argc, argv);
    {
        Tavrin::App::Application application(argc, argv,
                                             Tavrin::App::Application::AppContext{false});
        benchmark::RunSpecifiedBenchmarks();
    }
    return 0;
}
