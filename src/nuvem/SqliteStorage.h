#pragma once

#include "core/Database.h"
#include "nuvem/AccountStorage.h"

#include <filesystem>
#include <memory>
#include <mutex>

namespace quaro::nuvem {

// Every account in one SQLite file (write-ahead log), the embedded default.
// One connection; a lock makes each operation, transaction included, run
// alone, so any thread may call.
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
    explicit SqliteStorage(Database db) : m_db(std::move(db)) {}
    Result<std::optional<std::int64_t>, DatabaseError> findAccount(const SecretHash& secret);
    Result<SyncOutcome, DatabaseError> applySync(const SecretHash& secret, const SyncOrder& request);

    Database m_db;
    std::mutex m_lock;
};

} // namespace quaro::nuvem
