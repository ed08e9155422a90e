#include "connect/CloudSync.h"

#include "connect/BuildInfo.h"
#include "connect/CloudSecret.h"
#include "connect/CloudSyncCycle.h"
#include "core/Log.h"
#include "sync/SyncMessage.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <nlohmann/json.hpp>

#include <memory>

namespace quaro {

namespace {

constexpr char switchKey[] = "nuvem.ligado";
constexpr char secretKey[] = "nuvem.segredo";
// The user's server, and the server that last acknowledged a sync under the
// current secret (the only one that may hold a copy to delete on a move).
constexpr char serverKey[] = "nuvem.servidor";
constexpr char confirmedKey[] = "nuvem.confirmado";
// A deletion of the remote copy not yet confirmed ("trocar": a rotation or
// a move, which then goes on under a new secret; "apagar": switching off),
// and the server it goes to when that is not the current one (a move). Kept
// so that a restart finishes it rather than leaving the copy behind.
constexpr char removalKey[] = "nuvem.remocao";
constexpr char removalServerKey[] = "nuvem.remocao_servidor";

QString describe(const DatabaseError& error)
{
    return QString::fromStdString(error.description());
}

QString withoutTrailingSlash(QString base)
{
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base;
}

// Whether requests with the secret may go to `url`: https, or plain http to
// this machine's loopback for development.
bool isSafeBase(const QUrl& url)
{
    if (!url.isValid())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QString host = url.host();
    return url.scheme() == QLatin1String("http") &&
           (host == QLatin1String("localhost") || QHostAddress(host).isLoopback());
}

// A base address the user may choose: https, or plain http to this machine,
// and nothing but scheme, host, port and an optional path prefix.
bool acceptableServer(const QString& base)
{
    const QUrl url(base, QUrl::StrictMode);
    return isSafeBase(url) && !url.host().isEmpty() && url.userInfo().isEmpty() &&
           !url.hasQuery() && !url.hasFragment();
}

} // namespace

CloudSyncConfig CloudSyncConfig::standard()
{
    CloudSyncConfig config;
    const QString fromEnvironment = qEnvironmentVariable("QUARO_CLOUD_URL");
    config.baseUrl = QString::fromUtf8(BuildInfo::cloudUrl);
    config.fixedUrl = fromEnvironment;
    config.appVersion = QString::fromUtf8(BuildInfo::marketingVersion);
    return config;
}

CloudSync::CloudSync(QuaroStore& store, CloudSyncConfig config, QObject* parent)
    : CloudLink(parent), m_store(store), m_config(std::move(config))
{
    m_network = new QNetworkAccessManager(this);
    const std::string chosen = m_store.meta(serverKey).valueOr(std::nullopt).value_or("");
    m_base = withoutTrailingSlash(!m_config.fixedUrl.isEmpty() ? m_config.fixedUrl
                                  : !chosen.empty()             ? QString::fromStdString(chosen)
                                                                : m_config.baseUrl);
    m_confirmed = QString::fromStdString(m_store.meta(confirmedKey).valueOr(std::nullopt).value_or(""));
    m_enabled = m_store.meta(switchKey).valueOr(std::nullopt) == std::optional<std::string>("1");
    if (auto secret = m_store.meta(secretKey).valueOr(std::nullopt))
        m_secret = QString::fromStdString(*secret);
    const std::string removal = m_store.meta(removalKey).valueOr(std::nullopt).value_or("");
    m_removal = removal == "trocar" ? Removal::rotate : removal == "apagar" ? Removal::erase : Removal::none;
    if (m_removal != Removal::none)
        m_removalBase = QString::fromStdString(m_store.meta(removalServerKey).valueOr(std::nullopt).value_or(""));
    m_timer.setInterval(m_config.interval);
    connect(&m_timer, &QTimer::timeout, this, &CloudSync::tick);
    m_timer.start();
    // A deletion left pending by the last run goes first, as at every tick.
    tick();
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
    return CloudSecret::mcpLink(m_base, m_secret);
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
    (void)m_store.setMeta(CloudSyncCycle::cursorKey, "0");
    // Resuming the same remote copy keeps the deletions made while paused.
    (void)m_store.markAllForUpload(resumed ? QuaroStore::Tombstones::Keep : QuaroStore::Tombstones::Forget);
    (void)m_store.setMeta(switchKey, "1");
    ++m_epoch;
    setEnabled(true);
    succeed();
    kick();
}

void CloudSync::disable(RemoteCopy remote)
{
    (void)m_store.setMeta(switchKey, "0");
    ++m_epoch;
    m_pendingKick = false;
    setEnabled(false);
    if (remote == RemoteCopy::keep)
        return;
    setRemoval(Removal::erase);
    if (!m_syncing && !m_removalReply)
        deleteRemoteAccount();
}

void CloudSync::rotateLink()
{
    ++m_epoch;
    setRemoval(Removal::rotate);
    if (!m_syncing && !m_removalReply)
        deleteRemoteAccount();
}

void CloudSync::setRemoval(Removal removal)
{
    m_removal = removal;
    const char* kind = removal == Removal::rotate ? "trocar" : removal == Removal::erase ? "apagar" : nullptr;
    (void)m_store.setMeta(removalKey, kind ? std::optional<std::string>(kind) : std::nullopt);
    (void)m_store.setMeta(removalServerKey, kind && !m_removalBase.isEmpty()
                                                ? std::optional<std::string>(m_removalBase.toStdString())
                                                : std::nullopt);
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

bool CloudSync::checkingServer() const
{
    return !m_checkReply.isNull();
}

void CloudSync::setServer(const QString& address)
{
    const QString base = withoutTrailingSlash(address.trimmed());
    if (serverFixed()) {
        fail(QStringLiteral("O servidor está fixado pela variável de ambiente QUARO_CLOUD_URL."));
        return;
    }
    if (!acceptableServer(base)) {
        fail(QStringLiteral("Endereço inválido. Use um endereço https://, como https://nuvem.exemplo.com.br."));
        return;
    }
    if (base == m_base || m_checkReply)
        return;
    // Nothing is moved to a server that does not answer as one; the check
    // carries no secret.
    m_checkReply = send("GET", QStringLiteral("/readyz"), {}, {}, m_config.syncTimeout,
                        [this, base](int status, const QByteArray& body, const QString& networkError) {
                            m_checkReply.clear();
                            emit serverChanged();
                            if (!networkError.isEmpty()) {
                                fail(QStringLiteral("Não foi possível falar com %1: %2").arg(base, networkError));
                                return;
                            }
                            const auto answer = nlohmann::json::parse(body.toStdString(), nullptr, false);
                            if (status != 200 || !answer.is_object() || answer.value("ok", false) != true) {
                                fail(QStringLiteral("%1 não respondeu como um servidor quaro-nuvem.").arg(base));
                                return;
                            }
                            moveToServer(base);
                        },
                        base);
    emit serverChanged();
}

void CloudSync::moveToServer(const QString& base)
{
    const QString old = std::exchange(m_base, base);
    (void)m_store.setMeta(serverKey, base.toStdString());
    emit serverChanged();
    emit linkChanged();
    succeed();
    const bool copyOnOld = !m_secret.isEmpty() && m_confirmed == old;
    if (!copyOnOld && m_removal == Removal::none) {
        // Nothing ever reached the old server under this secret: a new link
        // on the new one is all a move needs.
        if (!m_secret.isEmpty())
            finishRemovalAs(Removal::rotate);
        return;
    }
    // As a rotation, with the deletion sent where the copy is.
    if (m_removalBase.isEmpty())
        m_removalBase = old;
    ++m_epoch;
    setRemoval(m_removal == Removal::none ? Removal::rotate : m_removal);
    if (!m_syncing && !m_removalReply)
        deleteRemoteAccount();
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
                          },
                          m_removalBase);
}

void CloudSync::finishRemoval(int status, const QByteArray& body, const QString& networkError)
{
    // 404: the server has no copy under this secret, which is what we want.
    const bool gone = (status >= 200 && status < 300) || status == 404;
    if (!gone) {
        fail(networkError.isEmpty() ? failureMessage(status, body) : networkError);
        return;
    }
    m_removalBase.clear();
    const Removal done = m_removal;
    setRemoval(Removal::none);
    finishRemovalAs(done);
}

void CloudSync::finishRemovalAs(Removal done)
{
    ++m_epoch;
    m_pendingKick = false;
    // Switched on again while the deletion was under way: continue on a new
    // link, as after a rotation.
    if (done == Removal::rotate || m_enabled) {
        storeNewSecret();
        (void)m_store.setMeta(CloudSyncCycle::cursorKey, "0");
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

QString CloudSync::failureMessage(int status, const QByteArray& body)
{
    if (auto erro = errorText(std::string_view(body.constData(), std::size_t(body.size()))))
        return QString::fromStdString(*erro);
    return QStringLiteral("O servidor do Quaro respondeu %1.").arg(status);
}

QNetworkReply* CloudSync::send(const QByteArray& method, const QString& path, const std::string& secret,
                               const QByteArray& body, std::chrono::milliseconds timeout, Finished finished,
                               const QString& base)
{
    const QUrl url((base.isEmpty() ? m_base : base) + path);
    // The secret and every transcript travel in this request: never in
    // clear beyond this machine.
    if (!isSafeBase(url)) {
        QTimer::singleShot(0, this, [finished = std::move(finished)] {
            finished(0, {}, QStringLiteral("O endereço do servidor do Quaro precisa começar com https://."));
        });
        return nullptr;
    }
    QNetworkRequest request(url);
    if (!secret.empty())
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
        if (received > largestReply || total > largestReply) {
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
    log(LogArea::cloud, QStringLiteral("nuvem"), message);
    if (m_lastError == message)
        return;
    m_lastError = message;
    emit lastErrorChanged();
}

void CloudSync::runSync(const std::string& secret)
{
    auto cycle = CloudSyncCycle::gather(m_store, m_config.appVersion.toStdString(), m_epoch);
    if (!cycle) {
        fail(QString::fromStdString(cycle.error().description()));
        endCycle();
        return;
    }
    QByteArray body = QByteArray::fromStdString(cycle->takeRequest());
    auto finished = [this, cycle = std::move(cycle).value()](int status, const QByteArray& answer,
                                                            const QString& networkError) {
        m_cycleReply.clear();
        finishCycle(cycle, status, answer, networkError);
    };
    m_cycleReply = send("POST", QStringLiteral("/api/sync"), secret, body, m_config.syncTimeout, std::move(finished));
}

void CloudSync::finishCycle(const CloudSyncCycle& cycle, int status, const QByteArray& body, const QString& networkError)
{
    if (cycle.epoch() != m_epoch) {
        // The switch or the link changed meanwhile: this answer belongs to
        // a state that is gone.
        endCycle();
        return;
    }
    if (status == 410) {
        forgetDeletedLink();
        endCycle();
        return;
    }
    if (!networkError.isEmpty() || status != 200) {
        fail(networkError.isEmpty() ? failureMessage(status, body) : networkError);
        endCycle();
        return;
    }
    const auto reply = cycle.parse(std::string_view(body.constData(), std::size_t(body.size())));
    if (!reply) {
        fail(QStringLiteral("Resposta estranha do servidor."));
        endCycle();
        return;
    }
    auto changed = cycle.record(m_store, *reply);
    if (!changed) {
        fail(QString::fromStdString(changed.error().description()));
        endCycle();
        return;
    }
    if (*changed && onRemoteChange)
        onRemoteChange();
    if (m_confirmed != m_base && m_store.setMeta(confirmedKey, m_base.toStdString()).ok())
        m_confirmed = m_base;
    m_lastSync = QDateTime::currentDateTimeUtc();
    emit lastSyncChanged();
    succeed();
    endCycle();
}

void CloudSync::forgetDeletedLink()
{
    // The server deleted this link (from another machine sharing it, or a
    // rotation that was never heard of here): syncing it again would only
    // be refused, and re-creating it is what must never happen. Switched
    // off without a secret, cloud mode starts on a new link when switched on.
    (void)m_store.setMeta(switchKey, "0");
    (void)m_store.setMeta(secretKey, std::nullopt);
    ++m_epoch;
    m_pendingKick = false;
    m_secret.clear();
    setEnabled(false);
    emit linkChanged();
    fail(QStringLiteral("Este link foi apagado no servidor. Ligue de novo para criar outro."));
}

void CloudSync::endCycle()
{
    setSyncing(false);
    // A link change waiting for this cycle goes first; the kick it held is
    // served by the cycle that follows the change.
    if (m_removal != Removal::none) {
        if (!m_removalReply)
            deleteRemoteAccount();
        return;
    }
    if (m_pendingKick) {
        m_pendingKick = false;
        syncNow();
    }
}

} // namespace quaro
