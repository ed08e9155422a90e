#pragma once

#include "core/Database.h"
#include "core/QuaroStore.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

namespace quaro::test {

// A fresh private folder per test, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "quaro-core-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Sets (or unsets) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};

inline mode_t permissions(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return static_cast<mode_t>(-1);
    return info.st_mode & 07777;
}

// Unwraps a Result in a test, failing loudly with the error's text.
template <typename T, typename E>
T take(Result<T, E> result)
{
    if (!result.ok())
        throw std::runtime_error(result.error().description()); // gtest reports it as the test's failure
    return std::move(result).value();
}

template <typename E>
void check(const Result<void, E>& result)
{
    ASSERT_TRUE(result.ok()) << result.error().description();
}

} // namespace quaro::test
