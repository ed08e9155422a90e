#pragma once

// A private home per test: HOME, XDG_DATA_HOME (data/) and XDG_CONFIG_HOME
// (config/) point into a fresh folder, so the inbox, the audio, the settings
// and the autostart entry all land inside it. The variables are restored
// before the folder goes.
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace quaro::testing {

class TempHome {
public:
    const std::filesystem::path& path() const { return m_dir.path(); }
    std::filesystem::path data() const { return m_dir / "data"; }
    std::filesystem::path config() const { return m_dir / "config"; }

private:
    TempDir m_dir;
    ScopedEnv m_home{"HOME", m_dir.path().string()};
    ScopedEnv m_data{"XDG_DATA_HOME", data().string()};
    ScopedEnv m_config{"XDG_CONFIG_HOME", config().string()};
};

} // namespace quaro::testing
