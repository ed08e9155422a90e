#include "speech/TranscriberError.h"

namespace quaro {

std::string TranscriberError::description() const
{
    switch (kind) {
    case Kind::unsupportedLanguage:
        return "O computador não transcreve " + detail + " no aparelho.";
    case Kind::notAuthorized:
        return "O reconhecimento de fala não foi liberado.";
    case Kind::modelDownload:
        return "Não foi possível baixar o modelo de fala (" + detail + ").";
    case Kind::modelCorrupt:
        return "O modelo de fala baixado veio corrompido (" + detail + ").";
    case Kind::downloadCancelled:
        return "O download do modelo de fala foi cancelado.";
    case Kind::modelUnreadable:
        return "O modelo de fala não pôde ser carregado (" + detail + ").";
    case Kind::audio:
        // The audio reader's own sentence passes through unchanged.
        return detail;
    case Kind::recognition:
        return "A transcrição falhou (" + detail + ").";
    }
    return detail;
}

} // namespace quaro
