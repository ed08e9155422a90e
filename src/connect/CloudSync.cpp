#include "connect/CloudSync.h"

#include "connect/BuildInfo.h"
#include "connect/CloudSecret.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cstdio>
#include <memory>

namespace quaro {

namespace {

constexpr char switchKey[] = "nuvem.ligado";
constexpr char secretKey[] = "nuvem.segredo";
constexpr char cursorKey[] = "nuvem.cursor";

// "[Quaro] nuvem: ..." on standard error, as the application's other
// diagnostic lines; never shown to the user.
void log(const QString& text)
{
    const QByteArray line = QStringLiteral("[Quaro] nuvem: %1\n").arg(text).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    std::fflush(stderr);
}

QString describe(const DatabaseError& error)
{
    return QString::fromStdString(error.description());
}

} // namespace

CloudSyncConfig CloudSyncConfig::standard()
{
    CloudSyncConfig config;
    const QString fromEnvironment = qEnvironmentVariable("QUARO_CLOUD_URL");
    config.baseUrl = fromEnvironment.isEmpty() ? QString::fromUtf8(BuildInfo::cloudUrl) : fromEnvironment;
    config.appVersion = QString::fromUtf8(BuildInfo::marketingVersion);
    return config;
}

CloudSync::CloudSync(QuaroStore& store, CloudSyncConfig config, QObject* parent)
    : CloudLink(parent), m_store(store), m_config(std::move(config))
{
    m_network = new QNetworkAccessManager(this);
    m_enabled = m_store.meta(switchKey).valueOr(std::nullopt) == std::optional<std::string>("1");
    if (auto secret = m_store.meta(secretKey).valueOr(std::nullopt))
        m_secret = QString::fromStdString(*secret);
    m_timer.setInterval(m_config.interval);
    connect(&m_timer, &QTimer::timeout, this, &CloudSync::tick);
    m_timer.start();
    if (m_enabled)
        syncNow();
}

CloudSync::~CloudSync()
{
    // Replies finishing while the network manager goes must not reach a
    // half-destroyed object.
    for (QNetworkReply* reply : {m_cycleReply.data(), m_removalReply.data()}) {
        if (reply) {
            reply->disconnect(this);
            reply->abort();
        }
    }
}

QString CloudSync::mcpLink() const
{
    return CloudSecret::mcpLink(m_config.baseUrl, m_secret);
}

QString CloudSync::maskedLink() const
{
    return CloudSecret::masked(mcpLink());
}

void CloudSync::enable()
{
    // A secret that cannot be read is not a missing one: replacing it would
    // silently break the link the user already handed to AI clients.
    auto stored = m_store.meta(secretKey);
    if (!stored) {
        fail(describe(stored.error()));
        return;
    }
    const bool resumed = stored->has_value();
    if (!resumed) {
        storeNewSecret();
    } else if (m_secret != QString::fromStdString(**stored)) {
        m_secret = QString::fromStdString(**stored);
        emit linkChanged();
    }
    (void)m_store.setMeta(cursorKey, "0");
    // Resuming the same remote copy keeps the deletions made while paused.
    (void)m_store.markAllForUpload(resumed ? QuaroStore::Tombstones::Keep : QuaroStore::Tombstones::Forget);
    (void)m_store.setMeta(switchKey, "1");
    ++m_epoch;
    setEnabled(true);
    succeed();
    kick();
}

void CloudSync::disable(bool deleteRemote)
{
    (void)m_store.setMeta(switchKey, "0");
    ++m_epoch;
    m_pendingKick = false;
    setEnabled(false);
    if (!deleteRemote)
        return;
    m_removal = Removal::erase;
    if (!m_syncing && !m_removalReply)
        deleteRemoteAccount();
}

void CloudSync::rotateLink()
{
    ++m_epoch;
    m_removal = Removal::rotate;
    if (!m_syncing && !m_removalReply)
        deleteRemoteAccount();
}

void CloudSync::syncNow()
{
    if (!m_enabled || m_syncing || m_removal != Removal::none)
        return;
    const auto secret = readSecret();
    if (!secret)
        return;
    setSyncing(true);
    runSync(*secret);
}

void CloudSync::kick()
{
    if (!m_enabled)
        return;
    if (m_syncing || m_removal != Removal::none)
        m_pendingKick = true;
    else
        syncNow();
}

void CloudSync::tick()
{
    // A link change that failed is retried before anything else is sent.
    if (m_removal != Removal::none) {
        if (!m_syncing && !m_removalReply)
            deleteRemoteAccount();
        return;
    }
    syncNow();
}

std::optional<std::string> CloudSync::readSecret()
{
    auto stored = m_store.meta(secretKey);
    if (!stored || !stored->has_value())
        return std::nullopt;
    return **stored;
}

void CloudSync::storeNewSecret()
{
    m_secret = CloudSecret::newSecret();
    (void)m_store.setMeta(secretKey, m_secret.toStdString());
    emit linkChanged();
}

void CloudSync::deleteRemoteAccount()
{
    auto stored = m_store.meta(secretKey);
    if (!stored) {
        fail(describe(stored.error()));
        return;
    }
    if (!stored->has_value()) {
        finishRemoval(204, {}, {});
        return;
    }
    m_removalReply = send("DELETE", QStringLiteral("/api/account"), **stored, {}, m_config.deleteTimeout,
                          [this](int status, const QByteArray& body, const QString& networkError) {
                              m_removalReply.clear();
                              finishRemoval(status, body, networkError);
                          });
}

void CloudSync::finishRemoval(int status, const QByteArray& body, const QString& networkError)
{
    // 404: the server has no copy under this secret, which is what we want.
    const bool gone = (status >= 200 && status < 300) || status == 404;
    if (!gone) {
        fail(networkError.isEmpty() ? CloudMessage::failureMessage(status, body) : networkError);
        return;
    }
    const Removal done = std::exchange(m_removal, Removal::none);
    ++m_epoch;
    m_pendingKick = false;
    // Switched on again while the deletion was under way: continue on a new
    // link, as after a rotation.
    if (done == Removal::rotate || m_enabled) {
        storeNewSecret();
        (void)m_store.setMeta(cursorKey, "0");
        (void)m_store.markAllForUpload();
        succeed();
        syncNow();
        return;
    }
    (void)m_store.setMeta(secretKey, std::nullopt);
    m_secret.clear();
    emit linkChanged();
    succeed();
}

QNetworkReply* CloudSync::send(const QByteArray& method, const QString& path, const std::string& secret,
                               const QByteArray& body, std::chrono::milliseconds timeout, Finished finished)
{
    QString base = m_config.baseUrl;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    const QUrl url(base + path);
    // The secret and every transcript travel in this request: never in
    // clear beyond this machine.
    if (!CloudMessage::isSafeBase(url)) {
        QTimer::singleShot(0, this, [finished = std::move(finished)] {
            finished(0, {}, QStringLiteral("O endereço do servidor do Quaro precisa começar com https://."));
        });
        return nullptr;
    }
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + QByteArray::fromStdString(secret));
    if (!body.isEmpty())
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(int(timeout.count()));
    // A redirect would carry the bearer to wherever it points: it is the
    // server's answer, and refused as any other status.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply* reply = m_network->sendCustomRequest(request, method, body);
    auto tooLarge = std::make_shared<bool>(false);
    connect(reply, &QNetworkReply::downloadProgress, this, [reply, tooLarge](qint64 received, qint64 total) {
        if (received > CloudMessage::largestReply || total > CloudMessage::largestReply) {
            *tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [reply, tooLarge, finished = std::move(finished)] {
        reply->deleteLater();
        if (*tooLarge) {
            finished(0, {}, QStringLiteral("Resposta grande demais do servidor."));
            return;
        }
        const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QByteArray answer = reply->readAll();
        // An HTTP answer, even a refusal, is the server's word; anything
        // else is the network's, told in the system's own words.
        if (code.isValid())
            finished(code.toInt(), answer, {});
        else
            finished(0, answer, reply->errorString());
    });
    return reply;
}

void CloudSync::setSyncing(bool syncing)
{
    if (m_syncing == syncing)
        return;
    m_syncing = syncing;
    emit syncingChanged();
}

void CloudSync::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    emit enabledChanged();
}

void CloudSync::succeed()
{
    if (m_lastError.isEmpty())
        return;
    m_lastError.clear();
    emit lastErrorChanged();
}

void CloudSync::fail(const QString& message)
{
    log(message);
    if (m_lastError == message)
        return;
    m_lastError = message;
    emit lastErrorChanged();
}

} // namespace quaro
