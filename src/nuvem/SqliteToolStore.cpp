#include "nuvem/SqliteToolStore.h"

#include "core/QuaroStore.h"
#include "core/RecadoQuery.h"
#include "core/RecadoStatusSet.h"
#include "nuvem/SqliteStorage.h"
#include "nuvem/Transaction.h"

#include <mutex>

namespace quaro::nuvem {

Result<std::vector<Destino>, DatabaseError> SqliteToolStore::destinos()
{
    std::lock_guard guard(m_storage.lock());
    auto rows = m_storage.database().query("SELECT * FROM destino WHERE account_id = ? ORDER BY sort, name",
                                           {m_account});
    if (!rows)
        return Failure{rows.error()};
    return destinosFrom(*rows);
}

Result<std::vector<Recado>, DatabaseError> SqliteToolStore::recados(std::optional<RecadoStatus> status,
                                                                    const std::optional<std::string>& destinoID,
                                                                    const std::optional<std::string>& search,
                                                                    std::int64_t limit)
{
    const SqlQuery query =
        recadoListing(SqlDialect::sqlite, status, destinoID, search, limit, std::pair("account_id", m_account));
    std::lock_guard guard(m_storage.lock());
    auto rows = m_storage.database().query(query.sql, query.parameters);
    if (!rows)
        return Failure{rows.error()};
    return recadosFrom(*rows);
}

Result<std::optional<Recado>, DatabaseError> SqliteToolStore::readRecado(const std::string& id)
{
    auto rows = m_storage.database().query("SELECT * FROM recado WHERE account_id = ? AND id = ?", {m_account, id});
    if (!rows)
        return Failure{rows.error()};
    if (rows->empty())
        return std::optional<Recado>();
    return std::optional<Recado>(QuaroStore::recado(rows->front()));
}

Result<std::optional<Recado>, DatabaseError> SqliteToolStore::recado(const std::string& id)
{
    std::lock_guard guard(m_storage.lock());
    return readRecado(id);
}

Result<std::optional<Recado>, DatabaseError> SqliteToolStore::change(const std::string& id, const std::string& update,
                                                                     std::vector<SQLValue> parameters)
{
    Database& db = m_storage.database();
    std::lock_guard guard(m_storage.lock());
    QUARO_TRY_LET(transaction, Transaction<Database>::begin(db, "BEGIN IMMEDIATE"));
    QUARO_TRY(db.run("UPDATE account SET seq = seq + 1 WHERE id = ?", {m_account}));
    parameters.emplace_back(m_account);
    parameters.emplace_back(id);
    QUARO_TRY_LET(changed, db.run(update, parameters));
    if (*changed == 0)
        return std::optional<Recado>();
    QUARO_TRY_LET(updated, readRecado(id));
    QUARO_TRY(transaction->commit());
    return *updated;
}

// The change is stamped at least a millisecond after what it overwrites, so
// that it wins on the desktop even when this server's clock runs behind.
#define QUARO_REMOTE_STAMP                                                                                         \
    "updated_at = MAX(?, updated_at + 0.001), remote_seq = (SELECT seq FROM account WHERE id = recado.account_id) "

Result<std::optional<Recado>, DatabaseError> SqliteToolStore::claim(const std::string& id, const std::string& by)
{
    const Timestamp now = currentTimestamp();
    return change(id,
                  "UPDATE recado SET status = 'pego', claimed_by = ?, claimed_at = ?, " QUARO_REMOTE_STAMP
                  "WHERE account_id = ? AND id = ? AND status IN " +
                      claimableStatuses.sqlList(),
                  {by, now, now});
}

Result<std::optional<Recado>, DatabaseError> SqliteToolStore::resolve(const std::string& id, const std::string& result,
                                                                      const std::optional<std::string>& by)
{
    const Timestamp now = currentTimestamp();
    return change(id,
                  "UPDATE recado SET status = 'resolvido', result = ?, resolved_at = ?, "
                  "claimed_by = COALESCE(?, claimed_by), claimed_at = COALESCE(claimed_at, ?), " QUARO_REMOTE_STAMP
                  "WHERE account_id = ? AND id = ? AND status IN " +
                      resolvableStatuses.sqlList(),
                  {result, now, SQLValue::from(by), now, now});
}

#undef QUARO_REMOTE_STAMP

} // namespace quaro::nuvem
