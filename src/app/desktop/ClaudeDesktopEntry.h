#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quaro {

// Claude Desktop as the desktop knows it: the desktop entry, in the XDG
// applications folders, whose file name or StartupWMClass names it. A plain
// value; any thread.
class ClaudeDesktopEntry {
public:
    // The entry of highest precedence ($XDG_DATA_HOME first, then each of
    // $XDG_DATA_DIRS), or absent when Claude Desktop is not installed.
    static std::optional<ClaudeDesktopEntry> find();
    static std::optional<ClaudeDesktopEntry> find(const QStringList& applicationFolders);
    static QStringList applicationFolders();

    // The desktop file ID ("claude-desktop.desktop").
    QString id() const { return m_id; }
    QString path() const { return m_path; }
    // The Exec line as program and arguments, without field codes.
    QStringList command() const { return m_command; }

    // Starts it detached: through gtk-launch when the system has it, from
    // the Exec line otherwise. False when nothing could be started.
    bool launch() const;

private:
    QString m_id;
    QString m_path;
    QStringList m_command;
};

} // namespace quaro
