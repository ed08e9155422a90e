#include "media/OggReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto packets = quaro::OggReader(std::vector<std::uint8_t>(data, data + size)).packets();
    if (packets) {
        std::size_t total = 0;
        for (const auto& p : packets.value())
            total += p.size();
        // Packets are made of the input's bytes: never more than it holds.
        if (total > size)
            __builtin_trap();
    }
    return 0;
}
