// Creating, upgrading and seeding the inbox database. Every name here is
// part of the file format that the application and the MCP server share and
// that later versions must keep opening: tables, columns, index, triggers
// and meta keys never change meaning.
#include "core/QuaroStore.h"
#include "core/Transaction.h"
#include "core/Uuid.h"

#include <algorithm>

namespace quaro {

namespace {

constexpr const char* baseSchema = R"sql(
CREATE TABLE IF NOT EXISTS destino (
    id TEXT PRIMARY KEY,
    name TEXT NOT NULL,
    instruction TEXT NOT NULL DEFAULT '',
    color TEXT NOT NULL DEFAULT '#FF6A1C',
    sort INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS recado (
    id TEXT PRIMARY KEY,
    created_at REAL NOT NULL,
    duration REAL NOT NULL DEFAULT 0,
    audio_path TEXT,
    transcript TEXT NOT NULL DEFAULT '',
    title TEXT NOT NULL DEFAULT '',
    destino_id TEXT,
    status TEXT NOT NULL,
    claimed_by TEXT,
    claimed_at REAL,
    result TEXT,
    resolved_at REAL,
    language TEXT
);
CREATE INDEX IF NOT EXISTS recado_status_idx ON recado(status, created_at);
CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT);
)sql";

// Change tracking for the cloud: dirty counts changes since the last
// acknowledged upload, updated_at stamps the last change of the status
// fields, and recado_apagado keeps a tombstone per deletion. The expression
// (julianday('now') - 2440587.5) * 86400.0 is the current Unix time with
// its fraction.
constexpr const char* syncSchema = R"sql(
CREATE TABLE IF NOT EXISTS recado_apagado (id TEXT PRIMARY KEY, deleted_at REAL NOT NULL);
CREATE TRIGGER IF NOT EXISTS recado_sync_insert AFTER INSERT ON recado
BEGIN
    UPDATE recado SET updated_at = COALESCE(NEW.updated_at, (julianday('now') - 2440587.5) * 86400.0),
                      dirty = NEW.dirty + 1
        WHERE id = NEW.id;
    DELETE FROM recado_apagado WHERE id = NEW.id;
END;
CREATE TRIGGER IF NOT EXISTS recado_sync_status
AFTER UPDATE OF status, claimed_by, claimed_at, result, resolved_at ON recado
WHEN NEW.updated_at IS OLD.updated_at
BEGIN
    UPDATE recado SET updated_at = (julianday('now') - 2440587.5) * 86400.0, dirty = OLD.dirty + 1
        WHERE id = NEW.id;
END;
CREATE TRIGGER IF NOT EXISTS recado_sync_content
AFTER UPDATE OF title, transcript, destino_id, language ON recado
WHEN NEW.dirty IS OLD.dirty
BEGIN
    UPDATE recado SET dirty = OLD.dirty + 1 WHERE id = NEW.id;
END;
CREATE TRIGGER IF NOT EXISTS recado_sync_delete AFTER DELETE ON recado
BEGIN
    INSERT OR REPLACE INTO recado_apagado(id, deleted_at)
        VALUES (OLD.id, (julianday('now') - 2440587.5) * 86400.0);
END;
)sql";

// Listings without a status filter and searches read the newest recados
// first; without this index every one of them sorted the whole table. Older
// builds know nothing of it and simply leave it alone.
constexpr const char* listingIndex = "CREATE INDEX IF NOT EXISTS recado_created_idx ON recado(created_at);";

// PRAGMA user_version says that a file already has everything this build's
// migration would create (tables, columns, indexes, triggers, seeds), so
// opening it runs one query instead of the whole migration. Builds written
// before the version existed leave it at 0 and keep running their own
// idempotent statements; a file they created migrates here on first open.
constexpr std::int64_t schemaVersion = 1;

struct DefaultDestino {
    const char* name;
    const char* colorHex;
    const char* instruction;
};

constexpr DefaultDestino defaultDestinos[] = {
    {"Ideias soltas", "#F5788B",
     "Organize a ideia em tópicos claros, aponte o que está em aberto e sugira os próximos passos."},
    {"Tavlo", "#FF6A1C", "Transforme em uma issue: título curto, contexto, o que fazer e critérios de aceite."},
    {"Roadmap", "#FFAE56",
     "Rascunhe um PRD curto: problema, proposta, escopo, fora de escopo e perguntas em aberto."},
};

} // namespace

Result<QuaroStore, DatabaseError> QuaroStore::open(const std::filesystem::path& path)
{
    QuaroStore store(QUARO_TRY(Database::open(path)));
    QUARO_TRY(store.migrate());
    return store;
}

Result<void, DatabaseError> QuaroStore::migrate()
{
    const auto version = QUARO_TRY(m_db.query("PRAGMA user_version"));
    if (!version.empty() && version.front().integer("user_version").value_or(0) >= schemaVersion)
        return {};

    QUARO_TRY(m_db.execute(baseSchema));
    QUARO_TRY(migrateSync());
    QUARO_TRY(m_db.execute(listingIndex));
    QUARO_TRY(seedOnce());
    // Set last, so that a migration cut short runs again in full.
    return m_db.execute("PRAGMA user_version = " + std::to_string(schemaVersion) + ";");
}

Result<void, DatabaseError> QuaroStore::seedOnce()
{
    // Seeding happens once per database: deleting every destino later does
    // not bring the defaults back, because the "seeded" key stays.
    if (QUARO_TRY(isSeeded()))
        return {};

    // The check and the three inserts form one write transaction, so that
    // two processes opening a new inbox at the same moment seed it once.
    auto transaction = QUARO_TRY(Transaction::begin(m_db));
    if (QUARO_TRY(isSeeded()))
        return {};
    std::int64_t sort = 0;
    for (const DefaultDestino& d : defaultDestinos) {
        QUARO_TRY(saveDestino(Destino{makeUUID(), d.name, d.instruction, d.colorHex, sort++}));
    }
    QUARO_TRY(m_db.run("INSERT OR REPLACE INTO meta(key, value) VALUES ('seeded', '1')"));
    return transaction.commit();
}

Result<bool, DatabaseError> QuaroStore::isSeeded()
{
    return !QUARO_TRY(m_db.query("SELECT value FROM meta WHERE key = 'seeded'")).empty();
}

Result<void, DatabaseError> QuaroStore::migrateSync()
{
    const auto columns = QUARO_TRY(m_db.query("PRAGMA table_info(recado)"));
    std::vector<std::string> names;
    for (const SQLRow& row : columns) {
        if (auto name = row.string("name"))
            names.push_back(std::move(*name));
    }
    const auto has = [&](const char* name) { return std::find(names.begin(), names.end(), name) != names.end(); };

    // Another process may be upgrading the same file right now: a failing
    // ALTER (the column already exists) is not an error, the steps after it
    // hold either way.
    if (!has("updated_at")) {
        (void)m_db.execute("ALTER TABLE recado ADD COLUMN updated_at REAL;");
        if (auto done = m_db.execute("UPDATE recado SET updated_at = COALESCE(updated_at, resolved_at, claimed_at, created_at);");
            !done)
            return done;
    }
    // Rows recorded before the upgrade become dirty (1), so they are uploaded
    // once cloud mode is on.
    if (!has("dirty"))
        (void)m_db.execute("ALTER TABLE recado ADD COLUMN dirty INTEGER NOT NULL DEFAULT 1;");
    return m_db.execute(syncSchema);
}

} // namespace quaro
