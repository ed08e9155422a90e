#include "nuvem/RecadoQuery.h"

#include "core/QuaroStore.h"
#include "core/QuaroText.h"

namespace quaro::nuvem {

SqlQuery recadoListing(SqlDialect dialect, std::int64_t account, std::optional<RecadoStatus> status,
                       const std::optional<std::string>& destinoID, const std::optional<std::string>& search,
                       std::int64_t limit)
{
    SqlQuery query;
    const auto bind = [&](SQLValue value) {
        query.parameters.push_back(std::move(value));
        const std::string number = std::to_string(query.parameters.size());
        return (dialect == SqlDialect::postgres ? "$" : "?") + number;
    };
    query.sql = "SELECT * FROM recado WHERE account_id = " + bind(account);
    if (status)
        query.sql += " AND status = " + bind(std::string(rawValue(*status)));
    if (destinoID)
        query.sql += " AND destino_id = " + bind(*destinoID);
    if (search && !QuaroText::trimmingWhitespace(*search).empty()) {
        // SQLite's LIKE ignores the case of ASCII letters; ILIKE is
        // PostgreSQL's nearest.
        const std::string like = dialect == SqlDialect::postgres ? " ILIKE " : " LIKE ";
        const std::string pattern = bind("%" + *search + "%");
        query.sql += " AND (transcript" + like + pattern + " OR title" + like + pattern + " OR COALESCE(result, '')" +
                     like + pattern + ")";
    }
    query.sql += " ORDER BY created_at DESC LIMIT " + bind(limit);
    return query;
}

std::vector<Recado> recadosFrom(const std::vector<SQLRow>& rows)
{
    std::vector<Recado> list;
    list.reserve(rows.size());
    for (const SQLRow& row : rows)
        list.push_back(QuaroStore::recado(row));
    return list;
}

std::vector<Destino> destinosFrom(const std::vector<SQLRow>& rows)
{
    std::vector<Destino> list;
    list.reserve(rows.size());
    for (const SQLRow& row : rows)
        list.push_back(QuaroStore::destino(row));
    return list;
}

} // namespace quaro::nuvem
