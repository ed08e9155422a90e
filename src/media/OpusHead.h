#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quaro {

// The Opus identification header, the first packet of an Ogg Opus stream.
struct OpusHead {
    std::uint8_t version = 0;
    std::uint8_t channelCount = 0;
    std::uint16_t preSkip = 0;         // 48 kHz samples to drop at the start
    std::uint32_t inputSampleRate = 0; // informational only
    std::int16_t outputGain = 0;       // 1/256 dB
    std::uint8_t mappingFamily = 0;

    // No header when the packet is shorter than 19 bytes, lacks the magic or
    // has a version above 15 (an incompatible major version).
    static std::optional<OpusHead> parse(const std::vector<std::uint8_t>& packet);
};

} // namespace quaro
