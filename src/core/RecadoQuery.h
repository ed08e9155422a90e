#pragma once

#include "core/Destino.h"
#include "core/Recado.h"
#include "core/RecadoStatus.h"
#include "core/SQLValue.h"
#include "core/SqlConnection.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quaro {

// The databases a recado table lives in differ, for the listing written
// once here, only in which LIKE ignores the case of letters.
struct SqlQuery {
    std::string sql;
    std::vector<SQLValue> parameters;
};

// The inbox list: recados newest first, at most `limit`, with the status
// and destino given. A blank search is none; otherwise it is matched as
// typed against transcript, title and result, with LIKE's own wildcards.
// `scope`, when given, keeps the rows whose column (a name written into the
// statement, never user input) holds the value: the server keeps every
// account's recados in one table.
SqlQuery recadoListing(SqlDialect dialect, std::optional<RecadoStatus> status,
                       const std::optional<std::string>& destinoID, const std::optional<std::string>& search,
                       std::int64_t limit, const std::optional<std::pair<const char*, SQLValue>>& scope = std::nullopt);

std::vector<Recado> recadosFrom(const std::vector<SQLRow>& rows);
std::vector<Destino> destinosFrom(const std::vector<SQLRow>& rows);

} // namespace quaro
