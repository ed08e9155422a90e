#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string_view>

namespace quaro::nuvem {

// The one way the server reads a JSON body. Before anything is built it
// walks the text once, without allocating, and refuses nesting deeper than
// `maxDepth` (an 8 MiB body of "[" would otherwise cost hundreds of
// megabytes of nodes) and any U+0000 in a text (PostgreSQL stores none, and
// no field of the protocol needs one). Any thread.
class JsonReader {
public:
    enum class Refusal { none, malformed, tooDeep, nul };

    struct Parsed {
        nlohmann::json value; // discarded unless `refusal` is none
        Refusal refusal = Refusal::none;
    };

    static constexpr std::size_t defaultDepth = 32;

    static Parsed parse(std::string_view body, std::size_t maxDepth = defaultDepth);
    // Only the walk: what parse() would refuse before parsing.
    static Refusal check(std::string_view body, std::size_t maxDepth = defaultDepth);
};

} // namespace quaro::nuvem
