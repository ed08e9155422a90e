#pragma once

// Shared by the state tests: a private folder per test that also serves as
// XDG_DATA_HOME and XDG_CONFIG_HOME, so the inbox, the settings file and the
// autostart entry all live inside it.
#include "app/CloudLink.h"
#include "app/LaunchAtLogin.h"
#include "app/Preferences.h"
#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace quaro::testing {

class TestHome {
public:
    TestHome()
    {
        if (!m_dir.isValid())
            throw std::runtime_error("no temporary folder");
        setenv("XDG_DATA_HOME", m_dir.path().toUtf8().constData(), 1);
        setenv("XDG_CONFIG_HOME", m_dir.path().toUtf8().constData(), 1);
    }
    ~TestHome()
    {
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString settingsFile() const { return path(QStringLiteral("Quaro/Quaro.conf")); }

    // Preferences on this folder's settings file and autostart entry.
    std::unique_ptr<Preferences> preferences(const QString& executable = QStringLiteral("/opt/quaro/bin/quaro")) const
    {
        return std::make_unique<Preferences>(std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat),
                                             LaunchAtLogin(executable, LaunchAtLogin::defaultEntryPath()));
    }

private:
    QTemporaryDir m_dir;
};

template <typename T, typename E>
T take(Result<T, E> result)
{
    if (!result.ok())
        throw std::runtime_error(result.error().description());
    return std::move(result).value();
}

inline QuaroStore openStore() { return take(QuaroStore::open(QuaroPaths::databaseURL())); }

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Cloud mode switched on, counting the syncs asked for.
class CountingCloudLink final : public CloudLink {
public:
    bool enabled() const override { return on; }
    void kick() override { ++kicks; }
    bool on = true;
    int kicks = 0;
};

} // namespace quaro::testing
