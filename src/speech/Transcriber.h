#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Result.h"
#include "speech/ModelStore.h"
#include "speech/PocketSphinxRecognizer.h"
#include "speech/TranscriberError.h"
#include "speech/WhisperModel.h"

namespace quaro {

// Decodes an audio file to 16 kHz mono float samples.
using AudioDecoder = std::function<Result<std::vector<float>, TranscriberError>(const std::filesystem::path&)>;

// The media library's reader (FFmpeg for the common formats, Quaro's own
// reader for Ogg Opus), resampled to 16 kHz mono.
AudioDecoder mediaAudioDecoder();

struct TranscriberConfig {
    std::filesystem::path modelDirectory = ModelStore::defaultDirectory();
    ModelSource model = ModelSource::whisperBase();
    WhisperOptions whisper;
    // Called while the model downloads on first use, on the transcribing thread.
    DownloadProgressHandler downloadProgress;
    AudioDecoder decodeAudio = mediaAudioDecoder();
    std::filesystem::path legacyModelDirectory = PocketSphinxRecognizer::defaultModelDirectory();
};

// Turns a recording or an imported file into text on this computer: whisper
// first (fetching its model on first use), then, if anything in that path
// fails, one diagnostic line and the older PocketSphinx recognizer, whose
// result or error is the answer.
//
// `transcribe` blocks while it works, so call it off the interface thread.
// Any number of calls may run at once: the whisper model is loaded once,
// shared, and each call decodes with its own state.
class Transcriber {
public:
    explicit Transcriber(TranscriberConfig config = {});

    // The transcript (possibly empty) of the audio file at `audio`, spoken in
    // `languageID` (a locale identifier such as "pt-BR").
    Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio, std::string_view languageID);

    // The same for samples already decoded to 16 kHz mono.
    Result<std::string, TranscriberError> transcribe(std::span<const float> samples, std::string_view languageID);
    // The same for a stretch of a recording in progress (under 30 s): whisper
    // encodes only as much as the stretch lasts.
    Result<std::string, TranscriberError> transcribeStretch(std::span<const float> samples,
                                                            std::string_view languageID);

    // The whisper model of the transcriptions that start from now on. A
    // different one replaces the model in memory once the transcriptions
    // under way let go of it; the same one changes nothing.
    void useModel(const ModelSource& model);

    // Stops a model download in progress; the transcription waiting for it
    // fails over to the older recognizer.
    void cancelModelDownload() { m_store.cancel(); }

    // How many times the whisper model was loaded into memory (once, unless
    // loading failed and was retried).
    std::size_t modelLoads() const;

private:
    class Audio;

    Result<std::string, TranscriberError> run(Audio& audio, std::string_view languageID,
                                              const WhisperOptions& options);
    Result<std::string, TranscriberError> withWhisper(Audio& audio, std::string_view languageID,
                                                      const WhisperOptions& options);
    Result<std::string, TranscriberError> withLegacyRecognizer(Audio& audio, std::string_view languageID);
    Result<std::shared_ptr<WhisperModel>, TranscriberError> sharedModel();

    TranscriberConfig m_config;
    ModelStore m_store;
    PocketSphinxRecognizer m_legacy;
    std::mutex m_modelLock;
    std::shared_ptr<WhisperModel> m_model;
    std::atomic<std::size_t> m_modelLoads{0};
};

// Transcribes with one process-wide Transcriber in its default configuration
// (model in "<support>/Models", files through the media library, diagnostics
// on standard error), created on first use and kept until the process ends.
Result<std::string, TranscriberError> transcribe(const std::filesystem::path& audio, std::string_view languageID);

} // namespace quaro
