#pragma once

#include "connect/CloudLink.h"
#include "core/QuaroStore.h"

#include <QPointer>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

namespace quaro {

class CloudSyncCycle;

// Where the cloud endpoint is and how patient to be with it. The address in
// use is `fixedUrl` when set (`standard()` takes it from QUARO_CLOUD_URL in
// the environment), else the user's setting, else `baseUrl` (`standard()`
// takes the build's, the CMake cache variable of the same name).
struct CloudSyncConfig {
    QString baseUrl;
    QString appVersion;
    std::chrono::milliseconds interval{20000};
    std::chrono::milliseconds syncTimeout{30000};
    std::chrono::milliseconds deleteTimeout{60000};
    QString fixedUrl = {};

    static CloudSyncConfig standard();
};

// Cloud mode: keeps a copy of the recados' text, the destinos and the
// deletions on the cloud endpoint behind the personal link, and brings back
// what AI clients did there. Its switch, secret and cursor live in the
// store's meta table. Cycles run one at a time, every tick while on and soon
// after a kick. Replacing or deleting the remote copy waits for a running
// cycle, holds new ones, and counts as done only when the server confirmed
// it; until then the old secret stays and the tick retries. Main thread.
class CloudSync final : public CloudLink {
    Q_OBJECT
public:
    // Borrows the store, which must outlive this object. Starts the tick,
    // and a cycle at once when cloud mode was left on.
    explicit CloudSync(QuaroStore& store, CloudSyncConfig config = CloudSyncConfig::standard(),
                       QObject* parent = nullptr);
    ~CloudSync() override;

    bool enabled() const override { return m_enabled; }
    bool syncing() const override { return m_syncing; }
    QDateTime lastSync() const override { return m_lastSync; }
    QString lastError() const override { return m_lastError; }
    QString mcpLink() const override;
    QString maskedLink() const override;
    QString server() const override { return m_base; }
    bool serverFixed() const override { return !m_config.fixedUrl.isEmpty(); }
    bool checkingServer() const override;
    // Another cycle was asked for while one (or a link change) was running.
    bool pendingKick() const { return m_pendingKick; }

    void enable() override;
    void disable(RemoteCopy remote) override;
    void rotateLink() override;
    void syncNow() override;
    void kick() override;
    void setServer(const QString& address) override;

private:
    enum class Removal { none, rotate, erase };
    using Finished = std::function<void(int status, const QByteArray& body, const QString& networkError)>;

    void tick();
    std::optional<std::string> readSecret();
    void storeNewSecret();
    void runSync(const std::string& secret);
    void finishCycle(const CloudSyncCycle& cycle, int status, const QByteArray& body, const QString& networkError);
    void endCycle();
    void forgetDeletedLink();
    void moveToServer(const QString& base);
    void deleteRemoteAccount();
    // Sets the pending deletion and keeps it, with its server, in the meta table.
    void setRemoval(Removal removal);
    void finishRemovalAs(Removal done);
    void finishRemoval(int status, const QByteArray& body, const QString& networkError);
    QNetworkReply* send(const QByteArray& method, const QString& path, const std::string& secret,
                        const QByteArray& body, std::chrono::milliseconds timeout, Finished finished,
                        const QString& base = {});

    // The sentence for a refused request: the body's "erro" text when there
    // is one, else "O servidor do Quaro respondeu <status>.".
    static QString failureMessage(int status, const QByteArray& body);

    void setSyncing(bool syncing);
    void setEnabled(bool enabled);
    void succeed();
    void fail(const QString& message);

    QuaroStore& m_store;
    CloudSyncConfig m_config;
    QNetworkAccessManager* m_network = nullptr;
    QTimer m_timer;
    bool m_enabled = false;
    bool m_syncing = false;
    bool m_pendingKick = false;
    QDateTime m_lastSync;
    QString m_lastError;
    QString m_secret;
    // The server in use; while a move is under way, the one still holding
    // the copy, which the pending deletion goes to.
    QString m_base;
    QString m_removalBase;
    QString m_confirmed;
    // Advanced by enable, disable and link changes: a cycle sent before
    // records nothing when it returns.
    std::uint64_t m_epoch = 0;
    Removal m_removal = Removal::none;
    QPointer<QNetworkReply> m_cycleReply;
    QPointer<QNetworkReply> m_removalReply;
    QPointer<QNetworkReply> m_checkReply;
};

} // namespace quaro
