#include "app/state/LaunchAtLogin.h"

#include "app/common/DesktopEntryFile.h"
#include "core/QuaroPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quaro {

namespace {

// Never group- or world-writable, whatever the umask.
constexpr QFileDevice::Permissions entryPermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

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

bool LaunchAtLogin::isEnabled() const
{
    const QStringList command =
        DesktopEntryFile::splitExec(DesktopEntryFile::read(m_entryPath).value(QStringLiteral("Exec")));
    return !m_executable.isEmpty() && !command.isEmpty() && command.first() == m_executable;
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
                              .arg(DesktopEntryFile::execArgument(m_executable));
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
