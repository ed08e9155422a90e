#pragma once

#include "core/Result.h"
#include "media/AudioImportError.h"

#include <filesystem>
#include <future>
#include <string>

namespace quaro {

struct ImportedAudio {
    std::filesystem::path path; // directory/<id>.m4a
    double duration = 0;        // seconds
};

// Makes Quaro's private copy of an audio file: `directory/<id>.m4a` in the
// recording format (AAC, 48 000 Hz, mono, 64 kbit/s). Audio shorter than
// 0.3 s is refused as empty. On failure nothing is left at the destination;
// the source is never modified.
class AudioImport {
public:
    // File extensions (lowercase, without the dot) accepted for import.
    static constexpr const char* extensions[] = {"m4a", "mp3",  "wav", "aiff", "aif", "caf",
                                                 "aac", "mp4", "ogg", "opus", "oga", "flac"};
    static constexpr std::int64_t minimumFrames = 14400; // 0.3 s at 48 kHz

    static bool acceptsExtension(const std::filesystem::path& file);
    // Only regular files (or links to them) are read: a FIFO or a device
    // named like audio would block the reader for ever.
    static bool isRegularFile(const std::filesystem::path& file);

    // Converts on the calling thread. Any number of imports may run at once.
    static Result<ImportedAudio, AudioImportError> importFile(const std::filesystem::path& source,
                                                              const std::string& id,
                                                              const std::filesystem::path& directory);

    // Converts on a thread of its own; the caller's thread is never blocked
    // until it asks the future for the result.
    static std::future<Result<ImportedAudio, AudioImportError>> importFileAsync(std::filesystem::path source,
                                                                                std::string id,
                                                                                std::filesystem::path directory);
};

} // namespace quaro
