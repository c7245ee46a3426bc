// Gesture messages as the window system would send them, with any gesture id, flags, touch
// point and arguments: the router decodes each through the message layer, hands it to the
// consumer under the point (or lets it go on), and every gesture-information handle is closed.
#include <Tavrin/App/Application/Gesture/Emitter.h>
#include <Tavrin/App/Application/Gesture/Router.h>
#include <Tavrin/Win/GestureInjection.h>
#include <Tavrin/Win/WinGesture.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace Tavrin;

namespace {

// What the application object installs: messages of the layer go to the router.
struct RouterFilter : QAbstractNativeEventFilter
{
    App::Gesture::Router router{nullptr};
    bool nativeEventFilter(const QByteArray& type, void* message, long* result) override
    {
        return type == "windows_generic_MSG" && router.nativeEvent(type, message, result);
    }
};

QWidget* g_window = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(*argc, *argv);
    static RouterFilter filter;
    application.installNativeEventFilter(&filter);
    g_window = new QWidget;
    g_window->setGeometry(100, 100, 300, 200);
    auto* emitter = new App::Gesture::Emitter(g_window);
    emitter->setZoomEnabled(true);
    emitter->setRotateEnabled(true);
    emitter->setTapEnabled(true);
    emitter->setPressAndTapEnabled(true);
    emitter->setHorizontalPanEnabled(true);
    emitter->setVerticalPanEnabled(true);
    emitter->setPanInertiaEnabled(true);
    g_window->show();
    QApplication::processEvents();
    return 0;
}

// Each 14 bytes of input are one step: id, flags, x and y (16 bits each), 64-bit arguments.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Win::HWND window = Win::HandleOfWindow(g_window->windowHandle());
    for (std::size_t offset = 0; offset + 14 <= size; offset += 14) {
        const std::uint8_t* step = data + offset;
        std::int16_t x, y;
        std::memcpy(&x, step + 2, 2);
        std::memcpy(&y, step + 4, 2);
        Win::GestureStep gesture;
        gesture.id = step[0] % 9;  // the known ids 1..7 and two unknown ones
        gesture.flags = step[1];
        gesture.globalPos = QPoint(x, y);
        std::memcpy(&gesture.arguments, step + 6, 8);
        if (gesture.flags & Win::GF_BEGIN) {
            Win::SendGestureNotify(window, gesture.globalPos);
        }
        Win::SendGesture(window, gesture);
        if (Win::OpenGestureInfoHandleCount() != 0) {
            std::abort();
        }
    }
    return 0;
}
