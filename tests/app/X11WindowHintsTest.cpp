// The window-manager hints on a private Xvfb display without a window
// manager: what a window carries when Qt maps it is what a window manager
// reads when it takes the window. The desktop number "all" is read under a
// real window manager by the windows road.
#include "support/QtSupport.h"

#include "app/desktop/X11WindowHints.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace quaro;
using namespace quaro::testing;

namespace {

xcb_connection_t* connection() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }

xcb_atom_t atom(const char* name)
{
    auto* reply = xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply->atom;
    std::free(reply);
    return value;
}

std::vector<std::uint32_t> property(const QWindow& window, const char* name)
{
    auto* reply = xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, xcb_window_t(window.winId()), atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    std::vector<std::uint32_t> values(data, data + xcb_get_property_value_length(reply) / 4);
    std::free(reply);
    return values;
}

} // namespace

TEST(X11WindowHints, ShownWindowsKeepStickyAndSkipTaskbarNextToQtsOwnStates)
{
    QWindow window;
    window.setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.resize(100, 40);
    X11WindowHints::setSticky(window);
    X11WindowHints::setSkipTaskbar(window, true);
    window.show();
    ASSERT_TRUE(waitFor([&] { return window.isExposed(); }));
    const auto states = property(window, "_NET_WM_STATE");
    for (const char* state : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_ABOVE"})
        EXPECT_EQ(std::ranges::count(states, atom(state)), 1) << state;
}
