#pragma once

#include <span>
#include <string>

namespace quaro {

enum class HexCase { lower, upper };

// `bytes` as hexadecimal text, two digits per byte, most significant first.
std::string hexEncode(std::span<const unsigned char> bytes, HexCase letters = HexCase::lower);

} // namespace quaro
