#pragma once

#include <QString>

namespace quaro {

enum class SessionType { x11, wayland, other };
enum class DesktopKind { gnome, kde, sway, i3, hyprland, other };

// What kind of desktop session Quaro runs in, from the session's own
// environment rather than from Qt's platform plugin: a Quaro under XWayland
// talks X11 to a Wayland session, where an X11 grab hears only keys typed
// into X11 windows.
struct SessionInfo {
    SessionType type = SessionType::other;
    DesktopKind desktop = DesktopKind::other;

    // XDG_SESSION_TYPE first, then WAYLAND_DISPLAY or DISPLAY; the desktop
    // from XDG_CURRENT_DESKTOP, then the compositors' own sockets.
    static SessionInfo current();
};

} // namespace quaro
