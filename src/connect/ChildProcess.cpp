#include "connect/ChildProcess.h"

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace quaro {

void ChildProcess::run(ProcessSpec spec, QObject* parent, Done done)
{
    auto* child = new ChildProcess(std::move(spec), std::move(done), parent);
    child->start();
}

ChildProcess::ChildProcess(ProcessSpec spec, Done done, QObject* parent)
    : QObject(parent), m_spec(std::move(spec)), m_done(std::move(done))
{
    m_process.setProgram(m_spec.program);
    m_process.setArguments(m_spec.arguments);
    if (!m_spec.directory.isEmpty())
        m_process.setWorkingDirectory(m_spec.directory);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardInputFile(QProcess::nullDevice());
    // Runs in the child between fork and exec: a group of its own.
    m_process.setChildProcessModifier([] { ::setpgid(0, 0); });

    m_deadline.setSingleShot(true);
    m_deadline.setInterval(m_spec.timeout);
    m_grace.setSingleShot(true);
    m_grace.setInterval(m_spec.killGrace);

    connect(&m_process, &QProcess::readyReadStandardOutput, this, &ChildProcess::readOutput);
    connect(&m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus) {
        readOutput();
        finish({code, QString::fromUtf8(m_output), m_timedOut});
    });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish({-1, m_process.errorString(), false});
    });
    connect(&m_deadline, &QTimer::timeout, this, &ChildProcess::expire);
    connect(&m_grace, &QTimer::timeout, this, [this] {
        signalGroup(SIGKILL);
        // Everything of the group is gone; a process that left the group
        // may still hold the pipe, and is not waited for.
        if (!m_finished)
            finish({SIGKILL, QString::fromUtf8(m_output), true});
    });
}

ChildProcess::~ChildProcess()
{
    // Whoever would hear of the end may be going away too.
    m_done = nullptr;
    m_process.disconnect(this);
    signalGroup(SIGKILL);
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void ChildProcess::start()
{
    m_process.start();
    if (m_finished)
        return;
    m_group = m_process.processId();
    m_deadline.start();
}

void ChildProcess::readOutput()
{
    m_output.append(m_process.readAll());
    if (m_output.size() > m_spec.outputLimit)
        m_output.remove(0, m_output.size() - m_spec.outputLimit);
}

void ChildProcess::signalGroup(int signal)
{
    if (m_group > 0)
        ::kill(static_cast<pid_t>(-m_group), signal);
}

void ChildProcess::expire()
{
    m_timedOut = true;
    signalGroup(SIGTERM);
    m_grace.start();
}

void ChildProcess::finish(ProcessResult result)
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    // After a time-out the group gets its SIGKILL even when the leader went
    // at the first signal: grandchildren may have ignored it.
    if (!m_timedOut)
        m_group = 0;
    // The callback may destroy the parent, and with it this object.
    QPointer<ChildProcess> self(this);
    Done done = std::move(m_done);
    if (done)
        done(result);
    if (!self)
        return;
    if (m_timedOut && m_grace.isActive()) {
        connect(&m_grace, &QTimer::timeout, this, &QObject::deleteLater);
        return;
    }
    deleteLater();
}

} // namespace quaro
