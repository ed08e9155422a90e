#pragma once

#include <atomic>
#include <cerrno>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quaro::testing {

// A one-thread HTTP/1.1 server on 127.0.0.1 and a port of the kernel's
// choosing, for code that fetches with a blocking client on the test's own
// thread (an event-loop server could not answer it). Every request is
// answered by `Handler` and the connection is closed.
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

    explicit LoopbackHttpServer(Handler handler) : m_handler(std::move(handler))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(m_listener, 8) == 0 && ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackHttpServer()
    {
        ::shutdown(m_listener, SHUT_RDWR); // wakes the accept() the thread waits in
        m_thread.join();
        ::close(m_listener);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    bool started() const { return m_port != 0; }
    std::string url(std::string_view path) const { return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path); }
    int requests() const { return m_requests; }

private:
    void serve()
    {
        for (;;) {
            const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0 && errno == EINTR)
                continue;
            if (connection < 0)
                return;
            answer(connection);
            ::close(connection);
        }
    }

    void answer(int connection)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        ++m_requests;
        const auto start = request.find(' ') + 1;
        const Response response = m_handler(request.substr(start, request.find(' ', start) - start));
        const std::string out = "HTTP/1.1 " + std::to_string(response.status) + " Status\r\nContent-Length: " +
                                std::to_string(response.body.size()) + "\r\nConnection: close\r\n\r\n" +
                                response.body.substr(0, response.cutAfter);
        for (std::size_t sent = 0; sent < out.size();) {
            const ssize_t n = ::send(connection, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }

    Handler m_handler;
    int m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int m_port = 0;
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

} // namespace quaro::testing
