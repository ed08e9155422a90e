#include "nuvem/SqliteStorage.h"

#include "core/QuaroStore.h"
#include "core/RecadoStatus.h"
#include "nuvem/SqliteToolStore.h"
#include "nuvem/Transaction.h"

namespace quaro::nuvem {
namespace {

constexpr const char* schema = R"(
CREATE TABLE IF NOT EXISTS account(
  id INTEGER PRIMARY KEY,
  secret_sha256 TEXT NOT NULL UNIQUE,
  created_at REAL NOT NULL,
  seq INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS destino(
  account_id INTEGER NOT NULL REFERENCES account(id) ON DELETE CASCADE,
  id TEXT NOT NULL, name TEXT NOT NULL, instruction TEXT NOT NULL, color TEXT NOT NULL, sort INTEGER NOT NULL,
  PRIMARY KEY(account_id, id));
CREATE TABLE IF NOT EXISTS recado(
  account_id INTEGER NOT NULL REFERENCES account(id) ON DELETE CASCADE,
  id TEXT NOT NULL, created_at REAL NOT NULL, duration REAL NOT NULL,
  title TEXT NOT NULL, transcript TEXT NOT NULL, destino_id TEXT, language TEXT,
  status TEXT NOT NULL, claimed_by TEXT, claimed_at REAL, result TEXT, resolved_at REAL,
  updated_at REAL NOT NULL,
  remote_seq INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY(account_id, id));
CREATE INDEX IF NOT EXISTS recado_by_created ON recado(account_id, created_at);
CREATE INDEX IF NOT EXISTS recado_by_change ON recado(account_id, remote_seq) WHERE remote_seq > 0;
CREATE TABLE IF NOT EXISTS revoked(
  secret_sha256 TEXT PRIMARY KEY,
  revoked_at REAL NOT NULL);
PRAGMA synchronous=FULL;
)";

// Content always follows the desktop; the status fields only when the
// upload is newer, and then any remote change it overrides is withdrawn.
constexpr const char* upsertRecado =
    "INSERT INTO recado(account_id, id, created_at, duration, title, transcript, destino_id, language, status, "
    "claimed_by, claimed_at, result, resolved_at, updated_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
    "ON CONFLICT(account_id, id) DO UPDATE SET created_at = excluded.created_at, duration = excluded.duration, "
    "title = excluded.title, transcript = excluded.transcript, destino_id = excluded.destino_id, "
    "language = excluded.language, "
    "status = IIF(excluded.updated_at > recado.updated_at, excluded.status, recado.status), "
    "claimed_by = IIF(excluded.updated_at > recado.updated_at, excluded.claimed_by, recado.claimed_by), "
    "claimed_at = IIF(excluded.updated_at > recado.updated_at, excluded.claimed_at, recado.claimed_at), "
    "result = IIF(excluded.updated_at > recado.updated_at, excluded.result, recado.result), "
    "resolved_at = IIF(excluded.updated_at > recado.updated_at, excluded.resolved_at, recado.resolved_at), "
    "remote_seq = IIF(excluded.updated_at > recado.updated_at, 0, recado.remote_seq), "
    "updated_at = MAX(excluded.updated_at, recado.updated_at)";

} // namespace

Result<std::unique_ptr<SqliteStorage>, DatabaseError> SqliteStorage::open(const std::filesystem::path& path)
{
    auto db = Database::open(path);
    if (!db)
        return Failure{db.error()};
    if (auto created = db->execute(schema); !created)
        return Failure{created.error()};
    return std::unique_ptr<SqliteStorage>(new SqliteStorage(std::move(db).value()));
}

Result<std::optional<std::int64_t>, DatabaseError> SqliteStorage::findAccount(const SecretHash& secret)
{
    auto rows = m_db.query("SELECT id, secret_sha256 FROM account WHERE secret_sha256 = ?", {secret.hex()});
    if (!rows)
        return Failure{rows.error()};
    if (rows->empty())
        return std::optional<std::int64_t>();
    // The lookup is by hash; the comparison of what came back runs in
    // constant time all the same.
    const std::string stored = rows->front().string("secret_sha256").value_or("");
    if (!secret.matches(stored))
        return std::optional<std::int64_t>();
    return rows->front().integer("id");
}

Result<std::optional<std::int64_t>, DatabaseError> SqliteStorage::account(const SecretHash& secret)
{
    std::lock_guard guard(m_lock);
    return findAccount(secret);
}

Result<SyncOutcome, DatabaseError> SqliteStorage::sync(const SecretHash& secret, const SyncOrder& request)
{
    std::lock_guard guard(m_lock);
    QUARO_TRY_LET(transaction, Transaction<Database>::begin(m_db, "BEGIN IMMEDIATE"));
    QUARO_TRY_LET(revoked, m_db.query("SELECT 1 FROM revoked WHERE secret_sha256 = ?", {secret.hex()}));
    if (!revoked->empty())
        return SyncOutcome{.revoked = true};
    QUARO_TRY_LET(reply, applySync(secret, request));
    if (reply->accountFull)
        return std::move(*reply); // rolled back as the transaction goes
    QUARO_TRY(transaction->commit());
    return std::move(*reply);
}

Result<SyncOutcome, DatabaseError> SqliteStorage::applySync(const SecretHash& secret, const SyncOrder& request)
{
    auto found = findAccount(secret);
    if (!found)
        return Failure{found.error()};
    bool created = false;
    if (!*found) {
        if (!request.mayCreateAccount)
            return SyncOutcome{.accountRefused = true};
        created = true;
        auto inserted = m_db.run("INSERT INTO account(secret_sha256, created_at) VALUES (?, ?)",
                                 {secret.hex(), currentTimestamp()});
        if (!inserted)
            return Failure{inserted.error()};
        found = findAccount(secret);
        if (!found || !*found)
            return Failure{found ? DatabaseError::query("conta não criada") : found.error()};
    }
    const std::int64_t account = **found;

    if (auto cleared = m_db.run("DELETE FROM destino WHERE account_id = ?", {account}); !cleared)
        return Failure{cleared.error()};
    for (const Destino& d : request.destinos) {
        auto saved = m_db.run("INSERT OR REPLACE INTO destino(account_id, id, name, instruction, color, sort) "
                              "VALUES (?, ?, ?, ?, ?, ?)",
                              {account, d.id, d.name, d.instruction, d.colorHex, d.sort});
        if (!saved)
            return Failure{saved.error()};
    }
    for (const RecadoCopy& copy : request.recados) {
        const Recado& r = copy.recado;
        auto saved = m_db.run(upsertRecado,
                              {account, r.id, r.createdAt, r.duration, r.title, r.transcript,
                               SQLValue::from(r.destinoID), SQLValue::from(r.language), rawValue(r.status),
                               SQLValue::from(r.claimedBy), SQLValue::from(r.claimedAt), SQLValue::from(r.result),
                               SQLValue::from(r.resolvedAt), copy.updatedAt});
        if (!saved)
            return Failure{saved.error()};
    }
    for (const std::string& id : request.deletions) {
        if (auto deleted = m_db.run("DELETE FROM recado WHERE account_id = ? AND id = ?", {account, id}); !deleted)
            return Failure{deleted.error()};
    }
    // A sync that leaves the account past its quota is undone whole. Its
    // deletions count first, so deleting recados lets a full account go on.
    if (!request.recados.empty()) {
        QUARO_TRY_LET(usage, m_db.query("SELECT COUNT(*) AS n, COALESCE(SUM("
                                     "LENGTH(CAST(title AS BLOB))+LENGTH(CAST(transcript AS BLOB))+COALESCE(LENGTH(CAST(result AS BLOB)), 0)), 0) AS bytes "
                                     "FROM recado WHERE account_id = ?", {account}));
        if (usage->front().integer("n").value_or(0) > request.accountRecados ||
            usage->front().integer("bytes").value_or(0) > request.accountBytes)
            return SyncOutcome{.accountFull = true};
    }

    auto seq = m_db.query("SELECT seq FROM account WHERE id = ?", {account});
    if (!seq)
        return Failure{seq.error()};
    SyncOutcome reply;
    reply.created = created;
    reply.cursor = seq->empty() ? 0 : seq->front().integer("seq").value_or(0);
    // A cursor from beyond this account's history (a server restored from
    // an older copy) gets every change again rather than none.
    const std::int64_t since = request.cursor > reply.cursor ? 0 : request.cursor;
    auto changes = m_db.query("SELECT * FROM recado WHERE account_id = ? AND remote_seq > ?"
                              " ORDER BY remote_seq LIMIT " + std::to_string(changesPerReply),
                              {account, since});
    if (!changes)
        return Failure{changes.error()};
    for (const SQLRow& row : *changes)
        reply.changes.push_back({QuaroStore::recado(row), row.real("updated_at").value_or(0)});
    // A full page: the cursor stops after its last change, and the next
    // sync brings the rest.
    if (reply.changes.size() == changesPerReply)
        reply.cursor = changes->back().integer("remote_seq").value_or(reply.cursor);
    return reply;
}

Result<bool, DatabaseError> SqliteStorage::deleteAccount(const SecretHash& secret)
{
    std::lock_guard guard(m_lock);
    QUARO_TRY_LET(transaction, Transaction<Database>::begin(m_db, "BEGIN IMMEDIATE"));
    QUARO_TRY(m_db.run("INSERT OR IGNORE INTO revoked(secret_sha256, revoked_at) VALUES (?, ?)",
                       {secret.hex(), currentTimestamp()}));
    QUARO_TRY_LET(deleted, m_db.run("DELETE FROM account WHERE secret_sha256 = ?", {secret.hex()}));
    QUARO_TRY(transaction->commit());
    return *deleted > 0;
}

Result<void, DatabaseError> SqliteStorage::ready()
{
    std::lock_guard guard(m_lock);
    QUARO_TRY(m_db.query("SELECT 1 FROM account LIMIT 1"));
    return {};
}

std::unique_ptr<mcp::ToolStore> SqliteStorage::tools(std::int64_t account)
{
    return std::make_unique<SqliteToolStore>(*this, account);
}

} // namespace quaro::nuvem
