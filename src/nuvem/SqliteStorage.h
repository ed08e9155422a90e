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
    Result<bool, DatabaseError> deleteAccount(const SecretHash& secret) override;
    Result<std::optional<std::int64_t>, DatabaseError> account(const SecretHash& secret) override;
    Result<void, DatabaseError> ready() override;
    std::unique_ptr<mcp::ToolStore> tools(std::int64_t account) override;

    // For the account tools, which share the connection and the lock.
    Database& database() { return m_db; }
    std::mutex& lock() { return m_lock; }

private:
    struct Account {
        std::int64_t id = 0;
        std::int64_t seq = 0;
    };
    // One sync waiting for its group's commit.
    struct Pending {
        const SecretHash& secret;
        const SyncOrder& request;
        std::optional<Result<SyncOutcome, DatabaseError>> outcome;
        bool done = false; // under m_queueLock
    };

    explicit SqliteStorage(Database db) : m_db(std::move(db)) {}
    Result<std::optional<Account>, DatabaseError> findAccount(const SecretHash& secret);
    void commitGroup(const std::vector<Pending*>& group);
    Result<SyncOutcome, DatabaseError> applySync(const SecretHash& secret, const SyncOrder& request);
    Result<void, DatabaseError> replaceDestinos(std::int64_t account, const std::vector<Destino>& destinos);

    Database m_db;
    std::mutex m_lock;

    std::mutex m_queueLock;
    std::condition_variable m_committed;
    std::vector<Pending*> m_waiting;
    bool m_writing = false;
};

} // namespace quaro::nuvem
