#pragma once

#include "nuvem/AccountStorage.h"
#include "nuvem/PgConnection.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace quaro::nuvem {

// Every account in one PostgreSQL database, for several server instances
// behind a load balancer. A small pool of connections serves the threads;
// a sync or a remote change locks its account's row, so instances on the
// same database apply them one after another and number changes without
// gaps in meaning. Any thread may call.
class PgStorage final : public AccountStorage {
public:
    static Result<std::unique_ptr<PgStorage>, DatabaseError> open(
        const std::string& conninfo, unsigned connections,
        std::chrono::milliseconds poolWait = std::chrono::milliseconds(5000));

    Result<SyncOutcome, DatabaseError> sync(const SecretHash& secret, const SyncOrder& request) override;
    Result<bool, DatabaseError> deleteAccount(const SecretHash& secret) override;
    Result<std::optional<std::int64_t>, DatabaseError> account(const SecretHash& secret) override;
    std::unique_ptr<mcp::ToolStore> tools(std::int64_t account) override;

    Result<void, DatabaseError> ready() override;

    // A pooled connection for the length of one operation; moving it moves
    // the duty to give it back.
    class Lease {
    public:
        Lease(PgStorage& storage, PgConnection connection) : m_storage(&storage), m_connection(std::move(connection)) {}
        Lease(Lease&& other) noexcept
            : m_storage(std::exchange(other.m_storage, nullptr)), m_connection(std::move(other.m_connection))
        {
        }
        Lease& operator=(Lease&&) = delete;
        ~Lease();
        PgConnection* operator->() { return &m_connection; }
        PgConnection& operator*() { return m_connection; }

    private:
        PgStorage* m_storage;
        PgConnection m_connection;
    };
    // Waits for a free connection at most the pool wait given at open, so
    // that a stalled database turns requests away (503) instead of piling
    // them up; a connection broken by a restart is connected again first.
    Result<Lease, DatabaseError> lease();

private:
    PgStorage() = default;
    Result<SyncOutcome, DatabaseError> applySync(PgConnection& db, const SecretHash& secret, const SyncOrder& request);

    std::chrono::milliseconds m_poolWait{5000};
    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<PgConnection> m_idle;
};

} // namespace quaro::nuvem
