#include "speech/PocketSphinxRecognizer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include <pocketsphinx.h>

namespace quaro {
namespace {

struct DecoderDeleter {
    void operator()(ps_decoder_t* decoder) const { ps_free(decoder); }
};
struct ConfigDeleter {
    void operator()(cmd_ln_t* config) const { cmd_ln_free_r(config); }
};

constexpr std::size_t kChunk = 8000; // half a second at 16 kHz

std::vector<std::int16_t> toInt16(std::span<const float> samples)
{
    std::vector<std::int16_t> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [](float s) {
        if (!(s == s))
            return std::int16_t(0); // NaN
        return static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
    });
    return out;
}

} // namespace

PocketSphinxRecognizer::PocketSphinxRecognizer(std::filesystem::path modelDirectory)
    : m_modelDirectory(std::move(modelDirectory))
{
}

std::filesystem::path PocketSphinxRecognizer::defaultModelDirectory()
{
    return QUARO_POCKETSPHINX_MODELDIR;
}

bool PocketSphinxRecognizer::serves(std::string_view localeID)
{
    return localeID == "en-US" || localeID == "en_US";
}

Result<std::string, TranscriberError> PocketSphinxRecognizer::transcribe(std::span<const float> samples,
                                                                         std::string_view localeID) const
{
    // Linux asks for no speech-recognition permission: authorisation holds.
    // A locale it does not serve, or models that are not installed, mean no
    // recognizer can be made for the language.
    if (!serves(localeID) || !available())
        return Failure{TranscriberError::unsupportedLanguage(std::string(localeID))};

    const std::vector<std::int16_t> pcm = toInt16(samples);
    std::thread worker;
    auto result = awaitFinalResult([&](RecognitionHandler handler) {
        worker = std::thread([this, &pcm, handler = std::move(handler)] { recognize(pcm, handler); });
    });
    if (worker.joinable())
        worker.join();
    return result;
}

bool PocketSphinxRecognizer::available() const
{
    const std::filesystem::path en = m_modelDirectory / "en-us";
    std::error_code ec;
    return std::filesystem::is_directory(en / "en-us", ec) && std::filesystem::is_regular_file(en / "en-us.lm.bin", ec) &&
           std::filesystem::is_regular_file(en / "cmudict-en-us.dict", ec);
}

void PocketSphinxRecognizer::recognize(std::span<const std::int16_t> samples, const RecognitionHandler& handler) const
{
    const std::filesystem::path en = m_modelDirectory / "en-us";
    std::unique_ptr<cmd_ln_t, ConfigDeleter> config(cmd_ln_init(
        nullptr, ps_args(), TRUE, "-hmm", (en / "en-us").c_str(), "-lm", (en / "en-us.lm.bin").c_str(), "-dict",
        (en / "cmudict-en-us.dict").c_str(), "-logfn", "/dev/null", nullptr));
    std::unique_ptr<ps_decoder_t, DecoderDeleter> decoder(config ? ps_init(config.get()) : nullptr);
    if (!decoder) {
        const TranscriberError error = TranscriberError::recognition("modelos do PocketSphinx ausentes em " + en.string());
        handler(nullptr, &error);
        return;
    }

    if (ps_start_utt(decoder.get()) < 0) {
        const TranscriberError error = TranscriberError::recognition("o PocketSphinx não iniciou a decodificação");
        handler(nullptr, &error);
        return;
    }
    for (std::size_t at = 0; at < samples.size(); at += kChunk) {
        const std::size_t count = std::min(kChunk, samples.size() - at);
        if (ps_process_raw(decoder.get(), samples.data() + at, count, FALSE, FALSE) < 0) {
            const TranscriberError error = TranscriberError::recognition("o PocketSphinx falhou ao decodificar");
            handler(nullptr, &error);
            return;
        }
        std::int32_t score = 0;
        if (const char* partial = ps_get_hyp(decoder.get(), &score)) {
            const RecognitionUpdate update{partial, false};
            handler(&update, nullptr);
        }
    }
    if (ps_end_utt(decoder.get()) < 0) {
        const TranscriberError error = TranscriberError::recognition("o PocketSphinx não concluiu a decodificação");
        handler(nullptr, &error);
        return;
    }
    std::int32_t score = 0;
    const char* hypothesis = ps_get_hyp(decoder.get(), &score);
    const RecognitionUpdate final{hypothesis ? hypothesis : "", true};
    handler(&final, nullptr);
}

} // namespace quaro
