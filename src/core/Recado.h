#pragma once

#include "core/Hash.h"
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

template <>
struct std::hash<quaro::Recado> {
    std::size_t operator()(const quaro::Recado& r) const
    {
        std::size_t seed = 0;
        quaro::hashCombine(seed, r.id);
        quaro::hashCombine(seed, r.createdAt);
        quaro::hashCombine(seed, r.duration);
        quaro::hashCombine(seed, r.audioPath);
        quaro::hashCombine(seed, r.transcript);
        quaro::hashCombine(seed, r.title);
        quaro::hashCombine(seed, r.destinoID);
        quaro::hashCombine(seed, r.status);
        quaro::hashCombine(seed, r.claimedBy);
        quaro::hashCombine(seed, r.claimedAt);
        quaro::hashCombine(seed, r.result);
        quaro::hashCombine(seed, r.resolvedAt);
        quaro::hashCombine(seed, r.language);
        return seed;
    }
};
