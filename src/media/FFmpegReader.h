#pragma once

#include "core/Result.h"
#include "media/AudioImportError.h"
#include "media/PcmSink.h"

#include <filesystem>
#include <memory>
#include <string>

namespace quaro::media {

// Reads the formats Quaro accepts through FFmpeg: MPEG-4 audio (m4a, mp4),
// mp3, wav, aiff, caf, ADTS aac and flac. Every other container, Ogg above
// all, is refused at open so that Ogg files take Quaro's own reader.
class FFmpegReader {
public:
    // Fails, with FFmpeg's reason for the log, when the file cannot be opened
    // as one of those formats.
    static Result<std::unique_ptr<FFmpegReader>, std::string> open(const std::filesystem::path& path);
    ~FFmpegReader();

    // Decodes the whole stream, packet by packet, converting to mono float
    // at `sampleRate`; memory stays bounded whatever the file's length.
    Result<void, AudioImportError> decode(int sampleRate, PcmSink& sink);

private:
    struct State;
    explicit FFmpegReader(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace quaro::media
