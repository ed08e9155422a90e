#pragma once

#include "core/Hash.h"

#include <string>

namespace quaro {

// A capture device as the user chooses it. `id` is the platform's stable
// unique identifier, `name` its localized name. Equality and hashing cover
// both fields, so a device renamed by the system counts as a new entry.
struct Microphone {
    std::string id;
    std::string name;

    bool operator==(const Microphone&) const = default;

    // The name cut for narrow places: its first word, at most 12 characters.
    std::string shortName() const;
};

} // namespace quaro

template <>
struct std::hash<quaro::Microphone> {
    std::size_t operator()(const quaro::Microphone& m) const
    {
        std::size_t seed = 0;
        quaro::hashCombine(seed, m.id);
        quaro::hashCombine(seed, m.name);
        return seed;
    }
};
