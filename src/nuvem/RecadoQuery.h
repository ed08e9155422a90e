#pragma once

#include "core/Destino.h"
#include "core/Recado.h"
#include "core/RecadoStatus.h"
#include "core/SQLValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quaro::nuvem {

// The two databases an account's copy can live in differ, for the remote
// tools, only in how parameters are numbered ("?1" or "$1") and in which
// LIKE ignores the case of letters; the queries are written once here.
enum class SqlDialect { sqlite, postgres };

struct SqlQuery {
    std::string sql;
    std::vector<SQLValue> parameters;
};

// An account's recados, newest first, as the desktop lists them: a blank
// search is none, and LIKE's wildcards stay wildcards.
SqlQuery recadoListing(SqlDialect dialect, std::int64_t account, std::optional<RecadoStatus> status,
                       const std::optional<std::string>& destinoID, const std::optional<std::string>& search,
                       std::int64_t limit);

std::vector<Recado> recadosFrom(const std::vector<SQLRow>& rows);
std::vector<Destino> destinosFrom(const std::vector<SQLRow>& rows);

} // namespace quaro::nuvem
