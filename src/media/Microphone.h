#pragma once

#include <string>

namespace quaro {

// A capture device as the user chooses it. `id` is the platform's stable
// unique identifier, `name` its localized name. Equality covers both
// fields, so a device renamed by the system counts as a new entry.
struct Microphone {
    std::string id;
    std::string name;

    bool operator==(const Microphone&) const = default;

    // The name cut for narrow places: its first word, at most 12 characters.
    std::string shortName() const;
};

} // namespace quaro
