#pragma once

#include "connect/LoginShell.h"
#include "connect/McpClientConfig.h"

#include <QObject>
#include <QString>

#include <chrono>

namespace quaro {

// What the connector works on. `standard()` is the user's own; tests point
// the files at a temporary home.
struct ClaudeConnectorConfig {
    QString serverPath;
    McpClientConfig desktop = McpClientConfig::claudeDesktop();
    McpClientConfig cursor = McpClientConfig::cursor();
    LoginShell shell = LoginShell::fromPath(QStringLiteral("/bin/sh"));
    std::chrono::milliseconds commandTimeout{60'000};

    static ClaudeConnectorConfig standard();
};

// Connects this copy's quaro-mcp to the user's local AI clients: Claude
// Desktop and Cursor by editing their configuration files, Claude Code by
// the `claude mcp add` command (shown to copy, or run for the user when
// `claude` was found). For the settings window and onboarding; statuses are
// read again by `refresh()` and after each connection. Main thread only.
class ClaudeConnector : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString serverPath READ serverPath CONSTANT)
    Q_PROPERTY(bool helperExists READ helperExists NOTIFY statusChanged)
    // "notInstalled", "notConnected", "connected" or "connectedElsewhere".
    Q_PROPERTY(QString desktopStatus READ desktopStatusName NOTIFY statusChanged)
    Q_PROPERTY(QString desktopElsewhere READ desktopElsewhere NOTIFY statusChanged)
    Q_PROPERTY(QString desktopMessage READ desktopMessage NOTIFY desktopMessageChanged)
    Q_PROPERTY(QString cursorStatus READ cursorStatusName NOTIFY statusChanged)
    Q_PROPERTY(QString cursorMessage READ cursorMessage NOTIFY cursorMessageChanged)
    Q_PROPERTY(QString claudeCodeCommand READ claudeCodeCommand CONSTANT)
    Q_PROPERTY(QString claudePath READ claudePath WRITE setClaudePath NOTIFY claudePathChanged)
    Q_PROPERTY(bool claudeCodeAdding READ claudeCodeAdding NOTIFY claudeCodeAddingChanged)
    Q_PROPERTY(QString claudeCodeMessage READ claudeCodeMessage NOTIFY claudeCodeMessageChanged)

public:
    explicit ClaudeConnector(ClaudeConnectorConfig config = ClaudeConnectorConfig::standard(),
                             QObject* parent = nullptr);

    QString serverPath() const { return m_config.serverPath; }
    bool helperExists() const;
    DesktopStatus desktopStatus() const { return m_desktop; }
    QString desktopStatusName() const;
    QString desktopElsewhere() const { return m_desktop.path; }
    QString desktopMessage() const { return m_desktopMessage; }
    DesktopStatus cursorStatus() const { return m_cursor; }
    QString cursorStatusName() const;
    QString cursorMessage() const { return m_cursorMessage; }
    QString claudeCodeCommand() const { return claudeCodeCommand(m_config.serverPath); }
    // The `claude` automatic mode found; empty when none.
    QString claudePath() const { return m_claudePath; }
    void setClaudePath(const QString& path);
    bool claudeCodeAdding() const { return m_adding; }
    QString claudeCodeMessage() const { return m_claudeCodeMessage; }

    // "claude mcp add --scope user quaro -- " and the server path, which
    // stays one word when pasted into a shell: in double quotes, or, when
    // it holds characters that double quotes do not protect, in single
    // quotes.
    static QString claudeCodeCommand(const QString& serverPath);
    // Linux keeps no download quarantine; what matters is that AI clients
    // can execute the server. Failures are ignored.
    void ensureHelperExecutable() const;

    Q_INVOKABLE void refresh();
    Q_INVOKABLE bool connectDesktop();
    Q_INVOKABLE bool connectCursor();
    // Runs `claude mcp add …` through the login shell; the outcome arrives
    // in `claudeCodeMessage`.
    Q_INVOKABLE void addToClaudeCode();

signals:
    void statusChanged();
    void desktopMessageChanged();
    void cursorMessageChanged();
    void claudePathChanged();
    void claudeCodeAddingChanged();
    void claudeCodeMessageChanged();

private:
    void setText(QString& field, const QString& text, void (ClaudeConnector::*changed)());

    ClaudeConnectorConfig m_config;
    DesktopStatus m_desktop;
    DesktopStatus m_cursor;
    QString m_desktopMessage;
    QString m_cursorMessage;
    QString m_claudePath;
    bool m_adding = false;
    QString m_claudeCodeMessage;
};

} // namespace quaro
