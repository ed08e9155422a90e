// Automatic mode against a fake `claude` that starts the real quaro-mcp
// named in its configuration and works the real inbox over JSON-RPC lines.
#include "ConnectTestSupport.h"

#include "connect/AutoMode.h"
#include "connect/AutoRun.h"
#include "core/QuaroStore.h"
#include "core/Uuid.h"
#include "support/Take.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using testing::MemoryPreferences;
using testing::PrivateHome;
using testing::waitFor;

const QString destinoName = QStringLiteral("Projeto $(touch pwned) \"aspas\" `eco` 'x'");

class AutoModeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store.emplace(testing::take(QuaroStore::open(QuaroPaths::databaseURL())));
        Destino destino{makeUUID(), destinoName.toStdString(), "Faça `isto` e $HOME", "#FF6A1C", 0};
        ASSERT_TRUE(store->saveDestino(destino));
        destinoID = destino.id;
        claude = home.path(QStringLiteral(".local/bin/claude"));
        testing::installFakeClaude(claude);
        qputenv("FAKE_CLAUDE_RECORD", home.path(QStringLiteral("record.json")).toUtf8());
        qunsetenv("FAKE_CLAUDE");
    }

    std::string addPending(const std::string& transcript)
    {
        const Recado recado{.id = makeUUID(), .createdAt = 1750255387, .transcript = transcript, .title = transcript,
                            .destinoID = destinoID};
        EXPECT_TRUE(store->insert(recado));
        return recado.id;
    }

    AutoModeConfig config(const QString& shell = QStringLiteral("/bin/sh")) const
    {
        AutoModeConfig c = testing::autoModeConfig(home, QStringLiteral(QUARO_MCP));
        c.shell = LoginShell::fromPath(shell);
        return c;
    }

    std::unique_ptr<AutoMode> make(AutoModeConfig c)
    {
        auto mode = std::make_unique<AutoMode>(*store, std::make_unique<MemoryPreferences>(values), std::move(c));
        EXPECT_TRUE(waitFor([&] { return mode->lookedForClaude(); }));
        return mode;
    }

    QJsonObject record() const
    {
        return QJsonDocument::fromJson(testing::readAll(home.path(QStringLiteral("record.json")))).object();
    }

    PrivateHome home;
    std::optional<QuaroStore> store;
    std::string destinoID;
    QString claude;
    MemoryPreferences::Values values;
};

TEST_F(AutoModeTest, ResolvesPendingRecadosAsClaudeCodeAutomatico)
{
    const std::string first = addPending("primeira fala");
    const std::string second = addPending("segunda fala com 'aspas' e $(date)");
    // A login shell that reads a noisy start-up file first.
    home.write(QStringLiteral(".bashrc"), "echo barulho do bashrc\n");
    auto mode = make(config(QStringLiteral("/bin/bash")));
    EXPECT_EQ(mode->claudePath(), claude);
    int finishedCalls = 0;
    mode->onFinish = [&] { ++finishedCalls; };

    QSignalSpy finished(mode.get(), &AutoMode::finished);
    mode->runNow();
    ASSERT_TRUE(mode->running());
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_FALSE(mode->running());

    EXPECT_EQ(mode->lastSummary(), QStringLiteral("Resolvi 2 recados."));
    EXPECT_EQ(finishedCalls, 1);
    for (const auto& [id, transcript] : {std::pair{first, "primeira fala"},
                                         std::pair{second, "segunda fala com 'aspas' e $(date)"}}) {
        auto recado = store->recado(id);
        ASSERT_TRUE(recado && recado->has_value());
        EXPECT_EQ((*recado)->status, RecadoStatus::resolvido);
        EXPECT_EQ((*recado)->claimedBy, std::string(AutoRun::claimer));
        EXPECT_EQ((*recado)->result, std::string("feito: ") + transcript);
    }

    // The exact argument vector, the apostrophe of the home folder and the
    // destino's shell-looking name intact, nothing run by a shell.
    const QString support = QString::fromStdString(QuaroPaths::supportDirectory().string());
    const QString configPath = support + QStringLiteral("/automatico-mcp.json");
    EXPECT_EQ(record()[QStringLiteral("argv")].toVariant().toStringList(), AutoRun::arguments(claude, configPath));
    EXPECT_EQ(record()[QStringLiteral("cwd")].toString(), support);
    EXPECT_EQ(record()[QStringLiteral("destinos")].toArray(), (QJsonArray{destinoName, destinoName}));
    EXPECT_FALSE(QFile::exists(support + QStringLiteral("/pwned")));

    EXPECT_EQ(testing::fileMode(configPath.toStdString()), 0600);
    EXPECT_TRUE(values.lastRun);

    const QByteArray log = testing::readAll(mode->logPath());
    EXPECT_TRUE(log.contains("Z (saída 0)\nLendo a caixa do Quaro...\n")) << log.constData();
}

TEST(AutoRunTest, SummaryFollowsExitStatusAndOutput)
{
    const std::string login = "O Claude Code pediu login. Abra o Terminal, rode \"claude\" e entre na sua conta.";
    const std::string failed = "O Claude Code parou com erro. Veja o registro em Ajustes.";
    struct Case {
        int status;
        QString output;
        std::string summary;
    } cases[] = {
        {0, "passo 1\n  3 recados resolvidos \t\n\n\n", "3 recados resolvidos"},
        {0, "\n \n", "Pronto."},
        // What the real client prints (the first without any login at all).
        {1, "Not logged in · Please run /login\n", login},
        {1, "Authentication required · Sign in again to continue", login},
        {1, "API Error: 401 {\"type\":\"error\",\"error\":{\"type\":\"authentication_error\"}}", login},
        // Ordinary failures that merely mention an author, OAuth or a login.
        {1, "MCP server github: OAuth discovery failed\nbash: no job control in this login shell\n(author)", failed},
        {1, "GET https://example.com/login returned 500", failed},
        {-1, "execve failed", failed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AutoRun::summary({c.status, c.output}).toStdString(), c.summary) << c.output.toStdString();
}

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const qsizetype state = text.lastIndexOf(')') + 2;
    return state < text.size() && (text[state] == 'Z' || text[state] == 'X');
}

TEST_F(AutoModeTest, TimeoutKillsTheWholeGroupEvenWithAGrandchildOnThePipe)
{
    addPending("uma fala");
    AutoModeConfig c = config();
    c.runTimeout = 1s;
    c.killGrace = 500ms;
    auto mode = make(c);
    qputenv("FAKE_CLAUDE", "hang");
    QSignalSpy finished(mode.get(), &AutoMode::finished);
    mode->runNow();
    mode->runNow(); // a second press while running does nothing
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_FALSE(mode->running());
    EXPECT_EQ(mode->lastSummary(), QStringLiteral("O Claude Code parou com erro. Veja o registro em Ajustes."));
    const qint64 grandchild = record()[QStringLiteral("grandchild")].toInteger();
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(waitFor([&] { return processGone(grandchild); }));
    const QByteArray log = testing::readAll(mode->logPath());
    EXPECT_EQ(log.count("\n── "), 1);
    EXPECT_TRUE(log.contains("trabalhando"));
    EXPECT_FALSE(log.contains("(saída 0)"));
    QTest::qWait(1000);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(AutoModeTest, ARunEndsWithItsProgramEvenWhenAGrandchildKeepsThePipe)
{
    AutoModeConfig c = config();
    c.runTimeout = 600s; // far beyond the wait below
    auto mode = make(c);
    qputenv("FAKE_CLAUDE", "orphan");
    QSignalSpy finished(mode.get(), &AutoMode::finished);
    mode->runNow();
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }, 60000));
    EXPECT_EQ(mode->lastSummary(), QStringLiteral("Resolvi 0 recados."));
    ::kill(pid_t(record()[QStringLiteral("grandchild")].toInteger()), SIGKILL);
}

TEST_F(AutoModeTest, ChecksRunOnlyWhenOnDueAndPending)
{
    qputenv("FAKE_CLAUDE", "exit:0:ok");
    values.enabled = true;
    values.lastRun = QDateTime::currentDateTimeUtc().addSecs(-2 * 3600);
    auto mode = make(config());
    QSignalSpy finished(mode.get(), &AutoMode::finished);

    mode->scheduleCheck(); // due, but nothing pending
    EXPECT_FALSE(mode->running());
    addPending("uma fala");
    mode->scheduleCheck();
    EXPECT_TRUE(mode->running());
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));

    mode->scheduleCheck(); // ran just now: not due
    EXPECT_FALSE(mode->running());
    mode->setIntervalMinutes(0);
    EXPECT_EQ(values.interval, 0);
    mode->scheduleCheck();
    EXPECT_TRUE(mode->running());
    ASSERT_TRUE(waitFor([&] { return finished.count() == 2; }));

    // Switched off, only the button runs. (Switching on with no run yet
    // starts one at once: the application's wiring test walks that.)
    mode->setEnabled(false);
    EXPECT_FALSE(values.enabled);
    mode->scheduleCheck();
    EXPECT_FALSE(mode->running());
    mode->runNow();
    EXPECT_TRUE(mode->running());
    ASSERT_TRUE(waitFor([&] { return finished.count() == 3; }));
}

TEST_F(AutoModeTest, FindsClaudeThroughTheLoginShellAndSaysWhenItIsNowhere)
{
    QFile::remove(claude);
    // Only on the login shell's PATH, after a start-up file that prints.
    testing::installFakeClaude(home.path(QStringLiteral("ferramentas/claude")));
    home.write(QStringLiteral(".profile"), "echo 'Bem-vindo!'\nPATH=\"$HOME/ferramentas:$PATH\"\n");
    auto mode = make(config());
    EXPECT_EQ(mode->claudePath(), home.path(QStringLiteral("ferramentas/claude")));

    QFile::remove(home.path(QStringLiteral("ferramentas/claude")));
    mode->locateClaude();
    // Pressed during the search: the verdict waits for its end.
    mode->runNow();
    EXPECT_TRUE(mode->lastSummary().isEmpty());
    ASSERT_TRUE(waitFor([&] { return !mode->searching(); }));
    EXPECT_TRUE(mode->claudePath().isEmpty());
    EXPECT_EQ(mode->lastSummary(), QStringLiteral("Não achei o Claude Code neste computador."));
    EXPECT_FALSE(mode->running());
}

TEST(LoginShellTest, PosixShellsRunTheCommandOthersGoThroughSh)
{
    PrivateHome home;
    const auto shell = [&](const QString& name) {
        const QString path = home.path(QStringLiteral("bin/") + name);
        home.write(QStringLiteral("bin/") + name, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    };
    const struct {
        QString path;
        QString program;
        QString command;
    } cases[] = {
        {shell("zsh"), shell("zsh"), "[ -f ~/.zshrc ] && source ~/.zshrc >/dev/null 2>&1; x"},
        {shell("bash"), shell("bash"), "[ -f ~/.bashrc ] && source ~/.bashrc >/dev/null 2>&1; x"},
        {shell("dash"), shell("dash"), "x"},
        {shell("fish"), "/bin/sh", "x"},
        {"zsh", "/bin/sh", "x"},
        {home.path("nada/zsh"), "/bin/sh", "x"},
    };
    for (const auto& c : cases) {
        const LoginShell login = LoginShell::fromPath(c.path);
        EXPECT_EQ(login.program(), c.program) << c.path.toStdString();
        EXPECT_EQ(login.arguments(QStringLiteral("x")), (QStringList{QStringLiteral("-lc"), c.command}));
    }
}

} // namespace
} // namespace quaro
