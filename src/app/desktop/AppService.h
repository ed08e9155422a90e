#pragma once

#include "app/desktop/InstanceLock.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace quaro {

// The running application's own service on the session bus, and the rule
// that only one instance runs: the first launch owns the name, later
// launches hand their request to it (AppServiceClient) and leave.
//
// Bus name, object path and interface: app.quaro.Quaro, /app/quaro/Quaro,
// app.quaro.Quaro; methods Toggle, StopAndSend, Discard, TogglePause,
// Import(as), Show, ShowSettings, ShowPanel and
// State() -> s (a compact JSON text of the application's state and its open
// windows, for tests and scripts). Main thread only; every handler runs on a later turn of the
// event loop than the call, which is answered at once.
class AppService : public QObject {
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString objectPath;
    static const QString interfaceName;

    enum class Claim {
        primary,   // this instance owns the name and serves the methods
        secondary, // another instance owns it: hand the request over and leave
        lockFile,  // no usable session bus, but the lock file keeps this the only instance
        alreadyRunning, // an instance without a usable bus holds the lock file: leave
        noBus,     // neither a session bus nor a lock file: run alone, unprotected
    };

    explicit AppService(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~AppService() override;

    // Also takes the lock file of InstanceLock, so that a launch without a
    // bus (a text console, a broken session) finds a running instance too.
    Claim claimPrimary();

    std::function<void()> onToggle;
    std::function<void()> onStopAndSend;
    std::function<void()> onDiscard;
    std::function<void()> onTogglePause;
    std::function<void()> onShow;
    std::function<void()> onShowSettings;
    std::function<void()> onShowPanel;
    std::function<void(const QStringList& files)> onImport; // absolute paths
    // Answers State(); "{}" while unset.
    std::function<QString()> stateProvider;

private:
    class Adaptor;
    friend class Adaptor;

    QDBusConnection m_bus;
    std::unique_ptr<Adaptor> m_adaptor;
    bool m_registered = false;
    InstanceLock m_lock;
};

} // namespace quaro
