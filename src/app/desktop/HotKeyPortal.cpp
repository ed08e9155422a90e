#include "app/desktop/HotKeyPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QSet>

#include <algorithm>

namespace quaro {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString shortcutId = QStringLiteral("gravar");
// The Response codes of a portal request.
constexpr uint responseSuccess = 0;
constexpr uint responseCancelled = 1;

struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

QList<PortalShortcut> shortcutsOf(const QVariant& value)
{
    QList<PortalShortcut> shortcuts;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> shortcuts;
    return shortcuts;
}

const PortalShortcut* ours(const QList<PortalShortcut>& shortcuts)
{
    const auto found = std::find_if(shortcuts.begin(), shortcuts.end(), [](const auto& s) { return s.id == shortcutId; });
    return found == shortcuts.end() ? nullptr : &*found;
}

// An object path in the portal's documentation, a string in older portals.
QString sessionOf(const QVariantMap& results)
{
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    return handle.metaType() == QMetaType::fromType<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                      : handle.toString();
}

QSet<QString> keysOf(const QString& trigger)
{
    QSet<QString> keys;
    for (QString key : trigger.split(QLatin1Char('+'), Qt::SkipEmptyParts)) {
        key = key.trimmed().toLower();
        if (key == QLatin1String("control"))
            key = QStringLiteral("ctrl");
        keys.insert(key);
    }
    return keys;
}

} // namespace

} // namespace quaro

Q_DECLARE_METATYPE(quaro::PortalShortcut)

namespace quaro {

HotKeyPortal::HotKeyPortal(QDBusConnection bus) : m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(activated(QDBusMessage)));
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(shortcutsChanged(QDBusMessage)));
}

HotKeyPortal::~HotKeyPortal() { release(); }

QString HotKeyPortal::trigger(HotKeyPreset preset)
{
    switch (preset) {
    case HotKeyPreset::altSpace: return QStringLiteral("ALT+space");
    case HotKeyPreset::controlAltSpace: return QStringLiteral("CTRL+ALT+space");
    case HotKeyPreset::altShiftSpace: return QStringLiteral("SHIFT+ALT+space");
    }
    return QStringLiteral("ALT+space");
}

bool HotKeyPortal::sameTrigger(const QString& ours, const QString& theirs)
{
    return theirs.trimmed().isEmpty() || keysOf(ours) == keysOf(theirs);
}

void HotKeyPortal::grab(HotKeyPreset preset)
{
    release();
    m_preset = preset;
    if (!m_bus.isConnected()) {
        settle(HotKeyOutcome::unavailable, QStringLiteral("no session bus to reach the desktop portal"));
        return;
    }
    auto version = QDBusMessage::createMethodCall(portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                  QStringLiteral("Get"));
    version << shortcutsInterface << QStringLiteral("version");
    const quint64 generation = m_generation;
    QDBusPendingCallWatcher* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(version), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation] {
        watcher->deleteLater();
        if (!current(generation))
            return;
        if (watcher->isError()) {
            settle(HotKeyOutcome::unavailable,
                   QStringLiteral("the desktop portal offers no global shortcuts (%1)").arg(watcher->error().message()));
            return;
        }
        createSession();
    });
}

void HotKeyPortal::release()
{
    // Requests still open keep their subscription: a session that one of
    // them creates after all is closed when its answer comes.
    ++m_generation;
    closeSession();
}

void HotKeyPortal::closeSession()
{
    if (m_session.isEmpty())
        return;
    const auto close = QDBusMessage::createMethodCall(portalService, m_session, QStringLiteral("org.freedesktop.portal.Session"),
                                                      QStringLiteral("Close"));
    m_bus.call(close, QDBus::NoBlock);
    m_session.clear();
}

void HotKeyPortal::call(const QString& method, const QList<QVariant>& arguments, Reply then)
{
    auto message = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    message.setArguments(arguments);
    const quint64 generation = m_generation;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, generation, done = std::move(then)] {
        watcher->deleteLater();
        if (current(generation))
            done(watcher->reply());
    });
}

// A portal method that answers through a Request object. Its path follows
// from our bus name and the token, so the Response is subscribed to before
// the call: a quick answer cannot be missed.
void HotKeyPortal::request(const QString& method, QList<QVariant> arguments, QVariantMap options, Answer then)
{
    const QString token = QStringLiteral("quaro%1").arg(++m_tokens);
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    const quint64 generation = m_generation;
    m_requests.insert(path, [this, generation, answer = std::move(then)](uint code, const QVariantMap& results) {
        if (current(generation)) {
            answer(code, results);
            return;
        }
        // Made for a combination no longer wanted.
        const QString stale = sessionOf(results);
        if (!stale.isEmpty())
            m_bus.call(QDBusMessage::createMethodCall(portalService, stale, QStringLiteral("org.freedesktop.portal.Session"),
                                                      QStringLiteral("Close")),
                       QDBus::NoBlock);
    });
    m_bus.connect(portalService, path, requestInterface, QStringLiteral("Response"), this, SLOT(response(QDBusMessage)));
    options.insert(QStringLiteral("handle_token"), token);
    arguments << options;
    call(method, arguments, [this, method, path](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ErrorMessage)
            return;
        m_requests.remove(path);
        settle(HotKeyOutcome::refused, QStringLiteral("%1 failed: %2").arg(method, reply.errorMessage()));
    });
}

void HotKeyPortal::response(const QDBusMessage& signal)
{
    const auto answer = m_requests.take(signal.path());
    m_bus.disconnect(portalService, signal.path(), requestInterface, QStringLiteral("Response"), this,
                     SLOT(response(QDBusMessage)));
    const QList<QVariant> arguments = signal.arguments();
    if (!answer || arguments.size() < 2)
        return;
    answer(arguments[0].toUInt(), qdbus_cast<QVariantMap>(arguments[1]));
}

void HotKeyPortal::createSession()
{
    const QVariantMap options{{QStringLiteral("session_handle_token"), QStringLiteral("quaro%1").arg(++m_tokens)}};
    request(QStringLiteral("CreateSession"), {}, options, [this](uint code, const QVariantMap& results) {
        const QString session = sessionOf(results);
        if (code != responseSuccess)
            return failed(QStringLiteral("CreateSession"), code);
        if (session.isEmpty())
            return settle(HotKeyOutcome::refused, QStringLiteral("CreateSession: the desktop portal returned no session"));
        m_session = session;
        bind();
    });
}

void HotKeyPortal::bind()
{
    const PortalShortcut shortcut{shortcutId, {{QStringLiteral("description"), QStringLiteral("Gravar recado")},
                                               {QStringLiteral("preferred_trigger"), trigger(m_preset)}}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(QList<PortalShortcut>{shortcut}), QString()},
            {}, [this](uint code, const QVariantMap& results) {
                if (code != responseSuccess)
                    return failed(QStringLiteral("BindShortcuts"), code);
                grantedOrNot(results, false);
            });
}

// Some portals answer BindShortcuts without the list; ListShortcuts says
// what the session really holds.
void HotKeyPortal::listShortcuts()
{
    request(QStringLiteral("ListShortcuts"), {QVariant::fromValue(QDBusObjectPath(m_session))}, {},
            [this](uint code, const QVariantMap& results) {
                if (code != responseSuccess)
                    return failed(QStringLiteral("ListShortcuts"), code);
                grantedOrNot(results, true);
            });
}

void HotKeyPortal::grantedOrNot(const QVariantMap& results, bool listed)
{
    const QList<PortalShortcut> shortcuts = shortcutsOf(results.value(QStringLiteral("shortcuts")));
    if (const PortalShortcut* shortcut = ours(shortcuts)) {
        const QString bound = shortcut->properties.value(QStringLiteral("trigger_description")).toString();
        settle(HotKeyOutcome::bound, {}, sameTrigger(trigger(m_preset), bound) ? QString() : bound);
        return;
    }
    if (!listed && !results.contains(QStringLiteral("shortcuts")))
        return listShortcuts();
    // The user declined this one shortcut in the portal's dialog.
    settle(HotKeyOutcome::refused, QStringLiteral("BindShortcuts: the shortcut was not granted"));
}

void HotKeyPortal::failed(const QString& method, uint code)
{
    if (code == responseCancelled)
        settle(HotKeyOutcome::cancelled, QStringLiteral("%1: cancelled in the desktop's dialog").arg(method));
    else
        settle(HotKeyOutcome::refused, QStringLiteral("%1: refused by the desktop portal (response %2)").arg(method).arg(code));
}

void HotKeyPortal::settle(HotKeyOutcome outcome, const QString& detail, const QString& boundTrigger)
{
    if (outcome != HotKeyOutcome::bound) {
        // Nothing half-made stays behind: no session, no later answers.
        ++m_generation;
        closeSession();
    }
    if (settled)
        settled(HotKeyResult{outcome, boundTrigger, detail});
}

void HotKeyPortal::activated(const QDBusMessage& signal)
{
    // Activated(o session, s shortcut, t timestamp, a{sv} options). The
    // compositor reports a press once, whatever the key repeat does; the
    // Deactivated that follows at release means nothing to a toggle.
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || m_session.isEmpty())
        return;
    if (arguments[0].value<QDBusObjectPath>().path() != m_session || arguments[1].toString() != shortcutId)
        return;
    if (pressed)
        pressed();
}

void HotKeyPortal::shortcutsChanged(const QDBusMessage& signal)
{
    // ShortcutsChanged(o session, a(sa{sv}) shortcuts): the user rebound it
    // in the desktop's settings.
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || m_session.isEmpty() || arguments[0].value<QDBusObjectPath>().path() != m_session)
        return;
    const QList<PortalShortcut> shortcuts = shortcutsOf(arguments[1]);
    const PortalShortcut* shortcut = ours(shortcuts);
    if (!shortcut || !triggerChanged)
        return;
    const QString bound = shortcut->properties.value(QStringLiteral("trigger_description")).toString();
    triggerChanged(sameTrigger(trigger(m_preset), bound) ? QString() : bound);
}

} // namespace quaro
