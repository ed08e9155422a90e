#include "media/OpusTOC.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto samples = quaro::OpusTOC::samplesPerPacket(std::vector<std::uint8_t>(data, data + size));
    if (samples && (*samples < 120 || *samples > 5760))
        __builtin_trap();
    return 0;
}
