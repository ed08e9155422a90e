#include "speech/Transcriber.h"

#include "media/AudioDecode.h"

namespace quaro {

AudioDecoder mediaAudioDecoder()
{
    return [](const std::filesystem::path& path) -> Result<std::vector<float>, TranscriberError> {
        std::vector<float> samples;
        auto decoded = decodeAudio(path, 16000, [&samples](const float* chunk, std::size_t count) {
            samples.insert(samples.end(), chunk, chunk + count);
        });
        if (!decoded)
            return Failure{TranscriberError::audio(decoded.error().description())};
        return samples;
    };
}

} // namespace quaro
