#pragma once

#include "nuvem/AccountStorage.h"
#include "nuvem/PgConnection.h"

#include <chrono>
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
    static Result<std::unique_ptr<PgStorage>, DatabaseError> open(
        const std::string& conninfo, unsigned connections,
        std::chrono::milliseconds poolWait = std::chrono::milliseconds(5000));

    // Waits for a free connection at most the pool wait given at open, so
    // that a stalled database turns requests away (503) instead of piling
    // them up; a connection broken by a restart is connected again first.
    Result<Held, DatabaseError> hold() override;

private:
    PgStorage() : AccountStorage(SqlDialect::postgres) {}

    std::chrono::milliseconds m_poolWait{5000};
    std::vector<PgConnection> m_connections; // filled at open, never resized
    std::mutex m_lock;
    std::condition_variable m_returned;
    std::vector<PgConnection*> m_idle;
};

} // namespace quaro::nuvem
