#pragma once

#include "core/DatabaseError.h"
#include "core/Result.h"
#include "core/SQLValue.h"
#include "core/SqlConnection.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace quaro {

// The one connection of this process to the inbox database file. Configured
// for several processes sharing the file (write-ahead log, 4000 ms busy
// timeout, foreign keys on). Any thread may call it: every call runs as one
// block under the connection's lock ("quaro.database") and the caller waits,
// so statements never interleave and an error text belongs to its failure.
// Prepared statements are kept per connection and reused for the same SQL
// text; each is reset after every call, so none holds a read transaction
// between calls and other processes' writes show at the next one.
// Move-only; closing happens when the object goes away.
class Database final : public SqlConnection {
public:
    // Opens or creates the file at `path`. The file and its -wal/-shm
    // companions are readable by their owner only (mode 0600).
    // Fails with DatabaseError::open ("Não abri o banco: ...") or, when a
    // start-up pragma fails, DatabaseError::query.
    static Result<Database, DatabaseError> open(const std::filesystem::path& path);

    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database() override;

    SqlDialect dialect() const override { return SqlDialect::sqlite; }

    // Runs a script of one or more statements, no parameters, no results.
    Result<void, DatabaseError> execute(const std::string& sql) override;
    // Runs the first statement of `sql` once with positional parameters (the
    // i-th value binds to placeholder i+1, "?" or "?i"; missing ones stay
    // NULL) and returns SQLite's change count for the connection.
    Result<std::int64_t, DatabaseError> run(std::string_view sql,
                                            const std::vector<SQLValue>& parameters = {}) override;
    // Runs the first statement of `sql` and returns every row in SQLite's order.
    Result<std::vector<SQLRow>, DatabaseError> query(std::string_view sql,
                                                     const std::vector<SQLValue>& parameters = {}) override;

private:
    struct Connection;
    explicit Database(std::unique_ptr<Connection> connection);
    Result<void, DatabaseError> switchToWriteAheadLog();

    std::unique_ptr<Connection> m_connection;
};

} // namespace quaro
