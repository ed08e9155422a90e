#pragma once

#include <filesystem>

// Where the inbox lives on disk: $XDG_DATA_HOME/Quaro, or ~/.local/share/Quaro
// when XDG_DATA_HOME is unset, empty or not absolute. Computed afresh on every
// call; asking for a folder creates it (mode 0700, owner only). A failure to
// create is not reported: opening or writing inside it fails later instead.
namespace quaro::QuaroPaths {

std::filesystem::path supportDirectory();
// supportDirectory()/Audio
std::filesystem::path audioDirectory();
// Creates `path` and any missing parents as 0700 folders and makes `path`
// itself private if it is ours; for folders written inside the support folder.
void makePrivateDirectory(const std::filesystem::path& path);

// supportDirectory()/quaro.sqlite (the file itself is created by SQLite)
std::filesystem::path databaseURL();

} // namespace quaro::QuaroPaths
