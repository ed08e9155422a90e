#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

namespace quaro {

// What switching cloud mode off does to the copy on the server: kept (a
// pause; switching on again resumes the same link) or erased with its link.
enum class RemoteCopy { keep, erase };

// Cloud mode as the application and its settings see it: whether it is on,
// how the last sync went, the personal link, the switches, and a way to push
// local changes soon. The sync client implements it; while cloud mode does
// not exist in a build, the state talks to a link that stays off. Main
// thread only.
class CloudLink : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled NOTIFY enabledChanged)
    Q_PROPERTY(bool syncing READ syncing NOTIFY syncingChanged)
    Q_PROPERTY(QDateTime lastSync READ lastSync NOTIFY lastSyncChanged)
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    Q_PROPERTY(QString mcpLink READ mcpLink NOTIFY linkChanged)
    Q_PROPERTY(QString maskedLink READ maskedLink NOTIFY linkChanged)
    Q_PROPERTY(QString server READ server NOTIFY serverChanged)
    Q_PROPERTY(bool serverFixed READ serverFixed CONSTANT)
    Q_PROPERTY(bool checkingServer READ checkingServer NOTIFY serverChanged)
public:
    using QObject::QObject;

    virtual bool enabled() const = 0;
    virtual bool syncing() const { return false; }
    // Invalid until a sync succeeded.
    virtual QDateTime lastSync() const { return {}; }
    // Empty when the last sync succeeded.
    virtual QString lastError() const { return {}; }
    // Empty while there is no secret.
    virtual QString mcpLink() const { return {}; }
    virtual QString maskedLink() const { return {}; }
    // The cloud server's base address, and whether the environment fixed it.
    virtual QString server() const { return {}; }
    virtual bool serverFixed() const { return false; }
    virtual bool checkingServer() const { return false; }

    Q_INVOKABLE virtual void enable() {}
    virtual void disable(RemoteCopy remote) { (void)remote; }
    Q_INVOKABLE void pause() { disable(RemoteCopy::keep); }
    Q_INVOKABLE void disableAndErase() { disable(RemoteCopy::erase); }
    Q_INVOKABLE virtual void rotateLink() {}
    Q_INVOKABLE virtual void syncNow() {}
    // Moves the copy to another server once it answered as one; the old
    // server is told to delete, and a new link is made.
    Q_INVOKABLE virtual void setServer(const QString& address) { (void)address; }

    // Starts a sync now, or marks one to run as soon as the running one ends.
    virtual void kick() = 0;

    // Set by the state: called on the main thread after a sync brought
    // changes made elsewhere into the inbox.
    std::function<void()> onRemoteChange;

signals:
    void enabledChanged();
    void syncingChanged();
    void lastSyncChanged();
    void lastErrorChanged();
    void linkChanged();
    void serverChanged();
};

// Cloud mode off: nothing to kick.
class OfflineCloudLink final : public CloudLink {
    Q_OBJECT
public:
    using CloudLink::CloudLink;
    bool enabled() const override { return false; }
    void kick() override {}
};

} // namespace quaro
