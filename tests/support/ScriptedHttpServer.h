#pragma once

// A loopback HTTP/1.1 server whose answers the test scripts: it records each
// request and answers it, or holds it (the script returns nothing) until
// release(). One request per connection.
#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace quaro::testing {

struct HttpCall {
    QByteArray method, path, authorization, contentType, body;
};

struct HttpAnswer {
    int status = 200;
    QByteArray body = "{}";
    QByteArray headers; // extra header lines, each ending in \r\n
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
    std::size_t heldCount() const { return m_held.size(); }
    void release(const HttpAnswer& reply)
    {
        for (const QPointer<QTcpSocket>& socket : std::exchange(m_held, {}))
            if (socket)
                write(socket, reply);
    }

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
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        HttpCall call{lines[0].split(' ').value(0), lines[0].split(' ').value(1), {}, {}, {}};
        QHash<QByteArray, QByteArray> headers;
        for (const QByteArray& line : lines.mid(1))
            headers.insert(line.left(line.indexOf(':')).trimmed().toLower(), line.mid(line.indexOf(':') + 1).trimmed());
        const qsizetype length = headers.value("content-length").toLongLong();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        call.authorization = headers.value("authorization");
        call.contentType = headers.value("content-type");
        call.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);
        calls.push_back(call);
        if (const auto reply = answer ? answer(call) : HttpAnswer{})
            write(socket, *reply);
        else
            m_held.emplace_back(socket);
    }

    static void write(QTcpSocket* socket, const HttpAnswer& reply)
    {
        socket->write("HTTP/1.1 " + QByteArray::number(reply.status) + " X\r\nConnection: close\r\nContent-Length: " +
                      QByteArray::number(reply.body.size()) + "\r\n" + reply.headers + "\r\n" + reply.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    std::vector<QPointer<QTcpSocket>> m_held;
};

} // namespace quaro::testing
