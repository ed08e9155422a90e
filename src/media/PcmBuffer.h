#pragma once

#include "media/AudioConverter.h"

#include <cstddef>

namespace quaro {

// A captured buffer in the device's own format, borrowed for one call.
// `planes` holds one pointer for interleaved data, one per channel otherwise.
struct PcmBufferView {
    PcmFormat format;
    std::size_t frames = 0;
    const void* const* planes = nullptr;
};

// Input level of a buffer on a 0...1 scale linear in decibels: -50 dBFS and
// quieter read 0, full scale reads 1. Only the first channel is measured.
float level(const PcmBufferView& buffer);

} // namespace quaro
