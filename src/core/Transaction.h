#pragma once

#include "core/DatabaseError.h"
#include "core/Result.h"
#include "core/SqlConnection.h"

#include <string>

namespace quaro {

// One write transaction on a connection: begun on creation (SQLite takes
// its write lock at once, so that two writers never deadlock half-way),
// rolled back when it goes without commit() having succeeded, whatever way
// out was taken (an early return, a failure, an exception). Without it a
// connection could stay inside a failed transaction, so that every later
// operation on it fails, or go back to a pool still holding a lock.
// Move-only; the thread that uses the connection.
class Transaction {
public:
    static Result<Transaction, DatabaseError> begin(SqlConnection& db);

    Transaction(Transaction&& other) noexcept;
    Transaction& operator=(Transaction&&) = delete;
    ~Transaction();

    Result<void, DatabaseError> commit();

private:
    explicit Transaction(SqlConnection& db) : m_db(&db) {}

    SqlConnection* m_db;
};

// A named savepoint inside a transaction (the caller's or one of its own):
// undone and released when it goes without release() having succeeded, so
// that one step's failure takes back that step only.
class Savepoint {
public:
    static Result<Savepoint, DatabaseError> begin(SqlConnection& db, std::string name);

    Savepoint(Savepoint&& other) noexcept;
    Savepoint& operator=(Savepoint&&) = delete;
    ~Savepoint();

    // Keeps what was done since the savepoint.
    Result<void, DatabaseError> release();
    // Takes it back; a failure here means the enclosing transaction is lost.
    Result<void, DatabaseError> rollback();

private:
    Savepoint(SqlConnection& db, std::string name) : m_db(&db), m_name(std::move(name)) {}

    SqlConnection* m_db;
    std::string m_name;
};

} // namespace quaro
