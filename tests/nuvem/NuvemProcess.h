#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace quaro::nuvem::test {

// The quaro-nuvem program as a child process on a loopback port, for what
// only a separate process shows: its own peak memory, its own limits.
class NuvemProcess {
public:
    explicit NuvemProcess(std::vector<std::string> arguments)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return;
        arguments.insert(arguments.begin(), {QUARO_NUVEM, "--listen", "127.0.0.1:0", "--quiet"});
        m_pid = fork();
        if (m_pid == 0) {
            dup2(pipeEnds[1], STDERR_FILENO);
            close(pipeEnds[0]);
            std::vector<char*> argv;
            for (std::string& argument : arguments)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(pipeEnds[1]);
        m_log = pipeEnds[0];
        const std::regex listening("escutando em 127\\.0\\.0\\.1:(\\d+)");
        std::string text;
        char buffer[512];
        for (ssize_t n; m_port == 0 && (n = read(m_log, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<std::size_t>(n));
            std::smatch match;
            if (std::regex_search(text, match, listening))
                m_port = static_cast<std::uint16_t>(std::stoi(match[1]));
        }
    }
    ~NuvemProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_log >= 0)
            close(m_log);
    }
    NuvemProcess(const NuvemProcess&) = delete;
    NuvemProcess& operator=(const NuvemProcess&) = delete;

    std::uint16_t port() const { return m_port; }
    // The process's peak resident memory so far, in KiB.
    long peakKib() const
    {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("VmHWM:", 0) == 0)
                return std::stol(line.substr(6));
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_log = -1;
    std::uint16_t m_port = 0;
};

} // namespace quaro::nuvem::test
