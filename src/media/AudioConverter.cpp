#include "media/AudioConverter.h"

#include "media/FFmpegPtr.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace quaro {

using namespace media;

namespace {
Failure<ConversionError> layoutFailure(std::string reason)
{
    return Failure{ConversionError{ConversionError::Kind::layout, std::move(reason)}};
}
Failure<ConversionError> convertFailure(std::string reason)
{
    return Failure{ConversionError{ConversionError::Kind::convert, std::move(reason)}};
}
} // namespace

struct AudioConverter::State {
    SwrPtr swr;
};

AudioConverter::AudioConverter(std::unique_ptr<State> state) : m_state(std::move(state)) {}
AudioConverter::AudioConverter(AudioConverter&&) noexcept = default;
AudioConverter& AudioConverter::operator=(AudioConverter&&) noexcept = default;
AudioConverter::~AudioConverter() = default;

Result<AudioConverter, ConversionError> AudioConverter::make(const PcmFormat& source, int outputRate)
{
    AVSampleFormat format = AV_SAMPLE_FMT_NONE;
    switch (source.sampleType) {
    case SampleType::float32: format = source.interleaved ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_FLTP; break;
    case SampleType::int16: format = source.interleaved ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_S16P; break;
    case SampleType::int32: format = source.interleaved ? AV_SAMPLE_FMT_S32 : AV_SAMPLE_FMT_S32P; break;
    }
    return makeForSampleFormat(format, source.channels, source.sampleRate, outputRate);
}

Result<AudioConverter, ConversionError> AudioConverter::makeForSampleFormat(int avSampleFormat, int channels,
                                                                        int sampleRate, int outputRate)
{
    if (channels < 1 || channels > 64 || sampleRate < 1 || sampleRate > 1'536'000 || outputRate < 1
        || outputRate > 1'536'000 || avSampleFormat < 0 || avSampleFormat >= AV_SAMPLE_FMT_NB)
        return layoutFailure("formato fora do alcance: " + std::to_string(channels) + " canais, "
                             + std::to_string(sampleRate) + " Hz, formato de amostra "
                             + std::to_string(avSampleFormat));

    AVChannelLayout in{};
    av_channel_layout_default(&in, channels);
    AVChannelLayout out = AV_CHANNEL_LAYOUT_MONO;
    SwrContext* raw = nullptr;
    int rc = swr_alloc_set_opts2(&raw, &out, AV_SAMPLE_FMT_FLT, outputRate, &in, AVSampleFormat(avSampleFormat),
                                 sampleRate, 0, nullptr);
    av_channel_layout_uninit(&in);
    SwrPtr swr(raw);
    if (rc < 0 || !swr)
        return layoutFailure("swr_alloc_set_opts2: " + (rc < 0 ? avErrorText(rc) : std::string("sem memória")));
    // Keep the mix gains summing to one: stereo becomes the average of both
    // channels, and a loud multi-channel source cannot clip when mixed down.
    av_opt_set_double(swr.get(), "rematrix_maxval", 1.0, 0);
    // Quaro's own 48 kHz files go to an AAC encoder whose band ends at
    // 16 kHz: a 16-tap filter is flat to within -80 dB of the default 32-tap
    // one below 15 kHz, and its wider transition falls where the encoder cuts
    // anyway. It halves the resampler's work on 44.1 kHz imports. Other
    // output rates (the recogniser's) keep the default filter.
    if (outputRate == targetRate && sampleRate != outputRate)
        av_opt_set_int(swr.get(), "filter_size", 16, 0);
    if (rc = swr_init(swr.get()); rc < 0)
        return layoutFailure("swr_init: " + avErrorText(rc));
    auto state = std::make_unique<State>();
    state->swr = std::move(swr);
    return AudioConverter(std::move(state));
}

Result<void, ConversionError> AudioConverter::convert(const std::uint8_t* const* planes, int frames,
                                                  std::vector<float>& out)
{
    out.clear();
    if (frames < 0)
        return convertFailure("número de quadros negativo: " + std::to_string(frames));
    const int capacity = swr_get_out_samples(m_state->swr.get(), frames);
    if (capacity < 0)
        return convertFailure("swr_get_out_samples: " + avErrorText(capacity));
    out.resize(std::size_t(capacity) + 16);
    auto* target = reinterpret_cast<std::uint8_t*>(out.data());
    const int produced = swr_convert(m_state->swr.get(), &target, int(out.size()),
                                     const_cast<const std::uint8_t**>(planes), frames);
    if (produced < 0) {
        out.clear();
        return convertFailure("swr_convert: " + avErrorText(produced));
    }
    out.resize(std::size_t(produced));
    return {};
}

Result<void, ConversionError> AudioConverter::flush(std::vector<float>& out)
{
    return convert(nullptr, 0, out);
}

} // namespace quaro
