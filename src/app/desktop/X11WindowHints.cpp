#include "app/desktop/X11WindowHints.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace quaro::X11WindowHints {

namespace {

constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
constexpr std::uint32_t stateRemove = 0;
constexpr std::uint32_t stateAdd = 1;

struct Display {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    explicit operator bool() const { return connection != nullptr; }
};

Display display()
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return {};
    xcb_connection_t* connection = x11->connection();
    return {connection, xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root};
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return value;
}

std::vector<xcb_atom_t> states(const Display& x, xcb_window_t window, xcb_atom_t property)
{
    const auto cookie = xcb_get_property(x.connection, 0, window, property, XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(x.connection, cookie, nullptr);
    std::vector<xcb_atom_t> list;
    if (reply && reply->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        list.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return list;
}

// Sends an EWMH request about `window` to the window manager.
void ask(const Display& x, xcb_window_t window, xcb_atom_t type, std::initializer_list<std::uint32_t> data)
{
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(x.connection, 0, x.root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

// Adds or removes states: on the property itself while the window is
// unmapped, through the window manager once it is mapped.
void changeStates(QWindow& window, std::initializer_list<const char*> names, bool add)
{
    const Display x = display();
    if (!x)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t netWmState = atom(x.connection, "_NET_WM_STATE");
    std::vector<xcb_atom_t> wanted;
    for (const char* name : names)
        wanted.push_back(atom(x.connection, name));
    if (window.isVisible()) {
        for (const xcb_atom_t state : wanted)
            ask(x, id, netWmState, {add ? stateAdd : stateRemove, state, 0, 1});
    } else {
        std::vector<xcb_atom_t> list = states(x, id, netWmState);
        for (const xcb_atom_t state : wanted) {
            list.erase(std::remove(list.begin(), list.end(), state), list.end());
            if (add)
                list.push_back(state);
        }
        xcb_change_property(x.connection, XCB_PROP_MODE_REPLACE, id, netWmState, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(list.size()), list.data());
    }
    xcb_flush(x.connection);
}

} // namespace

void setSticky(QWindow& window)
{
    const Display x = display();
    if (!x)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t desktop = atom(x.connection, "_NET_WM_DESKTOP");
    if (window.isVisible())
        ask(x, id, desktop, {allDesktops, 1});
    else
        xcb_change_property(x.connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    changeStates(window, {"_NET_WM_STATE_STICKY"}, true);
}

void setSkipTaskbar(QWindow& window, bool skip)
{
    changeStates(window, {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}, skip);
}

} // namespace quaro::X11WindowHints
