#include "app/desktop/AppService.h"

#include "core/Log.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDir>

namespace quaro {

const QString AppService::serviceName = QStringLiteral("app.quaro.Quaro");
const QString AppService::objectPath = QStringLiteral("/app/quaro/Quaro");
const QString AppService::interfaceName = QStringLiteral("app.quaro.Quaro");

namespace {

// Runs a handler after the bus call has been answered and its dispatch has
// returned, so a handler that opens windows or nested loops never blocks the
// caller.
template <typename Handler, typename... Args>
void later(QObject* context, const Handler& handler, Args... args)
{
    QMetaObject::invokeMethod(
        context,
        [&handler, args...] {
            if (auto copy = handler)
                copy(args...);
        },
        Qt::QueuedConnection);
}

} // namespace

// The object exported on the bus; its slot names are the method names.
class AppService::Adaptor : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "app.quaro.Quaro")
public:
    explicit Adaptor(AppService& service) : m_service(service) {}

public slots:
    void Toggle() { later(&m_service, m_service.onToggle); }
    void StopAndSend() { later(&m_service, m_service.onStopAndSend); }
    void Discard() { later(&m_service, m_service.onDiscard); }
    void TogglePause() { later(&m_service, m_service.onTogglePause); }
    void Show() { later(&m_service, m_service.onShow); }
    void ShowSettings() { later(&m_service, m_service.onShowSettings); }
    void ShowPanel() { later(&m_service, m_service.onShowPanel); }
    void Import(const QStringList& files)
    {
        // Another process names the files: only whole, absolute paths are
        // taken, so nothing depends on this process's working directory.
        for (const QString& file : files) {
            if (file.isEmpty() || !QDir::isAbsolutePath(file)) {
                sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("not an absolute path: %1").arg(file));
                return;
            }
        }
        if (files.isEmpty()) {
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no files to import"));
            return;
        }
        later(&m_service, m_service.onImport, files);
    }
    QString State()
    {
        if (auto provider = m_service.stateProvider)
            return provider();
        return QStringLiteral("{}");
    }

private:
    AppService& m_service;
};

AppService::AppService(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)), m_adaptor(std::make_unique<Adaptor>(*this))
{
}

AppService::~AppService()
{
    if (!m_registered)
        return;
    m_bus.unregisterObject(objectPath);
    m_bus.unregisterService(serviceName);
}

AppService::Claim AppService::claimPrimary()
{
    const QString context = QStringLiteral("instância");
    const InstanceLock::Outcome lock = m_lock.tryLock();
    // Without the bus, the lock file alone decides.
    const auto alone = [&] {
        switch (lock) {
        case InstanceLock::Outcome::locked: return Claim::lockFile;
        case InstanceLock::Outcome::heldElsewhere: return Claim::alreadyRunning;
        case InstanceLock::Outcome::unavailable: break;
        }
        log(LogArea::app, context, QStringLiteral("running without single-instance protection"));
        return Claim::noBus;
    };
    if (!m_bus.isConnected() || !m_bus.interface()) {
        log(LogArea::app, context, QStringLiteral("no session bus (%1)").arg(m_bus.lastError().message()));
        return alone();
    }
    // The object is in place before the name is taken, so the first call
    // that reaches the name finds it.
    if (!m_bus.registerObject(objectPath, m_adaptor.get(), QDBusConnection::ExportAllSlots)) {
        log(LogArea::app, context,
            QStringLiteral("could not export %1: %2").arg(objectPath, m_bus.lastError().message()));
        return alone();
    }
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = m_bus.interface()->registerService(
        serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        if (lock == InstanceLock::Outcome::heldElsewhere) {
            // The running instance started without a bus: it cannot be
            // reached, but it must stay the only one.
            m_bus.unregisterService(serviceName);
            m_bus.unregisterObject(objectPath);
            return Claim::alreadyRunning;
        }
        m_registered = true;
        return Claim::primary;
    }
    m_bus.unregisterObject(objectPath);
    if (!reply.isValid()) {
        log(LogArea::app, context, QStringLiteral("could not own %1 (%2)").arg(serviceName, reply.error().message()));
        return alone();
    }
    return Claim::secondary;
}

} // namespace quaro

#include "AppService.moc"
