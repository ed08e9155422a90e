#include "media/AacWriter.h"

#include "media/FFmpegPtr.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cstring>

namespace quaro {

using namespace media;

namespace {
constexpr std::int64_t flushBytes = AacWriter::bitRate / 8; // about one second
} // namespace

struct AacWriter::State {
    OutputFormatPtr container;
    CodecContextPtr encoder;
    FramePtr frame;
    PacketPtr packet;
    AVStream* stream = nullptr;
    int filled = 0;          // samples waiting in `frame`
    std::int64_t pts = 0;    // samples sent to the encoder
    std::int64_t flushedAt = 0;
    bool failed = false;
};

AacWriter::AacWriter(std::filesystem::path path, std::unique_ptr<State> state)
    : m_path(std::move(path)), m_state(std::move(state))
{
}

AacWriter::~AacWriter()
{
    if (!m_closed)
        (void)close();
}

AudioWriteError AacWriter::failure(const std::string& detail) const
{
    return AudioWriteError{"Não consegui gravar o arquivo de áudio " + m_path.filename().string() + " (" + detail + ")."};
}

Result<std::unique_ptr<AacWriter>, AudioWriteError> AacWriter::create(const std::filesystem::path& path)
{
    quietFFmpegLog();
    auto state = std::make_unique<State>();
    auto fail = [&](const std::string& detail) {
        return Failure{AudioWriteError{"Não consegui criar o arquivo de áudio " + path.filename().string() + " ("
                                       + detail + ")."}};
    };

    AVFormatContext* container = nullptr;
    int rc = avformat_alloc_output_context2(&container, nullptr, "ipod", nullptr);
    if (rc < 0 || !container)
        return fail(avErrorText(rc));
    state->container.reset(container);

    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (!codec)
        return fail("codificador AAC ausente");
    state->encoder.reset(avcodec_alloc_context3(codec));
    if (!state->encoder)
        return fail("sem memória");
    AVCodecContext* encoder = state->encoder.get();
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = sampleRate;
    encoder->bit_rate = bitRate;
    encoder->profile = FF_PROFILE_AAC_LOW;
    // The encoder's work grows with the coded band, about 4% per kilohertz
    // whatever the signal holds (16 kHz by default at this rate). 12 kHz
    // keeps all of speech, sibilants included, for the listener and far more
    // than the recogniser uses, and spends the 64 kbit/s below it.
    encoder->cutoff = bandwidth;
    encoder->time_base = AVRational{1, sampleRate};
    AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
    av_channel_layout_copy(&encoder->ch_layout, &mono);
    if (container->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The constant-quantizer coder: about three times cheaper than the default
    // two-loop search, and indistinguishable on voice at this bit rate. It
    // keeps imports far faster than real time and recording light.
    // Temporal noise shaping costs about a tenth of the encoding time (a
    // windowed LPC analysis of every frame) and, on speech at 64 kbit/s mono,
    // lowers the decoded signal-to-noise ratio rather than raising it.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "aac_coder", "fast", 0);
    av_dict_set(&options, "aac_tns", "0", 0);
    rc = avcodec_open2(encoder, codec, &options);
    av_dict_free(&options);
    if (rc < 0)
        return fail(avErrorText(rc));

    state->stream = avformat_new_stream(container, nullptr);
    if (!state->stream)
        return fail("sem memória");
    state->stream->time_base = encoder->time_base;
    if ((rc = avcodec_parameters_from_context(state->stream->codecpar, encoder)) < 0)
        return fail(avErrorText(rc));

    // "file:" keeps a colon in the name from being read as a protocol.
    const std::string url = "file:" + path.string();
    if ((rc = avio_open(&container->pb, url.c_str(), AVIO_FLAG_WRITE)) < 0)
        return fail(avErrorText(rc));
    // From here on a failure would leave a useless file behind.
    auto failAndRemove = [&](const std::string& detail) {
        avio_closep(&container->pb);
        std::error_code ignored;
        if (std::filesystem::is_regular_file(path, ignored))
            std::filesystem::remove(path, ignored);
        return fail(detail);
    };
    if ((rc = avformat_write_header(container, nullptr)) < 0)
        return failAndRemove(avErrorText(rc));

    state->frame.reset(av_frame_alloc());
    state->packet.reset(av_packet_alloc());
    if (!state->frame || !state->packet)
        return failAndRemove("sem memória");
    AVFrame* frame = state->frame.get();
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = sampleRate;
    frame->nb_samples = encoder->frame_size;
    av_channel_layout_copy(&frame->ch_layout, &mono);
    if ((rc = av_frame_get_buffer(frame, 0)) < 0)
        return failAndRemove(avErrorText(rc));

    return std::unique_ptr<AacWriter>(new AacWriter(path, std::move(state)));
}

Result<void, AudioWriteError> AacWriter::write(const float* samples, std::size_t count)
{
    if (m_closed || m_state->failed)
        return Failure{failure("arquivo fechado")};
    const int frameSize = m_state->encoder->frame_size;
    while (count > 0) {
        if (m_state->filled == 0 && av_frame_make_writable(m_state->frame.get()) < 0) {
            m_state->failed = true;
            return Failure{failure("sem memória")};
        }
        const std::size_t take = std::min<std::size_t>(count, std::size_t(frameSize - m_state->filled));
        auto* plane = reinterpret_cast<float*>(m_state->frame->data[0]);
        std::memcpy(plane + m_state->filled, samples, take * sizeof(float));
        m_state->filled += int(take);
        samples += take;
        count -= take;
        m_frames += std::int64_t(take);
        if (m_state->filled == frameSize) {
            auto sent = encode(Encode::waitingSamples);
            if (!sent)
                return sent;
        }
    }
    return {};
}

// Sends the waiting samples or the end of stream to the encoder and writes
// every packet it returns.
Result<void, AudioWriteError> AacWriter::encode(Encode what)
{
    State& s = *m_state;
    int rc = 0;
    if (what == Encode::waitingSamples) {
        s.frame->nb_samples = s.filled;
        s.frame->pts = s.pts;
        s.pts += s.filled;
        s.filled = 0;
        rc = avcodec_send_frame(s.encoder.get(), s.frame.get());
    } else {
        rc = avcodec_send_frame(s.encoder.get(), nullptr);
    }
    if (rc < 0) {
        s.failed = true;
        return Failure{failure(avErrorText(rc))};
    }
    for (;;) {
        rc = avcodec_receive_packet(s.encoder.get(), s.packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            break;
        if (rc < 0) {
            s.failed = true;
            return Failure{failure(avErrorText(rc))};
        }
        av_packet_rescale_ts(s.packet.get(), s.encoder->time_base, s.stream->time_base);
        s.packet->stream_index = s.stream->index;
        rc = av_interleaved_write_frame(s.container.get(), s.packet.get());
        // Left alone, the muxer keeps a seekable file's data in memory until
        // the end: push it out about once a second of audio, so memory stays
        // flat and a full disk is noticed while recording, not at the end.
        AVIOContext* io = s.container->pb;
        if (rc >= 0 && avio_tell(io) - s.flushedAt >= flushBytes) {
            avio_flush(io);
            s.flushedAt = avio_tell(io);
        }
        if (rc >= 0 && io->error < 0)
            rc = io->error;
        if (rc < 0) {
            s.failed = true;
            return Failure{failure(avErrorText(rc))};
        }
    }
    return {};
}

Result<void, AudioWriteError> AacWriter::close()
{
    if (m_closed)
        return {};
    m_closed = true;
    State& s = *m_state;
    Result<void, AudioWriteError> result;
    // A file whose writing failed earlier has no index: it is never complete.
    if (s.failed)
        result = Failure{failure("gravação incompleta")};
    if (!s.failed && s.filled > 0)
        result = encode(Encode::waitingSamples);
    if (!s.failed)
        result = encode(Encode::endOfStream);
    if (!s.failed) {
        int rc = av_write_trailer(s.container.get());
        if (rc >= 0)
            avio_flush(s.container->pb);
        if (rc >= 0 && s.container->pb->error < 0)
            rc = s.container->pb->error;
        if (rc < 0) {
            s.failed = true;
            result = Failure{failure(avErrorText(rc))};
        }
    }
    int rc = avio_closep(&s.container->pb);
    if (rc < 0 && result.ok())
        result = Failure{failure(avErrorText(rc))};
    return result;
}

} // namespace quaro
