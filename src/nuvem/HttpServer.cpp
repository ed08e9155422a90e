// The only translation unit that sees Boost.Beast and Asio: they are heavy
// to compile, so everything else speaks HttpRequest and HttpResponse.
#include "nuvem/HttpServer.h"

#include "nuvem/RequestHandler.h"
#include "nuvem/ServerLog.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>

#include <cstdio>
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

class Session : public std::enable_shared_from_this<Session> {
public:
    Session(tcp::socket socket, RequestHandler& handler, const HttpServer::Options& options)
        : m_stream(std::move(socket)), m_handler(handler), m_options(options)
    {
        beast::error_code error;
        const auto endpoint = m_stream.socket().remote_endpoint(error);
        if (!error)
            m_peer = endpoint.address().to_string();
    }

    void start() { asio::dispatch(m_stream.get_executor(), [self = shared_from_this()] { self->read(); }); }

private:
    void read()
    {
        m_parser.emplace();
        m_parser->header_limit(headerLimit);
        m_parser->body_limit(m_options.maxBody);
        // The whole request, head and body, must arrive within the time-out.
        m_stream.expires_after(m_options.timeout);
        http::async_read(m_stream, m_buffer, *m_parser,
                         [self = shared_from_this()](beast::error_code error, std::size_t) { self->onRead(error); });
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
        HttpRequest request{std::string(message.method_string()),
                            std::string(message.target()),
                            std::string(message[http::field::authorization]),
                            std::string(message["Mcp-Session-Id"]),
                            std::move(message.body()),
                            m_peer};
        HttpResponse response = m_handler.handle(request);
        if (m_options.logRequests) {
            const auto micros =
                std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
            char line[160];
            std::snprintf(line, sizeof line, "pedido metodo=%s rota=%s status=%d ms=%.2f", request.method.c_str(),
                          response.route.c_str(), response.status, static_cast<double>(micros.count()) / 1000.0);
            serverLog(line);
        }
        write(response, message.keep_alive(), request.method);
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
        m_stream.expires_after(m_options.timeout);
        http::async_write(m_stream, *reply,
                          [self = shared_from_this(), reply, keepAlive](beast::error_code error, std::size_t) {
                              if (error || !keepAlive)
                                  return self->close();
                              self->read();
                          });
    }

    void close()
    {
        beast::error_code ignored;
        m_stream.socket().shutdown(tcp::socket::shutdown_send, ignored);
        m_stream.close();
    }

    beast::tcp_stream m_stream;
    beast::flat_buffer m_buffer;
    std::optional<http::request_parser<http::string_body>> m_parser;
    RequestHandler& m_handler;
    const HttpServer::Options& m_options;
    std::string m_peer;
};

} // namespace

struct HttpServer::Impl {
    Impl(RequestHandler& handler, Options options)
        : handler(handler), options(std::move(options)), io(static_cast<int>(this->options.threads)),
          acceptor(asio::make_strand(io)), signals(io)
    {
    }

    void accept()
    {
        acceptor.async_accept(asio::make_strand(io), [this](beast::error_code error, tcp::socket socket) {
            if (error == asio::error::operation_aborted)
                return;
            if (!error)
                std::make_shared<Session>(std::move(socket), handler, options)->start();
            accept();
        });
    }

    RequestHandler& handler;
    Options options;
    asio::io_context io;
    tcp::acceptor acceptor;
    asio::signal_set signals;
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
