#pragma once

#include <QString>
#include <QStringList>

namespace quaro {

// POSIX shell quoting: every word goes between single quotes, and a single
// quote inside it becomes '\'' (close, escaped quote, reopen). Nothing
// inside single quotes is interpreted by the shell, so paths, destino names
// and transcripts reach the program exactly as they are.
QString shellQuoted(const QString& word);
// The words quoted and joined with single blanks.
QString shellCommand(const QStringList& words);

} // namespace quaro
