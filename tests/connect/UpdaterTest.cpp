// The feedback address, and a check against an appcast served on loopback.
#include "ConnectTestSupport.h"
#include "support/ScriptedHttpServer.h"

#include "connect/Updater.h"

#include <QSignalSpy>

namespace quaro {
namespace {

using testing::waitFor;

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
        QUrl opened;
        updater.openUrl = [&](const QUrl& url) { opened = url; return true; };
        EXPECT_EQ(updater.canSendFeedback(), !c.address.isEmpty());
        EXPECT_EQ(updater.sendFeedback(), !c.address.isEmpty());
        EXPECT_EQ(opened.toString(QUrl::FullyEncoded), c.address) << c.base.toStdString();
    }
}

TEST(UpdaterTest, DownloadPageOpensOnlyAWebAddress)
{
    for (const auto& [page, opens] : {std::pair{"https://127.0.0.1/baixar", true}, {"", false},
                                      {"file:///etc/passwd", false}, {"não é endereço", false}}) {
        Updater updater({"1.4", "27", "", "", "", page});
        updater.openUrl = [](const QUrl& url) { return url.isValid(); };
        EXPECT_EQ(updater.openDownloadPage(), opens) << page;
    }
}

TEST(UpdaterTest, CheckReadsTheNewestItemOfTheFeed)
{
    const QByteArray appcast = R"(<?xml version="1.0"?>
<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle" version="2.0"><channel>
<item><title>1.3</title><sparkle:shortVersionString>1.3</sparkle:shortVersionString>
  <enclosure url="https://127.0.0.1/quaro-1.3.deb" sparkle:version="30"/></item>
<item><title>1.10</title><enclosure url="https://127.0.0.1/quaro-1.10.deb" sparkle:shortVersionString="1.10"/></item>
</channel></rss>)";
    const struct {
        QString ours;
        QByteArray feed;
        QString newer;
        QString message;
    } cases[] = {
        {"1.4", appcast, "1.10", "A versão 1.10 já saiu."},
        {"1.10", appcast, "", "Você já tem a versão mais nova."},
        {"1.4", "<rss><channel><item>", "", "Não consegui procurar atualizações agora."},
    };
    for (const auto& c : cases) {
        testing::ScriptedHttpServer feed([&](const testing::HttpCall&) { return testing::HttpAnswer{200, c.feed}; });
        Updater updater({c.ours, "1", feed.base() + "/appcast.xml", "chave", ""});
        QSignalSpy finished(&updater, &Updater::checkFinished);
        updater.start(); // checks at once
        EXPECT_TRUE(updater.checking());
        ASSERT_TRUE(waitFor([&] { return finished.count() == 1; }));
        EXPECT_FALSE(updater.checking());
        EXPECT_EQ(updater.newerVersion(), c.newer);
        EXPECT_EQ(updater.checkMessage(), c.message);
        EXPECT_EQ(updater.downloadUrl().isEmpty(), c.newer.isEmpty());
    }
}

} // namespace
} // namespace quaro
