#pragma once

#include "app/desktop/HotKeyBackend.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QVariantMap>

#include <functional>

class QDBusMessage;

namespace quaro {

// Global hot key where no client may grab keys (Wayland): the desktop
// portal's GlobalShortcuts interface binds one shortcut in a session of ours
// and signals its activations. Every step is asynchronous: CreateSession and
// BindShortcuts answer through Request objects whose Response signal may
// come much later (the desktop may ask the user first), and the event loop
// keeps running meanwhile. Sessions without the portal settle as
// `unavailable`, a dialog the user closed as `cancelled`, any other refusal
// as `refused`. Main thread only.
class HotKeyPortal final : public QObject, public HotKeyBackend {
    Q_OBJECT
public:
    explicit HotKeyPortal(QDBusConnection bus = QDBusConnection::sessionBus());
    ~HotKeyPortal() override;

    void grab(HotKeyPreset preset) override;
    void release() override;

    // The portal's way of writing the preset ("CTRL+ALT+space").
    static QString trigger(HotKeyPreset preset);
    // Whether the desktop's description of a trigger names the same keys as
    // ours, whatever its case, order and spelling of Control.
    static bool sameTrigger(const QString& ours, const QString& theirs);

private slots:
    void activated(const QDBusMessage& signal);
    void shortcutsChanged(const QDBusMessage& signal);
    void response(const QDBusMessage& signal);

private:
    using Answer = std::function<void(uint code, const QVariantMap& results)>;
    using Reply = std::function<void(const QDBusMessage& reply)>;

    void call(const QString& method, const QList<QVariant>& arguments, Reply then);
    void request(const QString& method, QList<QVariant> arguments, QVariantMap options, Answer then);
    void createSession();
    void bind();
    void listShortcuts();
    void grantedOrNot(const QVariantMap& results, bool listed);
    void settle(HotKeyOutcome outcome, const QString& detail, const QString& boundTrigger = {});
    void failed(const QString& method, uint code);
    void closeSession();
    bool current(quint64 generation) const { return generation == m_generation; }

    QDBusConnection m_bus;
    QString m_session;
    HotKeyPreset m_preset = HotKeyPreset::altSpace;
    // Each grab or release starts a new generation; answers of an older
    // one are dropped (and a session created for it closed).
    quint64 m_generation = 0;
    int m_tokens = 0;
    QHash<QString, Answer> m_requests;
};

} // namespace quaro
