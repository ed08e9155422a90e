#pragma once

#include <QDateTime>
#include <QString>

namespace quaro {

// automatico.log: one record per automatic run, each starting on its own
// line with "── ", the time and the exit status, followed by the run's
// output. Past `rotateAt` bytes the file becomes automatico.log.1 (replacing
// the older one) and a new one starts. File and folder are private. Failures
// are ignored: the log never stops a run. Any thread.
class AutoModeLog {
public:
    explicit AutoModeLog(QString directory, qint64 rotateAt = 1 << 20);

    // The log's path; creates its folder, ignoring failures.
    QString path() const;
    void append(int status, const QString& output, const QDateTime& when = QDateTime::currentDateTimeUtc()) const;

    static QByteArray record(int status, const QString& output, const QDateTime& when);

private:
    QString m_directory;
    qint64 m_rotateAt;
};

} // namespace quaro
