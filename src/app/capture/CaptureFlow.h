#pragma once

#include "app/capture/CaptureDevice.h"
#include "app/capture/CaptureHooks.h"
#include "app/capture/CapturePhase.h"
#include "app/capture/ImportFlow.h"
#include "app/capture/MicrophoneListModel.h"
#include "app/capture/SpeechEngine.h"
#include "app/capture/TranscriptionFlow.h"
#include "core/QuaroStore.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quaro {

// How long things take; tests shorten the hides.
struct CaptureTiming {
    int sentHideMs = 2400;
    int failedHideMs = 3000;
    int meterIntervalMs = 50;
    // Shorter recordings are taken for a slip of the finger: nothing is filed.
    double minimumSeconds = 0.6;
    // Runs `hide` after the delay; a single-shot timer unless a test steps
    // the delays itself.
    std::function<void(int milliseconds, std::function<void()> hide)> schedule;
};

// The capture flow, from the hot key to a filed recado: recording, pausing,
// stopping, filing with status transcrevendo, transcribing off the main
// thread, and what the widget shows meanwhile; plus audio import and
// transcribing a recado again. Lives on the main thread; the store, the
// device and the speech engine must outlive it. It knows nothing of the
// application's preferences or lists: it reads and tells them through hooks.
class CaptureFlow : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString phase READ phaseName NOTIFY phaseChanged)
    Q_PROPERTY(QString phaseText READ phaseText NOTIFY phaseChanged)
    Q_PROPERTY(bool isCapturing READ isCapturing NOTIFY phaseChanged)
    Q_PROPERTY(double elapsed READ elapsed NOTIFY elapsedChanged)
    Q_PROPERTY(double level READ level NOTIFY levelChanged)
    Q_PROPERTY(bool lastTranscriptionDone READ lastTranscriptionDone NOTIFY lastTranscriptionDoneChanged)
    Q_PROPERTY(quaro::MicrophoneListModel* microphones READ microphones CONSTANT)
    Q_PROPERTY(QString notice READ notice NOTIFY noticeChanged)
    Q_PROPERTY(quaro::SpeechEngine* speech READ speech CONSTANT)
    // Stretches of the recording in progress transcribed so far; after the
    // stop, those of the last recording sent that were ready before it (0
    // when it goes in one pass).
    Q_PROPERTY(int liveStretches READ liveStretches NOTIFY liveStretchesChanged)
public:
    using Phase = CapturePhase;

    CaptureFlow(QuaroStore& store, CaptureDevice& device, SpeechEngine& speech,
                std::filesystem::path audioDirectory, CaptureHooks hooks, CaptureTiming timing = {},
                QObject* parent = nullptr);
    ~CaptureFlow() override;

    const Phase& currentPhase() const { return m_phase; }
    QString phaseName() const { return m_phase.name(); }
    QString phaseText() const { return m_phase.text(); }
    bool isCapturing() const { return m_phase.isCapturing(); }
    double elapsed() const { return m_elapsed; }
    double level() const { return m_level; }
    bool lastTranscriptionDone() const { return m_lastTranscriptionDone; }
    MicrophoneListModel* microphones() { return &m_microphones; }
    QString notice() const { return m_import.notice(); }
    SpeechEngine* speech() { return &m_speech; }
    int liveStretches() const { return m_liveStretches; }
    // Transcriptions and imports not finished yet.
    int pendingWork() const { return m_transcription.pending() + m_import.pending(); }

    Q_INVOKABLE void startRecording();
    Q_INVOKABLE void stopAndSend();
    Q_INVOKABLE void togglePause();
    Q_INVOKABLE void discard();
    // The user closes a message (sent, failed, no permission) before its
    // time: back to idle unless a capture is running.
    Q_INVOKABLE void dismissMessage();
    // The hot key's rule: stop and send while capturing, else start.
    Q_INVOKABLE void toggleRecording();
    Q_INVOKABLE void importAudio(const QList<QUrl>& urls);
    Q_INVOKABLE void clearNotice() { m_import.clearNotice(); }
    void importFiles(const std::vector<std::filesystem::path>& files);
    // A falhou or pendente recado whose audio is kept, transcribed once more
    // with `model` of the whisper catalogue (empty: the chosen one). A
    // recado an AI has taken (pego, resolvido) keeps the text it acted on.
    Q_INVOKABLE void transcribeAgain(const QString& id, const QString& model = QString());
    // Whether `transcribeAgain` would take the recado now.
    Q_INVOKABLE bool canTranscribeAgain(const QString& id) const;
    Q_INVOKABLE void refreshMicrophones();
    // "authorised", "undetermined" or "denied", read from the device now.
    Q_INVOKABLE QString microphonePermission() const;
    // Asks the user once; the answer arrives in microphonePermissionAnswered.
    Q_INVOKABLE void requestMicrophonePermission();
    // Hands a new microphone choice (absent: system default) to a recording
    // in progress.
    void switchMicrophone(std::optional<std::string> id);
    // Called once at start, before anything is recorded.
    int recoverInterrupted();
    // Before the application quits: sends a recording in progress, then
    // calls `done` once every stop asked of the device has finished (the
    // file closed and the recado filed), or after `boundMs` at the latest,
    // whichever comes first. `done` runs exactly once.
    void finishForQuit(int boundMs, std::function<void()> done);
    bool isStopping() const { return m_stopping > 0; }

signals:
    void phaseChanged();
    void elapsedChanged();
    void levelChanged();
    void lastTranscriptionDoneChanged();
    void liveStretchesChanged();
    void noticeChanged();
    void microphonePermissionAnswered(const QString& permission);
    // The last stop in flight has finished.
    void stopsSettled();

private:
    struct Capture {
        std::string id;
        std::filesystem::path file;
    };

    CaptureChoice choice() const;
    void beginCapture();
    void recordingStarted(const Capture& capture, const Result<void, RecorderError>& started);
    void recordingStopped(const Capture& capture, double seconds, const std::optional<std::string>& chosen,
                          const Result<std::filesystem::path, RecorderError>& stopped);
    // Every stop goes through here, so that quitting can wait for it.
    void stopDevice(CaptureDevice::StopCompletion then);
    void handleUnexpectedStop(const std::filesystem::path& file, const std::optional<RecorderError>& error);
    void transcriptionFinished(const std::string& id, const std::optional<QString>& lost);
    void fail(const QString& message);
    void scheduleHide(int milliseconds);
    void startMeter();
    void stopMeter();
    void meterTick();
    void setPhase(Phase phase);
    void setElapsed(double elapsed);
    void setLevel(double level);
    void setLastTranscriptionDone(bool done);
    void setLiveStretches(int done);

    QuaroStore& m_store;
    CaptureDevice& m_device;
    SpeechEngine& m_speech;
    std::filesystem::path m_audioDirectory;
    CaptureHooks m_hooks;
    CaptureTiming m_timing;

    Phase m_phase;
    double m_elapsed = 0;
    double m_level = 0;
    bool m_lastTranscriptionDone = false;
    MicrophoneListModel m_microphones;
    QTimer m_meter;
    std::int64_t m_hideToken = 0;
    // The recording in progress, absent once stopped or dropped.
    std::optional<Capture> m_current;
    int m_stopping = 0;
    // The recording whose outcome the phase shows: the one in progress, or
    // the last one sent. A late callback of any other recording changes
    // nothing that is shown.
    std::string m_shownID;
    // The last recording sent; `lastTranscriptionDone` follows it alone.
    std::string m_lastSentID;

    int m_liveStretches = 0;

    TranscriptionFlow m_transcription;
    ImportFlow m_import;
    LiveTranscription m_live;
};

} // namespace quaro
