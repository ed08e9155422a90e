#pragma once

#include <string>
#include <utility>

namespace quaro {

// Why the recorder could not do what was asked; `description()` is shown to
// the user. `detail` holds the microphone's name for `cannotUseMicrophone`
// and, for `system`, the platform's own sentence (device, file), shown as is.
struct RecorderError {
    enum class Kind { noMicrophone, notRecording, cannotUseMicrophone, system };

    Kind kind = Kind::system;
    std::string detail;

    static RecorderError noMicrophone() { return {Kind::noMicrophone, {}}; }
    static RecorderError notRecording() { return {Kind::notRecording, {}}; }
    static RecorderError cannotUseMicrophone(std::string name) { return {Kind::cannotUseMicrophone, std::move(name)}; }
    static RecorderError system(std::string text) { return {Kind::system, std::move(text)}; }

    std::string description() const
    {
        switch (kind) {
        case Kind::noMicrophone:
            return "Nenhum microfone encontrado.";
        case Kind::notRecording:
            return "Nada estava sendo gravado.";
        case Kind::cannotUseMicrophone:
            return "Não consegui usar o microfone " + detail + ".";
        case Kind::system:
            break;
        }
        return detail;
    }
};

} // namespace quaro
