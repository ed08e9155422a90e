// The real `claude` command-line client (pinned in package.json, installed
// by scripts/setup.d/connect.sh) on an isolated home without a login. Its
// traffic goes to a closed loopback proxy: nothing leaves the machine.
#include "ConnectTestSupport.h"

#include "connect/AutoMode.h"
#include "connect/ClaudeConnector.h"
#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include <QProcess>
#include <QSignalSpy>

namespace quaro {
namespace {

using testing::PrivateHome;
using testing::waitFor;

const QString realClaude = QStringLiteral(QUARO_CLAUDE_CLI);

class RealClaudeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo(realClaude).isExecutable())
            GTEST_SKIP() << "the claude client is not installed: run scripts/setup.d/connect.sh";
        for (const char* name : {"CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC", "DISABLE_AUTOUPDATER",
                                 "DISABLE_TELEMETRY", "DISABLE_ERROR_REPORTING"})
            qputenv(name, "1");
        for (const char* name : {"HTTPS_PROXY", "HTTP_PROXY", "https_proxy", "http_proxy"})
            qputenv(name, "http://127.0.0.1:9");
        qunsetenv("NO_PROXY");
        qunsetenv("no_proxy");
        qunsetenv("ANTHROPIC_API_KEY");
        // The server at a path with a blank and an apostrophe.
        server = home.path(QStringLiteral("Quaro App/quaro-mcp"));
        QDir().mkpath(QFileInfo(server).path());
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUARO_MCP), server));
    }

    PrivateHome home;
    QString server;
};

TEST_F(RealClaudeTest, AutomaticRunWithoutLoginAsksForIt)
{
    auto store = QuaroStore::open(QuaroPaths::databaseURL());
    ASSERT_TRUE(store);
    Recado recado;
    recado.id = makeUUID();
    recado.transcript = recado.title = "uma fala";
    ASSERT_TRUE(store->insert(recado));
    ASSERT_TRUE(QFile::link(realClaude, home.path(QStringLiteral(".local/bin/claude"))) ||
                (QDir().mkpath(home.path(QStringLiteral(".local/bin"))) &&
                 QFile::link(realClaude, home.path(QStringLiteral(".local/bin/claude")))));

    AutoModeConfig config = testing::autoModeConfig(home, server);
    config.runTimeout = std::chrono::seconds(120);
    testing::MemoryPreferences::Values values;
    AutoMode mode(*store, std::make_unique<testing::MemoryPreferences>(values), config);
    ASSERT_TRUE(waitFor([&] { return mode.lookedForClaude(); }));
    QSignalSpy finished(&mode, &AutoMode::finished);
    mode.runNow();
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }, 150000));
    EXPECT_EQ(mode.lastSummary(),
              QStringLiteral("O Claude Code pediu login. Abra o Terminal, rode \"claude\" e entre na sua conta."));
    const QByteArray log = testing::readAll(mode.logPath());
    EXPECT_FALSE(log.contains("(saída 0)")) << log.constData();
    auto after = store->recado(recado.id);
    ASSERT_TRUE(after && after->has_value());
    EXPECT_EQ((*after)->status, RecadoStatus::pendente);
}

// The offered run; the copyable text uses the same words (ClaudeCodeCommandTest
// pins it and its quoting).
TEST_F(RealClaudeTest, TheOfferedRunConnects)
{
    ClaudeConnectorConfig config;
    config.serverPath = server;
    ClaudeConnector connector(config);
    connector.setClaudePath(realClaude);
    connector.addToClaudeCode();
    EXPECT_TRUE(connector.claudeCodeAdding());
    ASSERT_TRUE(waitFor([&] { return !connector.claudeCodeAdding(); }, 150000));
    EXPECT_EQ(connector.claudeCodeMessage(), QStringLiteral("Pronto. O Claude Code já conhece o Quaro."));
    QProcess list;
    list.start(realClaude, {QStringLiteral("mcp"), QStringLiteral("list")});
    list.waitForFinished(120000);
    const QString listed = QString::fromUtf8(list.readAllStandardOutput() + list.readAllStandardError());
    EXPECT_TRUE(listed.contains(QStringLiteral("quaro: ") + server) && listed.contains(QStringLiteral("✔ Connected")))
        << listed.toStdString();
}

} // namespace
} // namespace quaro
