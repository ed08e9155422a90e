#pragma once

#include "core/Result.h"
#include "speech/TranscriberError.h"

#include <QObject>

#include <atomic>
#include <filesystem>
#include <span>
#include <string>

namespace quaro {

// Turns an audio file into text: the on-device transcriber in production, a
// scripted engine in tests. `transcribe` blocks and is called from the
// transcription queue's thread, never from the main thread. The properties
// live on the main thread; `reportModelProgress` may be called from any.
class SpeechEngine : public QObject {
    Q_OBJECT
    // How far the first-use model download has come, 0...1; meaningful while
    // `downloadingModel` is true.
    Q_PROPERTY(double modelProgress READ modelProgress NOTIFY modelProgressChanged)
    Q_PROPERTY(bool downloadingModel READ downloadingModel NOTIFY downloadingModelChanged)
public:
    explicit SpeechEngine(QObject* parent = nullptr) : QObject(parent) {}

    virtual Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio,
                                                             const std::string& languageID) = 0;
    // The same for 16 kHz mono samples: a stretch of a recording still in
    // progress. An engine without it fails, and recordings are then
    // transcribed whole once they stop.
    virtual Result<std::string, TranscriberError> transcribeSamples(std::span<const float> samples,
                                                                    const std::string& languageID);
    // The same with a given model of the whisper catalogue (empty: the
    // chosen one). Engines that know a single model ignore it.
    virtual Result<std::string, TranscriberError> transcribeWith(const std::filesystem::path& audio,
                                                                 const std::string& languageID,
                                                                 const std::string& model)
    {
        (void)model;
        return transcribe(audio, languageID);
    }
    // The model of every transcription that names none, from the next one
    // on. Thread-safe.
    virtual void setModel(const std::string& model) { (void)model; }

    // Asks a transcription in progress to give up waiting where it can (a
    // model download); called before the application quits.
    virtual void cancel() {}

    double modelProgress() const { return m_modelProgress; }
    bool downloadingModel() const { return m_downloadingModel; }

signals:
    void modelProgressChanged();
    void downloadingModelChanged();

protected:
    // Progress of a model download (0...1), or `finished`. Thread-safe.
    enum class Download { running, finished };
    void reportModelProgress(double fraction, Download state = Download::running);

private:
    void applyModelProgress(double fraction, bool downloading);

    double m_modelProgress = 0;
    bool m_downloadingModel = false;
};

} // namespace quaro
