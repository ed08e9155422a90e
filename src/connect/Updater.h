#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace quaro {

// The build's identity and update settings; `build()` is what CMake
// configured. Tests pass their own (a loopback feed, say).
struct UpdaterConfig {
    QString marketingVersion;
    QString buildNumber;
    QString feedUrl;
    QString publicKey;
    QString feedbackUrl;
    // Where a new version is downloaded by hand (packages and archives).
    QString downloadPage;

    static UpdaterConfig build();
};

// The version text, whether this copy can look for updates, and the
// feedback form. Updates exist only in builds configured with both a feed
// address and a signing key; a development build has none. A check reads
// the feed and says whether a newer version is out and where; installing
// it is left to the user's package route or the download page. A build
// without a feedback address has no feedback controls. Main thread only.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAvailable READ isAvailable CONSTANT)
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(bool checking READ checking NOTIFY checkingChanged)
    Q_PROPERTY(QString newerVersion READ newerVersion NOTIFY checkFinished)
    Q_PROPERTY(QUrl downloadUrl READ downloadUrl NOTIFY checkFinished)
    Q_PROPERTY(QString checkMessage READ checkMessage NOTIFY checkFinished)
    Q_PROPERTY(bool canSendFeedback READ canSendFeedback CONSTANT)
    Q_PROPERTY(QUrl downloadPage READ downloadPage CONSTANT)

public:
    explicit Updater(UpdaterConfig config = UpdaterConfig::build(), QObject* parent = nullptr);
    ~Updater() override;

    bool isAvailable() const;
    // "1.4 (27)"; a missing part reads "?".
    QString version() const;
    bool checking() const { return m_reply != nullptr; }
    QString newerVersion() const { return m_newerVersion; }
    QUrl downloadUrl() const { return m_downloadUrl; }
    QString checkMessage() const { return m_checkMessage; }

    // The feedback form with "versao" set to `version()`, every character
    // but letters, digits and "-._~" percent-encoded. Invalid when no
    // usable address was configured.
    QUrl feedbackAddress() const;
    bool canSendFeedback() const { return feedbackAddress().isValid(); }
    // Invalid when the build names none (or nothing usable).
    QUrl downloadPage() const;

    // Only when updates are available: a check now and one a day after.
    void start();
    // Only when updates are available; otherwise nothing happens.
    Q_INVOKABLE void checkForUpdates();
    // Opens the feedback form through `openUrl`; false when there is no
    // address or nothing to open it with.
    Q_INVOKABLE bool sendFeedback() const;
    // Opens the download page through `openUrl`; false when there is none.
    Q_INVOKABLE bool openDownloadPage() const;

    // How addresses reach the user's browser; the application sets it.
    std::function<bool(const QUrl&)> openUrl;

signals:
    void checkingChanged();
    void checkFinished();

private:
    void readFeed();

    UpdaterConfig m_config;
    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_reply = nullptr;
    QTimer m_daily;
    QString m_newerVersion;
    QUrl m_downloadUrl;
    QString m_checkMessage;
};

} // namespace quaro
