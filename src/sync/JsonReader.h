#pragma once

#include "core/JsonScan.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string_view>

namespace quaro {

// The one way a JSON body from a peer is read: the text is walked once
// (scanJson) before anything is built, refusing deep nesting and any U+0000
// in a text (PostgreSQL stores none, and no field of the protocol needs
// one). Any thread.
class JsonReader {
public:
    using Refusal = JsonScan;

    struct Parsed {
        nlohmann::json value; // discarded unless `refusal` is none
        Refusal refusal = Refusal::fine;
    };

    static constexpr std::size_t defaultDepth = 32;

    static Parsed parse(std::string_view body, std::size_t maxDepth = defaultDepth);
    // Only the walk: what parse() would refuse before parsing.
    static Refusal check(std::string_view body, std::size_t maxDepth = defaultDepth);
};

} // namespace quaro
