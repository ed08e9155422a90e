#include "app/desktop/ClaudeDesktopEntry.h"

#include "app/common/DesktopEntryFile.h"
#include "core/QuaroPaths.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>

namespace quaro {

namespace {

// Lower case letters and digits only: "Claude-Desktop", "claude_desktop"
// and "com.anthropic.ClaudeDesktop" all read alike.
QString squeezed(const QString& name)
{
    QString out;
    for (const QChar c : name.toLower())
        if (c.isLetterOrNumber())
            out.append(c);
    return out;
}

bool namesClaudeDesktop(const QString& fileBase, const QString& wmClass)
{
    const QString file = squeezed(fileBase);
    const QString window = squeezed(wmClass);
    const auto names = [](const QString& s) {
        return s == QLatin1String("claude") || s.contains(QLatin1String("claudedesktop"))
            || s.endsWith(QLatin1String("claudefordesktop")) || s.endsWith(QLatin1String("anthropicclaude"));
    };
    return names(file) || names(window);
}

} // namespace

QStringList ClaudeDesktopEntry::applicationFolders()
{
    QStringList folders{QString::fromStdString((QuaroPaths::dataHome() / "applications").string())};
    for (const auto& dir : QuaroPaths::dataDirectories())
        folders.append(QString::fromStdString((dir / "applications").string()));
    return folders;
}

std::optional<ClaudeDesktopEntry> ClaudeDesktopEntry::find() { return find(applicationFolders()); }

std::optional<ClaudeDesktopEntry> ClaudeDesktopEntry::find(const QStringList& applicationFolders)
{
    // An ID seen in a folder of higher precedence hides the same ID further
    // down, even when that first entry is hidden or broken.
    QSet<QString> seen;
    for (const QString& folder : applicationFolders) {
        QDirIterator files(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        QStringList paths;
        while (files.hasNext())
            paths.append(files.next());
        paths.sort();
        for (const QString& path : paths) {
            QString id = QDir(folder).relativeFilePath(path);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id);
            const auto keys = DesktopEntryFile::read(path);
            const QString base = id.chopped(int(sizeof(".desktop") - 1));
            if (!namesClaudeDesktop(base, keys.value(QStringLiteral("StartupWMClass"))))
                continue;
            const QStringList command = DesktopEntryFile::splitExec(keys.value(QStringLiteral("Exec")));
            if (keys.value(QStringLiteral("Type")) != QLatin1String("Application")
                || keys.value(QStringLiteral("Hidden")) == QLatin1String("true") || command.isEmpty())
                continue;
            ClaudeDesktopEntry entry;
            entry.m_id = id;
            entry.m_path = path;
            entry.m_command = command;
            return entry;
        }
    }
    return std::nullopt;
}

bool ClaudeDesktopEntry::launch() const
{
    const QString gtkLaunch = QStandardPaths::findExecutable(QStringLiteral("gtk-launch"));
    if (!gtkLaunch.isEmpty())
        return QProcess::startDetached(gtkLaunch, {m_id});
    if (m_command.isEmpty())
        return false;
    return QProcess::startDetached(m_command.first(), m_command.mid(1));
}

} // namespace quaro
