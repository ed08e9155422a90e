#pragma once

#include "core/Result.h"

#include <QString>

#include <utility>

namespace quaro {

// How an AI client's configuration stands towards this copy's quaro-mcp.
struct DesktopStatus {
    enum class Kind {
        notInstalled,      // the client's configuration folder does not exist
        notConnected,      // no usable "quaro" entry with a text command
        connected,         // the entry starts this copy's server
        connectedElsewhere // the entry starts another copy (`path`)
    };
    Kind kind = Kind::notInstalled;
    QString path;

    bool operator==(const DesktopStatus&) const = default;
};

// Why a configuration could not be edited; the sentence follows the
// caller's "Não consegui editar a configuração do …: ".
class ConnectorError {
public:
    ConnectorError() = default;
    explicit ConnectorError(QString description) : m_description(std::move(description)) {}

    QString description() const { return m_description; }

private:
    QString m_description;
};

// One MCP client's JSON configuration file holding `mcpServers` (Claude
// Desktop's, Cursor's): its status and the one edit Quaro makes to it,
// adding the "quaro" entry. The user's file is never lost: a copy is kept
// once, before the first change; a file that is not a JSON object is left
// alone; the new content replaces the old in one rename, through a symbolic
// link to its target, with the original's permissions. Any thread.
class McpClientConfig {
public:
    McpClientConfig(QString folder, QString fileName, QString backupName);
    // $XDG_CONFIG_HOME/Claude/claude_desktop_config.json
    static McpClientConfig claudeDesktop();
    // ~/.cursor/mcp.json
    static McpClientConfig cursor();

    QString folder() const { return m_folder; }
    QString filePath() const;
    QString backupPath() const;

    DesktopStatus status(const QString& serverPath) const;
    Result<void, ConnectorError> connect(const QString& serverPath) const;

private:
    QString m_folder;
    QString m_fileName;
    QString m_backupName;
};

} // namespace quaro
