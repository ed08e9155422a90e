#include "nuvem/AccountStorage.h"

#include "core/QuaroStore.h"
#include "core/RecadoStatus.h"
#include "core/Transaction.h"
#include "nuvem/AccountTools.h"
#include "nuvem/DestinoList.h"

#include <string_view>
#include <unordered_set>
#include <utility>

namespace quaro::nuvem {
namespace {

struct Account {
    std::int64_t id = 0;
    std::int64_t seq = 0;
};

// The secret's account. Inside a sync its row stays locked on PostgreSQL
// until the transaction ends, so that instances sharing the database apply
// one account's syncs and remote changes one after another (the embedded
// storage has one writer anyway).
Result<std::optional<Account>, DatabaseError> findAccount(SqlConnection& db, const SecretHash& secret, bool lock)
{
    const bool locked = lock && db.dialect() == SqlDialect::postgres;
    const auto rows = QUARO_TRY(db.query(locked ? "SELECT id, secret_sha256, seq FROM account WHERE secret_sha256 = ?1 FOR UPDATE"
                                                : "SELECT id, secret_sha256, seq FROM account WHERE secret_sha256 = ?1",
                                         {secret.hex()}));
    // The lookup is by hash; the comparison of what came back runs in
    // constant time all the same.
    if (rows.empty() || !secret.matches(rows.front().string("secret_sha256").value_or("")))
        return std::optional<Account>();
    return std::optional<Account>(
        Account{rows.front().integer("id").value_or(0), rows.front().integer("seq").value_or(0)});
}

Result<void, DatabaseError> replaceDestinos(SqlConnection& db, std::int64_t account, const std::vector<Destino>& destinos)
{
    const auto wanted = destinosById(destinos);
    const auto stored =
        QUARO_TRY(db.query("SELECT id, name, instruction, color, sort FROM destino WHERE account_id = ?1", {account}));
    if (sameDestinos(stored, wanted))
        return {};
    QUARO_TRY(db.run("DELETE FROM destino WHERE account_id = ?1", {account}));
    for (const auto& [id, d] : wanted) {
        QUARO_TRY(db.run("INSERT INTO destino(account_id, id, name, instruction, color, sort) "
                         "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                         {account, id, d->name, d->instruction, d->colorHex, d->sort}));
    }
    return {};
}

// Content always follows the desktop; the status fields only when the
// upload is newer, and then any remote change it overrides is withdrawn.
#define QUARO_IF_NEWER(field) \
    field " = CASE WHEN excluded.updated_at > r.updated_at THEN excluded." field " ELSE r." field " END, "
constexpr const char* insertRecados =
    "INSERT INTO recado AS r (account_id, id, created_at, duration, title, transcript, destino_id, language, "
    "status, claimed_by, claimed_at, result, resolved_at, updated_at) VALUES ";
constexpr const char* onConflict =
    " ON CONFLICT (account_id, id) DO UPDATE SET created_at = excluded.created_at, duration = excluded.duration, "
    "title = excluded.title, transcript = excluded.transcript, destino_id = excluded.destino_id, "
    "language = excluded.language, " QUARO_IF_NEWER("status") QUARO_IF_NEWER("claimed_by")
    QUARO_IF_NEWER("claimed_at") QUARO_IF_NEWER("result") QUARO_IF_NEWER("resolved_at")
    "remote_seq = CASE WHEN excluded.updated_at > r.updated_at THEN 0 ELSE r.remote_seq END, "
    "updated_at = CASE WHEN excluded.updated_at > r.updated_at THEN excluded.updated_at ELSE r.updated_at END "
    // A row that would stay as it is is not written: desktops resend what
    // the server already has, and an unchanged sync then costs no write.
    "WHERE excluded.updated_at > r.updated_at OR excluded.created_at IS DISTINCT FROM r.created_at OR "
    "excluded.duration IS DISTINCT FROM r.duration OR excluded.title IS DISTINCT FROM r.title OR "
    "excluded.transcript IS DISTINCT FROM r.transcript OR excluded.destino_id IS DISTINCT FROM r.destino_id OR "
    "excluded.language IS DISTINCT FROM r.language";
#undef QUARO_IF_NEWER

// Upserts the recados in order. PostgreSQL takes them in batches, one round
// trip each: a sync of a few dozen recados otherwise spends its time waiting
// on the network, not the server. SQLite, in this process, runs its one
// prepared statement per row. A batch never holds one id twice (the
// statement could not update a row twice): a repeated id starts a new batch,
// so the later copy is applied after the earlier, as one by one.
Result<void, DatabaseError> upsertRecados(SqlConnection& db, std::int64_t account, const std::vector<RecadoCopy>& copies)
{
    const bool postgres = db.dialect() == SqlDialect::postgres;
    const std::size_t rowsPerBatch = postgres ? 64 : 1;
    std::string sql;
    std::vector<SQLValue> parameters;
    std::unordered_set<std::string> ids;
    const auto flush = [&]() -> Result<void, DatabaseError> {
        if (parameters.empty())
            return {};
        auto saved = db.run(sql + onConflict, parameters);
        sql.clear();
        parameters.clear();
        ids.clear();
        if (!saved)
            return Failure{saved.error()};
        return {};
    };
    for (const RecadoCopy& copy : copies) {
        const Recado& r = copy.recado;
        if (ids.size() == rowsPerBatch || ids.count(r.id) > 0)
            QUARO_TRY(flush());
        ids.insert(r.id);
        // Adds a parameter and names it; PostgreSQL gets the type, which
        // it cannot tell from a row of VALUES.
        const auto p = [&](SQLValue value, const char* type = "") {
            parameters.push_back(std::move(value));
            return "?" + std::to_string(parameters.size()) + (postgres ? type : "");
        };
        sql += sql.empty() ? insertRecados : ", ";
        sql += "(" + p(account, "::bigint") + ", " + p(r.id) + ", " + p(r.createdAt, "::float8") + ", " +
               p(r.duration, "::float8") + ", " + p(r.title) + ", " + p(r.transcript) + ", " +
               p(SQLValue::from(r.destinoID)) + ", " + p(SQLValue::from(r.language)) + ", " +
               p(std::string(rawValue(r.status))) + ", " + p(SQLValue::from(r.claimedBy)) + ", " +
               p(SQLValue::from(r.claimedAt), "::float8") + ", " + p(SQLValue::from(r.result)) + ", " +
               p(SQLValue::from(r.resolvedAt), "::float8") + ", " + p(copy.updatedAt, "::float8") + ")";
    }
    return flush();
}

// The tables as SQLite names their types; PostgreSQL gets its own names.
constexpr const char* tablesSql = R"(
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
)";

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

} // namespace

std::string AccountStorage::tables(SqlDialect dialect)
{
    std::string sql = tablesSql;
    if (dialect == SqlDialect::postgres) {
        replaceAll(sql, "id INTEGER PRIMARY KEY", "id BIGSERIAL PRIMARY KEY");
        replaceAll(sql, " INTEGER", " BIGINT");
        replaceAll(sql, " REAL", " DOUBLE PRECISION");
    }
    return sql;
}

Result<SyncOutcome, DatabaseError> AccountStorage::sync(const SecretHash& secret, const SyncOrder& request)
{
    auto held = QUARO_TRY(hold());
    SqlConnection& db = *held;
    auto transaction = QUARO_TRY(Transaction::begin(db));
    auto reply = QUARO_TRY(applySync(db, secret, request));
    if (!reply.accountFull) // a refused sync is undone as the transaction goes
        QUARO_TRY(transaction.commit());
    return reply;
}

Result<SyncOutcome, DatabaseError> AccountStorage::applySync(SqlConnection& db, const SecretHash& secret,
                                                             const SyncOrder& request)
{
    auto found = QUARO_TRY(findAccount(db, secret, true));
    bool created = false;
    if (!found) {
        // A live account's secret is never revoked: deletion removes both at
        // once. Only a secret without one can be.
        if (!QUARO_TRY(db.query("SELECT 1 FROM revoked WHERE secret_sha256 = ?1", {secret.hex()})).empty())
            return SyncOutcome{.revoked = true};
        if (!request.mayCreateAccount)
            return SyncOutcome{.accountRefused = true};
        // Another instance opening the same account now makes this insert
        // wait for it, then do nothing: the account is theirs and ours.
        const auto inserted = QUARO_TRY(db.run("INSERT INTO account(secret_sha256, created_at) VALUES (?1, ?2) "
                                               "ON CONFLICT (secret_sha256) DO NOTHING",
                                               {secret.hex(), currentTimestamp()}));
        created = inserted > 0;
        found = QUARO_TRY(findAccount(db, secret, true));
        if (!found)
            return Failure{DatabaseError::query("conta não encontrada")};
    }
    const std::int64_t account = found->id;

    QUARO_TRY(replaceDestinos(db, account, request.destinos));
    QUARO_TRY(upsertRecados(db, account, request.recados));
    for (const std::string& id : request.deletions)
        QUARO_TRY(db.run("DELETE FROM recado WHERE account_id = ?1 AND id = ?2", {account, id}));
    // A sync that leaves the account past its quota is undone whole. Its
    // deletions count first, so deleting recados lets a full account go on.
    if (!request.recados.empty()) {
        const auto usage = QUARO_TRY(db.query("SELECT recados, bytes FROM account WHERE id = ?1", {account}));
        if (usage.empty() || usage.front().integer("recados").value_or(0) > request.accountRecados ||
            usage.front().integer("bytes").value_or(0) > request.accountBytes)
            return SyncOutcome{.accountFull = true};
    }

    SyncOutcome reply;
    reply.created = created;
    reply.cursor = found->seq;
    // A cursor from beyond this account's history (a server restored from
    // an older copy) gets every change again rather than none.
    const std::int64_t since = request.cursor > reply.cursor ? 0 : request.cursor;
    const auto changes = QUARO_TRY(db.query("SELECT * FROM recado WHERE account_id = ?1 AND remote_seq > ?2"
                                            " ORDER BY remote_seq LIMIT " + std::to_string(changesPerReply),
                                            {account, since}));
    for (const SQLRow& row : changes)
        reply.changes.push_back({QuaroStore::recado(row), row.real("updated_at").value_or(0)});
    // A full page: the cursor stops after its last change, and the next
    // sync brings the rest.
    if (reply.changes.size() == changesPerReply)
        reply.cursor = changes.back().integer("remote_seq").value_or(reply.cursor);
    return reply;
}

Result<bool, DatabaseError> AccountStorage::deleteAccount(const SecretHash& secret)
{
    auto held = QUARO_TRY(hold());
    SqlConnection& db = *held;
    auto transaction = QUARO_TRY(Transaction::begin(db));
    QUARO_TRY(db.run("INSERT INTO revoked(secret_sha256, revoked_at) VALUES (?1, ?2) ON CONFLICT DO NOTHING",
                     {secret.hex(), currentTimestamp()}));
    const auto deleted = QUARO_TRY(db.run("DELETE FROM account WHERE secret_sha256 = ?1", {secret.hex()}));
    QUARO_TRY(transaction.commit());
    return deleted > 0;
}

Result<std::optional<std::int64_t>, DatabaseError> AccountStorage::account(const SecretHash& secret)
{
    auto held = QUARO_TRY(hold());
    const auto found = QUARO_TRY(findAccount(*held, secret, false));
    if (!found)
        return std::optional<std::int64_t>();
    return std::optional<std::int64_t>(found->id);
}

Result<void, DatabaseError> AccountStorage::ready()
{
    auto held = QUARO_TRY(hold());
    QUARO_TRY(held->query("SELECT 1 FROM account LIMIT 1"));
    return {};
}

std::unique_ptr<mcp::ToolStore> AccountStorage::tools(std::int64_t account)
{
    return std::make_unique<AccountTools>(*this, account);
}

} // namespace quaro::nuvem
