#include "app/capture/TranscriberSpeechEngine.h"

namespace quaro {

TranscriberSpeechEngine::TranscriberSpeechEngine(QObject* parent)
    : TranscriberSpeechEngine(configFromEnvironment(), WhisperCatalogue::fromEnvironment(), parent)
{
}

TranscriberSpeechEngine::TranscriberSpeechEngine(TranscriberConfig config, WhisperCatalogue catalogue,
                                                 QObject* parent)
    : SpeechEngine(parent), m_catalogue(std::move(catalogue))
{
    config.model = m_catalogue.source(m_model);
    config.downloadProgress = [this](const DownloadProgress& progress) { onDownloadProgress(progress); };
    m_transcriber = std::make_unique<Transcriber>(std::move(config));
}

TranscriberSpeechEngine::~TranscriberSpeechEngine() = default;

TranscriberConfig TranscriberSpeechEngine::configFromEnvironment()
{
    TranscriberConfig config;
    config.model = WhisperCatalogue::fromEnvironment().source(WhisperCatalogue::defaultModel);
    return config;
}

void TranscriberSpeechEngine::setModel(const std::string& model)
{
    std::lock_guard lock(m_modelLock);
    m_model = m_catalogue.model(model).id;
}

Result<std::string, TranscriberError> TranscriberSpeechEngine::transcribe(const std::filesystem::path& audio,
                                                                          const std::string& languageID)
{
    return transcribeWith(audio, languageID, {});
}

Result<std::string, TranscriberError> TranscriberSpeechEngine::transcribeWith(const std::filesystem::path& audio,
                                                                              const std::string& languageID,
                                                                              const std::string& model)
{
    std::string chosen = model;
    if (chosen.empty()) {
        std::lock_guard lock(m_modelLock);
        chosen = m_model;
    }
    m_transcriber->useModel(m_catalogue.source(chosen));
    auto result = m_transcriber->transcribe(audio, languageID);
    settleDownload();
    return result;
}

Result<std::string, TranscriberError> TranscriberSpeechEngine::transcribeSamples(std::span<const float> samples,
                                                                                 const std::string& languageID)
{
    auto result = m_transcriber->transcribeStretch(samples, languageID);
    settleDownload();
    return result;
}

void TranscriberSpeechEngine::settleDownload()
{
    if (m_downloaded.exchange(false)) {
        m_reportedPerMille = -1;
        reportModelProgress(1.0, Download::finished);
    }
}

void TranscriberSpeechEngine::cancel()
{
    m_transcriber->cancelModelDownload();
}

void TranscriberSpeechEngine::onDownloadProgress(const DownloadProgress& progress)
{
    if (progress.total == 0)
        return;
    m_downloaded = true;
    // The download reports every few kilobytes; the interface needs a step
    // per thousandth at most.
    const int perMille = static_cast<int>(progress.received * 1000 / progress.total);
    if (m_reportedPerMille.exchange(perMille) != perMille)
        reportModelProgress(perMille / 1000.0);
}

} // namespace quaro
