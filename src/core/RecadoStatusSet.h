#pragma once

#include "core/RecadoStatus.h"

#include <initializer_list>
#include <string>

namespace quaro {

// A set of statuses: the ones a transition may start from. Each guard is
// written once here and asked by every store (the desktop's, the server's
// two) and by the sync codec.
class RecadoStatusSet {
public:
    constexpr RecadoStatusSet(std::initializer_list<RecadoStatus> statuses)
    {
        for (RecadoStatus status : statuses)
            m_bits |= bit(status);
    }
    constexpr bool contains(RecadoStatus status) const { return (m_bits & bit(status)) != 0; }
    // The raw values as an SQL list, "('pendente', 'pego')", for the guard
    // in the statement that makes the transition.
    std::string sqlList() const;

private:
    static constexpr unsigned bit(RecadoStatus status) { return 1u << static_cast<unsigned>(status); }
    unsigned m_bits = 0;
};

// An AI client may claim a recado that is pendente, or take over a claim.
inline constexpr RecadoStatusSet claimableStatuses{RecadoStatus::pendente, RecadoStatus::pego};
// A result may be written on a recado that is pendente or pego, or written again.
inline constexpr RecadoStatusSet resolvableStatuses{RecadoStatus::pendente, RecadoStatus::pego,
                                                    RecadoStatus::resolvido};
// What the cloud may set, and what a change from it may overwrite on the
// desktop: it claims, resolves and reopens, but never puts a recado back
// into transcription or marks it failed, nor touches one in either.
inline constexpr RecadoStatusSet remoteStatuses{RecadoStatus::pendente, RecadoStatus::pego,
                                                RecadoStatus::resolvido};

} // namespace quaro
