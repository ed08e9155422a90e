#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>

namespace quaro {

struct ProcessSpec {
    QString program;
    QStringList arguments;
    QString directory; // empty: the caller's working directory
    std::chrono::milliseconds timeout{600'000};
    // Between SIGTERM and SIGKILL at the deadline.
    std::chrono::milliseconds killGrace{2'000};
    // Only the newest bytes of the output are kept.
    qsizetype outputLimit = 1 << 20;
};

struct ProcessResult {
    // The exit status; the signal number when a signal ended it; -1 when it
    // could not be started.
    int status = -1;
    // Standard output and standard error merged, as UTF-8 (invalid bytes
    // become U+FFFD); the error text when it could not be started.
    QString output;
    bool timedOut = false;
};

// One child program run to completion without blocking the main thread.
// The child leads a process group of its own, so that at the deadline
// SIGTERM, then SIGKILL after a short grace, reach everything it started;
// a grandchild that keeps the output pipe open cannot hold the run open.
// Owned by its parent; destroying it kills the group. Main thread only.
class ChildProcess final : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const ProcessResult&)>;

    // Starts `spec` at once; `done` runs once, on this thread, and then the
    // object deletes itself.
    static void run(ProcessSpec spec, QObject* parent, Done done);

    ~ChildProcess() override;

private:
    ChildProcess(ProcessSpec spec, Done done, QObject* parent);
    void start();
    void readOutput();
    void signalGroup(int signal);
    void expire();
    void finish(ProcessResult result);

    ProcessSpec m_spec;
    Done m_done;
    QProcess m_process;
    QByteArray m_output;
    QTimer m_deadline;
    QTimer m_grace;
    qint64 m_group = 0;
    bool m_timedOut = false;
    bool m_finished = false;
};

} // namespace quaro
