#include "media/OggOpusDecoder.h"

#include "core/Log.h"
#include "media/OggReader.h"
#include "media/OpusHead.h"
#include "media/OpusTOC.h"

#include <opus/opus.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace quaro::media {

namespace {

struct OpusDecoderDeleter {
    void operator()(OpusDecoder* d) const { opus_decoder_destroy(d); }
};
using OpusDecoderPtr = std::unique_ptr<OpusDecoder, OpusDecoderDeleter>;

// A failure inside the Ogg path: either the stream holds no audio, or
// something else whose text only reaches the log.
struct OggPathError {
    bool empty = false;
    std::string detail;
};

constexpr int maxPacketSamples = 5760; // 120 ms at 48 kHz

Result<void, OggPathError> decodeOggOpus(const std::filesystem::path& path, PcmSink& sink)
{
    std::vector<std::uint8_t> data;
    {
        std::ifstream in(path, std::ios::binary | std::ios::ate);
        if (!in)
            return Failure{OggPathError{false, "arquivo ilegível"}};
        const std::streamoff size = in.tellg();
        if (size < 0)
            return Failure{OggPathError{false, "erro de leitura"}};
        data.resize(std::size_t(size));
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(data.data()), size))
            return Failure{OggPathError{false, "erro de leitura"}};
    }
    auto packets = OggReader(std::move(data)).packets();
    if (!packets)
        return Failure{OggPathError{false, packets.error().description()}};
    auto& list = packets.value();
    if (list.size() < 2)
        return Failure{OggPathError{false, "Ogg malformado (sem cabeçalhos)"}};
    const auto head = OpusHead::parse(list[0]);
    if (!head || head->mappingFamily != 0 || (head->channelCount != 1 && head->channelCount != 2))
        return Failure{OggPathError{false, "Ogg malformado (OpusHead)"}};

    // Packet 1 is the comment header; audio starts at packet 2.
    std::vector<const std::vector<std::uint8_t>*> audio;
    for (std::size_t i = 2; i < list.size(); ++i)
        if (!list[i].empty())
            audio.push_back(&list[i]);
    if (audio.empty())
        return Failure{OggPathError{true, {}}};
    if (!OpusTOC::samplesPerPacket(*audio.front()))
        return Failure{OggPathError{false, "Ogg malformado (TOC)"}};

    const int channels = head->channelCount;
    int rc = OPUS_OK;
    OpusDecoderPtr decoder(opus_decoder_create(48000, channels, &rc));
    if (!decoder || rc != OPUS_OK)
        return Failure{OggPathError{false, std::string("Opus: ") + opus_strerror(rc)}};

    if (auto begun = sink.begin(); !begun)
        return Failure{OggPathError{false, begun.error().description()}};

    const float gain = head->outputGain != 0 ? float(std::pow(10.0, head->outputGain / 5120.0)) : 1.0f;
    int skip = head->preSkip;
    std::vector<float> decoded(std::size_t(maxPacketSamples) * std::size_t(channels));
    std::vector<float> mono(maxPacketSamples);

    for (const auto* packet : audio) {
        const int frames = opus_decode_float(decoder.get(), packet->data(), opus_int32(packet->size()),
                                             decoded.data(), maxPacketSamples, 0);
        if (frames < 0)
            return Failure{OggPathError{false, std::string("Opus: ") + opus_strerror(frames)}};
        const int drop = std::min(skip, frames);
        skip -= drop;
        const int kept = frames - drop;
        if (kept < 1)
            continue;
        const float scale = gain / float(channels < 2 ? 1 : channels);
        for (int i = 0; i < kept; ++i) {
            float sum = 0;
            const float* frame = decoded.data() + std::size_t(drop + i) * std::size_t(channels);
            for (int c = 0; c < channels; ++c)
                sum += frame[c];
            mono[std::size_t(i)] = sum * scale;
        }
        if (auto written = sink.write(mono.data(), std::size_t(kept)); !written)
            return Failure{OggPathError{false, written.error().description()}};
    }
    return {};
}

} // namespace

bool startsWithOggS(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    char magic[4] = {};
    in.read(magic, 4);
    return in.gcount() == 4 && std::equal(magic, magic + 4, OggReader::capturePattern);
}

Result<void, AudioImportError> convertOggOpus(const std::filesystem::path& path, PcmSink& sink)
{
    auto decoded = decodeOggOpus(path, sink);
    if (decoded)
        return {};
    if (decoded.error().empty)
        return Failure{AudioImportError::empty()};
    log(LogArea::conversion, "Ogg Opus falhou: " + decoded.error().detail);
    return Failure{AudioImportError::unsupported(AudioImportError::whatsAppUnreadable, decoded.error().detail)};
}

} // namespace quaro::media
