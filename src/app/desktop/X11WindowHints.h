#pragma once

class QWindow;

namespace quaro {

// The window-manager hints Qt has no flag for, set through the EWMH
// properties on an X11 display; nothing happens on any other platform,
// where the compositor decides. Before a window is mapped the properties
// are written for the window manager to read when it takes the window; once
// mapped, the window manager is asked, as EWMH wants. Main thread.
namespace X11WindowHints {

// On every workspace: _NET_WM_STATE_STICKY and _NET_WM_DESKTOP 0xFFFFFFFF.
void setSticky(QWindow& window);
// Without a taskbar entry (and out of the pager): _NET_WM_STATE_SKIP_TASKBAR.
void setSkipTaskbar(QWindow& window, bool skip);

} // namespace X11WindowHints

} // namespace quaro
