#include "nuvem/PgStorage.h"

#include "core/QuaroStore.h"
#include "core/RecadoStatus.h"
#include "nuvem/DestinoList.h"
#include "nuvem/PgToolStore.h"
#include "nuvem/Transaction.h"

#include <unordered_set>
#include <utility>

namespace quaro::nuvem {
namespace {

// Created under an advisory lock: instances starting together on an empty
// database would otherwise race on the catalogue.
constexpr const char* schema = R"(
SELECT pg_advisory_lock(7007);
CREATE TABLE IF NOT EXISTS account(
  id BIGSERIAL PRIMARY KEY,
  secret_sha256 TEXT NOT NULL UNIQUE,
  created_at DOUBLE PRECISION NOT NULL,
  seq BIGINT NOT NULL DEFAULT 0,
  recados BIGINT NOT NULL DEFAULT 0,
  bytes BIGINT NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS destino(
  account_id BIGINT NOT NULL REFERENCES account(id) ON DELETE CASCADE,
  id TEXT NOT NULL, name TEXT NOT NULL, instruction TEXT NOT NULL, color TEXT NOT NULL, sort BIGINT NOT NULL,
  PRIMARY KEY(account_id, id));
CREATE TABLE IF NOT EXISTS recado(
  account_id BIGINT NOT NULL REFERENCES account(id) ON DELETE CASCADE,
  id TEXT NOT NULL, created_at DOUBLE PRECISION NOT NULL, duration DOUBLE PRECISION NOT NULL,
  title TEXT NOT NULL, transcript TEXT NOT NULL, destino_id TEXT, language TEXT,
  status TEXT NOT NULL, claimed_by TEXT, claimed_at DOUBLE PRECISION, result TEXT, resolved_at DOUBLE PRECISION,
  updated_at DOUBLE PRECISION NOT NULL,
  remote_seq BIGINT NOT NULL DEFAULT 0,
  PRIMARY KEY(account_id, id));
CREATE INDEX IF NOT EXISTS recado_by_created ON recado(account_id, created_at);
CREATE INDEX IF NOT EXISTS recado_by_change ON recado(account_id, remote_seq) WHERE remote_seq > 0;
CREATE TABLE IF NOT EXISTS revoked(
  secret_sha256 TEXT PRIMARY KEY,
  revoked_at DOUBLE PRECISION NOT NULL);
-- The account's recados and their bytes, kept by every write to its recados
-- (syncs and remote tools alike) in the same transaction, so that the quota
-- check costs one row however large the account is. Databases made before
-- get the counts once.
DO $$ BEGIN
  IF NOT EXISTS (SELECT 1 FROM information_schema.columns WHERE table_schema = current_schema()
                 AND table_name = 'account' AND column_name = 'recados') THEN
    ALTER TABLE account ADD COLUMN recados BIGINT NOT NULL DEFAULT 0, ADD COLUMN bytes BIGINT NOT NULL DEFAULT 0;
    UPDATE account SET recados = (SELECT COUNT(*) FROM recado WHERE account_id = account.id),
      bytes = (SELECT COALESCE(SUM(OCTET_LENGTH(title) + OCTET_LENGTH(transcript) + COALESCE(OCTET_LENGTH(result), 0)), 0)
               FROM recado WHERE account_id = account.id);
  END IF;
END $$;
CREATE OR REPLACE FUNCTION recado_bytes(r recado) RETURNS BIGINT LANGUAGE sql IMMUTABLE AS
  'SELECT OCTET_LENGTH(r.title) + OCTET_LENGTH(r.transcript) + COALESCE(OCTET_LENGTH(r.result), 0)';
CREATE OR REPLACE FUNCTION recado_count() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF TG_OP = 'INSERT' THEN
    UPDATE account SET recados = recados + 1, bytes = bytes + recado_bytes(NEW) WHERE id = NEW.account_id;
  ELSIF TG_OP = 'DELETE' THEN
    UPDATE account SET recados = recados - 1, bytes = bytes - recado_bytes(OLD) WHERE id = OLD.account_id;
  ELSIF recado_bytes(NEW) <> recado_bytes(OLD) THEN
    UPDATE account SET bytes = bytes + recado_bytes(NEW) - recado_bytes(OLD) WHERE id = NEW.account_id;
  END IF;
  RETURN NULL;
END $$;
CREATE OR REPLACE TRIGGER recado_counted AFTER INSERT OR DELETE OR UPDATE OF title, transcript, result ON recado
  FOR EACH ROW EXECUTE FUNCTION recado_count();
SELECT pg_advisory_unlock(7007);
)";

// The same rule as the embedded storage: content follows the desktop, the
// status fields only when the upload is newer, withdrawing a remote change.
// Rows go in batches, one round trip each: a sync of a few dozen recados
// otherwise spends its time waiting on the network, not the server.
constexpr std::size_t rowsPerBatch = 64;
constexpr const char* insertRecados =
    "INSERT INTO recado AS r (account_id, id, created_at, duration, title, transcript, destino_id, language, "
    "status, claimed_by, claimed_at, result, resolved_at, updated_at) VALUES ";
constexpr const char* onConflict =
    " ON CONFLICT (account_id, id) DO UPDATE SET created_at = excluded.created_at, duration = excluded.duration, "
    "title = excluded.title, transcript = excluded.transcript, destino_id = excluded.destino_id, "
    "language = excluded.language, "
    "status = CASE WHEN excluded.updated_at > r.updated_at THEN excluded.status ELSE r.status END, "
    "claimed_by = CASE WHEN excluded.updated_at > r.updated_at THEN excluded.claimed_by ELSE r.claimed_by END, "
    "claimed_at = CASE WHEN excluded.updated_at > r.updated_at THEN excluded.claimed_at ELSE r.claimed_at END, "
    "result = CASE WHEN excluded.updated_at > r.updated_at THEN excluded.result ELSE r.result END, "
    "resolved_at = CASE WHEN excluded.updated_at > r.updated_at THEN excluded.resolved_at ELSE r.resolved_at END, "
    "remote_seq = CASE WHEN excluded.updated_at > r.updated_at THEN 0 ELSE r.remote_seq END, "
    "updated_at = GREATEST(excluded.updated_at, r.updated_at) "
    // An unchanged row is not written again.
    "WHERE excluded.updated_at > r.updated_at OR excluded.created_at IS DISTINCT FROM r.created_at OR "
    "excluded.duration IS DISTINCT FROM r.duration OR excluded.title IS DISTINCT FROM r.title OR "
    "excluded.transcript IS DISTINCT FROM r.transcript OR excluded.destino_id IS DISTINCT FROM r.destino_id OR "
    "excluded.language IS DISTINCT FROM r.language";

// Upserts the recados in order. A batch never holds one id twice (the
// statement could not update a row twice): a repeated id starts a new batch,
// so the later copy is applied after the earlier, as one by one.
Result<void, DatabaseError> upsertRecados(PgConnection& db, std::int64_t account, const std::vector<RecadoCopy>& copies)
{
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
        if (ids.size() == rowsPerBatch || ids.count(r.id) > 0) {
            if (auto flushed = flush(); !flushed)
                return flushed;
        }
        ids.insert(r.id);
        // Names the parameter just added.
        const auto p = [&](const char* cast = "") { return "$" + std::to_string(parameters.size()) + cast; };
        sql += sql.empty() ? insertRecados : ", ";
        sql += "(";
        parameters.emplace_back(account);
        sql += p("::bigint") + ", ";
        const std::vector<std::pair<SQLValue, const char*>> row{
            {r.id, ""}, {r.createdAt, "::float8"}, {r.duration, "::float8"}, {r.title, ""}, {r.transcript, ""},
            {SQLValue::from(r.destinoID), ""}, {SQLValue::from(r.language), ""}, {rawValue(r.status), ""},
            {SQLValue::from(r.claimedBy), ""}, {SQLValue::from(r.claimedAt), "::float8"},
            {SQLValue::from(r.result), ""}, {SQLValue::from(r.resolvedAt), "::float8"}, {copy.updatedAt, "::float8"}};
        for (std::size_t i = 0; i < row.size(); ++i) {
            parameters.push_back(row[i].first);
            sql += p(row[i].second);
            sql += i + 1 < row.size() ? ", " : ")";
        }
    }
    return flush();
}

} // namespace

Result<std::unique_ptr<PgStorage>, DatabaseError> PgStorage::open(const std::string& conninfo, unsigned connections,
                                                                  std::chrono::milliseconds poolWait)
{
    std::unique_ptr<PgStorage> storage(new PgStorage());
    storage->m_poolWait = poolWait;
    for (unsigned i = 0; i < std::max(1u, connections); ++i) {
        auto connection = PgConnection::open(conninfo);
        if (!connection)
            return Failure{connection.error()};
        if (i == 0) {
            if (auto created = connection->execute(schema); !created)
                return Failure{created.error()};
        }
        storage->m_idle.push_back(std::move(connection).value());
    }
    return storage;
}

Result<PgStorage::Lease, DatabaseError> PgStorage::lease()
{
    std::unique_lock guard(m_lock);
    if (!m_returned.wait_for(guard, m_poolWait, [this] { return !m_idle.empty(); }))
        return Failure{DatabaseError::query("nenhuma conexão livre com o PostgreSQL")};
    Lease leased(*this, std::move(m_idle.back()));
    m_idle.pop_back();
    guard.unlock();
    leased->reconnectIfBroken();
    if (leased->broken())
        return Failure{DatabaseError::open("sem conexão com o PostgreSQL")};
    return leased;
}

PgStorage::Lease::~Lease()
{
    if (!m_storage)
        return;
    {
        std::lock_guard guard(m_storage->m_lock);
        m_storage->m_idle.push_back(std::move(m_connection));
    }
    m_storage->m_returned.notify_one();
}

Result<void, DatabaseError> PgStorage::ready()
{
    QUARO_TRY_LET(db, lease());
    QUARO_TRY((**db).query("SELECT 1"));
    return {};
}

Result<std::optional<std::int64_t>, DatabaseError> PgStorage::account(const SecretHash& secret)
{
    QUARO_TRY_LET(leased, lease());
    PgConnection& db = **leased;
    auto rows = db.query("SELECT id, secret_sha256 FROM account WHERE secret_sha256 = $1", {secret.hex()});
    if (!rows)
        return Failure{rows.error()};
    if (rows->empty() || !secret.matches(rows->front().string("secret_sha256").value_or("")))
        return std::optional<std::int64_t>();
    return rows->front().integer("id");
}

Result<SyncOutcome, DatabaseError> PgStorage::sync(const SecretHash& secret, const SyncOrder& request)
{
    QUARO_TRY_LET(leased, lease());
    PgConnection& db = **leased;
    QUARO_TRY_LET(transaction, Transaction<PgConnection>::begin(db));
    QUARO_TRY_LET(revoked, db.query("SELECT 1 FROM revoked WHERE secret_sha256 = $1", {secret.hex()}));
    if (!revoked->empty())
        return SyncOutcome{.revoked = true};
    QUARO_TRY_LET(reply, applySync(db, secret, request));
    if (reply->accountFull)
        return std::move(*reply); // rolled back as the transaction goes
    QUARO_TRY(transaction->commit());
    return std::move(*reply);
}

Result<SyncOutcome, DatabaseError> PgStorage::applySync(PgConnection& db, const SecretHash& secret,
                                                        const SyncOrder& request)
{
    Result<std::int64_t, DatabaseError> created = 0;
    if (request.mayCreateAccount)
        created = db.run("INSERT INTO account(secret_sha256, created_at) VALUES ($1, $2) "
                         "ON CONFLICT (secret_sha256) DO NOTHING",
                         {secret.hex(), currentTimestamp()});
    if (!created)
        return Failure{created.error()};
    auto found = db.query("SELECT id, seq, secret_sha256 FROM account WHERE secret_sha256 = $1 FOR UPDATE",
                          {secret.hex()});
    if (!found)
        return Failure{found.error()};
    if (found->empty() && !request.mayCreateAccount)
        return SyncOutcome{.accountRefused = true};
    if (found->empty() || !secret.matches(found->front().string("secret_sha256").value_or("")))
        return Failure{DatabaseError::query("conta não encontrada")};
    const std::int64_t account = found->front().integer("id").value_or(0);

    const auto wanted = destinosById(request.destinos);
    QUARO_TRY_LET(stored, db.query("SELECT id, name, instruction, color, sort FROM destino WHERE account_id = $1",
                                   {account}));
    if (!sameDestinos(*stored, wanted)) {
        QUARO_TRY(db.run("DELETE FROM destino WHERE account_id = $1", {account}));
        for (const auto& [id, d] : wanted) {
            QUARO_TRY(db.run("INSERT INTO destino(account_id, id, name, instruction, color, sort) "
                             "VALUES ($1, $2, $3, $4, $5, $6)",
                             {account, id, d->name, d->instruction, d->colorHex, d->sort}));
        }
    }
    if (auto saved = upsertRecados(db, account, request.recados); !saved)
        return Failure{saved.error()};
    for (const std::string& id : request.deletions) {
        if (auto deleted = db.run("DELETE FROM recado WHERE account_id = $1 AND id = $2", {account, id}); !deleted)
            return Failure{deleted.error()};
    }
    // A sync that leaves the account past its quota is undone whole. Its
    // deletions count first, so deleting recados lets a full account go on.
    if (!request.recados.empty()) {
        QUARO_TRY_LET(usage, db.query("SELECT recados, bytes FROM account WHERE id = $1", {account}));
        if (usage->empty() || usage->front().integer("recados").value_or(0) > request.accountRecados ||
            usage->front().integer("bytes").value_or(0) > request.accountBytes)
            return SyncOutcome{.accountFull = true};
    }

    SyncOutcome reply;
    reply.created = *created > 0;
    reply.cursor = found->front().integer("seq").value_or(0);
    // A cursor from beyond this account's history gets every change again.
    const std::int64_t since = request.cursor > reply.cursor ? 0 : request.cursor;
    auto changes = db.query("SELECT * FROM recado WHERE account_id = $1 AND remote_seq > $2"
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

Result<bool, DatabaseError> PgStorage::deleteAccount(const SecretHash& secret)
{
    QUARO_TRY_LET(leased, lease());
    PgConnection& db = **leased;
    QUARO_TRY_LET(transaction, Transaction<PgConnection>::begin(db));
    QUARO_TRY(db.run("INSERT INTO revoked(secret_sha256, revoked_at) VALUES ($1, $2) ON CONFLICT DO NOTHING",
                      {secret.hex(), currentTimestamp()}));
    QUARO_TRY_LET(deleted, db.run("DELETE FROM account WHERE secret_sha256 = $1", {secret.hex()}));
    QUARO_TRY(transaction->commit());
    return *deleted > 0;
}

std::unique_ptr<mcp::ToolStore> PgStorage::tools(std::int64_t account)
{
    return std::make_unique<PgToolStore>(*this, account);
}

} // namespace quaro::nuvem
