#pragma once

#include "core/DatabaseError.h"
#include "core/Result.h"
#include "core/SqlConnection.h"
#include "mcp/ToolStore.h"
#include "nuvem/SecretHash.h"
#include "sync/SyncMessage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quaro::nuvem {

// A sync as storage applies it: the body and what the handler decided
// about the account.
struct SyncOrder : SyncRequest {
    // Whether its sender's address may still open an account now.
    bool mayCreateAccount = true;
    // The account's quota.
    std::int64_t accountRecados = SyncLimits{}.accountRecados;
    std::int64_t accountBytes = SyncLimits{}.accountBytes;
};

// The reply to send, and what became of the account.
struct SyncOutcome : SyncReply {
    // The secret was deleted (the link switched off with deletion, or
    // replaced): nothing was applied, and it never makes an account again.
    bool revoked = false;
    bool created = false;        // this sync opened the account
    bool accountRefused = false; // there was none, and none could be opened: nothing applied
    bool accountFull = false;    // the sync would pass the account's quota: nothing applied
};

// Where the server keeps every account's copy of the inbox: the rules are
// written here once, over a connection to either database; a backend says
// how to get a connection (and may group syncs). Safe to call from any
// thread; each operation is atomic.
//
// The rules of the copy:
// - an unknown secret on sync creates its account (that is how a desktop
//   switches cloud mode on), unless it was deleted: a deleted secret stays
//   revoked for good, so a late or retried sync cannot bring the account
//   and its link back;
// - a sync's destinos replace the account's list; its deleted ids go away;
// - an uploaded recado always brings its content (title, transcript,
//   destino, language, duration); its status fields win only when its
//   `atualizado_em` is later than the copy's (last writer wins per recado);
// - a claim or resolution made through the remote tools stamps the recado
//   later than what it overwrote and numbers it with the account's change
//   counter; a sync returns every change numbered above the desktop's cursor,
//   so each change comes back until the desktop acknowledges it, and a
//   desktop upload that wins over a change withdraws it.
class AccountStorage {
public:
    virtual ~AccountStorage() = default;

    // For statements built before a connection is held.
    SqlDialect dialect() const { return m_dialect; }

    // Applies one sync in one transaction and tells what to send back.
    virtual Result<SyncOutcome, DatabaseError> sync(const SecretHash& secret, const SyncOrder& request);
    // Removes the account and everything in it and revokes the secret, even
    // when it had no account. False when there was none.
    Result<bool, DatabaseError> deleteAccount(const SecretHash& secret);
    // The account's number, absent when the secret belongs to none.
    Result<std::optional<std::int64_t>, DatabaseError> account(const SecretHash& secret);
    // Whether the storage answers a query now, for the readiness check.
    Result<void, DatabaseError> ready();
    // The remote tools' view of one account.
    std::unique_ptr<mcp::ToolStore> tools(std::int64_t account);

    // A connection for the length of one operation, given back (unlocked,
    // returned to its pool) when it goes.
    using Held = std::unique_ptr<SqlConnection, std::function<void(SqlConnection*)>>;
    virtual Result<Held, DatabaseError> hold() = 0;

protected:
    explicit AccountStorage(SqlDialect dialect) : m_dialect(dialect) {}

    // The tables and indexes, created when missing, in the dialect's types.
    static std::string tables(SqlDialect dialect);
    // The body of a sync, inside the caller's transaction. A refused sync
    // (accountFull) may have written: the caller undoes it.
    static Result<SyncOutcome, DatabaseError> applySync(SqlConnection& db, const SecretHash& secret,
                                                        const SyncOrder& request);

private:
    SqlDialect m_dialect;
};

} // namespace quaro::nuvem
