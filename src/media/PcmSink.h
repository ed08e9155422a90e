#pragma once

#include "core/Result.h"
#include "media/AudioImportError.h"

#include <cstddef>
#include <filesystem>

namespace quaro {

// Where a decoding path delivers mono float samples. `begin` runs once, when
// the source is known to be decodable and before the first samples (the
// importer opens its output file there).
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual Result<void, AudioImportError> begin() { return {}; }
    virtual Result<void, AudioImportError> write(const float* samples, std::size_t count) = 0;
};

namespace media {
// Decodes `source` to mono float at `sampleRate` into `sink`: the FFmpeg
// reader for the formats it accepts, otherwise Quaro's Ogg Opus path for
// files starting with "OggS", otherwise `unreadable`.
Result<void, AudioImportError> decodeFile(const std::filesystem::path& source, int sampleRate, PcmSink& sink);
} // namespace media

} // namespace quaro
