#include "core/RecadoStatus.h"

namespace quaro {

std::string_view rawValue(RecadoStatus status)
{
    switch (status) {
    case RecadoStatus::transcrevendo:
        return "transcrevendo";
    case RecadoStatus::pendente:
        return "pendente";
    case RecadoStatus::pego:
        return "pego";
    case RecadoStatus::resolvido:
        return "resolvido";
    case RecadoStatus::falhou:
        return "falhou";
    }
    return "pendente";
}

std::optional<RecadoStatus> recadoStatus(std::string_view raw)
{
    for (RecadoStatus status : allRecadoStatuses) {
        if (rawValue(status) == raw)
            return status;
    }
    return std::nullopt;
}

std::string_view label(RecadoStatus status)
{
    switch (status) {
    case RecadoStatus::transcrevendo:
        return "Transcrevendo";
    case RecadoStatus::pendente:
        return "Pendente";
    case RecadoStatus::pego:
        return "Pego pela IA";
    case RecadoStatus::resolvido:
        return "Resolvido";
    case RecadoStatus::falhou:
        return "Falhou";
    }
    return "Pendente";
}

} // namespace quaro
