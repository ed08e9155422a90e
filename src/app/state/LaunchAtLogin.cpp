#include "app/state/LaunchAtLogin.h"

#include "core/QuaroPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include <optional>

namespace quaro {

namespace {

// Never group- or world-writable, whatever the umask.
constexpr QFileDevice::Permissions entryPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// Characters that the Desktop Entry format reserves inside an Exec argument.
const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");

// Undoes the escapes of a desktop-file string value (\s \n \t \r \\).
QString unescapeString(const QString& value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const QChar next = value[++i];
        out += next == u's' ? QChar(u' ') : next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t')
             : next == u'r' ? QChar(u'\r') : next;
    }
    return out;
}

QString escapeString(const QString& value)
{
    QString out;
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// The raw Exec value of the [Desktop Entry] group, or absent.
std::optional<QString> execLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith(u'[')) {
            inEntry = line.trimmed() == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inEntry && equals > 0 && line.left(equals).trimmed() == QStringLiteral("Exec")) {
            QString value = line.mid(equals + 1);
            while (value.startsWith(u' ') || value.startsWith(u'\t'))
                value.remove(0, 1);
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

LaunchAtLogin::LaunchAtLogin() : LaunchAtLogin(QCoreApplication::applicationFilePath(), defaultEntryPath()) {}

LaunchAtLogin::LaunchAtLogin(QString executable, QString entryPath)
    : m_executable(std::move(executable)), m_entryPath(std::move(entryPath))
{
}

QString LaunchAtLogin::defaultEntryPath()
{
    return QString::fromStdString((QuaroPaths::configHome() / "autostart" / "quaro.desktop").string());
}

QString LaunchAtLogin::execValue(const QString& program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c == u'%' ? QStringLiteral("%%") : QString(c);
    }
    quoted += u'"';
    // The string escapes apply on top of the quoting (a literal backslash in
    // a quoted argument is therefore written as four).
    return escapeString(quoted);
}

QString LaunchAtLogin::execProgram(const QString& value)
{
    const QString text = unescapeString(value);
    QString program;
    if (!text.startsWith(u'"')) {
        for (const QChar c : text) {
            if (c == u' ' || c == u'\t')
                break;
            if (reserved.contains(c))
                return {};
            program += c;
        }
        return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
    }
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] == u'"')
            return program.replace(QStringLiteral("%%"), QStringLiteral("%"));
        if (text[i] == u'\\' && i + 1 < text.size())
            ++i;
        program += text[i];
    }
    return {}; // no closing quote
}

bool LaunchAtLogin::isEnabled() const
{
    const auto exec = execLine(m_entryPath);
    return exec && !m_executable.isEmpty() && execProgram(*exec) == m_executable;
}

Result<void, QString> LaunchAtLogin::setEnabled(bool enabled)
{
    return enabled ? write() : remove();
}

Result<void, QString> LaunchAtLogin::write() const
{
    if (m_executable.isEmpty())
        return Failure{QStringLiteral("não sei o caminho do executável")};
    const QString folder = QFileInfo(m_entryPath).absolutePath();
    if (!QDir().mkpath(folder))
        return Failure{QStringLiteral("não criei a pasta %1").arg(folder)};
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return Failure{QStringLiteral("não abri %1: %2").arg(m_entryPath, file.errorString())};
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Quaro\n"
                                         "Exec=%1\n"
                                         "Terminal=false\n"
                                         "X-GNOME-Autostart-enabled=true\n")
                              .arg(execValue(m_executable));
    file.write(entry.toUtf8());
    file.setPermissions(entryPermissions);
    if (!file.commit())
        return Failure{QStringLiteral("não gravei %1: %2").arg(m_entryPath, file.errorString())};
    QFile::setPermissions(m_entryPath, entryPermissions);
    return {};
}

Result<void, QString> LaunchAtLogin::remove() const
{
    QFile file(m_entryPath);
    if (file.exists() && !file.remove())
        return Failure{QStringLiteral("não apaguei %1: %2").arg(m_entryPath, file.errorString())};
    return {};
}

} // namespace quaro
