// The connector over real configuration files in a private home.
#include "ConnectTestSupport.h"

#include "connect/ClaudeConnector.h"

#include <QProcess>
#include <QSignalSpy>

#include <nlohmann/json.hpp>

namespace quaro {
namespace {

using testing::PrivateHome;
using Kind = DesktopStatus::Kind;

const QString server = QStringLiteral("/opt/Quaro/quaro-mcp");

class ClaudeConnectorTest : public ::testing::Test {
protected:
    ClaudeConnectorConfig config() const
    {
        ClaudeConnectorConfig c;
        c.serverPath = server;
        return c;
    }
    QString desktopFile() const { return home.path(QStringLiteral(".config/Claude/claude_desktop_config.json")); }
    QString backupFile() const
    {
        return home.path(QStringLiteral(".config/Claude/claude_desktop_config.antes-do-quaro.json"));
    }

    PrivateHome home;
};

TEST_F(ClaudeConnectorTest, StatusForEachShapeOfTheFile)
{
    const McpClientConfig desktop = McpClientConfig::claudeDesktop();
    EXPECT_EQ(desktop.filePath(), desktopFile());
    EXPECT_EQ(desktop.status(server), (DesktopStatus{Kind::notInstalled, {}}));
    QDir().mkpath(desktop.folder());
    EXPECT_EQ(desktop.status(server), (DesktopStatus{Kind::notConnected, {}}));

    const struct {
        QByteArray file;
        DesktopStatus status;
    } cases[] = {
        {R"({"mcpServers": {"quaro": "/opt/Quaro/quaro-mcp"}})", {Kind::notConnected, {}}},
        {R"({"mcpServers": {"quaro": {"command": 42}}})", {Kind::notConnected, {}}},
        {R"({"mcpServers": {"quaro": {"command": "/velho/quaro-mcp"}}})", {Kind::connectedElsewhere, "/velho/quaro-mcp"}},
        {R"({"mcpServers": {"quaro": {"command": "/opt/Quaro/quaro-mcp", "args": []}}})", {Kind::connected, {}}},
    };
    for (const auto& c : cases) {
        home.write(QStringLiteral(".config/Claude/claude_desktop_config.json"), c.file);
        EXPECT_EQ(desktop.status(server), c.status) << c.file.constData();
    }
}

TEST_F(ClaudeConnectorTest, ConnectingKeepsEverythingElseAndBacksUpOnce)
{
    const QByteArray original = R"({"globalShortcut": "Ctrl+Space", "mcpServers": {"github": {"command": "gh-mcp",
 "env": {"TOKEN": "x/y"}}, "quaro": {"command": "/velho/quaro-mcp", "env": {"A": "1"}}},
 "zoom": 12345678901234567890, "ação": "sim"})";
    home.write(QStringLiteral(".config/Claude/claude_desktop_config.json"), original);
    QFile::setPermissions(desktopFile(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    ClaudeConnector connector(config());
    EXPECT_EQ(connector.desktopStatusName(), QStringLiteral("connectedElsewhere"));
    EXPECT_EQ(connector.desktopElsewhere(), QStringLiteral("/velho/quaro-mcp"));
    QSignalSpy changed(&connector, &ClaudeConnector::statusChanged);
    ASSERT_TRUE(connector.connectDesktop()) << connector.desktopMessage().toStdString();
    EXPECT_EQ(connector.desktopStatusName(), QStringLiteral("connected"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(connector.desktopMessage(), QStringLiteral("Pronto. Feche e abra o Claude Desktop para ele ver o Quaro."));

    // Every other key kept, Quaro's entry replaced whole; sorted, indented by two.
    auto expectedJson = nlohmann::json::parse(original.toStdString());
    expectedJson["mcpServers"]["quaro"] = {{"args", nlohmann::json::array()}, {"command", server.toStdString()}};
    const QByteArray expected = QByteArray::fromStdString(expectedJson.dump(2));
    EXPECT_EQ(testing::readAll(desktopFile()), expected);
    EXPECT_EQ(testing::readAll(backupFile()), original);
    EXPECT_EQ(testing::fileMode(desktopFile().toStdString()), 0644);
    EXPECT_EQ(testing::fileMode(backupFile().toStdString()), 0600);

    // Again: the same content, the first backup kept.
    ASSERT_TRUE(connector.connectDesktop());
    EXPECT_EQ(testing::readAll(desktopFile()), expected);
    EXPECT_EQ(testing::readAll(backupFile()), original);
}

TEST_F(ClaudeConnectorTest, AFileThatIsNotAJsonObjectIsLeftAlone)
{
    for (const QByteArray& broken : {QByteArray("{\"mcpServers\": {,}"), QByteArray("[\"lista\"]")}) {
        home.write(QStringLiteral(".config/Claude/claude_desktop_config.json"), broken);
        ClaudeConnector connector(config());
        EXPECT_FALSE(connector.connectDesktop());
        EXPECT_TRUE(connector.desktopMessage().startsWith(QStringLiteral("Não consegui editar a configuração do Claude: ")));
        EXPECT_EQ(testing::readAll(desktopFile()), broken);
        EXPECT_FALSE(QFile::exists(backupFile()));
        EXPECT_EQ(connector.desktopStatusName(), QStringLiteral("notConnected"));
    }
}

TEST_F(ClaudeConnectorTest, WritesThroughASymbolicLinkAndCreatesWhatIsMissing)
{
    // Not installed: connecting makes the folder and a file with just Quaro.
    ClaudeConnector fresh(config());
    EXPECT_EQ(fresh.desktopStatusName(), QStringLiteral("notInstalled"));
    ASSERT_TRUE(fresh.connectDesktop());
    EXPECT_EQ(nlohmann::json::parse(testing::readAll(desktopFile()).toStdString()),
              nlohmann::json::parse(R"({"mcpServers": {"quaro": {"args": [], "command": "/opt/Quaro/quaro-mcp"}}})"));
    EXPECT_FALSE(QFile::exists(backupFile()));

    // A configuration kept elsewhere behind a link stays a link.
    const QString target = home.path(QStringLiteral("dotfiles/claude.json"));
    home.write(QStringLiteral("dotfiles/claude.json"), R"({"mcpServers": {}})");
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QFile::remove(desktopFile());
    ASSERT_TRUE(QFile::link(target, desktopFile()));
    ClaudeConnector linked(config());
    ASSERT_TRUE(linked.connectDesktop()) << linked.desktopMessage().toStdString();
    EXPECT_EQ(QFileInfo(desktopFile()).symLinkTarget(), target);
    EXPECT_TRUE(testing::readAll(target).contains("/opt/Quaro/quaro-mcp"));
    EXPECT_EQ(testing::fileMode(target.toStdString()), 0640);
    EXPECT_EQ(testing::readAll(backupFile()), QByteArray(R"({"mcpServers": {}})"));
    EXPECT_EQ(linked.desktopStatusName(), QStringLiteral("connected"));
}

// What a POSIX shell makes of the command's last word.
QString shellWord(const QString& command)
{
    const QString word = command.mid(command.indexOf(QLatin1String(" -- ")) + 4);
    QProcess sh;
    sh.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("set -- ") + word +
                                                                   QStringLiteral("; printf '%s|%s' \"$#\" \"$1\"")});
    sh.waitForFinished();
    return QString::fromUtf8(sh.readAllStandardOutput());
}

TEST(ClaudeCodeCommandTest, ThePathStaysOneWordWhenPasted)
{
    EXPECT_EQ(ClaudeConnector::claudeCodeCommand(QStringLiteral("/opt/Quaro App/quaro-mcp")),
              QStringLiteral("claude mcp add --scope user quaro -- \"/opt/Quaro App/quaro-mcp\""));
    for (const QString& path : {QStringLiteral("/opt/Quaro App/quaro-mcp"), QStringLiteral("/home/d'Ávila/quaro-mcp"),
                               QStringLiteral("/tmp/$(touch x)/quaro-mcp"), QStringLiteral("/tmp/`id` \"a\"/q\\b/quaro-mcp"),
                               QStringLiteral("/tmp/$HOME/it's/quaro-mcp")})
        EXPECT_EQ(shellWord(ClaudeConnector::claudeCodeCommand(path)), QStringLiteral("1|") + path);
}

} // namespace
} // namespace quaro
