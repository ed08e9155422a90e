#pragma once

// A private home per test: HOME (with an apostrophe in its name, as some
// users' folders have) and the XDG folders inside a fresh temporary folder,
// put back when the test ends.
#include "connect/AutoMode.h"
#include "core/QuaroPaths.h"
#include "support/QtSupport.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace quaro::testing {

class PrivateHome {
    TempDir m_dir;

public:
    const QString home = made(QString::fromStdString((m_dir / "casa d'Ávila").string()));

    QString path(const QString& relative) const { return home + QLatin1Char('/') + relative; }
    void write(const QString& relative, const QByteArray& bytes) const { ASSERT_TRUE(writeAll(path(relative), bytes)); }

private:
    static QString made(const QString& folder) { return QDir().mkpath(folder) ? folder : QString(); }
    ScopedEnv m_home{"HOME", home.toStdString()};
    ScopedEnv m_data{"XDG_DATA_HOME", path(QStringLiteral(".local/share")).toStdString()};
    ScopedEnv m_state{"XDG_STATE_HOME", path(QStringLiteral(".local/state")).toStdString()};
    ScopedEnv m_config{"XDG_CONFIG_HOME", path(QStringLiteral(".config")).toStdString()};
};

// Automatic mode over the inbox in `home`, running `server`, with `claude`
// looked for in the home's folders only.
inline AutoModeConfig autoModeConfig(const PrivateHome& home, const QString& server)
{
    AutoModeConfig config;
    config.serverPath = server;
    config.supportDirectory = QString::fromStdString(QuaroPaths::supportDirectory().string());
    config.logDirectory = home.path(QStringLiteral("logs"));
    config.home = home.home;
    config.systemPaths = {};
    return config;
}

// Automatic mode's preferences in `values`, which the test reads.
class MemoryPreferences final : public AutoModePreferences {
public:
    struct Values {
        bool enabled = false;
        int interval = 60;
        std::optional<QDateTime> lastRun;
    };
    explicit MemoryPreferences(Values& values) : m_values(values) {}
    bool enabled() const override { return m_values.enabled; }
    void setEnabled(bool on) override { m_values.enabled = on; }
    int intervalMinutes() const override { return m_values.interval; }
    void setIntervalMinutes(int minutes) override { m_values.interval = minutes; }
    std::optional<QDateTime> lastRun() const override { return m_values.lastRun; }
    void setLastRun(const QDateTime& when) override { m_values.lastRun = when; }

private:
    Values& m_values;
};

inline void installFakeClaude(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUARO_FAKE_CLAUDE), path));
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

} // namespace quaro::testing
