#include "connect/Updater.h"

#include "connect/BuildInfo.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QVersionNumber>
#include <QXmlStreamReader>

namespace quaro {

namespace {

struct FeedItem {
    QString version;
    QUrl url;
};

// The newest item of an appcast: each <item> names its version in
// <sparkle:shortVersionString> or on its enclosure's sparkle:shortVersionString
// (or sparkle:version) attribute, and its file in the enclosure's url.
FeedItem newestItem(const QByteArray& feed)
{
    FeedItem newest;
    FeedItem item;
    QXmlStreamReader xml(feed);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("item"))
            item = {};
        else if (xml.isStartElement() && xml.qualifiedName() == QLatin1String("sparkle:shortVersionString"))
            item.version = xml.readElementText().trimmed();
        else if (xml.isStartElement() && xml.name() == QLatin1String("enclosure")) {
            const auto attributes = xml.attributes();
            item.url = QUrl(attributes.value(QLatin1String("url")).toString());
            for (const char* name : {"sparkle:shortVersionString", "sparkle:version"}) {
                if (item.version.isEmpty() && attributes.hasAttribute(QLatin1String(name)))
                    item.version = attributes.value(QLatin1String(name)).toString();
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("item") && !item.version.isEmpty() &&
                   (newest.version.isEmpty() ||
                    QVersionNumber::fromString(item.version) > QVersionNumber::fromString(newest.version)))
            newest = item;
    }
    return xml.hasError() ? FeedItem{} : newest;
}

} // namespace

UpdaterConfig UpdaterConfig::build()
{
    return {QString::fromUtf8(BuildInfo::marketingVersion), QString::fromUtf8(BuildInfo::buildNumber),
            QString::fromUtf8(BuildInfo::updateFeedUrl), QString::fromUtf8(BuildInfo::updatePublicKey),
            QString::fromUtf8(BuildInfo::feedbackUrl), QString::fromUtf8(BuildInfo::downloadUrl)};
}

Updater::Updater(UpdaterConfig config, QObject* parent) : QObject(parent), m_config(std::move(config)) {}

Updater::~Updater() = default;

void Updater::start()
{
    if (!isAvailable() || m_daily.isActive())
        return;
    m_daily.setInterval(std::chrono::hours(24));
    connect(&m_daily, &QTimer::timeout, this, &Updater::checkForUpdates);
    m_daily.start();
    checkForUpdates();
}

bool Updater::isAvailable() const { return !m_config.feedUrl.isEmpty() && !m_config.publicKey.isEmpty(); }

QString Updater::version() const
{
    const auto part = [](const QString& text) { return text.isEmpty() ? QStringLiteral("?") : text; };
    return part(m_config.marketingVersion) + QStringLiteral(" (") + part(m_config.buildNumber) + QLatin1Char(')');
}

QUrl Updater::feedbackAddress() const
{
    QUrl url(m_config.feedbackUrl, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return {};
    QString query = url.query(QUrl::FullyEncoded);
    if (!query.isEmpty())
        query += QLatin1Char('&');
    query += QStringLiteral("versao=") + QString::fromLatin1(QUrl::toPercentEncoding(version()));
    url.setQuery(query, QUrl::StrictMode);
    return url;
}

bool Updater::sendFeedback() const
{
    const QUrl address = feedbackAddress();
    return address.isValid() && openUrl && openUrl(address);
}

QUrl Updater::downloadPage() const
{
    const QUrl url(m_config.downloadPage, QUrl::StrictMode);
    const bool web = url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    return url.isValid() && web && !url.host().isEmpty() ? url : QUrl();
}

bool Updater::openDownloadPage() const
{
    const QUrl page = downloadPage();
    return page.isValid() && openUrl && openUrl(page);
}

void Updater::checkForUpdates()
{
    if (!isAvailable() || m_reply)
        return;
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    m_reply = m_network->get(QNetworkRequest(QUrl(m_config.feedUrl)));
    connect(m_reply, &QNetworkReply::finished, this, &Updater::readFeed);
    emit checkingChanged();
}

void Updater::readFeed()
{
    QNetworkReply* reply = std::exchange(m_reply, nullptr);
    reply->deleteLater();
    const FeedItem newest =
        reply->error() == QNetworkReply::NoError ? newestItem(reply->readAll()) : FeedItem{};
    m_newerVersion.clear();
    m_downloadUrl.clear();
    if (newest.version.isEmpty()) {
        m_checkMessage = QStringLiteral("Não consegui procurar atualizações agora.");
    } else if (QVersionNumber::fromString(newest.version) > QVersionNumber::fromString(m_config.marketingVersion)) {
        m_newerVersion = newest.version;
        m_downloadUrl = newest.url;
        m_checkMessage = QStringLiteral("A versão %1 já saiu.").arg(newest.version);
    } else {
        m_checkMessage = QStringLiteral("Você já tem a versão mais nova.");
    }
    emit checkingChanged();
    emit checkFinished();
}

} // namespace quaro
