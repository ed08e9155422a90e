#include "nuvem/PgConnection.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>

namespace quaro::nuvem {
namespace {

// Type oids of pg_type, stable across servers.
constexpr Oid int8Oid = 20, int2Oid = 21, int4Oid = 23, float8Oid = 701;

struct ResultCloser {
    void operator()(PGresult* result) const { PQclear(result); }
};
using PgResult = std::unique_ptr<PGresult, ResultCloser>;

DatabaseError failure(PGconn* connection)
{
    std::string message = PQerrorMessage(connection);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return DatabaseError::query(message.empty() ? "desconhecido" : message);
}

// Doubles go out with every digit, so a time read back compares equal.
std::string textOf(const SQLValue& value)
{
    if (const std::string* text = value.text())
        return *text;
    char buffer[32];
    if (const double* real = value.real()) {
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, *real).ptr;
        return std::string(buffer, end);
    }
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *value.integer()).ptr;
    return std::string(buffer, end);
}

// PostgreSQL numbers parameters $1, $2, ...: the ?1 of a statement written
// for both backends becomes $1 (outside quoted texts and names).
std::string numbered(std::string_view sql)
{
    std::string statement(sql);
    char quote = 0;
    for (std::size_t i = 0; i < statement.size(); ++i) {
        const char c = statement[i];
        if (quote)
            quote = c == quote ? 0 : quote;
        else if (c == '\'' || c == '"')
            quote = c;
        else if (c == '?' && i + 1 < statement.size() && statement[i + 1] >= '0' && statement[i + 1] <= '9')
            statement[i] = '$';
    }
    return statement;
}

Result<PgResult, DatabaseError> exec(PGconn* connection, std::string_view sql, const std::vector<SQLValue>& parameters)
{
    std::vector<std::string> texts;
    std::vector<const char*> values;
    // libpq takes parameters as C strings: a NUL would silently cut the
    // text short (an id "A\0B" would become "A"), so it is refused here.
    for (const SQLValue& parameter : parameters) {
        if (const std::string* text = parameter.text(); text && text->find('\0') != std::string::npos)
            return Failure{DatabaseError::query("texto com o caractere nulo (U+0000)")};
    }
    texts.reserve(parameters.size());
    for (const SQLValue& parameter : parameters)
        texts.push_back(parameter.isNull() ? std::string() : textOf(parameter));
    for (std::size_t i = 0; i < parameters.size(); ++i)
        values.push_back(parameters[i].isNull() ? nullptr : texts[i].c_str());
    const std::string statement = numbered(sql);
    PgResult result(PQexecParams(connection, statement.c_str(), static_cast<int>(values.size()), nullptr,
                                 values.data(), nullptr, nullptr, 0));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        return Failure{failure(connection)};
    return result;
}

SQLValue cell(PGresult* result, int row, int column)
{
    if (PQgetisnull(result, row, column))
        return {};
    const char* text = PQgetvalue(result, row, column);
    switch (PQftype(result, column)) {
    case int8Oid:
    case int4Oid:
    case int2Oid:
        return SQLValue(static_cast<std::int64_t>(std::strtoll(text, nullptr, 10)));
    case float8Oid:
        return SQLValue(std::strtod(text, nullptr));
    default:
        return SQLValue(std::string(text, static_cast<std::size_t>(PQgetlength(result, row, column))));
    }
}

} // namespace

void PgConnection::Closer::operator()(pg_conn* connection) const
{
    PQfinish(connection);
}

Result<PgConnection, DatabaseError> PgConnection::open(const std::string& conninfo)
{
    // Bounded time everywhere: connecting, a peer that vanished without a
    // word (keepalives, unacknowledged sends), a statement, a wait for a
    // lock, a transaction left open. The operator's own settings in
    // `conninfo` come last and win.
    const char* keywords[] = {"connect_timeout", "keepalives",     "keepalives_idle", "keepalives_interval",
                              "keepalives_count", "tcp_user_timeout", "options",        "dbname",
                              nullptr};
    const char* values[] = {"5", "1", "30", "10", "3", "20000",
                            "-c statement_timeout=15000 -c lock_timeout=5000 "
                            "-c idle_in_transaction_session_timeout=30000 -c client_min_messages=warning",
                            conninfo.c_str(), nullptr};
    PGconn* connection = PQconnectdbParams(keywords, values, 1);
    if (!connection)
        return Failure{DatabaseError::open("sem memória")};
    PgConnection owned(connection);
    if (PQstatus(connection) != CONNECTION_OK)
        return Failure{DatabaseError::open(failure(connection).message())};
    return owned;
}

PgConnection::~PgConnection() = default;

void PgConnection::reconnectIfBroken()
{
    if (m_connection && PQstatus(m_connection.get()) == CONNECTION_BAD) {
        PQreset(m_connection.get());
    }
}

bool PgConnection::broken() const
{
    return !m_connection || PQstatus(m_connection.get()) == CONNECTION_BAD;
}

Result<void, DatabaseError> PgConnection::execute(const std::string& sql)
{
    PgResult result(PQexec(m_connection.get(), sql.c_str()));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        return Failure{failure(m_connection.get())};
    return {};
}

Result<std::int64_t, DatabaseError> PgConnection::run(std::string_view sql, const std::vector<SQLValue>& parameters)
{
    const auto result = QUARO_TRY(exec(m_connection.get(), sql, parameters));
    return static_cast<std::int64_t>(std::strtoll(PQcmdTuples(result.get()), nullptr, 10));
}

Result<std::vector<SQLRow>, DatabaseError> PgConnection::query(std::string_view sql,
                                                               const std::vector<SQLValue>& parameters)
{
    const auto result = QUARO_TRY(exec(m_connection.get(), sql, parameters));
    PGresult* rows = result.get();
    const int columnCount = PQnfields(rows);
    auto columns = std::make_shared<SQLRow::Columns>();
    for (int column = 0; column < columnCount; ++column)
        columns->emplace_back(PQfname(rows, column));
    std::vector<SQLRow> list;
    list.reserve(static_cast<std::size_t>(PQntuples(rows)));
    for (int row = 0; row < PQntuples(rows); ++row) {
        std::vector<SQLValue> values;
        values.reserve(static_cast<std::size_t>(columnCount));
        for (int column = 0; column < columnCount; ++column)
            values.push_back(cell(rows, row, column));
        list.emplace_back(columns, std::move(values));
    }
    return list;
}

} // namespace quaro::nuvem
