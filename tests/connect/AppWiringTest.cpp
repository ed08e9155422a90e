// The application state owns the AI connections: automatic mode reads and
// writes the user's preferences, its end reloads the inbox at once, and the
// connector learns where `claude` is.
#include "ConnectTestSupport.h"

#include "app/CaptureFakes.h"
#include "app/windows/AppState.h"
#include "core/Uuid.h"

#include <QSettings>

namespace quaro {
namespace {

using testing::PrivateHome;
using testing::waitFor;

TEST(AppWiringTest, AutomaticRunEndsWithTheInboxReloaded)
{
    PrivateHome home;
    const QString claude = home.path(QStringLiteral(".local/bin/claude"));
    testing::installFakeClaude(claude);
    qunsetenv("FAKE_CLAUDE");

    AppStateParts parts;
    parts.preferences = std::make_unique<Preferences>(
        std::make_unique<QSettings>(home.path(QStringLiteral("Quaro.conf")), QSettings::IniFormat),
        LaunchAtLogin(QStringLiteral("/usr/bin/quaro"), home.path(QStringLiteral("autostart/quaro.desktop"))));
    parts.device = std::make_unique<testing::FakeCaptureDevice>();
    parts.speech = std::make_unique<testing::ScriptedSpeechEngine>();
    // The user's own inbox inside the private home, which quaro-mcp, started
    // by the fake, finds as well.
    parts.autoMode = testing::autoModeConfig(home, QStringLiteral(QUARO_MCP));
    ClaudeConnectorConfig connectorConfig;
    connectorConfig.serverPath = QStringLiteral(QUARO_MCP);
    parts.connector = connectorConfig;

    auto created = AppState::create(std::move(parts));
    ASSERT_TRUE(created);
    AppState& state = **created;
    AutoMode* mode = state.autoMode();
    ASSERT_TRUE(waitFor([&] { return mode->lookedForClaude(); }));
    EXPECT_EQ(state.connector()->claudePath(), claude);

    Recado recado;
    recado.id = makeUUID();
    recado.transcript = recado.title = "uma fala";
    ASSERT_TRUE(state.store().insert(recado));
    state.inbox()->reload();
    ASSERT_EQ(state.inbox()->pendingCount(), 1);

    int pendingAtEnd = -1;
    QObject::connect(mode, &AutoMode::finished, [&] { pendingAtEnd = state.inbox()->pendingCount(); });
    mode->setEnabled(true);
    EXPECT_TRUE(mode->running());
    ASSERT_TRUE(waitFor([&] { return pendingAtEnd >= 0; }));
    EXPECT_EQ(pendingAtEnd, 0);
    EXPECT_EQ(mode->lastSummary(), QStringLiteral("Resolvi 1 recados."));
    EXPECT_TRUE(state.preferences()->autoEnabled());
    ASSERT_TRUE(state.preferences()->autoLastRun());
    EXPECT_EQ(*state.preferences()->autoLastRun(), mode->lastRun());
}

} // namespace
} // namespace quaro
