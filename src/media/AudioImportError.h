#pragma once

#include "media/AudioWriteError.h"
#include "media/ConversionError.h"

#include <string>
#include <utility>

namespace quaro {

// Why an audio file could not be imported or decoded. `description()` is the
// sentence shown to the user; `detail` carries technical context for logs.
class AudioImportError {
public:
    enum class Kind {
        unreadable,  // "Não consegui abrir <name>."
        unsupported, // one of the conversion sentences below
        empty,       // "Esse áudio está vazio ou é curto demais."
        system,      // a file-system or codec failure, shown by its own text
    };

    AudioImportError() = default;
    // The errors of the steps an import runs through, each as the user sees it.
    AudioImportError(const ConversionError& error)
        : AudioImportError(unsupported(error.kind == ConversionError::Kind::layout ? cannotConvertFormat
                                                                                    : conversionFailed,
                                       error.reason))
    {
    }
    AudioImportError(const AudioWriteError& error) : AudioImportError(system(error.description())) {}

    Kind kind = Kind::system;
    std::string detail;

    static AudioImportError unreadable(const std::string& name, std::string detail = {})
    {
        return {Kind::unreadable, "Não consegui abrir " + name + ".", std::move(detail)};
    }
    static AudioImportError unsupported(std::string message, std::string detail = {})
    {
        return {Kind::unsupported, std::move(message), std::move(detail)};
    }
    static AudioImportError empty() { return {Kind::empty, "Esse áudio está vazio ou é curto demais.", {}}; }
    static AudioImportError system(std::string message, std::string detail = {})
    {
        return {Kind::system, std::move(message), std::move(detail)};
    }

    std::string description() const { return m_description; }

    static constexpr const char* cannotConvertFormat = "Não consegui converter este formato de áudio.";
    static constexpr const char* cannotPrepareConversion = "Não consegui preparar a conversão do áudio.";
    static constexpr const char* conversionFailed = "A conversão do áudio falhou.";
    static constexpr const char* whatsAppUnreadable =
        "Não consegui ler este áudio do WhatsApp. Exporte como .m4a e tente de novo.";

private:
    AudioImportError(Kind what, std::string sentence, std::string why)
        : kind(what), detail(std::move(why)), m_description(std::move(sentence))
    {
    }

    std::string m_description;
};

} // namespace quaro
