#include "TranscriberError.h"

namespace quaro {

std::string TranscriberError::description() const
{
    switch (kind) {
    case Kind::UnsupportedLanguage:
        return "O computador não transcreve " + detail + " no aparelho.";
    case Kind::NotAuthorized:
        return "O reconhecimento de fala não foi liberado.";
    case Kind::ModelDownload:
        return "Não foi possível baixar o modelo de fala (" + detail + ").";
    case Kind::ModelCorrupt:
        return "O modelo de fala baixado veio corrompido (" + detail + ").";
    case Kind::DownloadCancelled:
        return "O download do modelo de fala foi cancelado.";
    case Kind::ModelUnreadable:
        return "O modelo de fala não pôde ser carregado (" + detail + ").";
    case Kind::Audio:
        // The audio reader's own sentence passes through unchanged.
        return detail;
    case Kind::Recognition:
        return "A transcrição falhou (" + detail + ").";
    }
    return detail;
}

} // namespace quaro
