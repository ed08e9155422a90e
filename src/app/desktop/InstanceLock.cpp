#include "app/desktop/InstanceLock.h"

#include "core/Log.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quaro {

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString InstanceLock::path()
{
    // XDG_RUNTIME_DIR; Qt makes a private folder of its own when it is unset.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder.isEmpty() ? QDir::tempPath() : folder).filePath(QStringLiteral("quaro.lock"));
}

InstanceLock::Outcome InstanceLock::tryLock()
{
    if (m_fd >= 0)
        return Outcome::locked;
    const QByteArray file = QFile::encodeName(path());
    const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        log(LogArea::app, QStringLiteral("instância"),
            QStringLiteral("could not open %1: %2").arg(path(), QString::fromLocal8Bit(std::strerror(errno))));
        return Outcome::unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        ::close(fd);
        if (why == EWOULDBLOCK)
            return Outcome::heldElsewhere;
        log(LogArea::app, QStringLiteral("instância"),
            QStringLiteral("could not lock %1: %2").arg(path(), QString::fromLocal8Bit(std::strerror(why))));
        return Outcome::unavailable;
    }
    m_fd = fd;
    return Outcome::locked;
}

} // namespace quaro
