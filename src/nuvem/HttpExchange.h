#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quaro::nuvem {

// One request as the handler needs it, already read off the connection.
struct HttpRequest {
    std::string method;        // "GET", "POST", ...
    std::string target;        // path and query as sent
    std::string authorization; // the Authorization header, or empty
    std::string sessionId;     // the Mcp-Session-Id header, or empty
    std::string body;
    // The client's address, for the abuse limits: the connection's peer, or
    // the address a trusted proxy forwarded.
    std::string peer;
};

struct HttpResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    // Where the request went, for the log line: the secret never shows.
    std::string route;
};

} // namespace quaro::nuvem
