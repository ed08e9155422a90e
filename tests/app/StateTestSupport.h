#pragma once

// Shared by the state tests: a private home per test, so the inbox, the
// settings file and the autostart entry all live inside it.
#include "app/state/LaunchAtLogin.h"
#include "app/state/Preferences.h"
#include "app/state/RecadoListModel.h"
#include "connect/CloudLink.h"
#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"
#include "support/QtSupport.h"
#include "support/Take.h"
#include "support/TempHome.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <memory>

namespace quaro::testing {

class TestHome : public TempHome {
public:
    QString configPath(const char* name) const { return QString::fromStdString((config() / name).string()); }
    QString settingsFile() const { return configPath("Quaro/Quaro.conf"); }

    std::unique_ptr<Preferences> preferences(const QString& executable = QStringLiteral("/opt/quaro/bin/quaro")) const
    {
        return std::make_unique<Preferences>(std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat),
                                             LaunchAtLogin(executable, LaunchAtLogin::defaultEntryPath()));
    }
};

inline QuaroStore openStore() { return take(QuaroStore::open(QuaroPaths::databaseURL())); }

inline QStringList ids(const RecadoListModel& model)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row).data(RecadoListModel::IdRole).toString();
    return out;
}

class CountingCloudLink final : public CloudLink {
public:
    bool enabled() const override { return on; }
    void kick() override { ++kicks; }
    bool on = true;
    int kicks = 0;
};

} // namespace quaro::testing
