#pragma once

#include "core/RecadoStatus.h"

namespace quaro {

// What the user may do by hand to a recado of a given status. The card's
// menu and the detail differ for a failed transcription: the menu offers to
// transcribe it again, the detail to send it back to the pending ones
// (InboxState and CaptureFlow guard the same steps against a status that
// moved on meanwhile).
struct RecadoOffer {
    bool resolve = false;
    bool reopen = false;
    bool transcribeAgain = false;
};

constexpr RecadoOffer menuOffer(RecadoStatus status)
{
    switch (status) {
    case RecadoStatus::pendente: return {.resolve = true, .transcribeAgain = true};
    case RecadoStatus::pego:
    case RecadoStatus::resolvido: return {.reopen = true};
    case RecadoStatus::falhou: return {.transcribeAgain = true};
    case RecadoStatus::transcrevendo: break;
    }
    return {};
}

constexpr RecadoOffer detailOffer(RecadoStatus status)
{
    switch (status) {
    case RecadoStatus::pendente: return {.resolve = true};
    case RecadoStatus::pego:
    case RecadoStatus::resolvido:
    case RecadoStatus::falhou: return {.reopen = true};
    case RecadoStatus::transcrevendo: break;
    }
    return {};
}

} // namespace quaro
