// Version text, the availability switch, the feedback address, and a check
// against an appcast served on loopback.
#include "ConnectTestSupport.h"

#include "connect/Updater.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

namespace quaro {
namespace {

using testing::waitFor;

TEST(UpdaterTest, VersionTextAndAvailability)
{
    const struct {
        UpdaterConfig config;
        QString version;
        bool available;
    } cases[] = {
        {{"1.4", "27", "https://127.0.0.1/feed.xml", "chave", ""}, "1.4 (27)", true},
        {{"1.4", "", "https://127.0.0.1/feed.xml", "", ""}, "1.4 (?)", false},
        {{"", "", "", "chave", ""}, "? (?)", false},
    };
    for (const auto& c : cases) {
        Updater updater(c.config);
        EXPECT_EQ(updater.version(), c.version);
        EXPECT_EQ(updater.isAvailable(), c.available);
    }
    // A development build, as this one is configured, has no updates; a
    // check there does nothing.
    Updater built;
    EXPECT_FALSE(built.isAvailable());
    EXPECT_TRUE(built.version().startsWith(QStringLiteral("0.")));
    built.start();
    built.checkForUpdates();
    EXPECT_FALSE(built.checking());
}

TEST(UpdaterTest, FeedbackAddressCarriesTheEncodedVersion)
{
    const struct {
        QString base;
        QString address;
    } cases[] = {
        {"https://127.0.0.1/feedback", "https://127.0.0.1/feedback?versao=1.4%20%2827%29"},
        {"https://127.0.0.1/f?origem=app", "https://127.0.0.1/f?origem=app&versao=1.4%20%2827%29"},
        {"", ""},
        {"não é endereço", ""},
    };
    for (const auto& c : cases) {
        Updater updater({"1.4", "27", "", "", c.base});
        EXPECT_EQ(updater.feedbackAddress().toString(QUrl::FullyEncoded), c.address) << c.base.toStdString();
        QUrl opened;
        updater.openUrl = [&](const QUrl& url) {
            opened = url;
            return true;
        };
        EXPECT_EQ(updater.sendFeedback(), !c.address.isEmpty());
        EXPECT_EQ(opened.toString(QUrl::FullyEncoded), c.address);
    }
}

// Answers every request with `body`.
class FeedServer {
public:
    explicit FeedServer(QByteArray body) : m_body(std::move(body))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = m_server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\nConnection: close\r\n"
                              "Content-Length: " + QByteArray::number(m_body.size()) + "\r\n\r\n" + m_body);
                socket->disconnectFromHost();
            });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(m_server.serverPort()); }

private:
    QByteArray m_body;
    QTcpServer m_server;
};

TEST(UpdaterTest, CheckReadsTheNewestItemOfTheFeed)
{
    FeedServer feed(R"(<?xml version="1.0"?>
<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle" version="2.0"><channel>
<item><title>1.3</title><sparkle:shortVersionString>1.3</sparkle:shortVersionString>
  <enclosure url="https://127.0.0.1/quaro-1.3.deb" sparkle:version="30"/></item>
<item><title>1.10</title><enclosure url="https://127.0.0.1/quaro-1.10.deb" sparkle:shortVersionString="1.10"/></item>
</channel></rss>)");
    const struct {
        QString ours;
        QString newer;
        QString message;
    } cases[] = {
        {"1.4", "1.10", "A versão 1.10 já saiu."},
        {"1.10", "", "Você já tem a versão mais nova."},
    };
    for (const auto& c : cases) {
        Updater updater({c.ours, "1", feed.url(), "chave", ""});
        QSignalSpy finished(&updater, &Updater::checkFinished);
        updater.start(); // checks at once
        EXPECT_TRUE(updater.checking());
        ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
        EXPECT_FALSE(updater.checking());
        EXPECT_EQ(updater.newerVersion(), c.newer);
        EXPECT_EQ(updater.checkMessage(), c.message);
        EXPECT_EQ(updater.downloadUrl().isEmpty(), c.newer.isEmpty());
    }

    FeedServer broken("<rss><channel><item>");
    Updater updater({"1.4", "1", broken.url(), "chave", ""});
    QSignalSpy finished(&updater, &Updater::checkFinished);
    updater.checkForUpdates();
    ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(updater.checkMessage(), QStringLiteral("Não consegui procurar atualizações agora."));
}

} // namespace
} // namespace quaro
