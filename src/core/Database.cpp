#include "core/Database.h"

#include "core/UniqueFd.h"
#include "core/Utf8.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <fcntl.h>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>

namespace quaro {

namespace {

constexpr int openFlags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX; // 0x10006
constexpr int busyTimeoutMilliseconds = 4000;
constexpr mode_t privateFileMode = 0600;

struct ConnectionCloser {
    void operator()(sqlite3* handle) const { sqlite3_close(handle); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Runs `sql` on the connection; on failure, SQLite's message (its own buffer
// freed on every path) or "desconhecido" when it gave none.
struct ExecOutcome {
    int code;
    std::string message;
};
ExecOutcome exec(sqlite3* connection, const char* sql)
{
    char* raw = nullptr;
    const int code = sqlite3_exec(connection, sql, nullptr, nullptr, &raw);
    const std::unique_ptr<char, decltype(&sqlite3_free)> error(raw, &sqlite3_free);
    return {code, code == SQLITE_OK ? std::string() : std::string(error ? error.get() : "desconhecido")};
}

// Prepared statements are kept per connection, keyed by their SQL text: the
// store's statements are a few dozen fixed texts, and preparing one costs
// more than running it on a small inbox. Past this many the cache starts
// over, so that arbitrary texts cannot make it grow without end.
constexpr std::size_t statementCacheLimit = 64;

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Puts a statement taken from the cache back into its idle state on every
// path: reset (which also ends the read transaction it held, so the
// write-ahead log can be checkpointed and the next call sees other
// processes' writes) and all parameters back to NULL.
struct StatementReset {
    void operator()(sqlite3_stmt* statement) const
    {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
    }
};
using CachedStatement = std::unique_ptr<sqlite3_stmt, StatementReset>;

std::string errorText(sqlite3* handle)
{
    const char* text = handle ? sqlite3_errmsg(handle) : nullptr;
    return text ? text : "desconhecido";
}

bool isFileName(const std::filesystem::path& path)
{
    const std::string& text = path.native();
    return !text.empty() && text != ":memory:" && text.rfind("file:", 0) != 0;
}

// Transcripts are private: the database and its companions are readable by
// their owner only, whatever the umask. SQLite gives a new -wal or -shm file
// the mode of the database file, so creating the database as 0600 ourselves
// covers all three; files left looser by someone else are tightened when
// they are ours.
void makePrivate(const std::string& path, bool create)
{
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), privateFileMode));
    if (!fd)
        return;
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
        (info.st_mode & 07777) != privateFileMode)
        ::fchmod(fd.get(), privateFileMode);
}

} // namespace

struct Database::Connection {
    std::unique_ptr<sqlite3, ConnectionCloser> handle;
    // Declared after the handle: statements are finalised before the
    // connection closes, as SQLite requires.
    std::unordered_map<std::string, Statement, TextHash, std::equal_to<>> statements;
    // The "quaro.database" queue: one call at a time on this connection.
    std::mutex queue;

    Result<CachedStatement, DatabaseError> prepare(std::string_view sql, const std::vector<SQLValue>& parameters);
    Result<sqlite3_stmt*, DatabaseError> cached(std::string_view sql);
};

Database::Database(std::unique_ptr<Connection> connection) : m_connection(std::move(connection)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Result<Database, DatabaseError> Database::open(const std::filesystem::path& path)
{
    const bool onDisk = isFileName(path);
    if (onDisk)
        makePrivate(path.native(), true);

    auto connection = std::make_unique<Connection>();
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, openFlags, nullptr);
    connection->handle.reset(raw);
    if (rc != SQLITE_OK)
        return Failure{DatabaseError::open(errorText(raw))};
    sqlite3_busy_timeout(raw, busyTimeoutMilliseconds);

    Database db(std::move(connection));
    QUARO_TRY(db.switchToWriteAheadLog());
    QUARO_TRY(db.execute("PRAGMA foreign_keys=ON;"));
    if (onDisk) {
        makePrivate(path.native() + "-wal", false);
        makePrivate(path.native() + "-shm", false);
    }
    return db;
}

// Switching a new file to the write-ahead log takes an exclusive lock, and
// when two connections race for it SQLite answers "database is locked" at
// once instead of waiting. Wait here as the busy timeout would, so that the
// application and a server opening a new inbox together both succeed.
Result<void, DatabaseError> Database::switchToWriteAheadLog()
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(busyTimeoutMilliseconds);
    for (;;) {
        ExecOutcome outcome{};
        {
            std::lock_guard lock(m_connection->queue);
            outcome = exec(m_connection->handle.get(), "PRAGMA journal_mode=WAL;");
        }
        if (outcome.code == SQLITE_OK)
            return {};
        if ((outcome.code & 0xFF) != SQLITE_BUSY || steady_clock::now() >= deadline)
            return Failure{DatabaseError::query(std::move(outcome.message))};
        std::this_thread::sleep_for(milliseconds(2));
    }
}

Result<void, DatabaseError> Database::execute(const std::string& sql)
{
    std::lock_guard lock(m_connection->queue);
    ExecOutcome outcome = exec(m_connection->handle.get(), sql.c_str());
    if (outcome.code != SQLITE_OK)
        return Failure{DatabaseError::query(std::move(outcome.message))};
    return {};
}

// The prepared statement for `sql`, from the cache or newly made (nullptr
// when the text holds no statement, only blanks or comments).
Result<sqlite3_stmt*, DatabaseError> Database::Connection::cached(std::string_view sql)
{
    if (const auto found = statements.find(sql); found != statements.end())
        return found->second.get();
    sqlite3* db = handle.get();
    if (sql.size() > static_cast<std::size_t>(INT_MAX))
        return Failure{DatabaseError::query("string or blob too big")};
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(raw);
        return Failure{DatabaseError::query(errorText(db))};
    }
    if (!raw)
        return raw;
    if (statements.size() >= statementCacheLimit)
        statements.clear();
    statements.emplace(std::string(sql), Statement(raw));
    return raw;
}

Result<CachedStatement, DatabaseError> Database::Connection::prepare(std::string_view sql,
                                                                     const std::vector<SQLValue>& parameters)
{
    auto found = QUARO_TRY(cached(sql));
    CachedStatement statement(found);
    sqlite3_stmt* raw = statement.get();
    if (!raw)
        return statement;

    sqlite3* db = handle.get();
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const int position = static_cast<int>(i + 1);
        const SQLValue& value = parameters[i];
        int rc = SQLITE_OK;
        // Texts are bound with their byte length so that text after a NUL
        // character is stored too; SQLite takes its own copy.
        if (const std::string* text = value.text())
            rc = sqlite3_bind_text64(raw, position, text->data(), text->size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        else if (const double* real = value.real())
            rc = sqlite3_bind_double(raw, position, *real);
        else if (const std::int64_t* integer = value.integer())
            rc = sqlite3_bind_int64(raw, position, *integer);
        else
            rc = sqlite3_bind_null(raw, position);
        // Extra values beyond the placeholders are ignored; any other bind
        // failure (a text too big) would silently store NULL, so it fails.
        if (rc != SQLITE_OK && rc != SQLITE_RANGE)
            return Failure{DatabaseError::query(errorText(db))};
    }
    return statement;
}

Result<std::int64_t, DatabaseError> Database::run(std::string_view sql, const std::vector<SQLValue>& parameters)
{
    std::lock_guard lock(m_connection->queue);
    auto statement = QUARO_TRY(m_connection->prepare(sql, parameters));
    if (!statement)
        return std::int64_t{0};
    const int rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return Failure{DatabaseError::query(errorText(m_connection->handle.get()))};
    return static_cast<std::int64_t>(sqlite3_changes64(m_connection->handle.get()));
}

Result<std::vector<SQLRow>, DatabaseError> Database::query(std::string_view sql,
                                                           const std::vector<SQLValue>& parameters)
{
    std::lock_guard lock(m_connection->queue);
    auto prepared = QUARO_TRY(m_connection->prepare(sql, parameters));
    std::vector<SQLRow> rows;
    sqlite3_stmt* statement = prepared.get();
    if (!statement)
        return rows;

    // Column names once per call; a repeated name keeps the later column.
    const int columns = sqlite3_column_count(statement);
    auto names = std::make_shared<SQLRow::Columns>();
    std::vector<std::size_t> slots(static_cast<std::size_t>(columns));
    for (int column = 0; column < columns; ++column) {
        const char* name = sqlite3_column_name(statement, column);
        const std::string_view text = name ? name : "";
        const auto same = std::find(names->begin(), names->end(), text);
        slots[static_cast<std::size_t>(column)] = static_cast<std::size_t>(same - names->begin());
        if (same == names->end())
            names->emplace_back(text);
    }
    const std::shared_ptr<const SQLRow::Columns> shared = std::move(names);

    for (;;) {
        const int rc = sqlite3_step(statement);
        if (rc == SQLITE_DONE)
            return rows;
        if (rc != SQLITE_ROW)
            return Failure{DatabaseError::query(errorText(m_connection->handle.get()))};
        std::vector<SQLValue> values(shared->size());
        for (int column = 0; column < columns; ++column) {
            SQLValue& value = values[slots[static_cast<std::size_t>(column)]];
            switch (sqlite3_column_type(statement, column)) {
            case SQLITE_INTEGER:
                value = SQLValue(static_cast<std::int64_t>(sqlite3_column_int64(statement, column)));
                break;
            case SQLITE_FLOAT:
                value = SQLValue(sqlite3_column_double(statement, column));
                break;
            case SQLITE_TEXT: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
                if (!text) {
                    value = SQLValue();
                    break;
                }
                // Read by byte count, so a text holding NUL characters comes back whole.
                const std::string_view bytes(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
                value = utf8::isValid(bytes) ? SQLValue(bytes) : SQLValue(utf8::repaired(bytes));
                break;
            }
            default: // BLOB and NULL
                value = SQLValue();
                break;
            }
        }
        rows.emplace_back(shared, std::move(values));
    }
}

} // namespace quaro
