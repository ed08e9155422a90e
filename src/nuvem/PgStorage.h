#pragma once

#include "nuvem/AccountStorage.h"
#include "nuvem/PgConnection.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quaro::nuvem {

// Every account in one PostgreSQL database, for several server instances
// behind a load balancer. A small pool of connections serves the threads;
// a sync or a remote change locks its account's row, so instances on the
// same database apply them one after another and number changes without
// gaps in meaning. Any thread may call.
class PgStorage final : public AccountStorage {
public:
    static Result<std::unique_ptr<PgStorage>, DatabaseError> open(const std::string& conninfo, unsigned connections);

    Result<SyncReply, DatabaseError> sync(const SecretHash& secret, const SyncRequest& request) override;
    Result<bool, DatabaseError> deleteAccount(const SecretHash& secret) override;
    Result<std::optional<std::int64_t>, DatabaseError> account(const SecretHash& secret) override;
    std::unique_ptr<mcp::ToolStore> tools(std::int64_t account) override;

    // A pooled connection for the length of one operation.
    class Lease {
    public:
        Lease(PgStorage& storage, PgConnection connection) : m_storage(storage), m_connection(std::move(connection)) {}
        ~Lease();
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        PgConnection* operator->() { return &m_connection; }
        PgConnection& operator*() { return m_connection; }

    private:
        PgStorage& m_storage;
        PgConnection m_connection;
    };
    Lease lease();

private:
    PgStorage() = default;
    Result<SyncReply, DatabaseError> applySync(PgConnection& db, const SecretHash& secret, const SyncRequest& request);

    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<PgConnection> m_idle;
};

} // namespace quaro::nuvem
