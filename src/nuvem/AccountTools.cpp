#include "nuvem/AccountTools.h"

#include "core/QuaroStore.h"
#include "core/RecadoQuery.h"
#include "core/RecadoStatusSet.h"
#include "core/Transaction.h"
#include "nuvem/AccountStorage.h"

namespace quaro::nuvem {
namespace {

Result<std::optional<Recado>, DatabaseError> readRecado(SqlConnection& db, std::int64_t account, const std::string& id)
{
    const auto rows = QUARO_TRY(db.query("SELECT * FROM recado WHERE account_id = ?1 AND id = ?2", {account, id}));
    if (rows.empty())
        return std::optional<Recado>();
    return std::optional<Recado>(QuaroStore::recado(rows.front()));
}

} // namespace

Result<std::vector<Destino>, DatabaseError> AccountTools::destinos()
{
    auto db = QUARO_TRY(m_storage.hold());
    return destinosFrom(QUARO_TRY(db->query("SELECT * FROM destino WHERE account_id = ?1 ORDER BY sort, name", {m_account})));
}

Result<std::vector<Recado>, DatabaseError> AccountTools::recados(std::optional<RecadoStatus> status,
                                                                 const std::optional<std::string>& destinoID,
                                                                 const std::optional<std::string>& search,
                                                                 std::int64_t limit)
{
    const SqlQuery query =
        recadoListing(m_storage.dialect(), status, destinoID, search, limit, std::pair("account_id", m_account));
    auto db = QUARO_TRY(m_storage.hold());
    return recadosFrom(QUARO_TRY(db->query(query.sql, query.parameters)));
}

Result<std::optional<Recado>, DatabaseError> AccountTools::recado(const std::string& id)
{
    auto db = QUARO_TRY(m_storage.hold());
    return readRecado(*db, m_account, id);
}

Result<std::optional<Recado>, DatabaseError> AccountTools::change(const std::string& id, const std::string& update,
                                                                  std::vector<SQLValue> parameters)
{
    auto held = QUARO_TRY(m_storage.hold());
    SqlConnection& db = *held;
    auto transaction = QUARO_TRY(Transaction::begin(db));
    const auto seq = QUARO_TRY(db.query("UPDATE account SET seq = seq + 1 WHERE id = ?1 RETURNING seq", {m_account}));
    if (seq.empty())
        return std::optional<Recado>();
    parameters.insert(parameters.begin(), {seq.front().integer("seq").value_or(0), m_account, id});
    if (QUARO_TRY(db.run(update, parameters)) == 0)
        return std::optional<Recado>();
    auto updated = QUARO_TRY(readRecado(db, m_account, id));
    QUARO_TRY(transaction.commit());
    return updated;
}

// The change is stamped at least a millisecond after what it overwrites, so
// that it wins on the desktop even when this server's clock runs behind.
#define QUARO_REMOTE_STAMP \
    "updated_at = CASE WHEN ?5 > updated_at + 0.001 THEN ?5 ELSE updated_at + 0.001 END, remote_seq = ?1 "

Result<std::optional<Recado>, DatabaseError> AccountTools::claim(const std::string& id, const std::string& by)
{
    return change(id,
                  "UPDATE recado SET status = 'pego', claimed_by = ?4, claimed_at = ?5, " QUARO_REMOTE_STAMP
                  "WHERE account_id = ?2 AND id = ?3 AND status IN " +
                      claimableStatuses.sqlList(),
                  {by, currentTimestamp()});
}

Result<std::optional<Recado>, DatabaseError> AccountTools::resolve(const std::string& id, const std::string& result,
                                                                   const std::optional<std::string>& by)
{
    return change(id,
                  "UPDATE recado SET status = 'resolvido', result = ?4, resolved_at = ?5, "
                  "claimed_by = COALESCE(?6, claimed_by), claimed_at = COALESCE(claimed_at, ?5), " QUARO_REMOTE_STAMP
                  "WHERE account_id = ?2 AND id = ?3 AND status IN " +
                      resolvableStatuses.sqlList(),
                  {result, currentTimestamp(), SQLValue::from(by)});
}

#undef QUARO_REMOTE_STAMP

} // namespace quaro::nuvem
