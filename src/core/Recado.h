#pragma once

#include "core/RecadoStatus.h"
#include "core/Timestamp.h"

#include <optional>
#include <string>

namespace quaro {

// One voice message. Identity is `id`; equality compares every field.
struct Recado {
    std::string id;                         // UUID, canonical upper-case text
    Timestamp createdAt = 0;                // recording start or import time
    double duration = 0;                    // audio length in seconds
    std::optional<std::string> audioPath;   // absolute path of the kept audio
    std::string transcript;
    std::string title;
    std::optional<std::string> destinoID;
    RecadoStatus status = RecadoStatus::pendente;
    std::optional<std::string> claimedBy;   // AI client that claimed or resolved it
    std::optional<Timestamp> claimedAt;
    std::optional<std::string> result;      // what the AI (or the user) wrote back
    std::optional<Timestamp> resolvedAt;
    std::optional<std::string> language;    // language identifier used to transcribe

    bool operator==(const Recado&) const = default;
};

} // namespace quaro
