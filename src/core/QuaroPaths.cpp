#include "core/QuaroPaths.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quaro::QuaroPaths {

namespace {

namespace fs = std::filesystem;
constexpr mode_t privateDirectoryMode = 0700;

fs::path baseDirectory(const char* variable, const char* fallback)
{
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    return home() / fallback;
}

} // namespace

fs::path home()
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

fs::path dataHome()
{
    return baseDirectory("XDG_DATA_HOME", ".local/share");
}

fs::path configHome()
{
    return baseDirectory("XDG_CONFIG_HOME", ".config");
}

fs::path stateHome()
{
    return baseDirectory("XDG_STATE_HOME", ".local/state");
}

std::vector<fs::path> dataDirectories()
{
    const char* value = std::getenv("XDG_DATA_DIRS");
    const std::string list = value && *value ? value : "/usr/local/share:/usr/share";
    std::vector<fs::path> directories;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        if (end > start && list[start] == '/')
            directories.emplace_back(list.substr(start, end - start));
        start = end + 1;
    }
    return directories;
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
