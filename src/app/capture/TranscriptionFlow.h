#pragma once

#include "app/capture/CaptureHooks.h"
#include "app/capture/LiveTranscription.h"
#include "app/capture/TranscriptionQueue.h"
#include "core/QuaroStore.h"

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace quaro {

// One recado waiting for its transcript.
struct TranscriptionJob {
    std::string id;
    std::filesystem::path audio;
    std::optional<std::string> chosenDestinoID;
    std::string languageID;
    bool keepAudio = true;
    // The recado whose row could not be inserted when the recording was
    // filed. It is inserted once more with the outcome, so that the speech
    // is never lost to a passing database failure.
    std::optional<Recado> unfiled;
    // What live transcription did while recording; absent: one pass over
    // the file.
    std::optional<LiveHandover> live;
    // A model of the whisper catalogue; empty: the chosen one.
    std::string model;
    // A pendente recado transcribed again keeps its earlier text when the
    // new pass fails: it returns to pendente under this title.
    std::optional<std::string> earlierTitle;
};

// The step after a recording or import is filed: transcribes through the
// FIFO queue, applies the text rules (title, spoken destino), stores the
// outcome, drops the audio when the user keeps only text, and tells the
// application. Main thread; the store, engine and hooks outlive it.
class TranscriptionFlow : public QObject {
    Q_OBJECT
public:
    static constexpr const char* failedTitle = "Não deu para transcrever";
    static constexpr const char* transcribingTitle = "Transcrevendo…";
    // An empty transcript is filed as a failure: silence, a muted microphone
    // or speech the engine missed must not reach an AI as an empty request,
    // nor lose the only copy of the audio.
    static constexpr const char* nothingHeardTitle = "Não ouvi nenhuma fala.";

    // The id of a finished job and, when its recado could not be stored at
    // all, why (its audio file is kept).
    using FinishedHandler = std::function<void(const std::string& id, const std::optional<QString>& lost)>;

    TranscriptionFlow(QuaroStore& store, SpeechEngine& speech, CaptureHooks hooks, QObject* parent = nullptr);

    void transcribe(TranscriptionJob job);
    bool isTranscribing(const std::string& id) const { return m_running.count(id) > 0; }
    int pending() const { return m_queue.pending(); }
    TranscriptionQueue& queue() { return m_queue; }

    // Marks as failed the recados a previous run left "transcrevendo" (quit,
    // crash or kill mid-transcription), so they can be transcribed again.
    // Returns how many there were.
    int recoverInterrupted();

    FinishedHandler onFinished;

private:
    void enqueueFile(TranscriptionJob job);
    void finishLive(TranscriptionJob job, const Result<std::string, TranscriberError>& tail);
    void finish(const TranscriptionJob& job, const Result<std::string, TranscriberError>& transcript);
    Result<void, DatabaseError> storeTranscript(const TranscriptionJob& job, const std::string& transcript);
    std::optional<QString> storeFailure(const TranscriptionJob& job, const char* title);
    void afterFiling(const TranscriptionJob& job);

    QuaroStore& m_store;
    CaptureHooks m_hooks;
    TranscriptionQueue m_queue;
    std::multiset<std::string> m_running;
};

} // namespace quaro
