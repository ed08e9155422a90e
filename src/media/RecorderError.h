#pragma once

#include <string>
#include <utility>

namespace quaro {

// Why the recorder could not do what was asked; `description` is shown to
// the user. Platform failures (device, file) keep their own text.
struct RecorderError {
    enum class Kind { noMicrophone, notRecording, cannotUseMicrophone, system };

    Kind kind = Kind::system;
    std::string description;

    static RecorderError noMicrophone() { return {Kind::noMicrophone, "Nenhum microfone encontrado."}; }
    static RecorderError notRecording() { return {Kind::notRecording, "Nada estava sendo gravado."}; }
    static RecorderError cannotUseMicrophone(const std::string& name)
    {
        return {Kind::cannotUseMicrophone, "Não consegui usar o microfone " + name + "."};
    }
    static RecorderError system(std::string text) { return {Kind::system, std::move(text)}; }
};

} // namespace quaro
