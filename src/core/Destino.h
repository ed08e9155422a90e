#pragma once

#include <cstdint>
#include <string>

namespace quaro {

// A destination for recados, with the instruction that tells the AI what to
// do with them. Identity is `id`; equality compares every field.
struct Destino {
    std::string id;          // UUID, canonical upper-case text
    std::string name;        // what the user calls it and says after "pro ..."
    std::string instruction; // what the AI must do with its recados
    std::string colorHex = "#FF6A1C"; // "#RRGGBB"
    std::int64_t sort = 0;   // position in lists, lower first

    bool operator==(const Destino&) const = default;
};

} // namespace quaro
