#include "nuvem/PgStorage.h"

#include <algorithm>
#include <utility>

namespace quaro::nuvem {
namespace {

// Created under an advisory lock: instances starting together on an empty
// database would otherwise race on the catalogue.
constexpr const char* lockCatalogue = "SELECT pg_advisory_lock(7007);";
constexpr const char* counters = R"(
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

} // namespace

Result<std::unique_ptr<PgStorage>, DatabaseError> PgStorage::open(const std::string& conninfo, unsigned connections,
                                                                  std::chrono::milliseconds poolWait)
{
    std::unique_ptr<PgStorage> storage(new PgStorage());
    storage->m_poolWait = poolWait;
    for (unsigned i = 0; i < std::max(1u, connections); ++i) {
        auto connection = QUARO_TRY(PgConnection::open(conninfo));
        if (i == 0)
            QUARO_TRY(connection.execute(lockCatalogue + tables(SqlDialect::postgres) + counters));
        storage->m_connections.push_back(std::move(connection));
    }
    for (PgConnection& connection : storage->m_connections)
        storage->m_idle.push_back(&connection);
    return storage;
}

Result<AccountStorage::Held, DatabaseError> PgStorage::hold()
{
    std::unique_lock guard(m_lock);
    if (!m_returned.wait_for(guard, m_poolWait, [this] { return !m_idle.empty(); }))
        return Failure{DatabaseError::query("nenhuma conexão livre com o PostgreSQL")};
    PgConnection* connection = m_idle.back();
    m_idle.pop_back();
    guard.unlock();
    Held held(connection, [this, connection](SqlConnection*) {
        {
            std::lock_guard returning(m_lock);
            m_idle.push_back(connection);
        }
        m_returned.notify_one();
    });
    connection->reconnectIfBroken();
    if (connection->broken())
        return Failure{DatabaseError::open("sem conexão com o PostgreSQL")};
    return held;
}

} // namespace quaro::nuvem
