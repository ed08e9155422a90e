#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "speech/TranscriberError.h"

struct whisper_context;

namespace quaro {

// How whisper decodes. The defaults are whisper's own (greedy decoding that
// retries at higher temperatures when a window looks unreliable); tests and
// benchmarks with random weights turn the retries off to stay fast.
struct WhisperOptions {
    int threads = 0; // 0: up to four of the machine's cores
    bool temperatureFallback = true;
    int maxTokensPerWindow = 0; // 0: no limit beyond the model's context
    // The encoder hears only as much as the audio lasts (plus a second)
    // instead of a whole 30 s window: a short stretch then costs a fraction
    // of a window. For stretches cut while recording; a whole file keeps
    // whisper's full window.
    bool fitContextToAudio = false;
};

// A whisper model loaded into memory once and shared by every transcription.
// `transcribe` may be called from several threads at once: each call gets its
// own whisper state, the weights are only read.
class WhisperModel {
public:
    static Result<std::shared_ptr<WhisperModel>, TranscriberError> load(const std::filesystem::path& path);

    WhisperModel(const WhisperModel&) = delete;
    WhisperModel& operator=(const WhisperModel&) = delete;
    ~WhisperModel() = default;

    bool isMultilingual() const;

    // Whether this processor has the instructions whisper was built for.
    // Where it does not, loading fails instead of crashing.
    static bool cpuSupported();
    static TranscriberError unsupportedCpuError();

    // Transcribes 16 kHz mono samples in `language` (a whisper code such as
    // "pt"): no translation, no timestamps, segment texts joined without
    // separators and trimmed. Empty or silent audio yields an empty string.
    Result<std::string, TranscriberError> transcribe(std::span<const float> samples, std::string_view language,
                                                     const WhisperOptions& options = {}) const;

private:
    struct ContextDeleter {
        void operator()(whisper_context* context) const;
    };

    explicit WhisperModel(whisper_context* context) : m_context(context) {}

    std::unique_ptr<whisper_context, ContextDeleter> m_context;
};

// True when no sample rises above the noise floor of 16-bit audio.
bool isSilent(std::span<const float> samples);

// `text` without leading and trailing white space and line separators
// (Unicode's, not only ASCII's).
std::string trimmed(std::string_view text);

} // namespace quaro
