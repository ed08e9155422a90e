#include "core/Transaction.h"

#include <utility>

namespace quaro {

Result<Transaction, DatabaseError> Transaction::begin(SqlConnection& db)
{
    QUARO_TRY(db.execute(db.dialect() == SqlDialect::sqlite ? "BEGIN IMMEDIATE" : "BEGIN"));
    return Transaction(db);
}

Transaction::Transaction(Transaction&& other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}

Transaction::~Transaction()
{
    if (m_db)
        (void)m_db->execute("ROLLBACK");
}

Result<void, DatabaseError> Transaction::commit()
{
    SqlConnection* db = std::exchange(m_db, nullptr);
    if (auto committed = db->execute("COMMIT"); !committed) {
        (void)db->execute("ROLLBACK");
        return committed;
    }
    return {};
}

Result<Savepoint, DatabaseError> Savepoint::begin(SqlConnection& db, std::string name)
{
    QUARO_TRY(db.execute("SAVEPOINT " + name));
    return Savepoint(db, std::move(name));
}

Savepoint::Savepoint(Savepoint&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_name(std::move(other.m_name))
{
}

Savepoint::~Savepoint()
{
    if (m_db)
        (void)rollback();
}

Result<void, DatabaseError> Savepoint::release()
{
    QUARO_TRY(m_db->execute("RELEASE " + m_name));
    m_db = nullptr;
    return {};
}

Result<void, DatabaseError> Savepoint::rollback()
{
    SqlConnection* db = std::exchange(m_db, nullptr);
    QUARO_TRY(db->execute("ROLLBACK TO " + m_name));
    return db->execute("RELEASE " + m_name);
}

} // namespace quaro
