#include "media/FFmpegReader.h"

#include "core/Log.h"
#include "media/AudioConverter.h"
#include "media/FFmpegPtr.h"

#include <optional>
#include <vector>

namespace quaro::media {

namespace {
// The demuxers standing for the formats Quaro reads; names as FFmpeg spells
// them (the MPEG-4 demuxer matches any of its aliases).
constexpr const char* acceptedFormats = "mov,mp4,m4a,mp3,wav,aiff,caf,aac,flac";
} // namespace

struct FFmpegReader::State {
    std::filesystem::path path;
    InputFormatPtr input;
    CodecContextPtr decoder;
    int streamIndex = -1;
};

FFmpegReader::FFmpegReader(std::unique_ptr<State> state) : m_state(std::move(state)) {}
FFmpegReader::~FFmpegReader() = default;

Result<std::unique_ptr<FFmpegReader>, std::string> FFmpegReader::open(const std::filesystem::path& path)
{
    quietFFmpegLog();
    auto state = std::make_unique<State>();
    state->path = path;

    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return Failure{std::string("avformat_alloc_context: sem memória")};
    // Only local files, only the accepted containers: probing never wanders
    // into playlists, other protocols or other files.
    raw->format_whitelist = av_strdup(acceptedFormats);
    raw->protocol_whitelist = av_strdup("file");
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const std::string url = "file:" + path.string();
    int rc = avformat_open_input(&raw, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (rc < 0) // avformat_open_input frees the context on failure
        return Failure{"avformat_open_input: " + avErrorText(rc)};
    state->input.reset(raw);

    if (rc = avformat_find_stream_info(raw, nullptr); rc < 0)
        return Failure{"avformat_find_stream_info: " + avErrorText(rc)};
    const AVCodec* codec = nullptr;
    state->streamIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (state->streamIndex < 0 || !codec)
        return Failure{"sem faixa de áudio decodificável: " +
                       avErrorText(state->streamIndex < 0 ? state->streamIndex : AVERROR_DECODER_NOT_FOUND)};
    AVStream* stream = raw->streams[state->streamIndex];
    state->decoder.reset(avcodec_alloc_context3(codec));
    if (!state->decoder)
        return Failure{std::string("avcodec_alloc_context3: sem memória")};
    if (rc = avcodec_parameters_to_context(state->decoder.get(), stream->codecpar); rc < 0)
        return Failure{"avcodec_parameters_to_context: " + avErrorText(rc)};
    state->decoder->pkt_timebase = stream->time_base;
    if (rc = avcodec_open2(state->decoder.get(), codec, nullptr); rc < 0)
        return Failure{"avcodec_open2: " + avErrorText(rc)};
    return std::unique_ptr<FFmpegReader>(new FFmpegReader(std::move(state)));
}

Result<void, AudioImportError> FFmpegReader::decode(int sampleRate, PcmSink& sink)
{
    State& s = *m_state;
    AVCodecContext* decoder = s.decoder.get();
    const std::string name = s.path.filename().string();
    if (decoder->ch_layout.nb_channels < 1 || decoder->sample_rate <= 0)
        return Failure{AudioImportError::empty()};

    QUARO_TRY(sink.begin());

    std::optional<AudioConverter> converter(QUARO_TRY(AudioConverter::makeForSampleFormat(
        decoder->sample_fmt, decoder->ch_layout.nb_channels, decoder->sample_rate, sampleRate)));
    int converterFormat = decoder->sample_fmt;
    int converterChannels = decoder->ch_layout.nb_channels;
    int converterRate = decoder->sample_rate;

    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return Failure{AudioImportError::unsupported(AudioImportError::cannotPrepareConversion)};
    std::vector<float> out;

    auto deliver = [&]() -> Result<void, AudioImportError> {
        if (out.empty())
            return {};
        return sink.write(out.data(), out.size());
    };

    // Hands every frame the decoder has ready to the converter and the sink.
    auto drain = [&]() -> Result<void, AudioImportError> {
        for (;;) {
            int rc = avcodec_receive_frame(decoder, frame.get());
            // A frame the decoder could not rebuild is skipped like a damaged packet.
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF || rc == AVERROR_INVALIDDATA)
                return {};
            if (rc < 0)
                return Failure{AudioImportError::system("Não consegui ler " + name + ".", avErrorText(rc))};
            const int channels = frame->ch_layout.nb_channels;
            if (frame->format != converterFormat || channels != converterChannels
                || frame->sample_rate != converterRate) {
                // The stream changed its layout midway: finish the old
                // conversion, then start one for the new layout.
                QUARO_TRY(converter->flush(out));
                QUARO_TRY(deliver());
                converter.emplace(QUARO_TRY(
                    AudioConverter::makeForSampleFormat(frame->format, channels, frame->sample_rate, sampleRate)));
                converterFormat = frame->format;
                converterChannels = channels;
                converterRate = frame->sample_rate;
            }
            auto converted = converter->convert(frame->extended_data, frame->nb_samples, out);
            av_frame_unref(frame.get());
            QUARO_TRY(converted);
            QUARO_TRY(deliver());
        }
    };

    for (;;) {
        int rc = av_read_frame(s.input.get(), packet.get());
        if (rc == AVERROR_EOF)
            break;
        if (rc < 0)
            return Failure{AudioImportError::system("Não consegui ler " + name + ".", avErrorText(rc))};
        if (packet->stream_index == s.streamIndex) {
            rc = avcodec_send_packet(decoder, packet.get());
            av_packet_unref(packet.get());
            // A damaged packet is skipped, as players do; the rest still decodes.
            if (rc < 0 && rc != AVERROR_INVALIDDATA && rc != AVERROR(EAGAIN))
                return Failure{AudioImportError::system("Não consegui ler " + name + ".", avErrorText(rc))};
            QUARO_TRY(drain());
        } else {
            av_packet_unref(packet.get());
        }
    }
    avcodec_send_packet(decoder, nullptr);
    QUARO_TRY(drain());
    QUARO_TRY(converter->flush(out));
    return deliver();
}

} // namespace quaro::media
