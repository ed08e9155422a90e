#pragma once

#include "core/Result.h"

#include <QString>

namespace quaro {

// Starting Quaro when the user logs in, through the desktop's autostart
// folder: an entry "quaro.desktop" in $XDG_CONFIG_HOME/autostart (default
// ~/.config/autostart) whose Exec line runs this executable. Plain value,
// no Qt event loop needed; main thread only, like the preferences owning it.
class LaunchAtLogin {
public:
    // The running executable and the user's autostart folder.
    LaunchAtLogin();
    LaunchAtLogin(QString executable, QString entryPath);

    // True exactly when the entry exists and its Exec names `executable`.
    bool isEnabled() const;
    // Writes or removes the entry. The error is a sentence for the log.
    Result<void, QString> setEnabled(bool enabled);

    const QString& entryPath() const { return m_entryPath; }
    const QString& executable() const { return m_executable; }

    // $XDG_CONFIG_HOME/autostart/quaro.desktop, ~/.config when that is
    // unset, empty or relative.
    static QString defaultEntryPath();

private:
    Result<void, QString> write() const;
    Result<void, QString> remove() const;

    QString m_executable;
    QString m_entryPath;
};

} // namespace quaro
