#pragma once

#include <string>
#include <string_view>

namespace quaro::utf8 {

// True when `bytes` is well-formed UTF-8 (NUL characters allowed).
bool isValid(std::string_view bytes);

// `bytes` as well-formed UTF-8: each maximal ill-formed subsequence becomes
// U+FFFD, everything else is kept byte for byte.
std::string repaired(std::string_view bytes);

} // namespace quaro::utf8
