// The only translation unit that sees Boost.Beast and Asio: they are heavy
// to compile, so everything else speaks HttpRequest and HttpResponse.
#include "nuvem/HttpServer.h"

#include "core/Log.h"
#include "nuvem/ClientAddress.h"
#include "nuvem/RequestHandler.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <functional>
#include <optional>
#include <type_traits>
#include <mutex>
#include <thread>
#include <vector>

namespace quaro::nuvem {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

constexpr std::size_t headerLimit = 16 * 1024;

using TlsStream = beast::ssl_stream<beast::tcp_stream>;

// The handler's threads and the bounded queue in front of them.
class WorkQueue {
public:
    WorkQueue(unsigned workers, std::size_t capacity) : m_capacity(capacity)
    {
        for (unsigned i = 0; i < std::max(1u, workers); ++i)
            m_threads.emplace_back([this] { work(); });
    }
    ~WorkQueue()
    {
        {
            std::lock_guard guard(m_lock);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // False when the queue is full (or stopping): the job was not taken.
    bool push(std::function<void()> job)
    {
        {
            std::lock_guard guard(m_lock);
            if (m_stopping || m_jobs.size() >= m_capacity)
                return false;
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
        return true;
    }

private:
    void work()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock guard(m_lock);
                m_wake.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
                if (m_stopping)
                    return; // queued jobs go with the queue
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            job();
        }
    }

    const std::size_t m_capacity;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// One connection, on plain TCP (Stream = beast::tcp_stream) or TLS.
template <typename Stream>
class Session : public std::enable_shared_from_this<Session<Stream>> {
public:
    static constexpr bool isTls = std::is_same_v<Stream, TlsStream>;

    template <typename... Layers>
    Session(RequestHandler& handler, WorkQueue& work, const HttpServer::Options& options,
            std::atomic<std::size_t>& live, tcp::socket socket, Layers&... layers)
        : m_stream(std::move(socket), layers...), m_handler(handler), m_work(work), m_options(options), m_live(live)
    {
        ++m_live;
        beast::error_code error;
        const auto endpoint = lowest().socket().remote_endpoint(error);
        if (!error)
            m_peer = endpoint.address().to_string();
    }

    ~Session() { --m_live; }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    void start()
    {
        asio::dispatch(m_stream.get_executor(), [self = this->shared_from_this()] {
            if constexpr (isTls) {
                self->lowest().expires_after(self->m_options.timeout);
                self->m_stream.async_handshake(asio::ssl::stream_base::server, [self](beast::error_code error) {
                    if (error)
                        return self->close();
                    self->read();
                });
            } else {
                self->read();
            }
        });
    }

private:
    beast::tcp_stream& lowest() { return beast::get_lowest_layer(m_stream); }

    void read()
    {
        m_parser.emplace();
        m_parser->header_limit(headerLimit);
        m_parser->body_limit(m_options.maxBody);
        // The whole request, head and body, must arrive within the time-out.
        lowest().expires_after(m_options.timeout);
        http::async_read(m_stream, m_buffer, *m_parser,
                         [self = this->shared_from_this()](beast::error_code error, std::size_t) { self->onRead(error); });
    }

    void onRead(beast::error_code error)
    {
        if (error == http::error::body_limit) {
            HttpResponse tooLarge{.status = 413, .body = R"({"erro":"Pedido grande demais."})", .route = "?"};
            return write(tooLarge, false, "?");
        }
        if (error)
            return close();
        const auto started = std::chrono::steady_clock::now();
        auto& message = m_parser->get();
        const bool keepAlive = message.keep_alive();
        auto request = std::make_shared<HttpRequest>(HttpRequest{
            std::string(message.method_string()), std::string(message.target()),
            std::string(message[http::field::authorization]), std::string(message["Mcp-Session-Id"]),
            std::move(message.body()),
            ClientAddress::of(m_peer, std::string(message[http::field::forwarded]),
                              std::string(message["X-Forwarded-For"]), m_options.trustedProxies)});
        if (RequestHandler::answersAtOnce(*request))
            return answer(*request, handle(*request), keepAlive, started);
        const bool queued = m_work.push([self = this->shared_from_this(), request, keepAlive, started] {
            auto response = std::make_shared<HttpResponse>(self->handle(*request));
            asio::post(self->m_stream.get_executor(), [self, request, response, keepAlive, started] {
                self->answer(*request, *response, keepAlive, started);
            });
        });
        if (!queued) {
            // Every worker busy and the queue full: turned away before any
            // work, so that the server stays responsive and clients retry.
            HttpResponse busy{.status = 503,
                              .body = R"({"erro":"O servidor do Quaro está ocupado agora. Tente de novo em instantes."})",
                              .headers = {{"Retry-After", "1"}},
                              .route = "ocupado"};
            answer(*request, busy, keepAlive, started);
        }
    }

    HttpResponse handle(const HttpRequest& request)
    {
        try {
            return m_handler.handle(request);
        } catch (const std::exception&) {
            // Out of memory, most likely: this request fails, the server stays.
            return HttpResponse{.status = 500, .body = R"({"erro":"Erro no servidor do Quaro."})", .route = "?"};
        }
    }

    void answer(const HttpRequest& request, const HttpResponse& response, bool keepAlive,
                std::chrono::steady_clock::time_point started)
    {
        if (m_options.logRequests) {
            const auto micros =
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
            char line[160];
            std::snprintf(line, sizeof line, "pedido metodo=%s rota=%s status=%d ms=%.2f", request.method.c_str(),
                          response.route.c_str(), response.status, static_cast<double>(micros.count()) / 1000.0);
            log(LogArea::server, line);
        }
        write(response, keepAlive, request.method);
    }

    void write(const HttpResponse& response, bool keepAlive, const std::string& method)
    {
        auto reply = std::make_shared<http::response<http::string_body>>();
        reply->version(11);
        reply->result(static_cast<unsigned>(response.status));
        reply->set(http::field::server, "quaro-nuvem");
        if (response.status != 204 && response.status != 202)
            reply->set(http::field::content_type, response.contentType);
        for (const auto& [name, value] : response.headers)
            reply->set(name, value);
        reply->keep_alive(keepAlive);
        if (method != "HEAD")
            reply->body() = response.body;
        reply->prepare_payload();
        lowest().expires_after(m_options.timeout);
        http::async_write(m_stream, *reply,
                          [self = this->shared_from_this(), reply, keepAlive](beast::error_code error, std::size_t) {
                              if (error || !keepAlive)
                                  return self->close();
                              self->read();
                          });
    }

    void close()
    {
        if constexpr (isTls) {
            if (!m_closing) {
                // The TLS goodbye, within the same time-out; the socket goes either way.
                m_closing = true;
                lowest().expires_after(m_options.timeout);
                return m_stream.async_shutdown([self = this->shared_from_this()](beast::error_code) { self->close(); });
            }
        } else {
            beast::error_code ignored;
            lowest().socket().shutdown(tcp::socket::shutdown_send, ignored);
        }
        lowest().close();
    }

    Stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    RequestHandler& m_handler;
    WorkQueue& m_work;
    const HttpServer::Options& m_options;
    std::atomic<std::size_t>& m_live;
    std::string m_peer;
    bool m_closing = false;
};

} // namespace

struct HttpServer::Impl {
    Impl(RequestHandler& requestHandler, Options serverOptions)
        : handler(requestHandler), options(std::move(serverOptions)), tls(asio::ssl::context::tls_server),
          io(static_cast<int>(this->options.threads)), acceptor(asio::make_strand(io)), signals(io)
    {
    }

    std::optional<std::string> loadCertificate()
    {
        beast::error_code error;
        tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                        asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                        asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use);
        tls.use_certificate_chain_file(options.certificateFile, error);
        if (error)
            return "não li o certificado " + options.certificateFile + ": " + error.message();
        tls.use_private_key_file(options.keyFile, asio::ssl::context::pem, error);
        if (error)
            return "não li a chave " + options.keyFile + ": " + error.message();
        return std::nullopt;
    }

    void accept()
    {
        acceptor.async_accept(asio::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
            if (error == asio::error::operation_aborted)
                return;
            if (error) {
                // Out of descriptors, most likely: accepting again at once
                // would spin on the same error. Wait, longer each time, and
                // say so once until an accept succeeds.
                if (!acceptFailing)
                    log(LogArea::server, "não consegui aceitar conexões: " + error.message() + "; tentando de novo");
                acceptFailing = true;
                acceptBackoff = std::min(std::max(2 * acceptBackoff, std::chrono::milliseconds(10)),
                                         std::chrono::milliseconds(1000));
                acceptTimer.expires_after(acceptBackoff);
                acceptTimer.async_wait([this](beast::error_code waited) {
                    if (!waited)
                        accept();
                });
                return;
            }
            if (acceptFailing)
                log(LogArea::server, "aceitando conexões de novo");
            acceptFailing = false;
            acceptBackoff = std::chrono::milliseconds(0);
            if (live >= options.maxConnections) {
                // Full: this connection is closed at once, before any TLS or
                // HTTP work, and the live ones are served.
                if (!full)
                    log(LogArea::server,
                        "conexões demais (" + std::to_string(options.maxConnections) + "): recusando as novas");
                full = true;
                beast::error_code ignored;
                socket.close(ignored);
            } else {
                full = false;
                if (usesTls)
                    std::make_shared<Session<TlsStream>>(handler, *work, options, live, std::move(socket), tls)->start();
                else
                    std::make_shared<Session<beast::tcp_stream>>(handler, *work, options, live, std::move(socket))->start();
            }
            accept();
        });
    }

    RequestHandler& handler;
    Options options;
    // Before the io context: sessions still queued there go with it.
    asio::ssl::context tls;
    bool usesTls = false;
    asio::io_context io;
    tcp::acceptor acceptor;
    // Touched only on the acceptor's strand.
    asio::steady_timer acceptTimer{acceptor.get_executor()};
    std::chrono::milliseconds acceptBackoff{0};
    bool acceptFailing = false;
    bool full = false;
    std::atomic<std::size_t> live{0};
    asio::signal_set signals;
    // After the io context, so it goes first: its workers are joined while
    // the sessions they hold can still reach the context.
    std::optional<WorkQueue> work;
    std::vector<std::thread> threads;
    std::mutex joinLock;
};

HttpServer::HttpServer(RequestHandler& handler, Options options)
    : m_impl(std::make_unique<Impl>(handler, std::move(options)))
{
}

HttpServer::~HttpServer()
{
    stop();
    wait();
}

Result<std::uint16_t, std::string> HttpServer::start()
{
    Impl& impl = *m_impl;
    if (!impl.options.certificateFile.empty() || !impl.options.keyFile.empty()) {
        if (impl.options.certificateFile.empty() || impl.options.keyFile.empty())
            return Failure{std::string("TLS precisa do certificado e da chave")};
        if (auto failed = impl.loadCertificate())
            return Failure{*failed};
        impl.usesTls = true;
    }
    beast::error_code error;
    const auto address = asio::ip::make_address(impl.options.address, error);
    if (error)
        return Failure{"endereço inválido: " + impl.options.address};
    const tcp::endpoint endpoint(address, impl.options.port);
    impl.acceptor.open(endpoint.protocol(), error);
    if (!error)
        impl.acceptor.set_option(asio::socket_base::reuse_address(true), error);
    if (!error)
        impl.acceptor.bind(endpoint, error);
    if (!error)
        impl.acceptor.listen(asio::socket_base::max_listen_connections, error);
    if (error)
        return Failure{"não consegui escutar em " + impl.options.address + ": " + error.message()};
    const std::uint16_t port = impl.acceptor.local_endpoint().port();

    if (impl.options.stopOnSignals) {
        impl.signals.add(SIGINT);
        impl.signals.add(SIGTERM);
        impl.signals.async_wait([this](beast::error_code, int) { stop(); });
    }
    impl.work.emplace(impl.options.workers, impl.options.queue);
    impl.accept();
    for (unsigned i = 0; i < std::max(1u, impl.options.threads); ++i)
        impl.threads.emplace_back([&impl] { impl.io.run(); });
    return port;
}

void HttpServer::wait()
{
    std::lock_guard guard(m_impl->joinLock);
    for (std::thread& thread : m_impl->threads) {
        if (thread.joinable() && thread.get_id() != std::this_thread::get_id())
            thread.join();
    }
}

void HttpServer::stop()
{
    m_impl->io.stop();
}

} // namespace quaro::nuvem
