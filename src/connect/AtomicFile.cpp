#include "connect/AtomicFile.h"

#include <QSaveFile>

namespace quaro::AtomicFile {

Result<void, QString> write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions)
{
    QSaveFile file(path);
    // The temporary file is made private before a byte reaches it.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(permissions))
        return Failure{file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return Failure{error};
    }
    if (!file.commit())
        return Failure{file.errorString()};
    return {};
}

} // namespace quaro::AtomicFile
