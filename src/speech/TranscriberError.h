#pragma once

#include <string>

namespace quaro {

// Why a transcription failed. `description()` is the sentence shown to the
// user; `detail` carries the requested language for `UnsupportedLanguage`, the
// audio reader's own description for `Audio`, and technical detail (curl's
// message, an HTTP status) for the model and recognition cases.
struct TranscriberError {
    enum class Kind {
        UnsupportedLanguage,
        NotAuthorized,
        ModelDownload,
        ModelCorrupt,
        DownloadCancelled,
        ModelUnreadable,
        Audio,
        Recognition,
    };

    Kind kind = Kind::Recognition;
    std::string detail;

    static TranscriberError unsupportedLanguage(std::string identifier) { return {Kind::UnsupportedLanguage, std::move(identifier)}; }
    static TranscriberError notAuthorized() { return {Kind::NotAuthorized, {}}; }
    static TranscriberError modelDownload(std::string why) { return {Kind::ModelDownload, std::move(why)}; }
    static TranscriberError modelCorrupt(std::string why) { return {Kind::ModelCorrupt, std::move(why)}; }
    static TranscriberError downloadCancelled() { return {Kind::DownloadCancelled, {}}; }
    static TranscriberError modelUnreadable(std::string path) { return {Kind::ModelUnreadable, std::move(path)}; }
    static TranscriberError audio(std::string description) { return {Kind::Audio, std::move(description)}; }
    static TranscriberError recognition(std::string why) { return {Kind::Recognition, std::move(why)}; }

    std::string description() const;

    bool operator==(const TranscriberError&) const = default;
};

} // namespace quaro
