#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace quaro::AtomicFile {

// Read and write only for the owner: logs, backups and the automatic-mode
// configuration hold transcripts and the user's settings.
inline constexpr QFileDevice::Permissions privateMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Writes `bytes` to a temporary file in the same folder and renames it over
// `path`, so a reader sees the old content or the new, never a mix. The file
// gets `permissions`. On failure `path` is untouched and the error text
// (the system's own) comes back.
Result<void, QString> write(const QString& path, const QByteArray& bytes, QFileDevice::Permissions permissions);

} // namespace quaro::AtomicFile
