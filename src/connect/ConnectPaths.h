#pragma once

#include <QString>

// Where the AI connections find and keep their files: QuaroPaths' XDG base
// directories as Qt text. Computed afresh on every call; nothing is created
// here.
namespace quaro::ConnectPaths {

QString home();
// $XDG_CONFIG_HOME, default ~/.config
QString configHome();
// $XDG_STATE_HOME/Quaro/logs, default ~/.local/state/Quaro/logs
QString logDirectory();
// quaro-mcp, installed beside the running executable.
QString serverPath();

} // namespace quaro::ConnectPaths
