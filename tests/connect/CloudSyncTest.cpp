// CloudSync against a scripted loopback server over a real inbox file: what a
// cycle sends and records, how failures leave everything for the next one,
// and how link changes wait for the server's word.
#include "ScriptedHttpServer.h"

#include "connect/CloudSync.h"
#include "core/QuaroStore.h"
#include "support/QtSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QRegularExpression>

namespace quaro {
namespace {

using testing::HttpAnswer;
using testing::HttpCall;
using testing::waitFor;
using json = nlohmann::json;

class CloudSyncTest : public ::testing::Test {
protected:
    CloudSync& start(std::chrono::milliseconds interval = std::chrono::hours(1))
    {
        CloudSyncConfig config{m_server.base(), QStringLiteral("1.2.3"), interval};
        m_sync = std::make_unique<CloudSync>(m_store, config);
        return *m_sync;
    }

    void add(const std::string& id, RecadoStatus status, Timestamp createdAt)
    {
        Recado r;
        r.id = id;
        r.createdAt = createdAt;
        r.title = "Título " + id;
        r.transcript = "fala " + id;
        r.status = status;
        ASSERT_TRUE(m_store.insert(r).ok());
    }

    // Waits until `count` requests arrived and no cycle runs.
    void settle(std::size_t count)
    {
        ASSERT_TRUE(waitFor([&] { return m_server.calls.size() >= count && !m_sync->syncing(); }));
        ASSERT_EQ(m_server.calls.size(), count);
    }

    json body(std::size_t call) const { return json::parse(m_server.calls.at(call).body.toStdString()); }
    std::string meta(const char* key) { return m_store.meta(key).valueOr(std::nullopt).value_or("<nada>"); }
    std::int64_t dirty(const std::string& id)
    {
        auto rows = m_store.database().query("SELECT dirty FROM recado WHERE id = ?", {id});
        return rows->at(0).integer("dirty").value_or(-1);
    }
    QByteArray bearer() { return QByteArray("Bearer ") + QByteArray::fromStdString(meta("nuvem.segredo")); }

    quaro::testing::TempDir m_dir;
    QuaroStore m_store = std::move(QuaroStore::open(m_dir / "quaro.sqlite")).value();
    quaro::testing::ScriptedHttpServer m_server;
    std::unique_ptr<CloudSync> m_sync;
};

TEST_F(CloudSyncTest, ACycleSendsTheInboxRecordsTheAnswerAndResumesAfterAPause)
{
    add("A", RecadoStatus::pendente, 100);
    add("F", RecadoStatus::falhou, 200);
    add("T", RecadoStatus::transcrevendo, 300);
    // Beyond what a double holds exactly.
    m_server.answer = [](const HttpCall&) { return HttpAnswer{200, R"({"cursor":9007199254740993})"}; };
    CloudSync& sync = start();
    sync.enable();
    settle(1);

    const QString secret = QString::fromStdString(meta("nuvem.segredo"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9_-]{43}$")).match(secret).hasMatch()) << secret.toStdString();
    EXPECT_EQ(sync.mcpLink(), m_server.base() + "/mcp/" + secret);
    EXPECT_EQ(sync.maskedLink(), sync.mcpLink().left(sync.mcpLink().size() - 36) + QString(6, QChar(0x2022)) + secret.right(4));
    const HttpCall& call = m_server.calls[0];
    EXPECT_EQ(call.method, "POST");
    EXPECT_EQ(call.path, "/api/sync");
    EXPECT_EQ(call.authorization, bearer());
    EXPECT_EQ(call.contentType, "application/json");
    const json sent = body(0);
    EXPECT_EQ(sent["app"], json({{"versao", "1.2.3"}}));
    EXPECT_EQ(sent["cursor"], 0);
    EXPECT_EQ(sent["destinos"].size(), m_store.destinos()->size());
    ASSERT_EQ(sent["recados"].size(), 1u); // failed and unfinished transcriptions stay home
    const json& a = sent["recados"][0];
    EXPECT_EQ(a.size(), 13u);
    EXPECT_EQ(a["id"], "A");
    EXPECT_EQ(a["criado_em"], 100.0);
    EXPECT_TRUE(a["destino_id"].is_null());
    EXPECT_FALSE(a.contains("audio_path"));

    EXPECT_EQ(dirty("A"), 0);
    EXPECT_EQ(dirty("F"), 0); // done without being sent
    EXPECT_GT(dirty("T"), 0);
    EXPECT_EQ(meta("nuvem.cursor"), "9007199254740993");
    EXPECT_TRUE(sync.lastSync().isValid());
    EXPECT_TRUE(sync.lastError().isEmpty());

    // A pause keeps the link; a deletion made meanwhile still reaches the server.
    sync.disable(false);
    EXPECT_EQ(meta("nuvem.ligado"), "0");
    ASSERT_TRUE(m_store.deleteRecado("A").ok());
    sync.syncNow();
    sync.enable();
    settle(2);
    EXPECT_EQ(meta("nuvem.segredo"), secret.toStdString());
    EXPECT_EQ(body(1)["apagados"], json({"A"}));
    EXPECT_TRUE(m_store.pendingDeletions(10)->empty());

    sync.syncNow();
    settle(3);
    EXPECT_NE(m_server.calls[2].body.indexOf(R"("cursor":9007199254740993)"), -1);
}

TEST_F(CloudSyncTest, AFailedCycleRecordsNothingAndSaysWhy)
{
    add("A", RecadoStatus::pendente, 100);
    const struct {
        int status;
        QByteArray body;
        QString message;
    } cases[] = {
        {401, R"({"erro":"O link do Quaro é inválido."})", QStringLiteral("O link do Quaro é inválido.")},
        {500, "<html><body>Internal Server Error</body></html>", QStringLiteral("O servidor do Quaro respondeu 500.")},
        {403, R"({"erro":5})", QStringLiteral("O servidor do Quaro respondeu 403.")},
        {200, "<html>ok</html>", QStringLiteral("Resposta estranha do servidor.")},
        {200, "[1,2]", QStringLiteral("Resposta estranha do servidor.")},
    };
    CloudSync& sync = start();
    ASSERT_TRUE(m_store.setMeta("nuvem.segredo", std::string(43, 'x')).ok());
    std::size_t calls = 0;
    for (const auto& c : cases) {
        m_server.answer = [&](const HttpCall&) { return HttpAnswer{c.status, c.body}; };
        calls == 0 ? sync.enable() : sync.syncNow();
        settle(++calls);
        EXPECT_EQ(sync.lastError(), c.message) << c.status;
        EXPECT_GT(dirty("A"), 0);
        EXPECT_EQ(meta("nuvem.cursor"), "0");
        EXPECT_FALSE(sync.lastSync().isValid());
    }
    // Nobody listening: the network's own words.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const QString closed = QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    CloudSync offline(m_store, CloudSyncConfig{closed, QStringLiteral("1"), std::chrono::hours(1)});
    ASSERT_TRUE(waitFor([&] { return !offline.syncing(); }));
    EXPECT_FALSE(offline.lastError().isEmpty());

    m_server.answer = [](const HttpCall&) { return HttpAnswer{200, "{}"}; };
    sync.syncNow();
    settle(++calls);
    EXPECT_TRUE(sync.lastError().isEmpty());
    EXPECT_EQ(dirty("A"), 0);
}

TEST_F(CloudSyncTest, RemoteChangesApplyOnlyWhenNewerAndOfAStatusAServerMaySet)
{
    for (const char* id : {"A", "B", "C", "D", "E"})
        add(id, RecadoStatus::pendente, 100);
    const Timestamp later = currentTimestamp() + 100;
    const json changes = {
        {{"id", "A"}, {"status", "resolvido"}, {"atualizado_em", later}, {"pego_por", "web"}, {"resultado", "feito"},
         {"resolvido_em", later}, {"pego_em", "ontem"}},
        {{"id", "B"}, {"status", "pego"}, {"atualizado_em", 5}, {"pego_por", "velho"}},
        {{"id", "C"}, {"status", "falhou"}, {"atualizado_em", later}},
        {{"id", "D"}, {"status", "transcrevendo"}, {"atualizado_em", later}},
        {{"id", "E"}, {"status", "pego"}},
        {{"id", 7}, {"status", "pego"}, {"atualizado_em", later}},
    };
    m_server.answer = [&](const HttpCall&) { return HttpAnswer{200, json{{"recados", changes}}.dump().c_str()}; };
    CloudSync& sync = start();
    int remoteChanges = 0;
    sync.onRemoteChange = [&] { ++remoteChanges; };
    sync.enable();
    settle(1);

    const Recado a = *m_store.recado("A").value();
    EXPECT_EQ(a.status, RecadoStatus::resolvido);
    EXPECT_EQ(a.claimedBy, "web");
    EXPECT_EQ(a.result, "feito");
    EXPECT_EQ(a.claimedAt, std::nullopt); // mistyped: absent
    EXPECT_EQ(dirty("A"), 0);             // not echoed back
    for (const char* id : {"B", "C", "D", "E"})
        EXPECT_EQ(m_store.recado(id).value()->status, RecadoStatus::pendente) << id;
    EXPECT_EQ(remoteChanges, 1);

    // The same changes again change nothing and call nobody.
    sync.syncNow();
    settle(2);
    EXPECT_EQ(remoteChanges, 1);
    EXPECT_TRUE(body(1)["recados"].empty());
}

TEST_F(CloudSyncTest, KicksDuringACycleMakeExactlyOneMore)
{
    add("A", RecadoStatus::pendente, 100);
    m_server.answer = [&](const HttpCall&) -> std::optional<HttpAnswer> {
        if (m_server.calls.size() == 1)
            return std::nullopt;
        return HttpAnswer{};
    };
    CloudSync& sync = start();
    sync.enable();
    ASSERT_TRUE(waitFor([&] { return m_server.heldCount() == 1; }));
    for (int i = 0; i < 3; ++i)
        sync.kick();
    EXPECT_TRUE(sync.pendingKick());
    m_server.release(HttpAnswer{});
    settle(2);
    EXPECT_FALSE(sync.pendingKick());
}

// Rotation waits for the running cycle, whose answer then records nothing;
// a failed DELETE keeps the old link and holds every cycle until a later
// tick gets it through; no sync ever carries the old secret after that.
TEST_F(CloudSyncTest, RotationHappensOnlyWhenTheServerDeletedTheOldCopy)
{
    add("A", RecadoStatus::pendente, 100);
    int deleteStatus = 500;
    m_server.answer = [&](const HttpCall& call) -> std::optional<HttpAnswer> {
        if (call.method == "DELETE")
            return HttpAnswer{deleteStatus, R"({"erro":"Fora do ar."})"};
        if (m_server.calls.size() == 1)
            return std::nullopt;
        return HttpAnswer{200, R"({"cursor":5})"};
    };
    CloudSync& sync = start(std::chrono::milliseconds(50));
    sync.enable();
    ASSERT_TRUE(waitFor([&] { return m_server.heldCount() == 1; }));
    const QByteArray oldBearer = bearer();
    const QString oldLink = sync.mcpLink();
    sync.rotateLink();
    EXPECT_EQ(m_server.calls.size(), 1u);
    m_server.release(HttpAnswer{200, R"({"cursor":77})"});
    ASSERT_TRUE(waitFor([&] { return sync.lastError() == QStringLiteral("Fora do ar."); }));
    EXPECT_EQ(meta("nuvem.cursor"), "0");
    EXPECT_GT(dirty("A"), 0);
    EXPECT_EQ(sync.mcpLink(), oldLink);
    sync.kick();
    ASSERT_TRUE(waitFor([&] { return m_server.calls.size() >= 4; })); // retried on the ticks

    deleteStatus = 204;
    ASSERT_TRUE(waitFor([&] { return m_server.calls.back().method == "POST"; }));
    EXPECT_NE(sync.mcpLink(), oldLink);
    EXPECT_NE(bearer(), oldBearer);
    const auto firstDelete = std::find_if(m_server.calls.begin(), m_server.calls.end(),
                                          [](const HttpCall& c) { return c.method == "DELETE"; });
    EXPECT_EQ(firstDelete->authorization, oldBearer);
    for (auto it = firstDelete; it != m_server.calls.end(); ++it) {
        if (it->method == "POST") {
            EXPECT_EQ(it->authorization, bearer());
        }
    }
    ASSERT_TRUE(waitFor([&] { return sync.lastError().isEmpty() && !sync.syncing(); }));
}

TEST_F(CloudSyncTest, SwitchingOffWithDeletionForgetsTheLinkOnlyOnceTheServerAgrees)
{
    int deleteStatus = 503;
    m_server.answer = [&](const HttpCall& call) {
        return call.method == "DELETE" ? HttpAnswer{deleteStatus, "falhou"} : HttpAnswer{};
    };
    CloudSync& sync = start();
    sync.enable();
    settle(1);
    const std::string first = meta("nuvem.segredo");
    sync.disable(true);
    ASSERT_TRUE(waitFor([&] { return sync.lastError() == QStringLiteral("O servidor do Quaro respondeu 503."); }));
    EXPECT_EQ(m_server.calls.size(), 2u);
    EXPECT_EQ(meta("nuvem.segredo"), first);
    EXPECT_FALSE(sync.enabled());

    deleteStatus = 404; // no copy there is as good as deleted
    sync.disable(true);
    ASSERT_TRUE(waitFor([&] { return sync.mcpLink().isEmpty(); }));
    EXPECT_EQ(m_server.calls.size(), 3u);
    EXPECT_EQ(meta("nuvem.segredo"), "<nada>");
    EXPECT_TRUE(sync.mcpLink().isEmpty());
    EXPECT_TRUE(sync.lastError().isEmpty());

    sync.enable();
    settle(4);
    EXPECT_NE(meta("nuvem.segredo"), first);
    EXPECT_EQ(m_server.calls[3].authorization, bearer());
}

TEST_F(CloudSyncTest, ASecretThatCannotBeReadIsNeverReplaced)
{
    CloudSync& sync = start();
    ASSERT_TRUE(m_store.database().execute("ALTER TABLE meta RENAME TO meta_fora;").ok());
    sync.enable();
    EXPECT_FALSE(sync.enabled());
    EXPECT_FALSE(sync.lastError().isEmpty());
    ASSERT_TRUE(m_store.database().execute("ALTER TABLE meta_fora RENAME TO meta;").ok());
    EXPECT_EQ(meta("nuvem.segredo"), "<nada>");
    EXPECT_TRUE(m_server.calls.empty());
}

} // namespace
} // namespace quaro
