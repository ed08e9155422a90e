#pragma once

#include "core/Result.h"
#include "media/ConversionError.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quaro {

enum class SampleType { float32, int16, int32 };

// A PCM layout as a capture device delivers it.
struct PcmFormat {
    SampleType sampleType = SampleType::float32;
    int sampleRate = 48000;
    int channels = 1;
    bool interleaved = true;

    bool operator==(const PcmFormat&) const = default;
};

// Converts PCM of any layout to mono 32-bit float at a fixed rate (48 000 Hz
// for Quaro's own files), mixing channels down by averaging. Keeps resampler
// state between calls, so one converter serves one continuous stream. Not
// thread-safe; move-only.
class AudioConverter {
public:
    static constexpr int targetRate = 48000;

    static Result<AudioConverter, ConversionError> make(const PcmFormat& source, int outputRate = targetRate);
    // For decoded FFmpeg frames: `avSampleFormat` is an AVSampleFormat value.
    static Result<AudioConverter, ConversionError> makeForSampleFormat(int avSampleFormat, int channels, int sampleRate,
                                                                   int outputRate = targetRate);

    AudioConverter(AudioConverter&&) noexcept;
    AudioConverter& operator=(AudioConverter&&) noexcept;
    ~AudioConverter();

    // Converts `frames` frames given as one pointer per channel plane (one
    // pointer for interleaved data). `out` receives the mono samples produced
    // now (possibly none).
    Result<void, ConversionError> convert(const std::uint8_t* const* planes, int frames, std::vector<float>& out);
    // Drains the samples the resampler still holds (end of stream).
    Result<void, ConversionError> flush(std::vector<float>& out);

private:
    struct State;
    explicit AudioConverter(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace quaro
