#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace quaro::testing {

// A one-thread HTTP/1.1 server on 127.0.0.1 and a port of the kernel's
// choosing, started by the test that needs it and stopped with it. Every
// request is answered by `Handler` and the connection is closed.
class LoopbackHttpServer {
public:
    struct Response {
        int status = 200;
        std::string body;
        // Stop sending after this many body bytes (announcing the full length
        // first), as a connection that drops mid-download does.
        std::size_t cutAfter = std::string::npos;
    };
    using Handler = std::function<Response(const std::string& path)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool started() const { return m_listener >= 0; }
    std::string url(std::string_view path) const;
    int requests() const { return m_requests; }

private:
    void serve();
    void answer(int connection);

    Handler m_handler;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

} // namespace quaro::testing
