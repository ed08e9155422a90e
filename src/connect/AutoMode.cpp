#include "connect/AutoMode.h"

#include "connect/AtomicFile.h"
#include "connect/AutoRun.h"
#include "connect/ChildProcess.h"
#include "connect/ConnectPaths.h"
#include "connect/McpServerEntry.h"
#include "connect/ShellQuote.h"
#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"

#include <QFileInfo>

namespace quaro {

namespace {

bool isExecutableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace

AutoModeConfig AutoModeConfig::standard()
{
    AutoModeConfig config;
    config.serverPath = ConnectPaths::serverPath();
    config.supportDirectory = QString::fromStdString(QuaroPaths::supportDirectory().string());
    config.logDirectory = ConnectPaths::logDirectory();
    config.home = ConnectPaths::home();
    config.shell = LoginShell::ofUser();
    return config;
}

AutoMode::AutoMode(QuaroStore& store, std::unique_ptr<AutoModePreferences> preferences, AutoModeConfig config,
                   QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_preferences(std::move(preferences))
    , m_config(std::move(config))
    , m_log(m_config.logDirectory)
    , m_enabled(m_preferences->enabled())
    , m_intervalMinutes(m_preferences->intervalMinutes())
    , m_lastRun(m_preferences->lastRun().value_or(QDateTime()))
{
    m_timer.setInterval(m_config.checkInterval);
    connect(&m_timer, &QTimer::timeout, this, &AutoMode::scheduleCheck);
    m_timer.start();
    locateClaude();
}

// A run still going is killed with its whole process group.
AutoMode::~AutoMode() = default;

void AutoMode::setEnabled(bool on)
{
    if (on != m_enabled) {
        m_enabled = on;
        m_preferences->setEnabled(on);
        emit enabledChanged();
    }
    scheduleCheck();
}

void AutoMode::setIntervalMinutes(int minutes)
{
    if (minutes == m_intervalMinutes)
        return;
    m_intervalMinutes = minutes;
    m_preferences->setIntervalMinutes(minutes);
    emit intervalMinutesChanged();
}

void AutoMode::scheduleCheck()
{
    if (!m_enabled || m_running)
        return;
    const bool due = !m_lastRun.isValid() ||
                     m_lastRun.secsTo(QDateTime::currentDateTimeUtc()) >= qint64(m_intervalMinutes) * 60;
    auto counts = m_store.counts();
    if (!counts)
        return;
    const auto pending = counts->find(RecadoStatus::pendente);
    if (pending == counts->end() || pending->second < 1)
        return;
    if (due)
        runNow();
}

void AutoMode::runNow()
{
    if (m_running)
        return;
    // The search under way decides which `claude` runs, or that there is
    // none: saying so before it ended would be wrong.
    if (m_searching) {
        m_runWhenFound = true;
        return;
    }
    if (m_claudePath.isEmpty()) {
        setLastSummary(QStringLiteral("Não achei o Claude Code neste computador."));
        return;
    }
    setRunning(true);
    setLastSummary({});
    const QString command = shellCommand(AutoRun::arguments(m_claudePath, writeConfiguration()));
    ProcessSpec spec{m_config.shell.program(), m_config.shell.arguments(command), m_config.supportDirectory,
                     m_config.runTimeout, m_config.killGrace};
    ChildProcess::run(std::move(spec), this,
                      [this](const ProcessResult& result) { runFinished(result.status, result.output); });
}

QString AutoMode::writeConfiguration() const
{
    QuaroPaths::makePrivateDirectory(m_config.supportDirectory.toStdString());
    const QString path = m_config.supportDirectory + QStringLiteral("/automatico-mcp.json");
    const std::string text = mcpConfiguration(m_config.serverPath).dump();
    // A failure is not fatal: an older copy may still be there, and the run
    // says what went wrong in its output otherwise.
    (void)AtomicFile::write(path, QByteArray::fromStdString(text), AtomicFile::privateMode);
    return path;
}

void AutoMode::runFinished(int status, const QString& output)
{
    m_log.append(status, output);
    m_lastRun = QDateTime::currentDateTimeUtc();
    m_preferences->setLastRun(m_lastRun);
    emit lastRunChanged();
    setLastSummary(AutoRun::summary({status, output}));
    setRunning(false);
    emit finished();
    if (onFinish)
        onFinish();
}

void AutoMode::locateClaude()
{
    if (m_searching)
        return;
    setSearching(true);
    QStringList candidates = {m_config.home + QStringLiteral("/.local/bin/claude"),
                              m_config.home + QStringLiteral("/.claude/local/claude")};
    candidates.append(m_config.systemPaths);
    for (const QString& candidate : candidates) {
        if (isExecutableFile(candidate)) {
            // Reported from the event loop, as the shell's answer would be.
            QMetaObject::invokeMethod(this, [this, candidate] { foundClaude(candidate); }, Qt::QueuedConnection);
            return;
        }
    }
    ProcessSpec spec{m_config.shell.program(), m_config.shell.arguments(QStringLiteral("command -v claude")), {},
                     m_config.searchTimeout, m_config.killGrace};
    ChildProcess::run(std::move(spec), this, [this](const ProcessResult& result) {
        const QString line = AutoRun::lastLine(result.output);
        foundClaude(line.startsWith(QLatin1Char('/')) && isExecutableFile(line) ? line : QString());
    });
}

void AutoMode::foundClaude(const QString& path)
{
    if (path != m_claudePath) {
        m_claudePath = path;
        emit claudePathChanged();
    }
    if (!m_lookedForClaude) {
        m_lookedForClaude = true;
        emit lookedForClaudeChanged();
    }
    setSearching(false);
    if (m_runWhenFound) {
        m_runWhenFound = false;
        runNow();
    }
}

void AutoMode::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    emit runningChanged();
}

void AutoMode::setLastSummary(const QString& summary)
{
    if (summary == m_lastSummary)
        return;
    m_lastSummary = summary;
    emit lastSummaryChanged();
}

void AutoMode::setSearching(bool searching)
{
    if (searching == m_searching)
        return;
    m_searching = searching;
    emit searchingChanged();
}

} // namespace quaro
