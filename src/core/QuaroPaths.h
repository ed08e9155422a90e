#pragma once

#include <filesystem>
#include <vector>

// Where the inbox lives on disk: $XDG_DATA_HOME/Quaro, or ~/.local/share/Quaro
// when XDG_DATA_HOME is unset, empty or not absolute. Computed afresh on every
// call; asking for a folder creates it (mode 0700, owner only). A failure to
// create is not reported: opening or writing inside it fails later instead.
namespace quaro::QuaroPaths {

// The XDG base directories, only looked up, never created. A variable that
// is unset, empty or relative is ignored for its default.
// $HOME, or the account's home folder when HOME is unset or empty.
std::filesystem::path home();
// $XDG_DATA_HOME, or ~/.local/share
std::filesystem::path dataHome();
// $XDG_CONFIG_HOME, or ~/.config
std::filesystem::path configHome();
// $XDG_STATE_HOME, or ~/.local/state
std::filesystem::path stateHome();
// $XDG_DATA_DIRS' absolute entries, or /usr/local/share and /usr/share
std::vector<std::filesystem::path> dataDirectories();

std::filesystem::path supportDirectory();
// supportDirectory()/Audio
std::filesystem::path audioDirectory();
// supportDirectory()/quaro.sqlite (the file itself is created by SQLite)
std::filesystem::path databaseURL();

// Creates `path` and any missing parents as owner-only (0700) folders, the
// umask playing no part, and makes `path` itself 0700 when it is ours.
// Failures are left to whoever writes inside it next.
void makePrivateDirectory(const std::filesystem::path& path);

} // namespace quaro::QuaroPaths
