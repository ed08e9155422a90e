#include "connect/AutoModeLog.h"

#include "connect/AtomicFile.h"
#include "core/QuaroPaths.h"

#include <QFile>
#include <QFileInfo>

namespace quaro {

AutoModeLog::AutoModeLog(QString directory, qint64 rotateAt) : m_directory(std::move(directory)), m_rotateAt(rotateAt)
{
}

QString AutoModeLog::path() const
{
    QuaroPaths::makePrivateDirectory(m_directory.toStdString());
    return m_directory + QStringLiteral("/automatico.log");
}

QByteArray AutoModeLog::record(int status, const QString& output, const QDateTime& when)
{
    return QStringLiteral("\n── %1 (saída %2)\n%3\n")
        .arg(when.toUTC().toString(Qt::ISODate), QString::number(status), output)
        .toUtf8();
}

void AutoModeLog::append(int status, const QString& output, const QDateTime& when) const
{
    const QString file = path();
    if (QFileInfo(file).size() > m_rotateAt) {
        const QString older = file + QStringLiteral(".1");
        QFile::remove(older);
        QFile::rename(file, older);
    }
    const QByteArray bytes = record(status, output, when);
    QFile log(file);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append, AtomicFile::privateMode)) {
        log.setPermissions(AtomicFile::privateMode);
        log.write(bytes);
        return;
    }
    (void)AtomicFile::write(file, bytes, AtomicFile::privateMode);
}

} // namespace quaro
