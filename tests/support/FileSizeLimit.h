#pragma once

// A full disk, stood in for by a limit on the size of files this process
// writes (RLIMIT_FSIZE): writes past it fail with EFBIG instead of raising
// SIGXFSZ. The previous limit comes back with the object.
#include <csignal>
#include <sys/resource.h>

namespace quaro::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limited = m_previous;
        limited.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool ok() const { return m_ok; }

private:
    rlimit m_previous{};
    bool m_ok = false;
};

} // namespace quaro::testing
