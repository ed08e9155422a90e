#include "media/AudioDecode.h"

#include "core/Log.h"
#include "media/AudioConverter.h"
#include "media/FFmpegReader.h"
#include "media/OggOpusDecoder.h"
#include "media/PcmSink.h"

#include <optional>
#include <vector>

namespace quaro {

namespace {

// Resamples the Ogg path's 48 kHz output for callers that want another rate.
class ResamplingSink : public PcmSink {
public:
    ResamplingSink(PcmSink& next, AudioConverter converter) : m_next(next), m_converter(std::move(converter)) {}

    Result<void, AudioImportError> begin() override { return m_next.begin(); }
    Result<void, AudioImportError> write(const float* samples, std::size_t count) override
    {
        const auto* plane = reinterpret_cast<const std::uint8_t*>(samples);
        QUARO_TRY(m_converter.convert(&plane, int(count), m_out));
        return m_out.empty() ? Result<void, AudioImportError>{} : m_next.write(m_out.data(), m_out.size());
    }
    Result<void, AudioImportError> finish()
    {
        QUARO_TRY(m_converter.flush(m_out));
        return m_out.empty() ? Result<void, AudioImportError>{} : m_next.write(m_out.data(), m_out.size());
    }

private:
    PcmSink& m_next;
    AudioConverter m_converter;
    std::vector<float> m_out;
};

class CallbackSink : public PcmSink {
public:
    explicit CallbackSink(const std::function<void(const float*, std::size_t)>& sink) : m_sink(sink) {}
    Result<void, AudioImportError> write(const float* samples, std::size_t count) override
    {
        m_sink(samples, count);
        return {};
    }

private:
    const std::function<void(const float*, std::size_t)>& m_sink;
};

} // namespace

namespace media {

Result<void, AudioImportError> decodeFile(const std::filesystem::path& source, int sampleRate, PcmSink& sink)
{
    auto reader = FFmpegReader::open(source);
    if (reader) {
        auto decoded = reader.value()->decode(sampleRate, sink);
        if (!decoded && !decoded.error().detail.empty())
            log(LogArea::conversion, "conversão de " + source.filename().string() + ": " + decoded.error().detail);
        return decoded;
    }
    if (!startsWithOggS(source)) {
        const std::string name = source.filename().string();
        log(LogArea::conversion, "importação de " + name + ": " + reader.error());
        return Failure{AudioImportError::unreadable(name, reader.error())};
    }
    if (sampleRate == AudioConverter::targetRate)
        return convertOggOpus(source, sink);

    ResamplingSink resampling(
        sink, QUARO_TRY(AudioConverter::make(PcmFormat{SampleType::float32, AudioConverter::targetRate, 1, true},
                                             sampleRate)));
    QUARO_TRY(convertOggOpus(source, resampling));
    return resampling.finish();
}

} // namespace media

Result<void, AudioImportError> decodeAudio(const std::filesystem::path& path, int sampleRate,
                                           const std::function<void(const float* samples, std::size_t count)>& sink)
{
    if (sampleRate < 1000 || sampleRate > 384000)
        return Failure{AudioImportError::unsupported(AudioImportError::cannotConvertFormat)};
    CallbackSink callback(sink);
    auto decoded = media::decodeFile(path, sampleRate, callback);
    if (!decoded && decoded.error().kind == AudioImportError::Kind::empty)
        return {};
    return decoded;
}

} // namespace quaro
