#include "core/Hex.h"

namespace quaro {

std::string hexEncode(std::span<const unsigned char> bytes, HexCase letters)
{
    const char* digits = letters == HexCase::upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const unsigned char byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

} // namespace quaro
