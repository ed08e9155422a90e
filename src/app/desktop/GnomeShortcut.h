#pragma once

#include "app/state/HotKeyPreset.h"

#include <QString>

#include <memory>

namespace quaro {

// Quaro's entry among GNOME's custom keyboard shortcuts (GSettings,
// org.gnome.settings-daemon.plugins.media-keys): a shortcut named Quaro that
// runs `quaro --toggle`, at a relocatable path of its own. Only that entry
// and its place in the list are ever written; the user's other shortcuts
// and the desktop's own are left as they are. Main thread only.
class GnomeShortcut {
public:
    // Null when GSettings has no media-keys schema (not a GNOME system).
    static std::unique_ptr<GnomeShortcut> create();

    bool installed() const;
    // Creates the entry or brings it up to date; running it twice leaves one.
    void install(HotKeyPreset preset, const QString& command);
    void remove();

    // Whether GNOME's window menu answers to the preset's keys.
    static bool clashesWithWindowMenu(HotKeyPreset preset);
    // GNOME's accelerator for the preset: "<Alt>space", "<Control><Alt>space"...
    static QString accelerator(HotKeyPreset preset);

private:
    GnomeShortcut() = default;
};

} // namespace quaro
