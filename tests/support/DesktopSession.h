#pragma once

// A private desktop for one test process: Xvfb, a session bus and the fake
// notification server of desktop_session.py, started before Qt looks for a
// display or a bus and stopped (by the PID started here) when this object
// goes. The environment of the process points at them meanwhile.
//
// Needs QUARO_TEST_SUPPORT_DIR (the folder of desktop_session.py) defined at
// compile time.
#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quaro::testing {

class DesktopSession {
public:
    DesktopSession()
    {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0)
            return;
        const pid_t parent = getpid();
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(1);
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
                close(fd);
            const std::string script = std::string(QUARO_TEST_SUPPORT_DIR) + "/desktop_session.py";
            execl("/usr/bin/python3", "python3", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        m_stdin = toChild[1];
        readDescription(fromChild[0]);
        close(fromChild[0]);
    }

    ~DesktopSession()
    {
        if (m_stdin >= 0)
            close(m_stdin); // the script tears everything down when its input ends
        if (m_pid > 0)
            waitpid(m_pid, nullptr, 0);
    }

    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    bool ok() const { return !m_description.isEmpty(); }

private:
    void readDescription(int fd)
    {
        QByteArray line;
        char c;
        while (read(fd, &c, 1) == 1 && c != '\n')
            line.append(c);
        m_description = QJsonDocument::fromJson(line).object();
        for (auto it = m_description.begin(); it != m_description.end(); ++it)
            setenv(it.key().toUtf8().constData(), it.value().toString().toUtf8().constData(), 1);
    }

    pid_t m_pid = -1;
    int m_stdin = -1;
    QJsonObject m_description;
};

} // namespace quaro::testing
