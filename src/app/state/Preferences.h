#pragma once

#include "app/state/HotKeyPreset.h"
#include "app/state/LaunchAtLogin.h"

#include <QDateTime>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QVariantList>

#include <memory>
#include <optional>

namespace quaro {

// The user's choices, kept in QSettings (~/.config/Quaro/Quaro.conf) under
// the keys the rest of Quaro shares. Read once at construction; each
// assignment stores at once and then notifies, and assigning the value a
// property already has does nothing. Values come back from the file as text,
// so booleans and integers are parsed here: anything unreadable gives the
// key's default. Whether Quaro starts at login is not a stored key but the
// autostart entry itself. Main thread only.
class Preferences : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString selectedMicID READ selectedMicID WRITE setSelectedMicID NOTIFY selectedMicIDChanged)
    Q_PROPERTY(QString selectedDestinoID READ selectedDestinoID WRITE setSelectedDestinoID
                   NOTIFY selectedDestinoIDChanged)
    Q_PROPERTY(bool alwaysShowWidget READ alwaysShowWidget WRITE setAlwaysShowWidget NOTIFY alwaysShowWidgetChanged)
    Q_PROPERTY(bool showInDock READ showInDock WRITE setShowInDock NOTIFY showInDockChanged)
    Q_PROPERTY(QString hotKeyPreset READ hotKeyPresetRaw WRITE setHotKeyPresetRaw NOTIFY hotKeyPresetChanged)
    Q_PROPERTY(QString hotKeyLabel READ hotKeyLabel NOTIFY hotKeyPresetChanged)
    Q_PROPERTY(QString languageID READ languageID WRITE setLanguageID NOTIFY languageIDChanged)
    Q_PROPERTY(bool keepAudio READ keepAudio WRITE setKeepAudio NOTIFY keepAudioChanged)
    Q_PROPERTY(bool liveTranscription READ liveTranscription WRITE setLiveTranscription
                   NOTIFY liveTranscriptionChanged)
    Q_PROPERTY(bool nudgeEnabled READ nudgeEnabled WRITE setNudgeEnabled NOTIFY nudgeEnabledChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(QString settingsTab READ settingsTab WRITE setSettingsTab NOTIFY settingsTabChanged)
    Q_PROPERTY(bool onboardingDone READ onboardingDone WRITE setOnboardingDone NOTIFY onboardingDoneChanged)

public:
    // The user's own settings file and autostart entry.
    explicit Preferences(QObject* parent = nullptr);
    // Tests point both at temporary files.
    Preferences(std::unique_ptr<QSettings> settings, LaunchAtLogin launcher, QObject* parent = nullptr);
    ~Preferences() override;

    // Empty means absent (the system's default microphone; no destino).
    QString selectedMicID() const { return m_selectedMicID; }
    void setSelectedMicID(const QString& id);
    QString selectedDestinoID() const { return m_selectedDestinoID; }
    void setSelectedDestinoID(const QString& id);

    bool alwaysShowWidget() const { return m_alwaysShowWidget; }
    void setAlwaysShowWidget(bool on);
    bool showInDock() const { return m_showInDock; }
    void setShowInDock(bool on);

    HotKeyPreset hotKeyPreset() const { return m_hotKeyPreset; }
    void setHotKeyPreset(HotKeyPreset preset);
    // Raw values for QML; an unknown one is ignored.
    QString hotKeyPresetRaw() const;
    void setHotKeyPresetRaw(const QString& raw);
    QString hotKeyLabel() const;
    // Every preset for the pickers, in order: [{ value, label }].
    Q_INVOKABLE QVariantList hotKeyPresetOptions() const;

    QString languageID() const { return m_languageID; }
    void setLanguageID(const QString& id);
    bool keepAudio() const { return m_keepAudio; }
    void setKeepAudio(bool on);
    // Transcribe stretches while recording, so that the text is ready soon
    // after the stop ("liveTranscription", on by default).
    bool liveTranscription() const { return m_liveTranscription; }
    void setLiveTranscription(bool on);
    bool nudgeEnabled() const { return m_nudgeEnabled; }
    void setNudgeEnabled(bool on);

    // A failure to change the autostart entry is logged; the value stays.
    bool launchAtLogin() const { return m_launchAtLogin; }
    void setLaunchAtLogin(bool on);

    // "geral", "gravacao", "destinos" or "conexoes"; not stored. Anything
    // else is ignored.
    QString settingsTab() const { return m_settingsTab; }
    void setSettingsTab(const QString& tab);

    bool onboardingDone() const { return m_onboardingDone; }
    void setOnboardingDone(bool done);

    // Automatic mode's keys, read from the file on every call (that mode
    // keeps its own copy).
    bool autoEnabled() const { return boolValue(QStringLiteral("autoEnabled"), false); }
    void setAutoEnabled(bool on) { setValue(QStringLiteral("autoEnabled"), on); }
    int autoInterval() const { return intValue(QStringLiteral("autoInterval")).value_or(60); }
    void setAutoInterval(int minutes) { setValue(QStringLiteral("autoInterval"), minutes); }
    std::optional<QDateTime> autoLastRun() const { return dateValue(QStringLiteral("autoLastRun")); }
    void setAutoLastRun(const std::optional<QDateTime>& when);

    // Typed access to any key, for features that own their keys
    // ("widgetOrigin.v2", say). Readers accept the value's text form.
    bool boolValue(const QString& key, bool fallback) const;
    std::optional<int> intValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QDateTime> dateValue(const QString& key) const;
    // Stores and writes the file at once; dates as ISO 8601 text in UTC.
    void setValue(const QString& key, const QVariant& value);
    void removeValue(const QString& key);

signals:
    void selectedMicIDChanged();
    void selectedDestinoIDChanged();
    void alwaysShowWidgetChanged();
    void showInDockChanged();
    void hotKeyPresetChanged();
    void languageIDChanged();
    void keepAudioChanged();
    void liveTranscriptionChanged();
    void nudgeEnabledChanged();
    void launchAtLoginChanged();
    void settingsTabChanged();
    void onboardingDoneChanged();

private:
    void read();
    // Assigns, stores (an empty string removes the key), then notifies; a
    // value equal to the current one changes nothing.
    template <typename T>
    void update(T& field, const T& value, const QString& key, void (Preferences::*changed)());

    std::unique_ptr<QSettings> m_settings;
    LaunchAtLogin m_launcher;

    QString m_selectedMicID;
    QString m_selectedDestinoID;
    bool m_alwaysShowWidget = false;
    bool m_showInDock = true;
    HotKeyPreset m_hotKeyPreset = HotKeyPreset::altSpace;
    QString m_languageID = QStringLiteral("pt-BR");
    bool m_keepAudio = true;
    bool m_liveTranscription = true;
    bool m_nudgeEnabled = true;
    bool m_launchAtLogin = false;
    QString m_settingsTab = QStringLiteral("geral");
    bool m_onboardingDone = false;
};

} // namespace quaro
