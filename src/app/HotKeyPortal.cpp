#include "app/HotKeyPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace quaro {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString shortcutId = QStringLiteral("gravar");
// Session creation answers at once; binding may wait for the user to
// confirm in a dialog of the desktop.
constexpr int createTimeoutMs = 5000;
constexpr int bindTimeoutMs = 60000;

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

QString trigger(HotKeyPreset preset)
{
    switch (preset) {
    case HotKeyPreset::optionSpace: return QStringLiteral("ALT+space");
    case HotKeyPreset::controlOptionSpace: return QStringLiteral("CTRL+ALT+space");
    case HotKeyPreset::optionShiftSpace: return QStringLiteral("SHIFT+ALT+space");
    }
    return QStringLiteral("ALT+space");
}

// Collects the one Response signal of a portal request.
class PortalResponse : public QObject {
    Q_OBJECT
public:
    std::optional<uint> code;
    QVariantMap results;
    QEventLoop loop;

public slots:
    void response(uint responseCode, const QVariantMap& responseResults)
    {
        code = responseCode;
        results = responseResults;
        loop.quit();
    }
};

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
}

HotKeyPortal::~HotKeyPortal() { release(); }

Result<void, QString> HotKeyPortal::offered()
{
    if (!m_bus.isConnected())
        return Failure{QStringLiteral("no session bus to reach the desktop portal")};
    auto call = QDBusMessage::createMethodCall(portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                               QStringLiteral("Get"));
    call << shortcutsInterface << QStringLiteral("version");
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, createTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Failure{QStringLiteral("the desktop portal offers no global shortcuts (%1)").arg(reply.errorMessage())};
    return {};
}

QString HotKeyPortal::nextToken() { return QStringLiteral("quaro%1").arg(++m_tokens); }

// Calls a portal method that answers through a Request object, whose path
// follows from our bus name and the token, and waits for its Response.
Result<QVariantMap, QString> HotKeyPortal::request(const QString& method, const QList<QVariant>& arguments,
                                                   const QString& token)
{
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString requestPath = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    PortalResponse response;
    // Subscribed before the call, so a quick answer is not missed.
    m_bus.connect(portalService, requestPath, QStringLiteral("org.freedesktop.portal.Request"),
                  QStringLiteral("Response"), &response, SLOT(response(uint, QVariantMap)));
    auto call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, createTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Failure{QStringLiteral("%1 failed: %2").arg(method, reply.errorMessage())};
    QTimer::singleShot(method == QLatin1String("BindShortcuts") ? bindTimeoutMs : createTimeoutMs, &response.loop,
                       &QEventLoop::quit);
    if (!response.code)
        response.loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!response.code)
        return Failure{QStringLiteral("%1: the desktop portal did not answer").arg(method)};
    if (*response.code != 0)
        return Failure{QStringLiteral("%1: refused by the desktop portal (response %2)").arg(method).arg(*response.code)};
    return response.results;
}

Result<void, QString> HotKeyPortal::grab(HotKeyPreset preset)
{
    release();
    if (auto available = offered(); !available)
        return Failure{available.error()};
    const QString sessionToken = nextToken();
    const QString createToken = nextToken();
    auto created = request(QStringLiteral("CreateSession"),
                           {QVariantMap{{QStringLiteral("handle_token"), createToken},
                                        {QStringLiteral("session_handle_token"), sessionToken}}},
                           createToken);
    if (!created)
        return Failure{created.error()};
    // An object path in the portal's documentation, a string in older portals.
    const QVariant handle = created->value(QStringLiteral("session_handle"));
    m_session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                            : handle.toString();
    if (m_session.isEmpty())
        return Failure{QStringLiteral("CreateSession: the desktop portal returned no session")};

    const PortalShortcut shortcut{shortcutId, {{QStringLiteral("description"), QStringLiteral("Gravar recado")},
                                               {QStringLiteral("preferred_trigger"), trigger(preset)}}};
    const QString bindToken = nextToken();
    auto bound = request(QStringLiteral("BindShortcuts"),
                         {QVariant::fromValue(QDBusObjectPath(m_session)),
                          QVariant::fromValue(QList<PortalShortcut>{shortcut}), QString(),
                          QVariantMap{{QStringLiteral("handle_token"), bindToken}}},
                         bindToken);
    if (!bound) {
        release();
        return Failure{bound.error()};
    }
    // The user may decline the shortcut in the portal's dialog: it then
    // comes back without it.
    QList<PortalShortcut> granted;
    bound->value(QStringLiteral("shortcuts")).value<QDBusArgument>() >> granted;
    const bool ours = std::any_of(granted.begin(), granted.end(), [](const auto& s) { return s.id == shortcutId; });
    if (!ours) {
        release();
        return Failure{QStringLiteral("BindShortcuts: the shortcut was not granted")};
    }
    return {};
}

void HotKeyPortal::release()
{
    if (m_session.isEmpty())
        return;
    const auto close = QDBusMessage::createMethodCall(portalService, m_session, QStringLiteral("org.freedesktop.portal.Session"),
                                                      QStringLiteral("Close"));
    m_bus.call(close, QDBus::NoBlock);
    m_session.clear();
}

void HotKeyPortal::activated(const QDBusMessage& signal)
{
    // Activated(o session, s shortcut, t timestamp, a{sv} options). The
    // compositor reports a press once, whatever the key repeat does.
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || m_session.isEmpty())
        return;
    if (arguments[0].value<QDBusObjectPath>().path() != m_session || arguments[1].toString() != shortcutId)
        return;
    if (pressed)
        pressed();
}

} // namespace quaro

#include "HotKeyPortal.moc"
