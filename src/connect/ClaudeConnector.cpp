#include "connect/ClaudeConnector.h"

#include "connect/AutoRun.h"
#include "connect/ChildProcess.h"
#include "connect/ConnectPaths.h"
#include "connect/ShellQuote.h"

#include <QFile>
#include <QFileInfo>

namespace quaro {

namespace {

QString statusName(const DesktopStatus& status)
{
    switch (status.kind) {
    case DesktopStatus::Kind::notInstalled:
        return QStringLiteral("notInstalled");
    case DesktopStatus::Kind::notConnected:
        return QStringLiteral("notConnected");
    case DesktopStatus::Kind::connected:
        return QStringLiteral("connected");
    case DesktopStatus::Kind::connectedElsewhere:
        return QStringLiteral("connectedElsewhere");
    }
    return {};
}

} // namespace

ClaudeConnectorConfig ClaudeConnectorConfig::standard()
{
    ClaudeConnectorConfig config;
    config.serverPath = ConnectPaths::serverPath();
    config.shell = LoginShell::ofUser();
    return config;
}

ClaudeConnector::ClaudeConnector(ClaudeConnectorConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config))
{
    refresh();
}

bool ClaudeConnector::helperExists() const
{
    const QFileInfo info(m_config.serverPath);
    return info.isFile() && info.isExecutable();
}

QString ClaudeConnector::desktopStatusName() const { return statusName(m_desktop); }

QString ClaudeConnector::cursorStatusName() const { return statusName(m_cursor); }

QString ClaudeConnector::claudeCodeCommand(const QString& serverPath)
{
    static const QString prefix = QStringLiteral("claude mcp add --scope user quaro -- ");
    // Inside double quotes a shell still expands these.
    const bool expands = serverPath.contains(QLatin1Char('$')) || serverPath.contains(QLatin1Char('`')) ||
                         serverPath.contains(QLatin1Char('\\')) || serverPath.contains(QLatin1Char('"'));
    if (expands)
        return prefix + shellQuoted(serverPath);
    return prefix + QLatin1Char('"') + serverPath + QLatin1Char('"');
}

void ClaudeConnector::ensureHelperExecutable() const
{
    const QFileInfo info(m_config.serverPath);
    if (info.isFile() && !info.isExecutable())
        QFile::setPermissions(m_config.serverPath, info.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

void ClaudeConnector::setClaudePath(const QString& path) { setText(m_claudePath, path, &ClaudeConnector::claudePathChanged); }

void ClaudeConnector::refresh()
{
    m_desktop = m_config.desktop.status(m_config.serverPath);
    m_cursor = m_config.cursor.status(m_config.serverPath);
    emit statusChanged();
}

bool ClaudeConnector::connectDesktop()
{
    auto done = m_config.desktop.connect(m_config.serverPath);
    refresh();
    setText(m_desktopMessage,
            done ? QStringLiteral("Pronto. Feche e abra o Claude Desktop para ele ver o Quaro.")
                 : QStringLiteral("Não consegui editar a configuração do Claude: ") + done.error().description(),
            &ClaudeConnector::desktopMessageChanged);
    return done.ok();
}

bool ClaudeConnector::connectCursor()
{
    auto done = m_config.cursor.connect(m_config.serverPath);
    refresh();
    setText(m_cursorMessage,
            done ? QStringLiteral("Pronto. Feche e abra o Cursor para ele ver o Quaro.")
                 : QStringLiteral("Não consegui editar a configuração do Cursor: ") + done.error().description(),
            &ClaudeConnector::cursorMessageChanged);
    return done.ok();
}

void ClaudeConnector::addToClaudeCode()
{
    if (m_adding || m_claudePath.isEmpty())
        return;
    m_adding = true;
    emit claudeCodeAddingChanged();
    setText(m_claudeCodeMessage, {}, &ClaudeConnector::claudeCodeMessageChanged);
    const QString command = shellCommand({m_claudePath, QStringLiteral("mcp"), QStringLiteral("add"),
                                          QStringLiteral("--scope"), QStringLiteral("user"), QStringLiteral("quaro"),
                                          QStringLiteral("--"), m_config.serverPath});
    ProcessSpec spec{m_config.shell.program(), m_config.shell.arguments(command), {}, m_config.commandTimeout};
    ChildProcess::run(std::move(spec), this, [this](const ProcessResult& result) {
        const QString said = AutoRun::lastLine(result.output);
        QString message = QStringLiteral("Pronto. O Claude Code já conhece o Quaro.");
        if (result.status != 0)
            message = said.isEmpty() ? QStringLiteral("O Claude Code não aceitou o comando.")
                                     : QStringLiteral("O Claude Code não aceitou o comando: ") + said;
        m_adding = false;
        emit claudeCodeAddingChanged();
        setText(m_claudeCodeMessage, message, &ClaudeConnector::claudeCodeMessageChanged);
    });
}

void ClaudeConnector::setText(QString& field, const QString& text, void (ClaudeConnector::*changed)())
{
    if (field == text)
        return;
    field = text;
    emit(this->*changed)();
}

} // namespace quaro
