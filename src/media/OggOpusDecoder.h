#pragma once

#include "core/Result.h"
#include "media/AudioImportError.h"
#include "media/PcmSink.h"

#include <filesystem>

namespace quaro::media {

// True when the file's first four bytes are "OggS".
bool startsWithOggS(const std::filesystem::path& path);

// Decodes an Ogg Opus file (a WhatsApp voice note) through Quaro's own Ogg
// reader and libopus, removing the pre-skip, applying the output gain and
// mixing to mono; delivers 48 kHz samples. An empty stream fails with
// `empty`; any other failure is logged and reported with the WhatsApp text.
Result<void, AudioImportError> convertOggOpus(const std::filesystem::path& path, PcmSink& sink);

} // namespace quaro::media
