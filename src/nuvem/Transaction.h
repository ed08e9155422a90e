#pragma once

#include "core/DatabaseError.h"
#include "core/Result.h"

#include <string>
#include <utility>

namespace quaro::nuvem {

// One transaction on a SQLite Database or a PgConnection: begun on
// creation, rolled back when it goes without commit() having succeeded,
// whatever way out was taken (an early return, a failure, an exception).
// Without it a connection could stay inside a failed transaction, so that
// every later operation on it fails, or go back to the pool still holding
// an account's lock. Move-only; the thread that uses the connection.
template <typename Connection>
class Transaction {
public:
    static Result<Transaction, DatabaseError> begin(Connection& db, const std::string& statement = "BEGIN")
    {
        if (auto begun = db.execute(statement); !begun)
            return Failure{begun.error()};
        return Transaction(db);
    }

    Transaction(Transaction&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}
    Transaction& operator=(Transaction&&) = delete;
    ~Transaction()
    {
        if (m_db)
            (void)m_db->execute("ROLLBACK");
    }

    Result<void, DatabaseError> commit()
    {
        Connection* db = std::exchange(m_db, nullptr);
        if (auto committed = db->execute("COMMIT"); !committed) {
            (void)db->execute("ROLLBACK");
            return Failure{committed.error()};
        }
        return {};
    }

private:
    explicit Transaction(Connection& db) : m_db(&db) {}

    Connection* m_db;
};

} // namespace quaro::nuvem
