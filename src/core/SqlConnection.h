#pragma once

#include "core/DatabaseError.h"
#include "core/Result.h"
#include "core/SQLValue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// The databases a recado table lives in: the desktop's SQLite, the
// server's SQLite or PostgreSQL.
enum class SqlDialect { sqlite, postgres };

// One connection to one of them, as the code written once for both sees
// it. Statements number their parameters ?1, ?2, ... on every backend (the
// i-th value binds to ?i); values and columns are typed like SQLite's.
class SqlConnection {
public:
    virtual ~SqlConnection() = default;

    virtual SqlDialect dialect() const = 0;
    // Runs a script of one or more statements, no parameters, no results.
    virtual Result<void, DatabaseError> execute(const std::string& sql) = 0;
    // Runs one statement and gives the number of rows it changed.
    virtual Result<std::int64_t, DatabaseError> run(std::string_view sql,
                                                    const std::vector<SQLValue>& parameters = {}) = 0;
    // Runs one statement and gives every row it returned, in order.
    virtual Result<std::vector<SQLRow>, DatabaseError> query(std::string_view sql,
                                                             const std::vector<SQLValue>& parameters = {}) = 0;

protected:
    SqlConnection() = default;
    SqlConnection(const SqlConnection&) = default;
    SqlConnection& operator=(const SqlConnection&) = default;
    SqlConnection(SqlConnection&&) = default;
    SqlConnection& operator=(SqlConnection&&) = default;
};

} // namespace quaro
