#include "speech/WhisperModel.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>

#include <whisper.h>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "core/QuaroText.h"
#include "speech/WhisperLog.h"

namespace quaro {

namespace detail {

void quietWhisperLogs()
{
    static std::once_flag once;
    std::call_once(once, [] { whisper_log_set([](ggml_log_level, const char*, void*) {}, nullptr); });
}

} // namespace detail

namespace {

struct StateDeleter {
    void operator()(whisper_state* state) const { whisper_free_state(state); }
};

int threadCount(int requested)
{
    if (requested > 0)
        return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

} // namespace

bool WhisperModel::cpuSupported()
{
#if defined(__x86_64__) || defined(__i386__)
    // whisper is built for x86-64 with SSE 4.2, AVX and F16C (see
    // scripts/setup.d/whisper.sh); AVX also needs the system to save the
    // 256-bit registers (OSXSAVE and XCR0).
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool sse42 = c & (1u << 20), osxsave = c & (1u << 27), avx = c & (1u << 28), f16c = c & (1u << 29);
    if (!(sse42 && osxsave && avx && f16c))
        return false;
    unsigned xcr0Low = 0, xcr0High = 0;
    __asm__ volatile("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
    return (xcr0Low & 0x6u) == 0x6u;
#else
    return true;
#endif
}

TranscriberError WhisperModel::unsupportedCpuError()
{
    return TranscriberError::recognition("este processador não tem as instruções AVX e F16C do whisper");
}

Result<std::shared_ptr<WhisperModel>, TranscriberError> WhisperModel::load(const std::filesystem::path& path)
{
    if (!cpuSupported())
        return Failure{unsupportedCpuError()};
    detail::quietWhisperLogs();
    whisper_context_params params = whisper_context_default_params();
    params.use_gpu = false;
    params.flash_attn = false; // slower than plain attention on the CPU backend
    // No default state: every transcription makes its own.
    whisper_context* context = whisper_init_from_file_with_params_no_state(path.c_str(), params);
    if (!context)
        return Failure{TranscriberError::modelUnreadable(path.filename().string())};
    return std::shared_ptr<WhisperModel>(new WhisperModel(context));
}

void WhisperModel::ContextDeleter::operator()(whisper_context* context) const
{
    whisper_free(context);
}

bool WhisperModel::isMultilingual() const
{
    return whisper_is_multilingual(m_context.get()) != 0;
}

Result<std::string, TranscriberError> WhisperModel::transcribe(std::span<const float> samples, std::string_view language,
                                                               const WhisperOptions& options) const
{
    // Nothing to hear: whisper would only invent words for silence.
    if (isSilent(samples))
        return std::string();

    if (samples.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return Failure{TranscriberError::recognition("áudio longo demais")};

    std::unique_ptr<whisper_state, StateDeleter> state(whisper_init_state(m_context.get()));
    if (!state)
        return Failure{TranscriberError::recognition("whisper não criou o estado de decodificação")};

    const std::string code(language);
    whisper_full_params params = whisper_full_default_params(WHISPER_SAMPLING_GREEDY);
    params.n_threads = threadCount(options.threads);
    params.language = code.c_str();
    params.detect_language = false;
    params.translate = false;
    params.no_timestamps = true;
    params.print_progress = false;
    params.print_realtime = false;
    params.print_special = false;
    params.print_timestamps = false;
    if (!options.temperatureFallback)
        params.temperature_inc = 0.0f;
    params.max_tokens = std::max(0, options.maxTokensPerWindow);
    if (options.fitContextToAudio) {
        // 50 encoder frames per second of audio, a second to spare.
        constexpr std::size_t kFramesPerSecond = 50, kSampleRate = 16000;
        const std::size_t frames = (samples.size() * kFramesPerSecond + kSampleRate - 1) / kSampleRate + kFramesPerSecond;
        const std::size_t window = static_cast<std::size_t>(whisper_n_audio_ctx(m_context.get()));
        if (frames < window)
            params.audio_ctx = static_cast<int>(frames);
    }

    const int rc = whisper_full_with_state(m_context.get(), state.get(), params, samples.data(),
                                           static_cast<int>(samples.size()));
    if (rc != 0)
        return Failure{TranscriberError::recognition("whisper terminou com o código " + std::to_string(rc))};

    std::string text;
    const int segments = whisper_full_n_segments_from_state(state.get());
    for (int i = 0; i < segments; ++i) {
        if (const char* segment = whisper_full_get_segment_text_from_state(state.get(), i))
            text += segment;
    }
    return trimmed(text);
}

bool isSilent(std::span<const float> samples)
{
    constexpr float kFloor = 1.0f / 32768.0f;
    return std::none_of(samples.begin(), samples.end(), [](float s) { return std::fabs(s) > kFloor; });
}

std::string trimmed(std::string_view text)
{
    // whisper's segments may start or end in any of Unicode's spaces or line
    // separators (a no-break space before a sentence, say), not only ASCII's.
    return std::string(QuaroText::trimmingWhitespaceAndNewlines(text));
}

} // namespace quaro
