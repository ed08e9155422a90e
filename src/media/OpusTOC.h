#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quaro::OpusTOC {

// Samples (at 48 kHz, per channel) that an Opus packet decodes to, read from
// its table-of-contents byte; none for an empty packet, a code-3 packet
// without a valid frame count, or more than 120 ms.
std::optional<int> samplesPerPacket(const std::vector<std::uint8_t>& packet);

} // namespace quaro::OpusTOC
