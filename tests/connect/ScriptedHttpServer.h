#pragma once

// A loopback HTTP/1.1 server whose answers the test scripts: it records every
// request and answers it through `answer`, or holds it (answer returns
// nothing) until the test calls release(). One request per connection.
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quaro::testing {

struct HttpCall {
    QByteArray method;
    QByteArray path;
    QByteArray authorization;
    QByteArray contentType;
    QByteArray body;
};

struct HttpAnswer {
    int status = 200;
    QByteArray body = "{}";
};

class ScriptedHttpServer {
public:
    using Script = std::function<std::optional<HttpAnswer>(const HttpCall&)>;

    explicit ScriptedHttpServer(Script script = {}) : answer(std::move(script))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        });
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

    // Answers every held request with `reply`, oldest first.
    void release(const HttpAnswer& reply)
    {
        const auto held = std::exchange(m_held, {});
        for (const QPointer<QTcpSocket>& socket : held) {
            if (socket)
                write(socket, reply);
        }
    }
    std::size_t heldCount() const { return m_held.size(); }

    Script answer;
    std::vector<HttpCall> calls;

private:
    void read(QTcpSocket* socket)
    {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        HttpCall call;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        call.method = first.value(0);
        call.path = first.value(1);
        qsizetype length = 0;
        for (const QByteArray& line : lines.mid(1)) {
            const qsizetype colon = line.indexOf(':');
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "content-length")
                length = value.toLongLong();
            else if (name == "authorization")
                call.authorization = value;
            else if (name == "content-type")
                call.contentType = value;
        }
        if (buffer.size() < headerEnd + 4 + length)
            return;
        call.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);
        calls.push_back(call);
        const std::optional<HttpAnswer> reply = answer ? answer(call) : HttpAnswer{};
        if (reply)
            write(socket, *reply);
        else
            m_held.emplace_back(socket);
    }

    static void write(QTcpSocket* socket, const HttpAnswer& reply)
    {
        socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nConnection: close\r\n"
                      "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\n\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    std::vector<QPointer<QTcpSocket>> m_held;
};

} // namespace quaro::testing
