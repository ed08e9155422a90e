#include "TestSupport.h"

#include "core/QuaroStore.h"

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

std::vector<std::string> names(Database& db, const std::string& sql)
{
    std::vector<std::string> list;
    for (const SQLRow& row : take(db.query(sql)))
        list.push_back(row.string("name").value_or("?"));
    return list;
}

class QuaroStoreMigrationTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return m_dir / "quaro.sqlite"; }
    TempDir m_dir;
};

TEST_F(QuaroStoreMigrationTest, NewInboxHasTheWholeSchemaAndThreeDefaultDestinos)
{
    QuaroStore store = take(QuaroStore::open(file()));
    Database& db = store.database();

    EXPECT_EQ(names(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
              (std::vector<std::string>{"destino", "meta", "recado", "recado_apagado"}));
    EXPECT_EQ(names(db, "SELECT name FROM sqlite_master WHERE type = 'index' AND name NOT LIKE 'sqlite_%'"),
              (std::vector<std::string>{"recado_status_idx"}));
    EXPECT_EQ(names(db, "SELECT name FROM sqlite_master WHERE type = 'trigger' ORDER BY name"),
              (std::vector<std::string>{"recado_sync_content", "recado_sync_delete", "recado_sync_insert",
                                        "recado_sync_status"}));
    EXPECT_EQ(names(db, "PRAGMA table_info(recado)"),
              (std::vector<std::string>{"id", "created_at", "duration", "audio_path", "transcript", "title",
                                        "destino_id", "status", "claimed_by", "claimed_at", "result",
                                        "resolved_at", "language", "updated_at", "dirty"}));
    const auto dirty = take(db.query("SELECT type, \"notnull\", dflt_value FROM pragma_table_info('recado') "
                                     "WHERE name = 'dirty'"));
    EXPECT_EQ(dirty.at(0).string("type"), "INTEGER");
    EXPECT_EQ(dirty.at(0).integer("notnull"), 1);
    EXPECT_EQ(dirty.at(0).string("dflt_value"), "1");

    const auto destinos = take(store.destinos());
    ASSERT_EQ(destinos.size(), 3u);
    const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    const Destino expected[] = {
        {"", "Ideias soltas",
         "Organize a ideia em tópicos claros, aponte o que está em aberto e sugira os próximos passos.", "#F5788B",
         0},
        {"", "Tavlo", "Transforme em uma issue: título curto, contexto, o que fazer e critérios de aceite.", "#FF6A1C",
         1},
        {"", "Roadmap", "Rascunhe um PRD curto: problema, proposta, escopo, fora de escopo e perguntas em aberto.",
         "#FFAE56", 2},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::regex_match(destinos[i].id, uuid)) << destinos[i].id;
        Destino withoutId = destinos[i];
        withoutId.id.clear();
        EXPECT_EQ(withoutId, expected[i]);
    }
    EXPECT_NE(destinos[0].id, destinos[1].id);
    EXPECT_EQ(take(store.meta("seeded")), "1");
}

TEST_F(QuaroStoreMigrationTest, ReopeningChangesNothing)
{
    std::vector<Destino> before;
    {
        QuaroStore store = take(QuaroStore::open(file()));
        before = take(store.destinos());
        check(store.insert(Recado{.id = "A", .createdAt = 10, .status = RecadoStatus::pendente}));
        check(store.markUploaded({{"A", 2}}));
    }
    QuaroStore again = take(QuaroStore::open(file()));
    EXPECT_EQ(take(again.destinos()), before);
    const auto row = take(again.database().query("SELECT dirty FROM recado WHERE id = 'A'"));
    EXPECT_EQ(row.at(0).integer("dirty"), 0);
    EXPECT_EQ(take(again.database().query("SELECT count(*) AS n FROM sqlite_master WHERE type = 'trigger'"))
                  .at(0)
                  .integer("n"),
              4);
}

TEST_F(QuaroStoreMigrationTest, OldInboxGainsSyncColumnsWithEveryRowDirty)
{
    {
        Database old = take(Database::open(file()));
        check(old.execute(oldSchema));
        check(old.execute(
            "INSERT INTO recado(id, created_at, status, claimed_at, resolved_at) VALUES "
            "('R', 100, 'resolvido', 200, 300), ('C', 100, 'pego', 200, NULL), ('N', 100, 'pendente', NULL, NULL);"
            "INSERT INTO destino(id, name) VALUES ('D', 'Meu');"));
    }
    QuaroStore store = take(QuaroStore::open(file()));
    const auto rows = take(store.database().query("SELECT id, updated_at, dirty FROM recado ORDER BY id"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].string("id"), "C");
    EXPECT_EQ(rows[0].real("updated_at"), 200.0); // claimed_at
    EXPECT_EQ(rows[1].real("updated_at"), 100.0); // created_at
    EXPECT_EQ(rows[2].real("updated_at"), 300.0); // resolved_at
    for (const SQLRow& row : rows)
        EXPECT_EQ(row.integer("dirty"), 1);

    // The old recados decode, and the bookkeeping now tracks them.
    EXPECT_EQ(take(store.recado("R"))->status, RecadoStatus::resolvido);
    ASSERT_TRUE(take(store.claim("N", "Claude")).has_value());
    EXPECT_EQ(take(store.database().query("SELECT dirty FROM recado WHERE id = 'N'")).at(0).integer("dirty"), 2);
    // An old inbox that was never seeded gets the defaults beside its own destino.
    EXPECT_EQ(take(store.destinos()).size(), 4u);
}

TEST_F(QuaroStoreMigrationTest, SeededKeyOfAnyValueKeepsAnEmptyInboxEmpty)
{
    {
        Database old = take(Database::open(file()));
        check(old.execute(oldSchema));
        check(old.execute("INSERT INTO meta(key, value) VALUES ('seeded', 'qualquer');"));
    }
    QuaroStore store = take(QuaroStore::open(file()));
    EXPECT_TRUE(take(store.destinos()).empty());

    // Deleting every destino does not bring the defaults back either.
    QuaroStore other = take(QuaroStore::open(m_dir / "outro.sqlite"));
    for (const Destino& d : take(other.destinos()))
        check(other.deleteDestino(d.id));
    QuaroStore reopened = take(QuaroStore::open(m_dir / "outro.sqlite"));
    EXPECT_TRUE(take(reopened.destinos()).empty());
}

TEST_F(QuaroStoreMigrationTest, TwoConnectionsOpeningANewInboxTogetherSeedItOnce)
{
    for (int round = 0; round < 5; ++round) {
        const auto path = m_dir / ("novo" + std::to_string(round) + ".sqlite");
        std::vector<std::thread> threads;
        std::atomic<int> failures = 0;
        for (int t = 0; t < 3; ++t)
            threads.emplace_back([&] {
                auto store = QuaroStore::open(path);
                if (!store.ok()) {
                    ++failures;
                    std::fprintf(stderr, "%s\n", store.error().description().c_str());
                }
            });
        for (auto& thread : threads)
            thread.join();
        EXPECT_EQ(failures, 0);
        QuaroStore store = take(QuaroStore::open(path));
        EXPECT_EQ(take(store.destinos()).size(), 3u);
    }
}

TEST_F(QuaroStoreMigrationTest, RowsDecodeWithDefaultsForMissingOrStrangeValues)
{
    SQLRow recadoRow;
    recadoRow.set("id", "X");
    recadoRow.set("status", "arquivado");
    recadoRow.set("duration", 3);
    recadoRow.set("created_at", 12);
    recadoRow.set("claimed_at", "ontem"); // wrong type: absent
    const Recado r = QuaroStore::recado(recadoRow);
    EXPECT_EQ(r.status, RecadoStatus::pendente);
    EXPECT_EQ(r.duration, 3.0);
    EXPECT_EQ(r.createdAt, 12.0);
    EXPECT_EQ(r.claimedAt, std::nullopt);
    EXPECT_EQ(r.transcript, "");
    EXPECT_EQ(r.audioPath, std::nullopt);

    const Timestamp before = currentTimestamp();
    const Recado empty = QuaroStore::recado(SQLRow{});
    EXPECT_GE(empty.createdAt, before); // a missing creation time reads as now
    EXPECT_EQ(empty.id, "");

    SQLRow destinoRow;
    destinoRow.set("id", "D");
    destinoRow.set("name", "Casa");
    destinoRow.set("color", nullptr);
    destinoRow.set("sort", 2.7);
    const Destino d = QuaroStore::destino(destinoRow);
    EXPECT_EQ(d.colorHex, "#FF6A1C");
    EXPECT_EQ(d.sort, 2);
    EXPECT_EQ(d.instruction, "");
}

TEST_F(QuaroStoreMigrationTest, OpeningFailsWhereNoDatabaseCanBe)
{
    auto store = QuaroStore::open(m_dir / "sem" / "pasta" / "quaro.sqlite");
    ASSERT_FALSE(store.ok());
    EXPECT_EQ(store.error().description().rfind("Não abri o banco: ", 0), 0u);

    // A file that is not a database fails at the first statement.
    {
        std::FILE* f = std::fopen((m_dir / "lixo.sqlite").c_str(), "w");
        std::fputs("isto não é um banco de dados, só texto comprido o bastante para o cabeçalho", f);
        std::fclose(f);
    }
    auto garbage = QuaroStore::open(m_dir / "lixo.sqlite");
    ASSERT_FALSE(garbage.ok());
    EXPECT_EQ(garbage.error().description(), "Erro no banco: file is not a database");
}

} // namespace
