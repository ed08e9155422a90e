#pragma once

#include "connect/AutoModeLog.h"
#include "connect/AutoModePreferences.h"
#include "connect/LoginShell.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace quaro {

class QuaroStore;

// Everything automatic mode takes from its surroundings. `standard()` is
// the user's own; tests point the folders at temporary ones and shorten the
// times.
struct AutoModeConfig {
    QString serverPath;       // quaro-mcp, handed to `claude`
    QString supportDirectory; // automatico-mcp.json; the run's working folder
    QString logDirectory;     // automatico.log
    QString home;             // where `claude` is looked for first
    LoginShell shell = LoginShell::fromPath(QStringLiteral("/bin/sh"));
    // Looked at after the home folder's, before asking the shell.
    QStringList systemPaths{QStringLiteral("/opt/homebrew/bin/claude"), QStringLiteral("/usr/local/bin/claude")};
    std::chrono::milliseconds checkInterval{300'000};
    std::chrono::milliseconds runTimeout{600'000};
    std::chrono::milliseconds searchTimeout{15'000};
    std::chrono::milliseconds killGrace{2'000};

    static AutoModeConfig standard();
};

// Automatic mode: when it is on and recados are pending, at most once per
// interval, runs the user's `claude` headless against Quaro's own quaro-mcp
// with a fixed prompt that makes it claim, do and resolve them. The recados
// change only through that server; `finished` tells the application to
// reload. One for the life of the application, owned by its state; main
// thread only (the child runs without blocking it).
class AutoMode final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    Q_PROPERTY(int intervalMinutes READ intervalMinutes WRITE setIntervalMinutes NOTIFY intervalMinutesChanged)
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(QDateTime lastRun READ lastRun NOTIFY lastRunChanged)
    Q_PROPERTY(QString lastSummary READ lastSummary NOTIFY lastSummaryChanged)
    Q_PROPERTY(QString claudePath READ claudePath NOTIFY claudePathChanged)
    Q_PROPERTY(bool lookedForClaude READ lookedForClaude NOTIFY lookedForClaudeChanged)
    Q_PROPERTY(bool searching READ searching NOTIFY searchingChanged)
    Q_PROPERTY(QString logPath READ logPath CONSTANT)

public:
    AutoMode(QuaroStore& store, std::unique_ptr<AutoModePreferences> preferences,
             AutoModeConfig config = AutoModeConfig::standard(), QObject* parent = nullptr);
    ~AutoMode() override;

    bool enabled() const { return m_enabled; }
    // Stores the choice and checks at once.
    void setEnabled(bool on);
    int intervalMinutes() const { return m_intervalMinutes; }
    void setIntervalMinutes(int minutes);
    bool running() const { return m_running; }
    // Invalid when there was none.
    QDateTime lastRun() const { return m_lastRun; }
    // Empty when there is nothing to say.
    QString lastSummary() const { return m_lastSummary; }
    // Empty until found.
    QString claudePath() const { return m_claudePath; }
    bool lookedForClaude() const { return m_lookedForClaude; }
    bool searching() const { return m_searching; }
    // automatico.log, for the settings window to open.
    QString logPath() const { return m_log.path(); }

    // Starts a run when one is due and recados are pending.
    Q_INVOKABLE void scheduleCheck();
    // Starts a run now, whether on or off, pending or not; nothing while
    // one is running. While `claude` is still being looked for, the run
    // starts when the search ends.
    Q_INVOKABLE void runNow();
    // Looks for `claude` (again): the usual install folders, then the login
    // shell's PATH.
    Q_INVOKABLE void locateClaude();

    // Called after every run, after `finished`.
    std::function<void()> onFinish;

signals:
    void enabledChanged();
    void intervalMinutesChanged();
    void runningChanged();
    void lastRunChanged();
    void lastSummaryChanged();
    void claudePathChanged();
    void lookedForClaudeChanged();
    void searchingChanged();
    void finished();

private:
    void foundClaude(const QString& path);
    QString writeConfiguration() const;
    void runFinished(int status, const QString& output);
    void setRunning(bool running);
    void setLastSummary(const QString& summary);
    void setSearching(bool searching);

    QuaroStore& m_store;
    std::unique_ptr<AutoModePreferences> m_preferences;
    AutoModeConfig m_config;
    AutoModeLog m_log;
    QTimer m_timer;
    bool m_enabled = false;
    int m_intervalMinutes = 60;
    bool m_running = false;
    QDateTime m_lastRun;
    QString m_lastSummary;
    QString m_claudePath;
    bool m_lookedForClaude = false;
    bool m_searching = false;
    bool m_runWhenFound = false;
};

} // namespace quaro
