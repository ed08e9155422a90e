#include "connect/LoginShell.h"

#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace quaro {

namespace {

const QString fallbackShell = QStringLiteral("/bin/sh");

// Shells that take "-lc" and the POSIX quoting of the command string.
bool isPosixShell(const QString& name)
{
    static const QStringList names = {QStringLiteral("sh"),   QStringLiteral("bash"), QStringLiteral("zsh"),
                                      QStringLiteral("dash"), QStringLiteral("ksh"),  QStringLiteral("mksh"),
                                      QStringLiteral("ash"),  QStringLiteral("yash")};
    return names.contains(name);
}

QString startupFile(const QString& name)
{
    if (name == QLatin1String("zsh"))
        return QStringLiteral("~/.zshrc");
    if (name == QLatin1String("bash"))
        return QStringLiteral("~/.bashrc");
    return {};
}

} // namespace

LoginShell LoginShell::ofUser()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_shell)
        return fromPath(QString::fromLocal8Bit(found->pw_shell));
    return fromPath(fallbackShell);
}

LoginShell LoginShell::fromPath(const QString& shell)
{
    const QFileInfo info(shell);
    LoginShell result;
    const bool usable = info.isAbsolute() && info.isFile() && info.isExecutable() && isPosixShell(info.fileName());
    result.m_program = usable ? shell : fallbackShell;
    const QString file = startupFile(QFileInfo(result.m_program).fileName());
    if (!file.isEmpty())
        result.m_startup = QStringLiteral("[ -f %1 ] && source %1 >/dev/null 2>&1; ").arg(file);
    return result;
}

QStringList LoginShell::arguments(const QString& command) const
{
    return {QStringLiteral("-lc"), m_startup + command};
}

} // namespace quaro
