#pragma once

#include "core/Result.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quaro::nuvem {

class RequestHandler;

// HTTP/1.1, plain or over TLS. A few I/O threads read requests and write
// answers; a pool of workers runs the handler, so a request that waits on
// storage never holds up another connection's reading or writing. Requests
// past the workers wait in a bounded queue; when it is full they are turned
// away at once with 503 and Retry-After. Keeps connections alive; a request whose head or body does not arrive
// within `timeout`, or whose body is larger than `maxBody`, ends its
// connection (with 413 for the size). Connections past `maxConnections` are
// closed on arrival; failures to accept (out of descriptors) are retried
// after a growing pause and logged once. Start, then stop from any thread;
// the destructor stops.
class HttpServer {
public:
    struct Options {
        std::string address = "127.0.0.1";
        std::uint16_t port = 8080; // 0 picks a free one
        unsigned threads = 2;      // I/O threads
        unsigned workers = 16;     // threads running the handler (and waiting on storage)
        std::size_t queue = 1024;  // requests waiting for a worker; more get 503
        // Connections served at once; more are closed as they arrive.
        std::size_t maxConnections = 1024;
        std::size_t maxBody = 8 * 1024 * 1024;
        std::chrono::seconds timeout{30};
        bool logRequests = true;   // one line per request: method, route, status, time
        bool stopOnSignals = false; // SIGINT and SIGTERM stop the server
        // PEM files; with both set every connection speaks TLS (1.2 or later).
        std::string certificateFile;
        std::string keyFile;
        // Canonical addresses of reverse proxies whose Forwarded and
        // X-Forwarded-For headers tell the client's address.
        std::vector<std::string> trustedProxies;
    };

    HttpServer(RequestHandler& handler, Options options);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and starts the threads. Gives the port it listens on.
    Result<std::uint16_t, std::string> start();
    // Blocks until the server stopped (by stop() or a signal).
    void wait();
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace quaro::nuvem
