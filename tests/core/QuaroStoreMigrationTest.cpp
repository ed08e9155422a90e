#include "TestSupport.h"

#include <regex>
#include <thread>

using namespace quaro;
using namespace quaro::test;

namespace {

// The schema of inboxes written before cloud sync existed: no updated_at,
// no dirty, no tombstones, no triggers.
constexpr const char* oldSchema = R"sql(
CREATE TABLE destino (id TEXT PRIMARY KEY, name TEXT NOT NULL, instruction TEXT NOT NULL DEFAULT '',
                      color TEXT NOT NULL DEFAULT '#FF6A1C', sort INTEGER NOT NULL DEFAULT 0);
CREATE TABLE recado (id TEXT PRIMARY KEY, created_at REAL NOT NULL, duration REAL NOT NULL DEFAULT 0,
                     audio_path TEXT, transcript TEXT NOT NULL DEFAULT '', title TEXT NOT NULL DEFAULT '',
                     destino_id TEXT, status TEXT NOT NULL, claimed_by TEXT, claimed_at REAL, result TEXT,
                     resolved_at REAL, language TEXT);
CREATE INDEX recado_status_idx ON recado(status, created_at);
CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT);
)sql";

class QuaroStoreMigrationTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return m_dir / "quaro.sqlite"; }
    void writeOldInbox(const std::string& rows)
    {
        Database old = take(Database::open(file()));
        check(old.execute(std::string(oldSchema) + rows));
    }
    TempDir m_dir;
};

TEST_F(QuaroStoreMigrationTest, NewInboxIsSeededOnceWithThreeDestinosAndNeverAgain)
{
    std::vector<Destino> seeded;
    {
        QuaroStore store = take(QuaroStore::open(file()));
        seeded = take(store.destinos());
        check(store.insert(Recado{.id = "A", .createdAt = 10}));
        check(store.markUploaded({{"A", 2}}));
    }
    // Their names and instructions, in order, are checked end to end through quaro-mcp.
    ASSERT_EQ(seeded.size(), 3u);
    const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    for (const Destino& destino : seeded)
        EXPECT_TRUE(std::regex_match(destino.id, uuid)) << destino.id;

    // Reopening changes nothing: same destinos, bookkeeping kept.
    QuaroStore again = take(QuaroStore::open(file()));
    EXPECT_EQ(take(again.destinos()), seeded);
    EXPECT_EQ(integer(again.database(), "SELECT dirty AS n FROM recado WHERE id = 'A'"), 0);
    // Nor does it bring back destinos the user deleted.
    for (const Destino& d : seeded)
        check(again.deleteDestino(d.id));
    EXPECT_TRUE(take(take(QuaroStore::open(file())).destinos()).empty());
}

TEST_F(QuaroStoreMigrationTest, OldInboxGainsSyncColumnsWithEveryRowDirty)
{
    writeOldInbox("INSERT INTO recado(id, created_at, status, claimed_at, resolved_at) VALUES "
                  "('R', 100, 'resolvido', 200, 300), ('C', 100, 'pego', 200, NULL), ('N', 100, 'pendente', NULL, NULL);"
                  "INSERT INTO destino(id, name) VALUES ('D', 'Meu');");
    QuaroStore store = take(QuaroStore::open(file()));
    const auto rows = take(store.database().query("SELECT id, updated_at, dirty FROM recado ORDER BY id"));
    ASSERT_EQ(rows.size(), 3u);
    // The newest of resolved, claimed and created times stands for the last change.
    EXPECT_EQ(rows[0].real("updated_at"), 200.0);
    EXPECT_EQ(rows[1].real("updated_at"), 100.0);
    EXPECT_EQ(rows[2].real("updated_at"), 300.0);
    for (const SQLRow& row : rows)
        EXPECT_EQ(row.integer("dirty"), 1);

    // The old recados decode, and the bookkeeping now tracks them.
    EXPECT_EQ(take(store.recado("R"))->status, RecadoStatus::resolvido);
    ASSERT_TRUE(take(store.claim("N", "Claude")).has_value());
    EXPECT_EQ(integer(store.database(), "SELECT dirty AS n FROM recado WHERE id = 'N'"), 2);
    // Never seeded: the defaults join its own destino.
    EXPECT_EQ(take(store.destinos()).size(), 4u);

    // Listings without a status filter and searches read the new index instead of sorting.
    EXPECT_EQ(integer(store.database(), "SELECT user_version AS n FROM pragma_user_version"), 1);
    for (const char* where : {"", "WHERE transcript LIKE ?", "WHERE destino_id = ?"}) {
        const auto plan = take(store.database().query(std::string("EXPLAIN QUERY PLAN SELECT * FROM recado ") + where +
                                                      " ORDER BY created_at DESC LIMIT ?"));
        ASSERT_EQ(plan.size(), 1u) << where;
        EXPECT_EQ(plan[0].string("detail"), "SCAN recado USING INDEX recado_created_idx") << where;
    }
}

TEST_F(QuaroStoreMigrationTest, ACurrentFileSkipsTheMigrationAndOneCutShortRunsItAgain)
{
    const auto triggers = [&](QuaroStore& store) {
        return integer(store.database(), "SELECT count(*) AS n FROM sqlite_master WHERE type = 'trigger'");
    };
    {
        QuaroStore store = take(QuaroStore::open(file()));
        check(store.database().execute("DROP TRIGGER recado_sync_delete;"));
    }
    {
        QuaroStore current = take(QuaroStore::open(file())); // version current: nothing rerun
        EXPECT_EQ(triggers(current), 3);
        // As if the process had died before the version was written.
        check(current.database().execute("PRAGMA user_version = 0;"));
    }
    QuaroStore store = take(QuaroStore::open(file()));
    EXPECT_EQ(triggers(store), 4);
    check(store.insert(Recado{.id = "A", .createdAt = 1}));
    check(store.deleteRecado("A"));
    EXPECT_EQ(take(store.pendingDeletions(10)), std::vector<std::string>{"A"});
}

TEST_F(QuaroStoreMigrationTest, AnOldInboxMarkedSeededIsNotSeeded)
{
    writeOldInbox("INSERT INTO meta(key, value) VALUES ('seeded', 'qualquer');");
    EXPECT_TRUE(take(take(QuaroStore::open(file())).destinos()).empty());
}

TEST_F(QuaroStoreMigrationTest, ConnectionsOpeningANewInboxTogetherSeedItOnce)
{
    for (int round = 0; round < 5; ++round) {
        const auto path = m_dir / ("novo" + std::to_string(round) + ".sqlite");
        std::vector<std::thread> threads;
        for (int t = 0; t < 3; ++t)
            threads.emplace_back([&] {
                auto store = QuaroStore::open(path);
                if (!store.ok())
                    ADD_FAILURE() << store.error().description();
            });
        for (auto& thread : threads)
            thread.join();
        EXPECT_EQ(take(take(QuaroStore::open(path)).destinos()).size(), 3u);
    }
}

TEST_F(QuaroStoreMigrationTest, RowsWrittenByANewerVersionStillDecode)
{
    SQLRow recado;
    recado.set("status", "arquivado");
    recado.set("claimed_at", "ontem");
    EXPECT_EQ(QuaroStore::recado(recado).status, RecadoStatus::pendente);
    EXPECT_EQ(QuaroStore::recado(recado).claimedAt, std::nullopt);
    SQLRow destino;
    destino.set("color", nullptr);
    EXPECT_EQ(QuaroStore::destino(destino).colorHex, "#FF6A1C");
}

} // namespace
