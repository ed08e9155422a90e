#pragma once

#include "app/capture/CaptureDevice.h"
#include "app/capture/CaptureFlow.h"
#include "app/capture/ModelCatalogue.h"
#include "app/capture/SpeechEngine.h"
#include "app/desktop/HotKeyStatus.h"
#include "app/state/InboxState.h"
#include "app/state/Preferences.h"
#include "connect/AutoMode.h"
#include "connect/ClaudeConnector.h"
#include "connect/CloudLink.h"
#include "connect/Updater.h"
#include "core/DatabaseError.h"
#include "core/QuaroStore.h"
#include "core/Result.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

namespace quaro {

// What the state is built from. Everything left empty is the real thing:
// the user's settings and inbox, the microphone, the on-device transcriber,
// cloud sync over the user's inbox. Tests replace the hardware edges and the folders.
struct AppStateParts {
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<CaptureDevice> device;
    std::unique_ptr<SpeechEngine> speech;
    std::unique_ptr<CloudLink> cloud;
    std::optional<std::filesystem::path> database;       // default: the user's quaro.sqlite
    std::optional<std::filesystem::path> audioDirectory; // default: the user's Audio folder
    // The whisper models offered and their folder; default: the published
    // ones (with the environment's addresses) in the user's Models folder.
    std::optional<WhisperCatalogue> whisperModels;
    std::optional<std::filesystem::path> modelDirectory;
    CaptureTiming timing;
    // The AI connections; default: the user's own (automatic mode keeps its
    // configuration beside the database).
    std::optional<AutoModeConfig> autoMode;
    std::optional<ClaudeConnectorConfig> connector;
    std::optional<UpdaterConfig> updater;
};

// The application's state, the one object the interface watches: the store,
// the preferences, the inbox lists and actions, and the capture flow, wired
// together, with the 2-second reload that shows what AI clients wrote into
// the shared database. Owned by the application delegate; main thread only.
class AppState : public QObject {
    Q_OBJECT
    Q_PROPERTY(quaro::Preferences* preferences READ preferences CONSTANT)
    Q_PROPERTY(quaro::InboxState* inbox READ inbox CONSTANT)
    Q_PROPERTY(quaro::CaptureFlow* capture READ capture CONSTANT)
    Q_PROPERTY(bool hotKeyWorks READ hotKeyWorks NOTIFY hotKeyWorksChanged)
    Q_PROPERTY(quaro::HotKeyStatus* hotKey READ hotKey CONSTANT)
    Q_PROPERTY(quaro::AutoMode* autoMode READ autoMode CONSTANT)
    Q_PROPERTY(quaro::ClaudeConnector* connector READ connector CONSTANT)
    Q_PROPERTY(quaro::Updater* updater READ updater CONSTANT)
    Q_PROPERTY(quaro::CloudLink* cloud READ cloud CONSTANT)
    Q_PROPERTY(quaro::ModelCatalogue* models READ models CONSTANT)
public:
    // Opens the inbox (creating or upgrading it); fails when it cannot.
    static Result<std::unique_ptr<AppState>, DatabaseError> create(AppStateParts parts = {});
    ~AppState() override;

    Preferences* preferences() { return m_preferences.get(); }
    InboxState* inbox() { return &m_inbox; }
    CaptureFlow* capture() { return &m_capture; }
    CloudLink* cloud() { return m_cloud.get(); }
    QuaroStore& store() { return m_store; }
    AutoMode* autoMode() { return m_autoMode.get(); }
    ClaudeConnector* connector() { return m_connector.get(); }
    Updater* updater() { return m_updater.get(); }
    ModelCatalogue* models() { return m_models.get(); }

    // Where the global hot key stands, and what the interface says about it.
    HotKeyStatus* hotKey() { return m_hotKey.get(); }
    bool hotKeyWorks() const { return m_hotKey->works(); }
    // As if the hot key had been bound or refused (for the interface's tests).
    void setHotKeyWorks(bool works);

    // The recados left half-done by an earlier run that ended abruptly
    // become failed, to be transcribed again. Only the single running
    // instance may call it: another would fail a live transcription.
    void recoverInterrupted();

    // A compact JSON text of what the user sees (phase, counts, recent
    // recados, the names of the open `windows`), for scripts and the
    // end-to-end tests.
    QString snapshot(const QStringList& windows = {});

    // Called when a recado has been transcribed and filed, if the user wants
    // to be told.
    std::function<void(const Recado&, const std::optional<Destino>&)> onRecadoReady;

signals:
    void hotKeyWorksChanged();

private:
    AppState(QuaroStore store, AppStateParts parts);
    CaptureHooks captureHooks();
    void wire();
    void wireConnections(AppStateParts& parts);

    QuaroStore m_store;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<CaptureDevice> m_device;
    std::unique_ptr<SpeechEngine> m_speech;
    std::unique_ptr<CloudLink> m_cloud;
    InboxState m_inbox;
    CaptureFlow m_capture;
    QTimer m_reloadTimer;
    std::unique_ptr<AutoMode> m_autoMode;
    std::unique_ptr<ClaudeConnector> m_connector;
    std::unique_ptr<Updater> m_updater;
    std::unique_ptr<HotKeyStatus> m_hotKey;
    std::unique_ptr<ModelCatalogue> m_models;
    bool m_hotKeyWorks = false;
};

} // namespace quaro
