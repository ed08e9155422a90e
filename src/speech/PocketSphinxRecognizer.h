#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "core/Result.h"
#include "speech/OnceGate.h"
#include "speech/TranscriberError.h"

namespace quaro {

// The older recognizer: PocketSphinx with its US English models, used when
// whisper fails. It serves en-US only. A decoder is made per recognition, so
// several may run at once.
class PocketSphinxRecognizer {
public:
    // `modelDirectory` holds the "en-us" acoustic model, language model and
    // dictionary (Debian's pocketsphinx-en-us by default).
    explicit PocketSphinxRecognizer(std::filesystem::path modelDirectory = defaultModelDirectory());

    static std::filesystem::path defaultModelDirectory();
    static bool serves(std::string_view localeID);

    // Whether the US English models are installed.
    bool available() const;

    // Transcribes 16 kHz mono samples. Fails with `unsupportedLanguage` for
    // any locale but en-US, and when the models are missing. The text is returned as the recognizer gives it.
    Result<std::string, TranscriberError> transcribe(std::span<const float> samples, std::string_view localeID) const;

    // Runs one recognition, reporting each partial hypothesis, then the final
    // one (or an error), to `handler` on the calling thread.
    void recognize(std::span<const std::int16_t> samples, const RecognitionHandler& handler) const;

private:
    std::filesystem::path m_modelDirectory;
};

} // namespace quaro
