#include "core/QuaroPaths.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quaro::QuaroPaths {

namespace {

namespace fs = std::filesystem;
constexpr mode_t privateDirectoryMode = 0700;

fs::path homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return "/";
}

} // namespace

// XDG base directories: a relative XDG_DATA_HOME is invalid and ignored.
fs::path dataHome()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return xdg;
    return homeDirectory() / ".local" / "share";
}

void makePrivateDirectory(const fs::path& path)
{
    std::vector<fs::path> missing;
    for (fs::path p = path; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        struct stat info {};
        if (::stat(p.c_str(), &info) == 0)
            break;
        missing.push_back(p);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), privateDirectoryMode) == 0)
            ::chmod(it->c_str(), privateDirectoryMode);
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 07777) != privateDirectoryMode)
        ::chmod(path.c_str(), privateDirectoryMode);
}

std::filesystem::path supportDirectory()
{
    const fs::path path = dataHome() / "Quaro";
    makePrivateDirectory(path);
    return path;
}

std::filesystem::path audioDirectory()
{
    const fs::path path = supportDirectory() / "Audio";
    makePrivateDirectory(path);
    return path;
}

std::filesystem::path databaseURL()
{
    return supportDirectory() / "quaro.sqlite";
}

} // namespace quaro::QuaroPaths
