#include "media/OpusTOC.h"

namespace quaro::OpusTOC {

std::optional<int> samplesPerPacket(const std::vector<std::uint8_t>& packet)
{
    if (packet.empty())
        return std::nullopt;
    const int toc = packet[0];
    const int config = toc >> 3;
    const int code = toc & 3;

    int frames = 1;
    if (code == 1 || code == 2) {
        frames = 2;
    } else if (code == 3) {
        if (packet.size() < 2)
            return std::nullopt;
        frames = packet[1] & 63;
        if (frames == 0)
            return std::nullopt;
    }

    int frameSize = 0;
    if (config < 12) {
        static constexpr int silk[] = {480, 960, 1920, 2880};
        frameSize = silk[config % 4];
    } else if (config < 16) {
        static constexpr int hybrid[] = {480, 960};
        frameSize = hybrid[config % 2];
    } else {
        static constexpr int celt[] = {120, 240, 480, 960};
        frameSize = celt[config % 4];
    }

    const int samples = frames * frameSize;
    if (samples > 5760)
        return std::nullopt;
    return samples;
}

} // namespace quaro::OpusTOC
