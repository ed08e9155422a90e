#include "connect/ConnectPaths.h"

#include <QCoreApplication>
#include <QDir>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace quaro::ConnectPaths {

namespace {

QString baseDirectory(const char* variable, const QString& fallback)
{
    const QString value = qEnvironmentVariable(variable);
    if (value.startsWith(QLatin1Char('/')))
        return value;
    return home() + fallback;
}

} // namespace

QString home()
{
    const QString value = qEnvironmentVariable("HOME");
    if (!value.isEmpty())
        return value;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return QString::fromLocal8Bit(found->pw_dir);
    return QStringLiteral("/");
}

QString configHome()
{
    return baseDirectory("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString logDirectory()
{
    return baseDirectory("XDG_STATE_HOME", QStringLiteral("/.local/state")) + QStringLiteral("/Quaro/logs");
}

QString serverPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("quaro-mcp"));
}

} // namespace quaro::ConnectPaths
