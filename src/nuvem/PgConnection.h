#pragma once

#include "core/DatabaseError.h"
#include "core/Result.h"
#include "core/SQLValue.h"
#include "core/SqlConnection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;

namespace quaro::nuvem {

// One libpq connection, move-only, closed when it goes away. Statements take
// positional parameters (?1 or $1, ?2 or $2, ...) as SQLValues and give rows whose
// columns are typed like SQLite's: float8 as real, int2/4/8 as integer,
// NULL as null, everything else as text. Connecting, statements, lock waits
// and open transactions all have time limits, so a stalled database fails
// requests instead of holding them. One thread at a time.
class PgConnection final : public SqlConnection {
public:
    // `conninfo` is a libpq connection string or URL.
    static Result<PgConnection, DatabaseError> open(const std::string& conninfo);

    PgConnection(PgConnection&&) noexcept = default;
    PgConnection& operator=(PgConnection&&) noexcept = default;
    ~PgConnection() override;

    SqlDialect dialect() const override { return SqlDialect::postgres; }

    // After the server went away (a restart, a fail-over), connects again;
    // what was running then has failed and is not repeated.
    void reconnectIfBroken();
    bool broken() const;

    // Statements go through SqlConnection, whose defaults they take.
    Result<void, DatabaseError> execute(const std::string& sql) override;
    Result<std::int64_t, DatabaseError> run(std::string_view sql, const std::vector<SQLValue>& parameters) override;
    Result<std::vector<SQLRow>, DatabaseError> query(std::string_view sql,
                                                     const std::vector<SQLValue>& parameters) override;

private:
    struct Closer {
        void operator()(pg_conn* connection) const;
    };
    explicit PgConnection(pg_conn* connection) : m_connection(connection) {}

    std::unique_ptr<pg_conn, Closer> m_connection;
};

} // namespace quaro::nuvem
