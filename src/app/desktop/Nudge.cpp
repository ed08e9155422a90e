#include "app/desktop/Nudge.h"

#include "app/common/QtStrings.h"
#include "core/Log.h"

#include <QClipboard>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QGuiApplication>

#include <utility>

namespace quaro {

namespace {

const QString notifications = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

const QString claudeAction = QStringLiteral("quaro.claude");
const QString claudeWebAction = QStringLiteral("quaro.claude-web");
const QString chatGptAction = QStringLiteral("quaro.chatgpt");
const QString defaultAction = QStringLiteral("default");

// Notification servers read a subset of markup in the body.
QString escapedBody(QString text)
{
    text.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    text.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    text.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return text;
}

} // namespace

Nudge::Nudge(QDBusConnection bus, QObject* parent) : QObject(parent), m_bus(std::move(bus))
{
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    findClaudeDesktop = [] { return ClaudeDesktopEntry::find(); };
    m_bus.connect(notifications, notificationsPath, notifications, QStringLiteral("ActionInvoked"), this,
                  SLOT(actionInvoked(uint, QString)));
    m_bus.connect(notifications, notificationsPath, notifications, QStringLiteral("NotificationClosed"), this,
                  SLOT(notificationClosed(uint, uint)));
}

QString Nudge::prompt(const QString& recadoID, const QString& title)
{
    return QStringLiteral("Pegue no Quaro o recado \"%1\" (id %2) e resolva seguindo a instrução do destino. "
                          "No fim, grave o resultado no recado.")
        .arg(title, recadoID);
}

// Decided afresh for every notification: installing Claude Desktop or
// turning cloud mode on shows in the next one without a restart.
QStringList Nudge::actions() const
{
    QStringList list;
    if (findClaudeDesktop && findClaudeDesktop())
        list << claudeAction << QStringLiteral("Abrir no Claude");
    if (cloudEnabled && cloudEnabled())
        list << claudeWebAction << QStringLiteral("Claude na web") << chatGptAction << QStringLiteral("Abrir no ChatGPT");
    list << defaultAction << QStringLiteral("Abrir caixa");
    return list;
}

void Nudge::recadoReady(const Recado& recado, const std::optional<Destino>& destino)
{
    const QString summary = QStringLiteral("Na caixa · %1").arg(destino ? toQString(destino->name) : QStringLiteral("Sem destino"));
    const Posted posted{toQString(recado.id), toQString(recado.title)};
    auto call = QDBusMessage::createMethodCall(notifications, notificationsPath, notifications, QStringLiteral("Notify"));
    call << QStringLiteral("Quaro") << uint(0) << QStringLiteral("quaro") << summary << escapedBody(posted.title)
         << actions() << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("quaro")}} << int(-1);
    const QDBusPendingCall pending = m_bus.asyncCall(call);
    // Without a bus the call has failed already, and a watcher would never
    // say so.
    if (pending.isFinished()) {
        notified(pending, posted);
        return;
    }
    ++m_waitingForIds;
    auto* watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, posted] {
        watcher->deleteLater();
        --m_waitingForIds;
        notified(*watcher, posted);
    });
}

void Nudge::notified(const QDBusPendingCall& call, const Posted& posted)
{
    const QDBusPendingReply<uint> reply = call;
    if (reply.isError())
        reportMissingServer(reply.error().message());
    else
        m_posted.insert(reply.value(), posted);
    const QList<QPair<uint, QString>> early = std::exchange(m_early, {});
    for (const auto& [notification, action] : early) {
        if (m_posted.contains(notification))
            actionInvoked(notification, action);
        else if (m_waitingForIds > 0)
            m_early.append({notification, action});
    }
}

void Nudge::reportMissingServer(const QString& why)
{
    if (m_reportedMissing)
        return;
    m_reportedMissing = true;
    log(LogArea::app, QStringLiteral("notificação"), QStringLiteral("no notification shown: %1").arg(why));
}

void Nudge::actionInvoked(uint notification, const QString& action)
{
    // Every application on the bus hears these signals: only the
    // notifications we posted are ours to answer.
    const auto found = m_posted.constFind(notification);
    if (found == m_posted.constEnd()) {
        if (m_waitingForIds > 0)
            m_early.append({notification, action});
        return;
    }
    handle(action, *found);
}

void Nudge::notificationClosed(uint notification, uint) { m_posted.remove(notification); }

void Nudge::handle(const QString& action, Posted recado)
{
    const QString text = prompt(recado.id, recado.title);
    if (action == claudeAction) {
        // Claude Desktop takes no prompt from outside: the user pastes it.
        if (auto* clipboard = QGuiApplication::clipboard())
            clipboard->setText(text);
        if (auto entry = findClaudeDesktop ? findClaudeDesktop() : std::nullopt; entry && !entry->launch())
            log(LogArea::app, QStringLiteral("notificação"), QStringLiteral("could not start %1").arg(entry->path()));
    } else if (action == claudeWebAction) {
        open(claudeWebAddress, text);
    } else if (action == chatGptAction) {
        open(chatGptAddress, text);
    } else if (onOpenInbox) {
        onOpenInbox();
    }
}

QUrl Nudge::chatAddress(const QString& base, const QString& query)
{
    QUrl url(base, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return {};
    // Encoded by hand: a "+" left as it is would reach the page as a space.
    url.setQuery(QStringLiteral("q=") + QString::fromLatin1(QUrl::toPercentEncoding(query)), QUrl::StrictMode);
    return url;
}

void Nudge::open(const QString& base, const QString& query)
{
    const QUrl url = chatAddress(base, query);
    if (url.isValid() && openUrl)
        openUrl(url);
}

} // namespace quaro
