#pragma once

#include <string>

namespace quaro {

// Why a transcription failed. `description()` is the sentence shown to the
// user; `detail` carries the requested language for `unsupportedLanguage`, the
// audio reader's own description for `audio`, and technical detail (curl's
// message, an HTTP status) for the model and recognition cases.
struct TranscriberError {
    enum class Kind {
        unsupportedLanguage,
        notAuthorized,
        modelDownload,
        modelCorrupt,
        downloadCancelled,
        modelUnreadable,
        audio,
        recognition,
    };

    Kind kind = Kind::recognition;
    std::string detail;

    static TranscriberError unsupportedLanguage(std::string identifier) { return {Kind::unsupportedLanguage, std::move(identifier)}; }
    static TranscriberError notAuthorized() { return {Kind::notAuthorized, {}}; }
    static TranscriberError modelDownload(std::string why) { return {Kind::modelDownload, std::move(why)}; }
    static TranscriberError modelCorrupt(std::string why) { return {Kind::modelCorrupt, std::move(why)}; }
    static TranscriberError downloadCancelled() { return {Kind::downloadCancelled, {}}; }
    static TranscriberError modelUnreadable(std::string path) { return {Kind::modelUnreadable, std::move(path)}; }
    static TranscriberError audio(std::string description) { return {Kind::audio, std::move(description)}; }
    static TranscriberError recognition(std::string why) { return {Kind::recognition, std::move(why)}; }

    std::string description() const;

    bool operator==(const TranscriberError&) const = default;
};

} // namespace quaro
