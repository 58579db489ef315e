#include "theme/DarkTitleBar.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, std::string_view name)
{
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(name.size()), name.data());
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

// Window managers that follow GTK's hint draw the frame of such a window in their dark theme.
void RequestDarkTitleBar(QWidget* window)
{
    // The offscreen platform answers the X11 interface too, without a connection.
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    const xcb_atom_t variant = InternAtom(connection, "_GTK_THEME_VARIANT");
    const xcb_atom_t utf8String = InternAtom(connection, "UTF8_STRING");
    if (variant == XCB_ATOM_NONE || utf8String == XCB_ATOM_NONE)
        return;
    constexpr std::string_view dark = "dark";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), variant,
                        utf8String, 8, uint32_t(dark.size()), dark.data());
    xcb_flush(connection);
}
