#pragma once

#include "app/capture/SpeechEngine.h"
#include "speech/Transcriber.h"
#include "speech/WhisperCatalogue.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace quaro {

// The application's speech engine: Quaro's on-device transcriber (whisper,
// then PocketSphinx), its models kept in "<support>/Models" and chosen from
// the whisper catalogue (`base` until told otherwise). The variables
// QUARO_MODELS_BASE_URL and QUARO_MODEL_URL point the downloads elsewhere (a
// mirror, or a loopback server in tests; see WhisperCatalogue). A first-use
// model download shows through `modelProgress`.
class TranscriberSpeechEngine : public SpeechEngine {
    Q_OBJECT
public:
    explicit TranscriberSpeechEngine(QObject* parent = nullptr);
    // Tests bring their own folder, catalogue and whisper settings.
    TranscriberSpeechEngine(TranscriberConfig config, WhisperCatalogue catalogue, QObject* parent = nullptr);
    ~TranscriberSpeechEngine() override;

    Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio,
                                                     const std::string& languageID) override;
    Result<std::string, TranscriberError> transcribeSamples(std::span<const float> samples,
                                                            const std::string& languageID) override;
    Result<std::string, TranscriberError> transcribeWith(const std::filesystem::path& audio,
                                                         const std::string& languageID,
                                                         const std::string& model) override;
    void setModel(const std::string& model) override;
    void cancel() override;

    // The transcriber's settings as the environment asks for them.
    static TranscriberConfig configFromEnvironment();

private:
    void onDownloadProgress(const DownloadProgress& progress);
    void settleDownload();

    WhisperCatalogue m_catalogue;
    std::mutex m_modelLock;
    std::string m_model{WhisperCatalogue::defaultModel};
    std::unique_ptr<Transcriber> m_transcriber;
    std::atomic<bool> m_downloaded{false};
    std::atomic<int> m_reportedPerMille{-1};
};

} // namespace quaro
