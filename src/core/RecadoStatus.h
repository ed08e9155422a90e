#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quaro {

// Lifecycle of a recado, stored and exchanged by its raw value.
enum class RecadoStatus {
    transcrevendo, // recorded, transcription running
    pendente,      // transcribed, waiting for an AI
    pego,          // claimed by an AI client
    resolvido,     // an AI (or the user) wrote a result
    falhou,        // transcription failed
};

inline constexpr std::array<RecadoStatus, 5> allRecadoStatuses = {
    RecadoStatus::transcrevendo, RecadoStatus::pendente, RecadoStatus::pego,
    RecadoStatus::resolvido,     RecadoStatus::falhou,
};

// "transcrevendo", "pendente", "pego", "resolvido", "falhou".
std::string_view rawValue(RecadoStatus status);
// The status with that exact raw value, or absent.
std::optional<RecadoStatus> recadoStatus(std::string_view rawValue);
// "Transcrevendo", "Pendente", "Pego pela IA", "Resolvido", "Falhou".
std::string_view label(RecadoStatus status);

} // namespace quaro
