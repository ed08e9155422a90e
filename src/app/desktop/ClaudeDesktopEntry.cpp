#include "app/desktop/ClaudeDesktopEntry.h"

#include "core/QuaroPaths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
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

// The key-file escapes of a value: \s \n \t \r \\.
QString unescapeValue(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            out.append(value[i]);
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': out.append(QLatin1Char(' ')); break;
        case 'n': out.append(QLatin1Char('\n')); break;
        case 't': out.append(QLatin1Char('\t')); break;
        case 'r': out.append(QLatin1Char('\r')); break;
        case '\\': out.append(QLatin1Char('\\')); break;
        default: out.append(QLatin1Char('\\')).append(next); break;
        }
    }
    return out;
}

// An Exec line as arguments: double quotes group, and inside them a
// backslash escapes the next character. Field codes (%f, %U, ...) go; "%%"
// is a percent sign.
QStringList splitExec(const QString& exec)
{
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size()) {
            word.append(exec[++i]);
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c.isSpace()) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else if (c == QLatin1Char('%') && i + 1 < exec.size()) {
            if (exec[++i] == QLatin1Char('%'))
                word.append(QLatin1Char('%'));
            inWord = inWord || exec[i] == QLatin1Char('%');
        } else {
            word.append(c);
            inWord = true;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

// The [Desktop Entry] group of a desktop file, untranslated keys only.
QHash<QString, QString> readEntry(const QString& path)
{
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || line.startsWith(QLatin1Char('#')) || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, unescapeValue(line.mid(equals + 1).trimmed()));
    }
    return keys;
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
            const auto keys = readEntry(path);
            const QString base = id.chopped(int(sizeof(".desktop") - 1));
            if (!namesClaudeDesktop(base, keys.value(QStringLiteral("StartupWMClass"))))
                continue;
            const QStringList command = splitExec(keys.value(QStringLiteral("Exec")));
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
