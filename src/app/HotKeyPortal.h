#pragma once

#include "app/HotKeyBackend.h"

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

class QDBusMessage;

namespace quaro {

// Global hot key under Wayland, where no client may grab keys: the desktop
// portal's GlobalShortcuts interface binds one shortcut in a session of ours
// and signals its activations. Sessions that offer no such portal make
// `grab` fail with the cause. Main thread only; `grab` waits a bounded time
// for the portal's answers.
class HotKeyPortal final : public QObject, public HotKeyBackend {
    Q_OBJECT
public:
    explicit HotKeyPortal(QDBusConnection bus = QDBusConnection::sessionBus());
    ~HotKeyPortal() override;

    Result<void, QString> grab(HotKeyPreset preset) override;
    void release() override;

private slots:
    void activated(const QDBusMessage& signal);

private:
    Result<void, QString> offered();
    Result<QVariantMap, QString> request(const QString& method, const QList<QVariant>& arguments,
                                         const QString& token);
    QString nextToken();

    QDBusConnection m_bus;
    QString m_session;
    int m_tokens = 0;
};

} // namespace quaro
