#include "connect/McpClientConfig.h"

#include "connect/AtomicFile.h"
#include "connect/ConnectPaths.h"
#include "connect/McpServerEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <nlohmann/json.hpp>

namespace quaro {

namespace {

using json = nlohmann::json;

// The file a path names once symbolic links are followed, so that writing
// keeps the user's link (a dotfiles repository, say) in place.
QString resolvedTarget(const QString& path)
{
    QString current = path;
    for (int hops = 0; hops < 40 && QFileInfo(current).isSymLink(); ++hops)
        current = QFileInfo(current).symLinkTarget();
    return current;
}

struct ReadConfig {
    bool exists = false;
    QByteArray bytes;
    json value = json::object();
};

Result<ReadConfig, ConnectorError> readConfig(const QString& path)
{
    ReadConfig config;
    QFile file(path);
    if (!file.exists())
        return config;
    config.exists = true;
    if (!file.open(QIODevice::ReadOnly))
        return Failure{ConnectorError{QStringLiteral("não deu para ler %1 (%2).").arg(path, file.errorString())}};
    config.bytes = file.readAll();
    config.value = json::parse(config.bytes.constData(), config.bytes.constData() + config.bytes.size(), nullptr,
                               false);
    if (!config.value.is_object())
        return Failure{ConnectorError{
            QStringLiteral("%1 não é um JSON válido com um objeto no topo. Não mexi nele: corrija ou apague o "
                           "arquivo e tente de novo.")
                .arg(path)}};
    return config;
}

} // namespace

McpClientConfig::McpClientConfig(QString folder, QString fileName, QString backupName)
    : m_folder(std::move(folder)), m_fileName(std::move(fileName)), m_backupName(std::move(backupName))
{
}

McpClientConfig McpClientConfig::claudeDesktop()
{
    return {ConnectPaths::configHome() + QStringLiteral("/Claude"), QStringLiteral("claude_desktop_config.json"),
            QStringLiteral("claude_desktop_config.antes-do-quaro.json")};
}

McpClientConfig McpClientConfig::cursor()
{
    return {ConnectPaths::home() + QStringLiteral("/.cursor"), QStringLiteral("mcp.json"),
            QStringLiteral("mcp.antes-do-quaro.json")};
}

QString McpClientConfig::filePath() const { return m_folder + QLatin1Char('/') + m_fileName; }

QString McpClientConfig::backupPath() const { return m_folder + QLatin1Char('/') + m_backupName; }

DesktopStatus McpClientConfig::status(const QString& serverPath) const
{
    using Kind = DesktopStatus::Kind;
    if (!QFileInfo(m_folder).isDir())
        return {Kind::notInstalled, {}};
    auto config = readConfig(filePath());
    if (!config || !config->exists)
        return {Kind::notConnected, {}};
    const json& servers = config->value.contains("mcpServers") ? config->value["mcpServers"] : json();
    if (!servers.is_object() || !servers.contains("quaro") || !servers["quaro"].is_object())
        return {Kind::notConnected, {}};
    const json& entry = servers["quaro"];
    if (!entry.contains("command") || !entry["command"].is_string())
        return {Kind::notConnected, {}};
    const QString command = QString::fromStdString(entry["command"].get<std::string>());
    if (command == serverPath)
        return {Kind::connected, {}};
    return {Kind::connectedElsewhere, command};
}

Result<void, ConnectorError> McpClientConfig::connect(const QString& serverPath) const
{
    if (!QDir().mkpath(m_folder))
        return Failure{ConnectorError{QStringLiteral("não deu para criar a pasta %1.").arg(m_folder)}};
    const QString target = resolvedTarget(filePath());
    auto config = QUARO_TRY(readConfig(target));

    if (config.exists && !QFileInfo::exists(backupPath())) {
        auto saved = AtomicFile::write(backupPath(), config.bytes, AtomicFile::privateMode);
        if (!saved)
            return Failure{ConnectorError{
                QStringLiteral("não deu para guardar a cópia %1 (%2).").arg(backupPath(), saved.error())}};
    }

    json& root = config.value;
    if (!root.contains("mcpServers") || !root["mcpServers"].is_object())
        root["mcpServers"] = json::object();
    root["mcpServers"]["quaro"] = mcpServerEntry(serverPath);

    // Keys come out sorted: the default object is an ordered map.
    const std::string text = root.dump(2, ' ', false, json::error_handler_t::replace);
    const auto permissions = config.exists ? QFile::permissions(target) : AtomicFile::privateMode;
    auto written = AtomicFile::write(target, QByteArray::fromStdString(text), permissions);
    if (!written)
        return Failure{ConnectorError{QStringLiteral("não deu para gravar %1 (%2).").arg(target, written.error())}};
    return {};
}

} // namespace quaro
