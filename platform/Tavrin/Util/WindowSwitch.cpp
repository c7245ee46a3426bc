#include "Tavrin/Util/WindowSwitch.h"

#include <QGuiApplication>

#include <glog/logging.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Tavrin {
namespace Util {

namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
    ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection, cookie, nullptr),
                                            &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The window a property of type WINDOW names, or XCB_WINDOW_NONE.
xcb_window_t WindowProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1);
    ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(connection, cookie, nullptr),
                                             &std::free);
    if (!reply || xcb_get_property_value_length(reply.get()) != sizeof(xcb_window_t)) {
        return XCB_WINDOW_NONE;
    }
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

// A window manager that follows the desktop conventions names its check window on the root,
// and the check window names itself.
bool HasWindowManager(xcb_connection_t* connection, xcb_window_t root)
{
    const xcb_atom_t check = Atom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE) {
        return false;
    }
    const xcb_window_t child = WindowProperty(connection, root, check);
    return child != XCB_WINDOW_NONE && WindowProperty(connection, child, check) == child;
}

void AskWindowManager(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] =
        2;  // from a pager: the user asked for it, so no focus stealing rule applies
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

bool RaiseAndFocus(xcb_connection_t* connection, xcb_window_t window)
{
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    const xcb_void_cookie_t cookie = xcb_set_input_focus_checked(
        connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    ReplyPtr<xcb_generic_error_t> error(xcb_request_check(connection, cookie), &std::free);
    if (error) {
        LOG(WARNING) << "Cannot give the focus to window " << window << " (X error "
                     << static_cast<int>(error->error_code) << ")";
        return false;
    }
    return true;
}

}  // namespace

bool SwitchToThisWindow(long long window, bool /*altTab*/)
{
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb")) {
        LOG(INFO) << "Switching to window " << window << " is not done on the \""
                  << platform.toStdString() << "\" platform";
        return false;
    }
    if (window <= 0 || window > static_cast<long long>(UINT32_MAX)) {
        LOG(INFO) << "No window to switch to (" << window << ")";
        return false;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        LOG(WARNING) << "Cannot reach the X display to switch windows";
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_window_t root = screens.data->root;
    const auto target = static_cast<xcb_window_t>(window);
    bool sent = true;
    if (HasWindowManager(connection, root)) {
        AskWindowManager(connection, root, target);
    } else {
        sent = RaiseAndFocus(connection, target);
    }
    xcb_flush(connection);
    xcb_disconnect(connection);
    return sent;
}

}  // namespace Util
}  // namespace Tavrin
