#include "media/OpusHead.h"

#include <cstring>

namespace quaro {

std::optional<OpusHead> OpusHead::parse(const std::vector<std::uint8_t>& packet)
{
    if (packet.size() < 19 || std::memcmp(packet.data(), "OpusHead", 8) != 0)
        return std::nullopt;
    OpusHead head;
    head.version = packet[8];
    if (head.version > 15)
        return std::nullopt;
    head.channelCount = packet[9];
    head.preSkip = std::uint16_t(packet[10] | packet[11] << 8);
    head.inputSampleRate = std::uint32_t(packet[12]) | std::uint32_t(packet[13]) << 8
        | std::uint32_t(packet[14]) << 16 | std::uint32_t(packet[15]) << 24;
    head.outputGain = std::int16_t(std::uint16_t(packet[16] | packet[17] << 8));
    head.mappingFamily = packet[18];
    return head;
}

} // namespace quaro
