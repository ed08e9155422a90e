#include "core/RecadoQuery.h"

#include "core/QuaroStore.h"
#include "core/QuaroText.h"

namespace quaro {

SqlQuery recadoListing(SqlDialect dialect, std::optional<RecadoStatus> status,
                       const std::optional<std::string>& destinoID, const std::optional<std::string>& search,
                       std::int64_t limit, const std::optional<std::pair<const char*, SQLValue>>& scope)
{
    SqlQuery query;
    std::string where;
    const auto bind = [&](SQLValue value) {
        query.parameters.push_back(std::move(value));
        return "?" + std::to_string(query.parameters.size());
    };
    const auto add = [&](const std::string& condition) {
        where += (where.empty() ? " WHERE " : " AND ") + condition;
    };
    if (scope)
        add(std::string(scope->first) + " = " + bind(scope->second));
    if (status)
        add("status = " + bind(std::string(rawValue(*status))));
    if (destinoID)
        add("destino_id = " + bind(*destinoID));
    if (search && !QuaroText::trimmingWhitespace(*search).empty()) {
        // SQLite's LIKE ignores the case of ASCII letters; ILIKE is
        // PostgreSQL's nearest.
        const std::string like = dialect == SqlDialect::postgres ? " ILIKE " : " LIKE ";
        const std::string pattern = bind("%" + *search + "%");
        add("(transcript" + like + pattern + " OR title" + like + pattern + " OR COALESCE(result, '')" + like +
            pattern + ")");
    }
    query.sql = "SELECT * FROM recado" + where + " ORDER BY created_at DESC LIMIT " + bind(limit);
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

} // namespace quaro
