#pragma once

#include "core/Result.h"
#include "media/AudioImportError.h"

#include <cstddef>
#include <filesystem>
#include <functional>

namespace quaro {

// Reads any file Quaro imports (the common formats through FFmpeg, Ogg Opus
// through Quaro's own reader) and hands mono 32-bit float samples at
// `sampleRate` to `sink`, chunk by chunk, so memory stays bounded whatever the
// file's length. Runs on the calling thread; any number may run at once.
//
// Audio that decodes to nothing is not an error here: the sink simply receives
// no samples (the 0.3-second minimum belongs to importing, not to decoding).
// Failures carry the same sentences as importing.
Result<void, AudioImportError> decodeAudio(const std::filesystem::path& path, int sampleRate,
                                           const std::function<void(const float* samples, std::size_t count)>& sink);

} // namespace quaro
