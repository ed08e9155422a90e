#include "nuvem/PgToolStore.h"

#include "core/QuaroStore.h"
#include "core/RecadoQuery.h"
#include "core/RecadoStatusSet.h"
#include "nuvem/PgStorage.h"
#include "nuvem/Transaction.h"

namespace quaro::nuvem {

Result<std::vector<Destino>, DatabaseError> PgToolStore::destinos()
{
    QUARO_TRY_LET(leased, m_storage.lease());
    auto rows = (**leased).query("SELECT * FROM destino WHERE account_id = $1 ORDER BY sort, name", {m_account});
    if (!rows)
        return Failure{rows.error()};
    return destinosFrom(*rows);
}

Result<std::vector<Recado>, DatabaseError> PgToolStore::recados(std::optional<RecadoStatus> status,
                                                                const std::optional<std::string>& destinoID,
                                                                const std::optional<std::string>& search,
                                                                std::int64_t limit)
{
    const SqlQuery query =
        recadoListing(SqlDialect::postgres, status, destinoID, search, limit, std::pair("account_id", m_account));
    QUARO_TRY_LET(leased, m_storage.lease());
    auto rows = (**leased).query(query.sql, query.parameters);
    if (!rows)
        return Failure{rows.error()};
    return recadosFrom(*rows);
}

Result<std::optional<Recado>, DatabaseError> PgToolStore::readRecado(PgConnection& db, const std::string& id)
{
    auto rows = db.query("SELECT * FROM recado WHERE account_id = $1 AND id = $2", {m_account, id});
    if (!rows)
        return Failure{rows.error()};
    if (rows->empty())
        return std::optional<Recado>();
    return std::optional<Recado>(QuaroStore::recado(rows->front()));
}

Result<std::optional<Recado>, DatabaseError> PgToolStore::recado(const std::string& id)
{
    QUARO_TRY_LET(leased, m_storage.lease());
    return readRecado(**leased, id);
}

Result<std::optional<Recado>, DatabaseError> PgToolStore::change(const std::string& id, const std::string& update,
                                                                 std::vector<SQLValue> parameters)
{
    QUARO_TRY_LET(leased, m_storage.lease());
    PgConnection& db = **leased;
    QUARO_TRY_LET(transaction, Transaction<PgConnection>::begin(db));
    QUARO_TRY_LET(seq, db.query("UPDATE account SET seq = seq + 1 WHERE id = $1 RETURNING seq", {m_account}));
    if (seq->empty())
        return std::optional<Recado>();
    parameters.insert(parameters.begin(), {seq->front().integer("seq").value_or(0), m_account, id});
    QUARO_TRY_LET(changed, db.run(update, parameters));
    if (*changed == 0)
        return std::optional<Recado>();
    QUARO_TRY_LET(updated, readRecado(db, id));
    QUARO_TRY(transaction->commit());
    return *updated;
}

Result<std::optional<Recado>, DatabaseError> PgToolStore::claim(const std::string& id, const std::string& by)
{
    const Timestamp now = currentTimestamp();
    // Stamped at least a millisecond after what it overwrites (see the
    // embedded storage).
    return change(id,
                  "UPDATE recado SET status = 'pego', claimed_by = $4, claimed_at = $5, "
                  "updated_at = GREATEST($5, updated_at + 0.001), remote_seq = $1 "
                  "WHERE account_id = $2 AND id = $3 AND status IN " +
                      claimableStatuses.sqlList(),
                  {by, now});
}

Result<std::optional<Recado>, DatabaseError> PgToolStore::resolve(const std::string& id, const std::string& result,
                                                                  const std::optional<std::string>& by)
{
    const Timestamp now = currentTimestamp();
    return change(id,
                  "UPDATE recado SET status = 'resolvido', result = $4, resolved_at = $5, "
                  "claimed_by = COALESCE($6, claimed_by), claimed_at = COALESCE(claimed_at, $5), "
                  "updated_at = GREATEST($5, updated_at + 0.001), remote_seq = $1 "
                  "WHERE account_id = $2 AND id = $3 AND status IN " +
                      resolvableStatuses.sqlList(),
                  {result, now, SQLValue::from(by)});
}

} // namespace quaro::nuvem
