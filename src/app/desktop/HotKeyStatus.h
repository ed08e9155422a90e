#pragma once

#include "app/desktop/HotKey.h"
#include "app/desktop/SessionInfo.h"

#include <QObject>
#include <QString>

#include <memory>

namespace quaro {

class GnomeShortcut;
class Preferences;

// What the interface says about the global hot key, the same way in the
// tray menu, the settings and the onboarding: whether it works, the label
// to print (the desktop's own combination when it bound another), the
// problem in one sentence, and the fix this desktop allows: GNOME's own
// custom shortcut, a line for the compositor's configuration, or the
// command to bind. Owned by the application state; main thread only.
class HotKeyStatus : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool works READ works NOTIFY changed)
    Q_PROPERTY(bool waiting READ waiting NOTIFY changed)
    Q_PROPERTY(QString state READ stateName NOTIFY changed)
    Q_PROPERTY(QString label READ label NOTIFY changed)
    Q_PROPERTY(QString problem READ problem NOTIFY changed)
    Q_PROPERTY(QString fix READ fix NOTIFY changed)
    Q_PROPERTY(QString configLine READ configLine NOTIFY changed)
    Q_PROPERTY(bool gnomeShortcutOffered READ gnomeShortcutOffered NOTIFY changed)
    Q_PROPERTY(bool gnomeShortcutActive READ gnomeShortcutActive NOTIFY changed)
    Q_PROPERTY(QString clash READ clash NOTIFY changed)
    Q_PROPERTY(bool canRetry READ canRetry NOTIFY changed)
public:
    // `executable` is what the desktop's shortcut runs with `--toggle`.
    HotKeyStatus(Preferences& preferences, SessionInfo session, QString executable, QObject* parent = nullptr);
    ~HotKeyStatus() override;

    // What the hot key reported last.
    void setHotKey(HotKeyState state, const QString& boundTrigger = {});

    bool works() const;
    bool waiting() const { return m_state == HotKeyState::waiting && !gnomeShortcutActive(); }
    QString stateName() const;
    QString label() const;
    QString problem() const;
    QString fix() const;
    QString configLine() const;
    bool gnomeShortcutOffered() const;
    bool gnomeShortcutActive() const { return m_gnomeActive; }
    QString clash() const;
    bool canRetry() const;
    // `quaro --toggle` as the desktop should run it.
    QString toggleCommand() const;

    // Adds (or brings up to date) GNOME's custom shortcut, or takes it away.
    Q_INVOKABLE void createGnomeShortcut();
    Q_INVOKABLE void removeGnomeShortcut();
    // Asks the desktop again after a refusal or a closed dialog.
    Q_INVOKABLE void retry() { emit retryRequested(); }

signals:
    void changed();
    // The hot key should be registered again (or given up, when GNOME's
    // shortcut took over).
    void retryRequested();

private:
    void followPreset();
    QString desktopName() const;

    Preferences& m_preferences;
    SessionInfo m_session;
    QString m_executable;
    std::unique_ptr<GnomeShortcut> m_gnome;
    bool m_gnomeActive = false;
    HotKeyState m_state = HotKeyState::idle;
    QString m_boundTrigger;
    QString m_clash;
};

} // namespace quaro
