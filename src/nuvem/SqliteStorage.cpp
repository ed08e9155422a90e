#include "nuvem/SqliteStorage.h"

#include "core/Transaction.h"

#include <exception>
#include <utility>

namespace quaro::nuvem {
namespace {

// Each sync is on disk before it is acknowledged.
constexpr const char* durability = "PRAGMA synchronous=FULL;";


// What a recado weighs against its account's quota.
#define QUARO_RECADO_BYTES(row) \
    "(LENGTH(CAST(" row ".title AS BLOB)) + LENGTH(CAST(" row ".transcript AS BLOB)) + " \
    "COALESCE(LENGTH(CAST(" row ".result AS BLOB)), 0))"

// Files made before the account kept its own counts get them, counted once.
constexpr const char* addCounters =
    "ALTER TABLE account ADD COLUMN recados INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE account ADD COLUMN bytes INTEGER NOT NULL DEFAULT 0;"
    "UPDATE account SET recados = (SELECT COUNT(*) FROM recado WHERE account_id = account.id), "
    "bytes = (SELECT COALESCE(SUM(" QUARO_RECADO_BYTES("recado") "), 0) FROM recado WHERE account_id = account.id);";

// The account's recados and their bytes, kept by every write to its
// recados (syncs and remote tools alike) in the same transaction, so that
// the quota check costs one row however large the account is.
constexpr const char* counters =
    "CREATE TRIGGER IF NOT EXISTS recado_counted_in AFTER INSERT ON recado BEGIN "
    "UPDATE account SET recados = recados + 1, bytes = bytes + " QUARO_RECADO_BYTES("NEW")
    " WHERE id = NEW.account_id; END;"
    "CREATE TRIGGER IF NOT EXISTS recado_counted_out AFTER DELETE ON recado BEGIN "
    "UPDATE account SET recados = recados - 1, bytes = bytes - " QUARO_RECADO_BYTES("OLD")
    " WHERE id = OLD.account_id; END;"
    "CREATE TRIGGER IF NOT EXISTS recado_recounted AFTER UPDATE OF title, transcript, result ON recado "
    "WHEN " QUARO_RECADO_BYTES("NEW") " <> " QUARO_RECADO_BYTES("OLD") " BEGIN "
    "UPDATE account SET bytes = bytes + " QUARO_RECADO_BYTES("NEW") " - " QUARO_RECADO_BYTES("OLD")
    " WHERE id = NEW.account_id; END;";

#undef QUARO_RECADO_BYTES

} // namespace

Result<std::unique_ptr<SqliteStorage>, DatabaseError> SqliteStorage::open(const std::filesystem::path& path)
{
    auto db = QUARO_TRY(Database::open(path));
    QUARO_TRY(db.execute(tables(SqlDialect::sqlite)));
    QUARO_TRY(db.execute(durability));
    if (QUARO_TRY(db.query("SELECT 1 FROM pragma_table_info('account') WHERE name = 'recados'")).empty()) {
        auto transaction = QUARO_TRY(Transaction::begin(db));
        QUARO_TRY(db.execute(addCounters));
        QUARO_TRY(transaction.commit());
    }
    QUARO_TRY(db.execute(counters));
    return std::unique_ptr<SqliteStorage>(new SqliteStorage(std::move(db)));
}

Result<AccountStorage::Held, DatabaseError> SqliteStorage::hold()
{
    m_lock.lock();
    return Held(&m_db, [this](SqlConnection*) { m_lock.unlock(); });
}

Result<SyncOutcome, DatabaseError> SqliteStorage::sync(const SecretHash& secret, const SyncOrder& request)
{
    Pending mine{secret, request, std::nullopt};
    std::unique_lock queue(m_queueLock);
    m_waiting.push_back(&mine);
    while (!mine.done) {
        if (m_writing) {
            m_committed.wait(queue);
            continue;
        }
        // No group is being written: this thread writes every sync waiting
        // now, its own among them.
        m_writing = true;
        const std::vector<Pending*> group = std::exchange(m_waiting, {});
        queue.unlock();
        try {
            commitGroup(group);
        } catch (const std::exception& error) {
            // Out of memory, most likely. The transaction was rolled back on
            // the way out, so no sync of the group may count as applied, and
            // the next group must still find a writer.
            for (Pending* pending : group)
                pending->outcome.emplace(Failure{DatabaseError::query(error.what())});
        }
        queue.lock();
        for (Pending* pending : group)
            pending->done = true;
        m_writing = false;
        m_committed.notify_all();
    }
    return std::move(*mine.outcome);
}

void SqliteStorage::commitGroup(const std::vector<Pending*>& group)
{
    const auto failAll = [&](const DatabaseError& error) {
        for (Pending* pending : group)
            pending->outcome.emplace(Failure{error});
    };
    std::lock_guard guard(m_lock);
    auto transaction = Transaction::begin(m_db);
    if (!transaction)
        return failAll(transaction.error());
    for (Pending* pending : group) {
        auto savepoint = Savepoint::begin(m_db, "sync");
        if (!savepoint)
            return failAll(savepoint.error());
        Result<SyncOutcome, DatabaseError> outcome = applySync(m_db, pending->secret, pending->request);
        // A sync that failed or was refused leaves nothing behind, and the
        // rest of its group goes on. If even the savepoint cannot be undone
        // (SQLite gave up the whole transaction), the group fails together.
        const bool undo = !outcome || outcome->accountFull;
        if (auto ended = undo ? savepoint->rollback() : savepoint->release(); !ended)
            return failAll(ended.error());
        pending->outcome.emplace(std::move(outcome));
    }
    if (auto committed = transaction->commit(); !committed) {
        // Nothing of the group was kept, so no sync may be acknowledged.
        for (Pending* pending : group) {
            if (*pending->outcome)
                pending->outcome.emplace(Failure{committed.error()});
        }
    }
}

} // namespace quaro::nuvem
