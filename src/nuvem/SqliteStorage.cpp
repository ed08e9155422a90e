#include "nuvem/SqliteStorage.h"

#include "core/QuaroStore.h"
#include "core/RecadoStatus.h"
#include "nuvem/DestinoList.h"
#include "nuvem/SqliteToolStore.h"
#include "nuvem/Transaction.h"

#include <exception>
#include <utility>

namespace quaro::nuvem {
namespace {

constexpr const char* schema = R"(
CREATE TABLE IF NOT EXISTS account(
  id INTEGER PRIMARY KEY,
  secret_sha256 TEXT NOT NULL UNIQUE,
  created_at REAL NOT NULL,
  seq INTEGER NOT NULL DEFAULT 0,
  recados INTEGER NOT NULL DEFAULT 0,
  bytes INTEGER NOT NULL DEFAULT 0);
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

// What a recado weighs against its account's quota.
#define QUARO_RECADO_BYTES(row) \
    "(LENGTH(CAST(" row ".title AS BLOB)) + LENGTH(CAST(" row ".transcript AS BLOB)) + " \
    "COALESCE(LENGTH(CAST(" row ".result AS BLOB)), 0))"

// Files made before the account kept its own counts get them, counted once.
constexpr const char* addCounters =
    "ALTER TABLE account ADD COLUMN recados INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE account ADD COLUMN bytes INTEGER NOT NULL DEFAULT 0;"
    "UPDATE account SET recados = (SELECT COUNT(*) FROM recado WHERE account_id = account.id), "
    "bytes = (SELECT COALESCE(SUM(" QUARO_RECADO_BYTES("recado") "), 0) FROM recado WHERE account_id = account.id);";

// The account's recados and their bytes, kept by every write to its
// recados (syncs and remote tools alike) in the same transaction, so that
// the quota check costs one row however large the account is.
constexpr const char* counters =
    "CREATE TRIGGER IF NOT EXISTS recado_counted_in AFTER INSERT ON recado BEGIN "
    "UPDATE account SET recados = recados + 1, bytes = bytes + " QUARO_RECADO_BYTES("NEW")
    " WHERE id = NEW.account_id; END;"
    "CREATE TRIGGER IF NOT EXISTS recado_counted_out AFTER DELETE ON recado BEGIN "
    "UPDATE account SET recados = recados - 1, bytes = bytes - " QUARO_RECADO_BYTES("OLD")
    " WHERE id = OLD.account_id; END;"
    "CREATE TRIGGER IF NOT EXISTS recado_recounted AFTER UPDATE OF title, transcript, result ON recado "
    "WHEN " QUARO_RECADO_BYTES("NEW") " <> " QUARO_RECADO_BYTES("OLD") " BEGIN "
    "UPDATE account SET bytes = bytes + " QUARO_RECADO_BYTES("NEW") " - " QUARO_RECADO_BYTES("OLD")
    " WHERE id = NEW.account_id; END;";

#undef QUARO_RECADO_BYTES

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
    "updated_at = MAX(excluded.updated_at, recado.updated_at) "
    // A row that would stay as it is is not written: desktops resend what
    // the server already has, and an unchanged sync then costs no write.
    "WHERE excluded.updated_at > recado.updated_at OR excluded.created_at IS NOT recado.created_at OR "
    "excluded.duration IS NOT recado.duration OR excluded.title IS NOT recado.title OR "
    "excluded.transcript IS NOT recado.transcript OR excluded.destino_id IS NOT recado.destino_id OR "
    "excluded.language IS NOT recado.language";

} // namespace

Result<std::unique_ptr<SqliteStorage>, DatabaseError> SqliteStorage::open(const std::filesystem::path& path)
{
    auto db = Database::open(path);
    if (!db)
        return Failure{db.error()};
    if (auto created = db->execute(schema); !created)
        return Failure{created.error()};
    QUARO_TRY_LET(counted, db->query("SELECT 1 FROM pragma_table_info('account') WHERE name = 'recados'"));
    if (counted->empty()) {
        QUARO_TRY_LET(transaction, Transaction<Database>::begin(*db, "BEGIN IMMEDIATE"));
        QUARO_TRY(db->execute(addCounters));
        QUARO_TRY(transaction->commit());
    }
    QUARO_TRY(db->execute(counters));
    return std::unique_ptr<SqliteStorage>(new SqliteStorage(std::move(db).value()));
}

Result<std::optional<SqliteStorage::Account>, DatabaseError> SqliteStorage::findAccount(const SecretHash& secret)
{
    QUARO_TRY_LET(rows, m_db.query("SELECT id, secret_sha256, seq FROM account WHERE secret_sha256 = ?", {secret.hex()}));
    if (rows->empty())
        return std::optional<Account>();
    // The lookup is by hash; the comparison of what came back runs in
    // constant time all the same.
    const std::string stored = rows->front().string("secret_sha256").value_or("");
    if (!secret.matches(stored))
        return std::optional<Account>();
    return std::optional<Account>(
        Account{rows->front().integer("id").value_or(0), rows->front().integer("seq").value_or(0)});
}

Result<std::optional<std::int64_t>, DatabaseError> SqliteStorage::account(const SecretHash& secret)
{
    std::lock_guard guard(m_lock);
    QUARO_TRY_LET(found, findAccount(secret));
    if (!*found)
        return std::optional<std::int64_t>();
    return std::optional<std::int64_t>((*found)->id);
}

Result<SyncOutcome, DatabaseError> SqliteStorage::sync(const SecretHash& secret, const SyncOrder& request)
{
    Pending mine{secret, request, std::nullopt};
    std::unique_lock queue(m_queueLock);
    m_waiting.push_back(&mine);
    while (!mine.done) {
        if (m_writing) {
            m_committed.wait(queue);
            continue;
        }
        // No group is being written: this thread writes every sync waiting
        // now, its own among them.
        m_writing = true;
        const std::vector<Pending*> group = std::exchange(m_waiting, {});
        queue.unlock();
        try {
            commitGroup(group);
        } catch (const std::exception& error) {
            // Out of memory, most likely. The transaction was rolled back on
            // the way out, so no sync of the group may count as applied, and
            // the next group must still find a writer.
            for (Pending* pending : group)
                pending->outcome.emplace(Failure{DatabaseError::query(error.what())});
        }
        queue.lock();
        for (Pending* pending : group)
            pending->done = true;
        m_writing = false;
        m_committed.notify_all();
    }
    return std::move(*mine.outcome);
}

void SqliteStorage::commitGroup(const std::vector<Pending*>& group)
{
    const auto failAll = [&](const DatabaseError& error) {
        for (Pending* pending : group)
            pending->outcome.emplace(Failure{error});
    };
    std::lock_guard guard(m_lock);
    auto transaction = Transaction<Database>::begin(m_db, "BEGIN IMMEDIATE");
    if (!transaction)
        return failAll(transaction.error());
    for (Pending* pending : group) {
        if (auto saved = m_db.execute("SAVEPOINT sync"); !saved)
            return failAll(saved.error());
        Result<SyncOutcome, DatabaseError> outcome = applySync(pending->secret, pending->request);
        // A sync that failed or was refused leaves nothing behind, and the
        // rest of its group goes on. If even the savepoint cannot be undone
        // (SQLite gave up the whole transaction), the group fails together.
        if (!outcome || outcome->accountFull) {
            if (auto undone = m_db.execute("ROLLBACK TO sync"); !undone)
                return failAll(undone.error());
        }
        if (auto released = m_db.execute("RELEASE sync"); !released)
            return failAll(released.error());
        pending->outcome.emplace(std::move(outcome));
    }
    if (auto committed = transaction->commit(); !committed) {
        // Nothing of the group was kept, so no sync may be acknowledged.
        for (Pending* pending : group) {
            if (*pending->outcome)
                pending->outcome.emplace(Failure{committed.error()});
        }
    }
}

Result<void, DatabaseError> SqliteStorage::replaceDestinos(std::int64_t account, const std::vector<Destino>& destinos)
{
    const auto wanted = destinosById(destinos);
    QUARO_TRY_LET(stored, m_db.query("SELECT id, name, instruction, color, sort FROM destino WHERE account_id = ?",
                                     {account}));
    if (sameDestinos(*stored, wanted))
        return {};
    QUARO_TRY(m_db.run("DELETE FROM destino WHERE account_id = ?", {account}));
    for (const auto& [id, d] : wanted) {
        QUARO_TRY(m_db.run("INSERT INTO destino(account_id, id, name, instruction, color, sort) VALUES (?, ?, ?, ?, ?, ?)",
                           {account, id, d->name, d->instruction, d->colorHex, d->sort}));
    }
    return {};
}

Result<SyncOutcome, DatabaseError> SqliteStorage::applySync(const SecretHash& secret, const SyncOrder& request)
{
    QUARO_TRY_LET(found, findAccount(secret));
    bool created = false;
    if (!*found) {
        // A live account's secret is never revoked: deletion removes both at
        // once. Only a secret without one can be.
        QUARO_TRY_LET(revoked, m_db.query("SELECT 1 FROM revoked WHERE secret_sha256 = ?", {secret.hex()}));
        if (!revoked->empty())
            return SyncOutcome{.revoked = true};
        if (!request.mayCreateAccount)
            return SyncOutcome{.accountRefused = true};
        created = true;
        QUARO_TRY(m_db.run("INSERT INTO account(secret_sha256, created_at) VALUES (?, ?)",
                           {secret.hex(), currentTimestamp()}));
        QUARO_TRY_LET(made, findAccount(secret));
        if (!*made)
            return Failure{DatabaseError::query("conta não criada")};
        *found = *made;
    }
    const std::int64_t account = (*found)->id;

    QUARO_TRY(replaceDestinos(account, request.destinos));
    for (const RecadoCopy& copy : request.recados) {
        const Recado& r = copy.recado;
        QUARO_TRY(m_db.run(upsertRecado,
                           {account, r.id, r.createdAt, r.duration, r.title, r.transcript,
                            SQLValue::from(r.destinoID), SQLValue::from(r.language), rawValue(r.status),
                            SQLValue::from(r.claimedBy), SQLValue::from(r.claimedAt), SQLValue::from(r.result),
                            SQLValue::from(r.resolvedAt), copy.updatedAt}));
    }
    for (const std::string& id : request.deletions)
        QUARO_TRY(m_db.run("DELETE FROM recado WHERE account_id = ? AND id = ?", {account, id}));
    // A sync that leaves the account past its quota is undone whole. Its
    // deletions count first, so deleting recados lets a full account go on.
    if (!request.recados.empty()) {
        QUARO_TRY_LET(usage, m_db.query("SELECT recados, bytes FROM account WHERE id = ?", {account}));
        if (usage->empty() || usage->front().integer("recados").value_or(0) > request.accountRecados ||
            usage->front().integer("bytes").value_or(0) > request.accountBytes)
            return SyncOutcome{.accountFull = true};
    }

    SyncOutcome reply;
    reply.created = created;
    reply.cursor = (*found)->seq;
    // A cursor from beyond this account's history (a server restored from
    // an older copy) gets every change again rather than none.
    const std::int64_t since = request.cursor > reply.cursor ? 0 : request.cursor;
    QUARO_TRY_LET(changes, m_db.query("SELECT * FROM recado WHERE account_id = ? AND remote_seq > ?"
                                      " ORDER BY remote_seq LIMIT " + std::to_string(changesPerReply),
                                      {account, since}));
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
