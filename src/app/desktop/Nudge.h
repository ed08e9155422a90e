#pragma once

#include "app/desktop/ClaudeDesktopEntry.h"
#include "core/Destino.h"
#include "core/Recado.h"

#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QHash>
#include <QList>
#include <QPair>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace quaro {

// The desktop notification that says a recado has been filed, with buttons
// that hand it to an AI in one click (Claude Desktop, Claude on the web,
// ChatGPT); a click on the notification itself opens the inbox. Talks to the
// session's org.freedesktop.Notifications server and answers only to the
// notifications it posted. One per application; main thread only.
class Nudge : public QObject {
    Q_OBJECT
public:
    static constexpr const char* claudeWebDefault = "https://claude.ai/new";
    static constexpr const char* chatGptDefault = "https://chatgpt.com/";

    explicit Nudge(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    // What the AI is asked to do with the recado.
    static QString prompt(const QString& recadoID, const QString& title);
    // A web chat at `base` opened on `query`; invalid when `base` is not an
    // address.
    static QUrl chatAddress(const QString& base, const QString& query);

    // Posts the notification for a recado that has just been filed.
    void recadoReady(const Recado& recado, const std::optional<Destino>& destino);

    // Set by the application: whether cloud mode is on (the web buttons
    // appear only then), and how to open the inbox.
    std::function<bool()> cloudEnabled;
    std::function<void()> onOpenInbox;

    // The outside world, replaceable so that tests open no browser and find
    // Claude Desktop where they put it.
    QString claudeWebAddress = QString::fromLatin1(claudeWebDefault);
    QString chatGptAddress = QString::fromLatin1(chatGptDefault);
    std::function<void(const QUrl&)> openUrl;
    std::function<std::optional<ClaudeDesktopEntry>()> findClaudeDesktop;

private slots:
    void actionInvoked(uint notification, const QString& action);
    void notificationClosed(uint notification, uint reason);

private:
    struct Posted {
        QString id;
        QString title;
    };

    QStringList actions() const;
    void notified(const QDBusPendingCall& call, const Posted& posted);
    void handle(const QString& action, Posted recado);
    void open(const QString& base, const QString& query);
    void reportMissingServer(const QString& why);

    QDBusConnection m_bus;
    QHash<uint, Posted> m_posted;
    // Notify calls still waiting for their id, and the actions heard
    // meanwhile for ids not known yet: QtDBus hands a reply to its watcher
    // one event later than a signal that followed it on the bus.
    int m_waitingForIds = 0;
    QList<QPair<uint, QString>> m_early;
    bool m_reportedMissing = false;
};

} // namespace quaro
