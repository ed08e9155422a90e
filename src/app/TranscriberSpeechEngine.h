#pragma once

#include "app/SpeechEngine.h"
#include "speech/Transcriber.h"

#include <atomic>
#include <memory>

namespace quaro {

// The application's speech engine: Quaro's on-device transcriber (whisper,
// then PocketSphinx), its model kept in "<support>/Models". The variable
// QUARO_MODEL_URL, when set, replaces the address the whisper model is
// fetched from (a mirror, or a loopback server in tests). A first-use model
// download shows through `modelProgress`.
class TranscriberSpeechEngine : public SpeechEngine {
    Q_OBJECT
public:
    explicit TranscriberSpeechEngine(QObject* parent = nullptr);
    ~TranscriberSpeechEngine() override;

    Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio,
                                                     const std::string& languageID) override;
    Result<std::string, TranscriberError> transcribeSamples(std::span<const float> samples,
                                                            const std::string& languageID) override;
    void cancel() override;

    // The transcriber's settings as the environment asks for them.
    static TranscriberConfig configFromEnvironment();

private:
    void onDownloadProgress(const DownloadProgress& progress);
    void settleDownload();

    std::unique_ptr<Transcriber> m_transcriber;
    std::atomic<bool> m_downloaded{false};
    std::atomic<int> m_reportedPerMille{-1};
};

} // namespace quaro
