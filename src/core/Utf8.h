#pragma once

#include <string>
#include <string_view>

namespace quaro::utf8 {

// True when `bytes` is well-formed UTF-8 (NUL characters allowed).
bool isValid(std::string_view bytes);

// Length of the well-formed sequence that starts at `at` (1 to 4), or 0 when
// the bytes there are ill-formed.
std::size_t sequenceLength(std::string_view bytes, std::size_t at);

// `bytes` as well-formed UTF-8: each maximal ill-formed subsequence becomes
// U+FFFD, everything else is kept byte for byte.
std::string repaired(std::string_view bytes);

} // namespace quaro::utf8
