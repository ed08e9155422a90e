#pragma once

#include "core/Destino.h"
#include "core/Recado.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

// The user's choices as they stand when a capture needs them.
struct CaptureChoice {
    std::optional<std::string> selectedMicID;       // absent: the system default
    std::optional<std::string> selectedDestinoID;   // destino for the next recado
    std::optional<std::string> selectedDestinoName; // its name; absent shows "Caixa"
    std::string languageID = "pt-BR";
    bool keepAudio = true;
    bool liveTranscription = true;
};

// How the capture flow reaches the rest of the application without knowing
// it. Every hook is optional and is called on the main thread.
struct CaptureHooks {
    std::function<CaptureChoice()> choice;
    // The current destinos, for a destino named in the speech.
    std::function<std::vector<Destino>()> destinos;
    // Refreshes the inbox lists.
    std::function<void()> reload;
    // A recado was transcribed and filed; the hook decides whether to notify.
    std::function<void(const Recado&, const std::optional<Destino>&)> recadoReady;
    std::function<void()> kickCloud;
};

} // namespace quaro
