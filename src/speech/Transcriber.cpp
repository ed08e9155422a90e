#include "speech/Transcriber.h"

#include <optional>

#include "core/Log.h"
#include "speech/WhisperLanguage.h"

namespace quaro {

// The audio of one transcription, decoded at most once however many paths
// ask for it.
class Transcriber::Audio {
public:
    explicit Audio(std::span<const float> samples) : m_samples(samples) {}
    Audio(const AudioDecoder& decoder, const std::filesystem::path& path) : m_decoder(&decoder), m_path(&path) {}

    Result<std::span<const float>, TranscriberError> samples()
    {
        if (!m_decoder)
            return m_samples;
        if (!m_decoded) {
            if (*m_decoder)
                m_decoded.emplace((*m_decoder)(*m_path));
            else
                m_decoded.emplace(Failure{TranscriberError::audio("Não consegui abrir " + m_path->filename().string() + ".")});
        }
        if (!m_decoded->ok())
            return Failure{m_decoded->error()};
        return std::span<const float>(m_decoded->value());
    }

private:
    std::span<const float> m_samples;
    const AudioDecoder* m_decoder = nullptr;
    const std::filesystem::path* m_path = nullptr;
    std::optional<Result<std::vector<float>, TranscriberError>> m_decoded;
};

Transcriber::Transcriber(TranscriberConfig config)
    : m_config(std::move(config)), m_store(m_config.modelDirectory), m_legacy(m_config.legacyModelDirectory)
{
}

Result<std::string, TranscriberError> Transcriber::transcribe(const std::filesystem::path& path,
                                                              std::string_view languageID)
{
    Audio audio(m_config.decodeAudio, path);
    return run(audio, languageID, m_config.whisper);
}

Result<std::string, TranscriberError> Transcriber::transcribe(std::span<const float> samples,
                                                              std::string_view languageID)
{
    Audio audio(samples);
    return run(audio, languageID, m_config.whisper);
}

Result<std::string, TranscriberError> Transcriber::transcribeStretch(std::span<const float> samples,
                                                                     std::string_view languageID)
{
    Audio audio(samples);
    WhisperOptions options = m_config.whisper;
    options.fitContextToAudio = true;
    return run(audio, languageID, options);
}

Result<std::string, TranscriberError> Transcriber::run(Audio& audio, std::string_view languageID,
                                                      const WhisperOptions& options)
{
    auto primary = withWhisper(audio, languageID, options);
    if (primary)
        return primary;
    log(LogArea::speech, "whisper falhou (" + primary.error().description() + "); tentando o reconhecedor antigo");
    auto legacy = withLegacyRecognizer(audio, languageID);
    // The older recognizer knows US English only. When it refuses a language
    // that whisper does serve, its refusal would tell the user the language
    // cannot be transcribed here at all; whisper's own failure (a model that
    // could not be downloaded, say) is the true cause.
    if (!legacy && legacy.error().kind == TranscriberError::Kind::unsupportedLanguage &&
        primary.error().kind != TranscriberError::Kind::unsupportedLanguage)
        return primary;
    return legacy;
}

Result<std::string, TranscriberError> Transcriber::withWhisper(Audio& audio, std::string_view languageID,
                                                              const WhisperOptions& options)
{
    const auto language = whisperLanguage(languageID);
    if (!language)
        return Failure{TranscriberError::unsupportedLanguage(std::string(languageID))};

    // Spare the download on a processor that could not run the model anyway.
    if (!WhisperModel::cpuSupported())
        return Failure{WhisperModel::unsupportedCpuError()};

    auto model = QUARO_TRY(sharedModel());
    if (!model->isMultilingual() && *language != "en")
        return Failure{TranscriberError::unsupportedLanguage(std::string(languageID))};

    auto samples = QUARO_TRY(audio.samples());
    return model->transcribe(samples, *language, options);
}

Result<std::string, TranscriberError> Transcriber::withLegacyRecognizer(Audio& audio, std::string_view languageID)
{
    // The language is checked before the file is read, as the recognizer
    // would refuse the locale before opening anything.
    if (!PocketSphinxRecognizer::serves(languageID) || !m_legacy.available())
        return Failure{TranscriberError::unsupportedLanguage(std::string(languageID))};
    auto samples = QUARO_TRY(audio.samples());
    return m_legacy.transcribe(samples, languageID);
}

Result<std::shared_ptr<WhisperModel>, TranscriberError> Transcriber::sharedModel()
{
    // Taken before waiting: a download cancelled while this call waits
    // concerns this call too, so it is not started again from here.
    const ModelStore::Ticket ticket = m_store.ticket();
    // Held across download and load: a second transcription waits for the
    // first one's model instead of fetching or loading its own.
    std::lock_guard lock(m_modelLock);
    if (m_model)
        return m_model;
    auto path = QUARO_TRY(m_store.ensure(m_config.model, m_config.downloadProgress, ticket));
    auto model = QUARO_TRY(WhisperModel::load(path));
    m_model = model;
    ++m_modelLoads;
    return m_model;
}

void Transcriber::useModel(const ModelSource& model)
{
    std::lock_guard lock(m_modelLock);
    if (model.fileName == m_config.model.fileName && model.url == m_config.model.url && model.sha1 == m_config.model.sha1)
        return;
    m_config.model = model;
    m_model.reset();
}

std::size_t Transcriber::modelLoads() const
{
    return m_modelLoads;
}

Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio, std::string_view languageID)
{
    // Never destroyed: transcriptions may still be running on other threads
    // while the process exits.
    static Transcriber* const shared = new Transcriber();
    return shared->transcribe(audio, languageID);
}

} // namespace quaro
