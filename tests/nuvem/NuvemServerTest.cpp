#include "LoopbackClient.h"
#include "PgCluster.h"

#include "nuvem/ClientAddress.h"
#include "nuvem/HttpServer.h"
#include "nuvem/NuvemOptions.h"
#include "nuvem/PgStorage.h"
#include "nuvem/RequestHandler.h"
#include "nuvem/SqliteStorage.h"
#include "support/Take.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

namespace quaro::nuvem {
namespace {

using json = nlohmann::json;
using test::Reply;
using quaro::testing::take;

const std::string secret = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJ0123456";

json recadoUpload(const std::string& id, double updatedAt, const std::string& status = "pendente",
                  const std::string& title = "Título")
{
    return {{"id", id},          {"criado_em", updatedAt}, {"duracao", 2.5},          {"titulo", title},
            {"transcricao", "texto " + id}, {"destino_id", "D1"},     {"idioma", nullptr},      {"status", status},
            {"pego_por", nullptr}, {"pego_em", nullptr},       {"resultado", nullptr},   {"resolvido_em", nullptr},
            {"atualizado_em", updatedAt}};
}

json destinoUpload(const std::string& id, const std::string& name)
{
    return {{"id", id}, {"nome", name}, {"instrucao", "Faça " + name}, {"cor", "#112233"}, {"ordem", 0}};
}

// A quaro-nuvem on a loopback port over a fresh SQLite file, or over a
// fresh database of a private PostgreSQL server: every case runs on both.
class NuvemServerTest : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        if (GetParam() == "postgres") {
            test::PgCluster* cluster = test::PgCluster::instance();
            if (!cluster)
                GTEST_SKIP() << "sem PostgreSQL 15 (ou sem root para iniciá-lo)";
            m_conninfo = cluster->freshDatabase();
            m_storage = take(PgStorage::open(m_conninfo, 2));
        } else {
            m_storage = take(SqliteStorage::open(m_dir / "nuvem.sqlite"));
        }
        m_handler.emplace(*m_storage, RequestHandler::Limits{.failedAuthPerWindow = 3,
                                                             .failedAuthWindow = std::chrono::seconds(600),
                                                             .sync = {.recados = 3, .textBytes = 1000, .accountRecados = 3},
                                                             .newAccountsPerHour = 2});
        // As deployed behind a proxy: each simulated client says who it is.
        m_server.emplace(*m_handler,
                         HttpServer::Options{.port = 0, .maxBody = 2 << 20, .logRequests = false, .trustedProxies = {"127.0.0.1"}});
        auto port = m_server->start();
        ASSERT_TRUE(port) << port.error();
        m_port = *port;
    }
    // A sync under `key`, from the client `from` names (else the proxy's).
    Reply sync(const json& body, const std::string& key = secret, const std::string& from = "")
    {
        std::vector<std::pair<std::string, std::string>> headers{{"Authorization", "Bearer " + key}};
        if (!from.empty())
            headers.emplace_back("X-Forwarded-For", from);
        return test::request(m_port, "POST", "/api/sync", body.dump(), headers);
    }
    json syncOk(const json& body)
    {
        const Reply reply = sync(body);
        EXPECT_EQ(reply.status, 200) << reply.body;
        return json::parse(reply.body, nullptr, false);
    }
    Reply rpc(const std::string& method, const json& params, const std::string& key = secret)
    {
        const json message{{"jsonrpc", "2.0"}, {"id", 7}, {"method", method}, {"params", params}};
        return test::request(m_port, "POST", "/mcp/" + key, message.dump(),
                             {{"Content-Type", "application/json"}, {"Accept", "application/json, text/event-stream"}});
    }
    // The tool's text result, parsed; null when the call failed.
    json tool(const std::string& name, const json& arguments)
    {
        const Reply reply = rpc("tools/call", {{"name", name}, {"arguments", arguments}});
        const json result = json::parse(reply.body, nullptr, false)["result"];
        if (result.is_null() || result["isError"] == true)
            return nullptr;
        return json::parse(result["content"][0]["text"].get<std::string>());
    }

    testing::TempDir m_dir; // outlives the server and its storage
    std::string m_conninfo;
    std::unique_ptr<AccountStorage> m_storage;
    std::optional<RequestHandler> m_handler;
    std::optional<HttpServer> m_server;
    std::uint16_t m_port = 0;
};

// Cases the database makes no difference to (or that only the embedded one
// can hold still), and cases only PostgreSQL can show.
using NuvemServerOnSqlite = NuvemServerTest;
using NuvemServerOnPostgres = NuvemServerTest;

TEST_P(NuvemServerTest, LastWriterWinsPerRecado)
{
    // One request may carry a recado twice: applied in order.
    syncOk({{"recados", {recadoUpload("R5", 120, "resolvido"), recadoUpload("R5", 100, "pego", "Outro")}}});
    EXPECT_EQ(tool("recado_get", {{"id", "R5"}})["status"], "resolvido");
    EXPECT_EQ(tool("recado_get", {{"id", "R5"}})["titulo"], "Outro");

    syncOk({{"recados", {recadoUpload("R1", 100)}}});
    ASSERT_FALSE(tool("recado_resolve", {{"id", "R1"}, {"resultado", "feito"}, {"cliente", "GPT"}}).is_null());

    // An older desktop status loses, its content still lands, and the
    // remote change is returned, not echoed back as a conflict.
    json reply = syncOk({{"recados", {recadoUpload("R1", 150, "pendente", "Novo título")}}});
    ASSERT_EQ(reply["recados"].size(), 1u);
    EXPECT_EQ(reply["recados"][0]["status"], "resolvido");
    EXPECT_EQ(reply["recados"][0]["resultado"], "feito");
    json stored = tool("recado_get", {{"id", "R1"}});
    EXPECT_EQ(stored["titulo"], "Novo título");
    EXPECT_EQ(stored["status"], "resolvido");

    // A newer desktop change wins and withdraws the remote one.
    reply = syncOk({{"recados", {recadoUpload("R1", 4e9, "pendente")}}});
    EXPECT_TRUE(reply["recados"].empty());
    EXPECT_EQ(tool("recado_get", {{"id", "R1"}})["status"], "pendente");
    // And a later remote change stamps past it even with this clock behind.
    ASSERT_FALSE(tool("recado_claim", {{"id", "R1"}}).is_null());
    reply = syncOk({{"cursor", 0}});
    ASSERT_EQ(reply["recados"].size(), 1u);
    EXPECT_GT(reply["recados"][0]["atualizado_em"].get<double>(), 4e9);
    EXPECT_EQ(reply["recados"][0]["pego_por"], "IA");
    // It comes with every sync until the desktop sends the cursor after it;
    // a cursor from another history gets everything again.
    EXPECT_EQ(syncOk({{"cursor", 0}})["recados"].size(), 1u);
    EXPECT_TRUE(syncOk({{"cursor", reply["cursor"]}})["recados"].empty());
    EXPECT_EQ(syncOk({{"cursor", 1e12}})["recados"].size(), 1u);
}

TEST_P(NuvemServerTest, DestinosReplacedAndDeletionsApplied)
{
    syncOk({{"destinos", {destinoUpload("D1", "Tavlo"), destinoUpload("D2", "Casa")}},
            {"recados", {recadoUpload("R1", 100), recadoUpload("R2", 200)}}});
    syncOk({{"destinos", {destinoUpload("D3", "Obra")}}, {"apagados", {"R1", "desconhecido"}}});
    EXPECT_EQ(tool("destinos_list", json::object()),
              json::parse(R"({"destinos":[{"instrucao":"Faça Obra","nome":"Obra"}]})"));
    EXPECT_TRUE(tool("recado_get", {{"id", "R1"}}).is_null());
    const json r2 = tool("recado_get", {{"id", "R2"}});
    EXPECT_TRUE(r2["destino"].is_null()); // its destino went with the old list
    // Uploaded again after a deletion, a recado is back.
    syncOk({{"recados", {recadoUpload("R1", 300)}}});
    EXPECT_FALSE(tool("recado_get", {{"id", "R1"}}).is_null());
}

TEST_P(NuvemServerTest, AccountsAreSeparateAndDeletionRevokesTheLink)
{
    const std::string other = "ZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZZ_";
    syncOk({{"recados", {recadoUpload("R1", 100)}}});
    ASSERT_EQ(sync({{"recados", {recadoUpload("R9", 100)}}}, other).status, 200);
    EXPECT_TRUE(tool("recado_get", {{"id", "R9"}}).is_null());
    // A third new account from this address waits an hour; elsewhere it is made.
    const std::string third = "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX_";
    const Reply refused = sync({{"recados", {recadoUpload("R8", 100)}}}, third);
    EXPECT_EQ(refused.status, 429);
    EXPECT_EQ(refused.headers.at("retry-after"), "3600");
    EXPECT_EQ(rpc("tools/list", json::object(), third).status, 401); // nothing was opened
    EXPECT_EQ(sync(json::object(), third, "192.0.2.7").status, 200);

    const auto del = [&](const std::string& key) {
        return test::request(m_port, "DELETE", "/api/account", "", {{"Authorization", "Bearer " + key}}).status;
    };
    EXPECT_EQ(del(secret), 204);
    EXPECT_EQ(del(secret), 404); // a retried rotation still completes
    // A late sync under the deleted secret brings nothing back.
    EXPECT_EQ(sync({{"recados", {recadoUpload("R1", 100)}}}).status, 410);
    EXPECT_EQ(rpc("tools/list", json::object()).status, 401);
    // A secret deleted before it ever synced is just as dead.
    const std::string unused = "YYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYYY_";
    EXPECT_EQ(del(unused), 404);
    EXPECT_EQ(sync({{"cursor", 0}}, unused).status, 410);
    EXPECT_EQ(rpc("tools/list", json::object(), other).status, 200);
}

// Syncs arriving together are committed together; one refused among them
// is undone alone and every other one is kept and acknowledged.
TEST_P(NuvemServerTest, ConcurrentSyncsAreKeptOrRefusedEachOnItsOwn)
{
    const auto syncAs = [&](int client, const json& recados) {
        return sync({{"recados", recados}}, std::string(43, char('a' + client)), "192.0.2." + std::to_string(10 + client));
    };
    constexpr int clients = 12;
    const int full = clients - 1;
    ASSERT_EQ(syncAs(full, {recadoUpload("F1", 1), recadoUpload("F2", 1), recadoUpload("F3", 1)}).status, 200);
    std::array<int, clients> statuses{};
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] { statuses.at(static_cast<std::size_t>(c)) = syncAs(c, json::array({recadoUpload("C" + std::to_string(c), 2)})).status; });
    for (std::thread& thread : threads)
        thread.join();
    for (int c = 0; c < clients; ++c) {
        EXPECT_EQ(statuses.at(static_cast<std::size_t>(c)), c == full ? 507 : 200) << c;
        const Reply listed = rpc("tools/call", {{"name", "inbox_list"}, {"arguments", json::object()}},
                                 std::string(43, static_cast<char>('a' + c)));
        EXPECT_EQ(listed.body.find("C" + std::to_string(c)) != std::string::npos, c != full) << c;
    }
}

// Past the busy workers and their queue, a request is turned away at once
// (here: one worker stuck on storage, at most one request waiting).
TEST_P(NuvemServerOnSqlite, AFullQueueAnswers503AtOnce)
{
    HttpServer server(*m_handler, {.port = 0, .workers = 1, .queue = 1, .logRequests = false});
    const auto port = server.start();
    ASSERT_TRUE(port) << port.error();
    std::unique_lock held(static_cast<SqliteStorage&>(*m_storage).lock());
    std::array<Reply, 3> replies;
    std::atomic<int> answered = 0;
    std::vector<std::thread> clients;
    for (Reply& reply : replies)
        clients.emplace_back([&] { reply = test::request(*port, "GET", "/readyz", ""), ++answered; });
    while (answered == 0)
        std::this_thread::yield();
    EXPECT_EQ(test::request(*port, "GET", "/healthz", "").status, 200); // never queued
    held.unlock();
    for (std::thread& client : clients)
        client.join();
    const auto refused = std::count_if(replies.begin(), replies.end(), [](const Reply& r) { return r.status == 503; });
    // The first is always taken; the next may find the queue still full.
    EXPECT_TRUE(refused == 1 || refused == 2) << refused;
    for (const Reply& reply : replies)
        EXPECT_EQ(reply.status == 503 ? reply.headers.at("retry-after") : std::to_string(reply.status),
                  reply.status == 503 ? "1" : "200");
}

TEST_P(NuvemServerTest, RefusalsAreJsonAndChangeNothing)
{
    struct Case {
        const char* name;
        std::string method, path, body;
        std::vector<std::pair<std::string, std::string>> headers;
        int status;
    };
    const auto bearer = std::vector<std::pair<std::string, std::string>>{{"Authorization", "Bearer " + secret}};
    const json badSecond = {{"recados", {recadoUpload("R1", 1), recadoUpload("R2", 1, "perdido")}}};
    json longTranscript = recadoUpload("R1", 1);
    longTranscript["transcricao"] = std::string(1001, 'a');
    const json tooMany = {{"recados", {recadoUpload("R1", 1), recadoUpload("R2", 1), recadoUpload("R3", 1),
                                       recadoUpload("R4", 1)}}};
    const std::vector<Case> cases{
        {"truncated json", "POST", "/api/sync", "{\"cursor\":", bearer, 400},
        {"wrong type", "POST", "/api/sync", R"({"recados":[{"id":1}]})", bearer, 400},
        {"one bad recado", "POST", "/api/sync", badSecond.dump(), bearer, 400},
        {"basic scheme", "POST", "/api/sync", "{}", {{"Authorization", "Basic " + secret}}, 401},
        {"mcp stream", "GET", "/mcp/" + secret, "", {}, 405},
        {"unknown path", "GET", "/x", "", {}, 404},
        {"too large", "POST", "/api/sync", std::string(3 << 20, ' '), bearer, 413},
        {"too many recados", "POST", "/api/sync", tooMany.dump(), bearer, 413},
        {"transcript too long", "POST", "/api/sync", json{{"recados", {longTranscript}}}.dump(), bearer, 413},
        {"id too long", "POST", "/api/sync", json{{"apagados", {std::string(4097, 'x')}}}.dump(), bearer, 413},
    };
    for (const Case& c : cases) {
        const Reply reply = test::request(m_port, c.method, c.path, c.body, c.headers);
        EXPECT_EQ(reply.status, c.status) << c.name;
        if (c.name != std::string("too large") && c.status != 405) {
            EXPECT_TRUE(json::parse(reply.body, nullptr, false).contains("erro")) << c.name << ": " << reply.body;
        }
    }
    // Nothing of the refused body was applied: no account was even created.
    EXPECT_EQ(rpc("tools/list", json::object()).status, 401);

    // A full account refuses growth, whole, until recados are deleted.
    syncOk({{"recados", {recadoUpload("R1", 1), recadoUpload("R2", 1), recadoUpload("R3", 1)}}});
    const Reply full = sync({{"recados", {recadoUpload("R4", 1), recadoUpload("R1", 5, "resolvido")}}});
    EXPECT_EQ(full.status, 507);
    EXPECT_TRUE(json::parse(full.body, nullptr, false).contains("erro"));
    EXPECT_TRUE(tool("recado_get", {{"id", "R4"}}).is_null());
    EXPECT_EQ(tool("recado_get", {{"id", "R1"}})["status"], "pendente");
    syncOk({{"recados", {recadoUpload("R4", 1)}}, {"apagados", {"R2"}}});
}

TEST_P(NuvemServerOnSqlite, McpTransportRules)
{
    syncOk({{"cursor", 0}});
    const std::vector<std::pair<std::string, std::string>> headers{{"Content-Type", "application/json"}};
    const auto post = [&](const std::string& body) { return test::request(m_port, "POST", "/mcp/" + secret, body, headers); };
    EXPECT_EQ(post(R"({"jsonrpc":"2.0","method":"notifications/initialized"})").status, 202);
    const Reply parseError = post("{oops");
    EXPECT_EQ(parseError.status, 400);
    EXPECT_EQ(json::parse(parseError.body)["error"]["code"], -32700);
    // A session id that is not one of ours names no client.
    EXPECT_EQ(RequestHandler::clientName("qzz"), std::nullopt);
}

TEST_P(NuvemServerOnSqlite, BadLinksAreThrottledPerClientButAValidLinkIsAlwaysServed)
{
    const std::string wrong = "wrongwrongwrongwrongwrongwrongwrongwrongwro";
    const auto from = [&](const std::string& client, const std::string& key) {
        return test::request(m_port, "POST", "/mcp/" + key,
                             json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "tools/list"}}.dump(),
                             {{"X-Forwarded-For", "198.51.100.1, " + client}});
    };
    syncOk({{"cursor", 0}});
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(from("2001:db8:1:2::" + std::to_string(i + 1), wrong).status, 401);
    // The whole /64 is one client: its next bad link waits out the window.
    EXPECT_EQ(from("2001:db8:1:2:ffff::9", wrong).status, 429);
    const Reply badBearer = test::request(m_port, "POST", "/api/sync", "{}",
                                          {{"Authorization", "Bearer x"}, {"Forwarded", "for=\"[2001:db8:1:2::7]:80\""}});
    EXPECT_EQ(badBearer.status, 429);
    // A good link from that very block is served, and other clients are not
    // held back by it.
    EXPECT_EQ(from("2001:db8:1:2::1", secret).status, 200);
    EXPECT_EQ(sync(json::object(), secret, "2001:db8:1:2::1").status, 200);
    EXPECT_EQ(from("2001:db8:1:3::1", wrong).status, 401);
    EXPECT_EQ(from("203.0.113.9", wrong).status, 401);

    // Memory stays bounded by forgetting the stalest address, one at a time.
    AuthThrottle throttle(1, std::chrono::hours(1), 2);
    for (const char* key : {"a", "b", "a", "c"})
        throttle.record(key);
    EXPECT_EQ(throttle.size(), 2u);
    EXPECT_FALSE(throttle.allows("a"));
    EXPECT_TRUE(throttle.allows("b"));
    EXPECT_EQ(ClientAddress::of("10.0.0.1", "", "203.0.113.9", {"127.0.0.1"}), "10.0.0.1"); // not our proxy
}

// This process's peak resident memory, in KiB.
long peakKib()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// A body's nesting is refused before any of it is built, on every route,
// and so is a NUL, which one backend would silently cut a text at.
TEST_P(NuvemServerTest, DeepBodiesAndNulTextsAreRefusedCheaply)
{
    syncOk({{"recados", {recadoUpload("A", 100)}}});
    const std::string deep(1000000, '[');
    ASSERT_TRUE(std::ofstream("/proc/self/clear_refs") << "5" << std::flush); // the peak starts again here
    const long before = peakKib();
    EXPECT_EQ(test::request(m_port, "POST", "/api/sync", deep, {{"Authorization", "Bearer " + secret}}).status, 400);
    EXPECT_EQ(test::request(m_port, "POST", "/mcp/" + secret, deep).status, 400);
    EXPECT_LT(peakKib() - before, 32 * 1024) << "KiB at the peak";

    const std::string nul("A\0B", 3);
    const Reply refused = sync({{"recados", {recadoUpload(nul, 200, "pendente", "Trocado")}}});
    EXPECT_EQ(refused.status, 400);
    EXPECT_NE(refused.body.find("U+0000"), std::string::npos) << refused.body;
    EXPECT_EQ(sync({{"apagados", {nul}}}).status, 400);
    EXPECT_EQ(rpc("tools/call", {{"name", "recado_resolve"}, {"arguments", {{"id", "A"}, {"resultado", nul}}}}).status,
              400);
    const json stored = tool("recado_get", {{"id", "A"}});
    EXPECT_EQ(stored["titulo"], "Título");
    EXPECT_EQ(stored["status"], "pendente");
}

// Past the cap a new connection is closed unanswered; live ones go on.
TEST_P(NuvemServerOnSqlite, ConnectionsAreCapped)
{
    HttpServer server(*m_handler, {.port = 0, .maxConnections = 2, .logRequests = false});
    auto port = server.start();
    ASSERT_TRUE(port) << port.error();
    const int first = test::connectTo(*port);
    const int second = test::connectTo(*port);
    ASSERT_TRUE(first >= 0 && second >= 0);
    // Both idle connections are counted once the server has a session for each.
    ASSERT_EQ(test::request(*port, "GET", "/healthz", "").status, 0);
    close(first);
    int status = 0;
    for (int attempt = 0; attempt < 200 && status != 200; ++attempt)
        status = test::request(*port, "GET", "/healthz", "").status;
    EXPECT_EQ(status, 200);
    close(second);
}

// A database outage is told (503, Retry-After, readiness), bounded in time,
// and survived: what was acknowledged before is there after.
TEST_P(NuvemServerOnPostgres, StorageOutageAnswers503AndRecovers)
{
    syncOk({{"recados", {recadoUpload("R1", 100)}}});
    EXPECT_EQ(test::request(m_port, "GET", "/readyz", "").status, 200);
    test::PgCluster::instance()->stop();
    const Reply refused = sync({{"recados", {recadoUpload("R2", 200)}}});
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.headers.at("retry-after"), "5");
    EXPECT_EQ(test::request(m_port, "GET", "/readyz", "").status, 503);
    EXPECT_EQ(test::request(m_port, "GET", "/healthz", "").status, 200);
    EXPECT_EQ(rpc("tools/list", json::object()).status, 503);

    ASSERT_TRUE(test::PgCluster::instance()->restart());
    int status = 0;
    for (int attempt = 0; attempt < 5 && status != 200; ++attempt)
        status = sync({{"recados", {recadoUpload("R2", 200)}}}).status;
    EXPECT_EQ(status, 200);
    EXPECT_EQ(test::request(m_port, "GET", "/readyz", "").status, 200);
    EXPECT_FALSE(tool("recado_get", {{"id", "R1"}}).is_null());
    EXPECT_FALSE(tool("recado_get", {{"id", "R2"}}).is_null());
}

// Two instances on one PostgreSQL database serve one account as one.
TEST_P(NuvemServerOnPostgres, TwoInstancesShareOneAccount)
{
    const auto second = take(PgStorage::open(m_conninfo, 2));
    RequestHandler handler(*second, RequestHandler::Limits{});
    HttpServer server(handler, {.port = 0, .logRequests = false});
    auto port = server.start();
    ASSERT_TRUE(port) << port.error();

    syncOk({{"recados", {recadoUpload("R1", 100), recadoUpload("R2", 100)}}});
    // Claims through the other instance, one after the other and at once.
    const json claim{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "tools/call"},
                     {"params", {{"name", "recado_claim"}, {"arguments", {{"id", "R1"}}}}}};
    std::vector<std::thread> claims;
    for (int i = 0; i < 4; ++i)
        claims.emplace_back([&] { test::request(*port, "POST", "/mcp/" + secret, claim.dump()); });
    for (std::thread& t : claims)
        t.join();
    ASSERT_FALSE(tool("recado_resolve", {{"id", "R2"}, {"resultado", "ok"}}).is_null());

    const json reply = syncOk({{"cursor", 0}});
    EXPECT_EQ(reply["cursor"], 5);
    ASSERT_EQ(reply["recados"].size(), 2u);
    EXPECT_EQ(reply["recados"][0]["id"], "R1");
    EXPECT_EQ(reply["recados"][1]["id"], "R2");
    const Reply viaSecond = test::request(*port, "POST", "/api/sync", json{{"cursor", 5}}.dump(),
                                          {{"Authorization", "Bearer " + secret}});
    EXPECT_EQ(json::parse(viaSecond.body)["recados"].size(), 0u);
}

std::string backend(const ::testing::TestParamInfo<std::string>& storage)
{
    return storage.param;
}
INSTANTIATE_TEST_SUITE_P(Storage, NuvemServerTest, ::testing::Values("sqlite", "postgres"), backend);
INSTANTIATE_TEST_SUITE_P(Storage, NuvemServerOnSqlite, ::testing::Values("sqlite"), backend);
INSTANTIATE_TEST_SUITE_P(Storage, NuvemServerOnPostgres, ::testing::Values("postgres"), backend);

// With a certificate and key, the server speaks only HTTPS.
TEST(NuvemTlsTest, ServesHttpsWithTheGivenCertificate)
{
    const testing::TempDir dir;
    const std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
    ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout " + key +
                           " -out " + cert + " >/dev/null 2>&1").c_str()),
              0);
    const auto storage = take(SqliteStorage::open(dir / "nuvem.sqlite"));
    RequestHandler handler(*storage, RequestHandler::Limits{});
    HttpServer::Options options{.port = 0, .logRequests = false, .certificateFile = cert, .keyFile = key};
    {
        HttpServer server(handler, options);
        auto port = server.start();
        ASSERT_TRUE(port) << port.error();
        const std::string base = "https://127.0.0.1:" + std::to_string(*port);
        const std::string answer = (dir / "answer").string();
        ASSERT_EQ(std::system(("curl -s --max-time 30 --cacert " + cert + " -o " + answer + " " + base + "/healthz").c_str()), 0);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(std::ifstream(answer).rdbuf()), {}), R"({"ok":true})");
        EXPECT_EQ(test::request(*port, "GET", "/healthz", "").status, 0); // plain HTTP gets nothing
    }

    options.keyFile = (dir / "missing.pem").string();
    HttpServer broken(handler, options);
    EXPECT_FALSE(broken.start());
}

TEST(NuvemOptionsTest, ReadsEveryOptionAndRefusesBadOnes)
{
    auto options = NuvemOptions::parse({"--listen", "[::1]:9000", "--database", "postgresql://q@db/quaro", "--threads",
                                        "4", "--max-body", "2048", "--timeout", "5", "--auth-failures", "7",
                                        "--tls-cert", "c.pem", "--tls-key", "k.pem", "--quiet", "--trusted-proxy", "::ffff:10.0.0.2", "--max-recados", "500",
                                        "--workers", "3", "--queue", "9"});
    ASSERT_TRUE(options) << options.error();
    EXPECT_EQ(options->server.address + ":" + std::to_string(options->server.port), "::1:9000");
    EXPECT_TRUE(options->usesPostgres());
    const auto& server = options->server;
    EXPECT_EQ((std::vector<std::size_t>{server.threads, server.workers, server.queue, server.maxBody,
                                        options->limits.failedAuthPerWindow, std::size_t(server.timeout.count())}),
              (std::vector<std::size_t>{4, 3, 9, 2048, 7, 5}));
    EXPECT_EQ(server.keyFile, "k.pem");
    EXPECT_EQ(options->limits.sync.recados, 500u);
    EXPECT_FALSE(options->server.logRequests);
    EXPECT_EQ(options->server.trustedProxies, std::vector<std::string>{"10.0.0.2"});

    auto defaults = NuvemOptions::parse({});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->server.address, "127.0.0.1"); // loopback unless told otherwise
    EXPECT_FALSE(defaults->usesPostgres());

    const std::vector<std::vector<std::string>> refused{
        {"--listen", "8080"},   {"--listen", "h:99999"}, {"--threads", "0"},  {"--max-body", "1k"},
        {"--timeout"},          {"--bogus", "1"},        {"--tls-cert", "c.pem"}, {"--trusted-proxy", "proxy"}, {"--max-recados", "399"}, {"--workers", "0"}, {"--queue", "0"},
    };
    for (const auto& arguments : refused)
        EXPECT_FALSE(NuvemOptions::parse(arguments)) << arguments.front();
}

} // namespace
} // namespace quaro::nuvem
