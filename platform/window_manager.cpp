#include "platform/window_manager.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace velquor {

namespace {

    struct FreeDeleter
    {
        void operator()(void* reply) const { std::free(reply); }
    };
    template <typename Reply> using ReplyPointer = std::unique_ptr<Reply, FreeDeleter>;

    xcb_atom_t atom(xcb_connection_t* connection, const char* name)
    {
        const auto cookie
            = xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
        const ReplyPointer<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, cookie, nullptr));
        return reply ? reply->atom : xcb_atom_t { XCB_ATOM_NONE };
    }

    // The values of a property of type WINDOW or ATOM (32-bit items); empty when it is unset.
    std::vector<std::uint32_t> property(
        xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
    {
        if (name == XCB_ATOM_NONE)
            return {};
        const auto cookie = xcb_get_property(connection, 0, window, name, type, 0, 4096);
        const ReplyPointer<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(connection, cookie, nullptr));
        if (!reply || reply->format != 32)
            return {};
        const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return { values, values + xcb_get_property_value_length(reply.get()) / 4 };
    }

} // namespace

bool windowManagerPlacesFullScreenWindows()
{
    const auto* x11
        = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return true;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return true;
    // A running window manager names a window of its own on the root window, and that window
    // names itself; a name left behind by a window manager that has quit does not.
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const auto named = property(connection, screen->root, check, XCB_ATOM_WINDOW);
    if (named.size() != 1 || property(connection, named[0], check, XCB_ATOM_WINDOW) != named)
        return false;
    const xcb_atom_t fullScreen = atom(connection, "_NET_WM_STATE_FULLSCREEN");
    for (std::uint32_t supported :
        property(connection, screen->root, atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM))
        if (fullScreen != XCB_ATOM_NONE && supported == fullScreen)
            return true;
    return false;
}

} // namespace velquor
