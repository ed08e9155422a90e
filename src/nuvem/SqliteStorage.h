#pragma once

#include "core/Database.h"
#include "nuvem/AccountStorage.h"

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

namespace quaro::nuvem {

// Every account in one SQLite file (write-ahead log), the embedded default.
// One connection; a lock makes each operation, transaction included, run
// alone, so any thread may call.
//
// Syncs are committed in groups: a sync that arrives while another group is
// being written waits, and the next group takes every sync waiting by then,
// applies each inside its own savepoint (one that fails or is refused is
// undone alone) and commits them with one transaction and one flush to
// disk. Each caller gets its answer only after that commit.
class SqliteStorage final : public AccountStorage {
public:
    static Result<std::unique_ptr<SqliteStorage>, DatabaseError> open(const std::filesystem::path& path);

    Result<SyncOutcome, DatabaseError> sync(const SecretHash& secret, const SyncOrder& request) override;
    Result<Held, DatabaseError> hold() override;

    // For tools that tune the file (a fuzzer turns flushing off).
    Database& database() { return m_db; }
    // Held by every operation for its whole length.
    std::mutex& lock() { return m_lock; }

private:
    // One sync waiting for its group's commit.
    struct Pending {
        const SecretHash& secret;
        const SyncOrder& request;
        std::optional<Result<SyncOutcome, DatabaseError>> outcome;
        bool done = false; // under m_queueLock
    };

    explicit SqliteStorage(Database db) : AccountStorage(SqlDialect::sqlite), m_db(std::move(db)) {}
    void commitGroup(const std::vector<Pending*>& group);

    Database m_db;
    std::mutex m_lock;

    std::mutex m_queueLock;
    std::condition_variable m_committed;
    std::vector<Pending*> m_waiting;
    bool m_writing = false;
};

} // namespace quaro::nuvem
