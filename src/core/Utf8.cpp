#include "core/Utf8.h"

#include <cstdint>
#include <cstring>

namespace quaro::utf8 {

namespace {

// Length of the well-formed sequence starting at `i`, or, when it is
// ill-formed, minus the length of its maximal ill-formed prefix (at least 1).
int sequenceAt(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80)
        return 1;
    int length;
    std::uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        else if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F; // nothing past U+10FFFF
    } else {
        return -1;
    }
    for (int k = 1; k < length; ++k) {
        const std::size_t at = i + static_cast<std::size_t>(k);
        if (at >= s.size())
            return -k;
        const std::uint8_t b = byte(at);
        const bool fits = k == 1 ? (b >= low && b <= high) : (b >= 0x80 && b <= 0xBF);
        if (!fits)
            return -k;
    }
    return length;
}

} // namespace

std::size_t sequenceLength(std::string_view bytes, std::size_t at)
{
    const int n = sequenceAt(bytes, at);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool isValid(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        // Eight ASCII bytes at a time: most of any text is ASCII.
        std::uint64_t word;
        if (bytes.size() - i >= sizeof word) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += sizeof word;
                continue;
            }
        }
        const int n = sequenceAt(bytes, i);
        if (n < 0)
            return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

std::string repaired(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const int n = sequenceAt(bytes, i);
        if (n > 0) {
            out.append(bytes.substr(i, static_cast<std::size_t>(n)));
            i += static_cast<std::size_t>(n);
        } else {
            out += "\xEF\xBF\xBD";
            i += static_cast<std::size_t>(-n);
        }
    }
    return out;
}

} // namespace quaro::utf8
