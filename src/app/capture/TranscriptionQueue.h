#pragma once

#include "app/capture/SpeechEngine.h"
#include "app/common/SerialWorker.h"

#include <QObject>

#include <filesystem>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>
#include <string>

namespace quaro {

// Transcribes files one at a time, in the order they were asked for, off the
// main thread: however many recordings and imports arrive, one speech model
// works on one file. Completions come back on the main thread. The engine
// must outlive the queue; destroying the queue drops the files not started
// and waits for the one being transcribed.
class TranscriptionQueue : public QObject {
    Q_OBJECT
public:
    using Completion = std::function<void(Result<std::string, TranscriberError>)>;

    explicit TranscriptionQueue(SpeechEngine& engine, QObject* parent = nullptr);
    ~TranscriptionQueue() override;

    // `model`: a model of the whisper catalogue, or empty for the chosen one.
    void enqueue(std::filesystem::path audio, std::string languageID, Completion done, std::string model = {});

    // Samples (16 kHz mono) instead of a file: a stretch of a recording in
    // progress. When `dropped` is set by the time its turn comes, the stretch
    // is not transcribed and fails at once.
    void enqueueSamples(std::vector<float> samples, std::string languageID,
                        std::shared_ptr<const std::atomic<bool>> dropped, Completion done);

    // Files waiting or being transcribed.
    int pending() const { return m_worker.outstanding(); }

private:
    SpeechEngine& m_engine;
    SerialWorker m_worker;
};

} // namespace quaro
