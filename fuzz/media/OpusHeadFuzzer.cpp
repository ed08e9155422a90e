#include "media/OpusHead.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto head = quaro::OpusHead::parse(std::vector<std::uint8_t>(data, data + size));
    if (head && (size < 19 || head->version > 15))
        __builtin_trap();
    return 0;
}
