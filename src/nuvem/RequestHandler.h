#pragma once

#include "nuvem/AccountStorage.h"
#include "nuvem/AuthThrottle.h"
#include "nuvem/HttpExchange.h"
#include "sync/SyncMessage.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace quaro::nuvem {

// Answers one HTTP request, whatever the transport: routes, authentication,
// the sync protocol and the remote MCP endpoint. Any thread may call.
//
//   GET  /healthz           200 {"ok": true}: the process answers
//   GET  /readyz            200 {"ok": true} when storage answers a query, else 503
//   (any storage failure)   503 with Retry-After
//   POST /api/sync          Bearer secret; applies the sync, creating the account;
//                           410 for a deleted secret
//   DELETE /api/account     Bearer secret; 204, or 404 when there is no account;
//                           either way the secret is revoked
//   POST /mcp/<secret>      MCP over HTTP, one JSON reply per request; 401 with
//                           a JSON-RPC error for a secret without an account
//   GET|DELETE /mcp/<secret> 405: no event stream is offered
class RequestHandler {
public:
    struct Limits {
        std::size_t failedAuthPerWindow = 30;
        std::chrono::seconds failedAuthWindow{60};
        // Addresses whose failures are remembered at once.
        std::size_t trackedAddresses = 100000;
        SyncLimits sync;
        // Accounts one address (IPv6: one /64) may open in an hour, per instance.
        std::size_t newAccountsPerHour = 30;
    };

    RequestHandler(AccountStorage& storage, Limits limits);

    HttpResponse handle(const HttpRequest& request);
    // Whether the request touches nothing but the process (the liveness
    // check), so the server may answer it on the spot, even when every
    // worker is busy.
    static bool answersAtOnce(const HttpRequest& request);

    // The client name travels in the session id the MCP endpoint hands out
    // at initialize, so that any instance can serve the next request.
    static std::string sessionId(const std::optional<std::string>& clientName);
    static std::optional<std::string> clientName(const std::string& sessionId);

private:
    HttpResponse sync(const HttpRequest& request);
    HttpResponse deleteAccount(const HttpRequest& request);
    HttpResponse mcp(const HttpRequest& request, const std::string& secret);
    // Counts a failed authentication against the client's address; false
    // when the address had already used up its failures (answer 429).
    bool failAuthentication(const HttpRequest& request);
    // The secret of "Bearer <secret>", or a response refusing the request.
    std::optional<std::string> bearer(const HttpRequest& request, HttpResponse& refusal);

    AccountStorage& m_storage;
    AuthThrottle m_throttle;
    AuthThrottle m_newAccounts;
    SyncLimits m_syncLimits;
};

} // namespace quaro::nuvem
