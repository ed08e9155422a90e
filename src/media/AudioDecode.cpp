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

// The converter's reason goes to the log and into the error's detail.
Failure<AudioImportError> conversionFailure(const char* sentence, const std::string& reason)
{
    log(LogArea::conversion, "conversão: " + reason);
    return Failure{AudioImportError::unsupported(sentence, reason)};
}

// Resamples the Ogg path's 48 kHz output for callers that want another rate.
class ResamplingSink : public PcmSink {
public:
    ResamplingSink(PcmSink& next, AudioConverter converter) : m_next(next), m_converter(std::move(converter)) {}

    Result<void, AudioImportError> begin() override { return m_next.begin(); }
    Result<void, AudioImportError> write(const float* samples, std::size_t count) override
    {
        const auto* plane = reinterpret_cast<const std::uint8_t*>(samples);
        if (auto converted = m_converter.convert(&plane, int(count), m_out); !converted)
            return conversionFailure(AudioImportError::conversionFailed, converted.error());
        return m_out.empty() ? Result<void, AudioImportError>{} : m_next.write(m_out.data(), m_out.size());
    }
    Result<void, AudioImportError> finish()
    {
        if (auto flushed = m_converter.flush(m_out); !flushed)
            return conversionFailure(AudioImportError::conversionFailed, flushed.error());
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
    if (reader)
        return reader.value()->decode(sampleRate, sink);
    if (!startsWithOggS(source)) {
        const std::string name = source.filename().string();
        log(LogArea::conversion, "importação de " + name + ": " + reader.error());
        return Failure{AudioImportError::unreadable(name, reader.error())};
    }
    if (sampleRate == AudioConverter::targetRate)
        return convertOggOpus(source, sink);

    auto converter = AudioConverter::make(PcmFormat{SampleType::float32, AudioConverter::targetRate, 1, true},
                                          sampleRate);
    if (!converter)
        return conversionFailure(AudioImportError::cannotConvertFormat, converter.error());
    ResamplingSink resampling(sink, std::move(converter).value());
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
