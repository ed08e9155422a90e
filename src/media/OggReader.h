#pragma once

#include "core/Result.h"
#include "media/OggError.h"

#include <cstdint>
#include <vector>

namespace quaro {

// Splits an Ogg file held in memory into the packets of its first logical
// stream. Checksums, granule positions and page sequence numbers are not
// examined: a voice note only needs its packets in order.
class OggReader {
public:
    explicit OggReader(std::vector<std::uint8_t> data) : m_data(std::move(data)) {}

    static constexpr std::uint8_t capturePattern[4] = {'O', 'g', 'g', 'S'};

    // Complete packets in order, zero-length ones included; `malformed` when
    // the pages are broken or no packet completes.
    Result<std::vector<std::vector<std::uint8_t>>, OggError> packets() const;

private:
    std::vector<std::uint8_t> m_data;
};

} // namespace quaro
