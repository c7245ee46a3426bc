// Without the system's gesture functions the router configures nothing and consumes nothing;
// the default processing still closes every handle.
#include "GestureTestSupport.h"

#include <QTest>

using namespace Tavrin::Test;
using namespace Tavrin::Win;

namespace {

TEST_F(GestureTest, WithoutGestureFunctionsMessagesStayUnconsumed)
{
    ASSERT_EQ(GetProcAddress(GetModuleHandleA("user32.dll"), "GetGestureInfo"), nullptr);
    QWidget window;
    window.resize(100, 100);
    auto* consumer = new RecordingConsumer(&window);
    ShowAndWait(&window);
    const HWND hwnd = HandleOf(&window);
    const QPoint at = window.mapToGlobal(QPoint(50, 50));
    EXPECT_FALSE(SendGestureNotify(hwnd, at).consumed);
    EXPECT_TRUE(LastGestureConfig(hwnd).empty());
    for (DWORD id : {GID_ZOOM, GID_PAN, GID_ROTATE}) {
        EXPECT_FALSE(SendGesture(hwnd, {id, GF_BEGIN, at, 0}).consumed);
    }
    EXPECT_TRUE(consumer->pans.empty() && consumer->zooms.empty() && consumer->rotates.empty());
}

}  // namespace
