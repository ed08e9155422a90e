#pragma once

#include <cstddef>
#include <functional>

namespace quaro {

// Folds the hash of `value` into `seed` (the boost recipe), for hashing
// records over all their fields.
template <typename T>
void hashCombine(std::size_t& seed, const T& value)
{
    seed ^= std::hash<T>{}(value) + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

} // namespace quaro
