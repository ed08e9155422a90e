#pragma once

#include <array>
#include <string_view>

namespace quaro {

// The colours a destino can take, as the editors offer them. New destinos
// cycle through the first `destinoCycle` (the ink is chosen only by hand).
inline constexpr std::array<std::string_view, 5> destinoPalette = {"#FF6A1C", "#FFDA62", "#FFAE56", "#F5788B",
                                                                   "#16130F"};
inline constexpr std::size_t destinoCycle = 4;

} // namespace quaro
