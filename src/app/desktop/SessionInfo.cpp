#include "app/desktop/SessionInfo.h"

#include <QStringList>
#include <QtGlobal>

namespace quaro {

namespace {

SessionType sessionType()
{
    const QString declared = qEnvironmentVariable("XDG_SESSION_TYPE").toLower();
    if (declared == QLatin1String("wayland"))
        return SessionType::wayland;
    if (declared == QLatin1String("x11"))
        return SessionType::x11;
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return SessionType::wayland;
    if (!qEnvironmentVariableIsEmpty("DISPLAY"))
        return SessionType::x11;
    return SessionType::other;
}

DesktopKind desktopKind()
{
    // "ubuntu:GNOME", "KDE", "sway", "Hyprland", "i3"...
    const QStringList names = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(QLatin1Char(':'));
    const struct {
        const char* name;
        DesktopKind kind;
    } known[] = {{"gnome", DesktopKind::gnome}, {"kde", DesktopKind::kde}, {"sway", DesktopKind::sway},
                 {"i3", DesktopKind::i3}, {"hyprland", DesktopKind::hyprland}};
    for (const auto& entry : known)
        if (names.contains(QLatin1String(entry.name)))
            return entry.kind;
    if (!qEnvironmentVariableIsEmpty("SWAYSOCK"))
        return DesktopKind::sway;
    if (!qEnvironmentVariableIsEmpty("HYPRLAND_INSTANCE_SIGNATURE"))
        return DesktopKind::hyprland;
    if (!qEnvironmentVariableIsEmpty("I3SOCK"))
        return DesktopKind::i3;
    return DesktopKind::other;
}

} // namespace

SessionInfo SessionInfo::current() { return {sessionType(), desktopKind()}; }

} // namespace quaro
