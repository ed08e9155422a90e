#include "core/Uuid.h"

#include "core/Hex.h"

#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <sys/random.h>

namespace quaro {

std::string makeUUID()
{
    std::array<std::uint8_t, 16> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (n <= 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled < bytes.size()) {
        // getrandom cannot fail for 16 bytes on a running system; keep going anyway.
        std::random_device device;
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(device());
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant

    // 8-4-4-4-12 digits.
    const std::span<const unsigned char> all(bytes.data(), bytes.size());
    std::string text;
    text.reserve(36);
    std::size_t at = 0;
    for (const std::size_t group : {4u, 2u, 2u, 2u, 6u}) {
        if (at > 0)
            text += '-';
        text += hexEncode(all.subspan(at, group), HexCase::upper);
        at += group;
    }
    return text;
}

} // namespace quaro
