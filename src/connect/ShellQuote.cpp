#include "connect/ShellQuote.h"

namespace quaro {

QString shellQuoted(const QString& word)
{
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QLatin1String("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

QString shellCommand(const QStringList& words)
{
    QStringList quoted;
    quoted.reserve(words.size());
    for (const QString& word : words)
        quoted.append(shellQuoted(word));
    return quoted.join(QLatin1Char(' '));
}

} // namespace quaro
