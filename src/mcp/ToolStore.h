#pragma once

#include "core/DatabaseError.h"
#include "core/Destino.h"
#include "core/Recado.h"
#include "core/RecadoStatus.h"
#include "core/Result.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quaro::mcp {

// The inbox operations the six tools run, with the local store's meaning:
// destinos by sort key then name; recados newest first, at most `limit`, a
// blank search meaning none; claim only while pendente or pego; resolve only
// while pendente, pego or resolvido, `by` replacing the claimer when given.
// The local inbox (QuaroToolStore) and a cloud account's copy both serve the
// tools through it, so both show the same texts.
class ToolStore {
public:
    virtual ~ToolStore() = default;

    virtual Result<std::vector<Destino>, DatabaseError> destinos() = 0;
    virtual Result<std::vector<Recado>, DatabaseError> recados(std::optional<RecadoStatus> status,
                                                               const std::optional<std::string>& destinoID,
                                                               const std::optional<std::string>& search,
                                                               std::int64_t limit) = 0;
    virtual Result<std::optional<Recado>, DatabaseError> recado(const std::string& id) = 0;
    virtual Result<std::optional<Recado>, DatabaseError> claim(const std::string& id, const std::string& by) = 0;
    virtual Result<std::optional<Recado>, DatabaseError> resolve(const std::string& id, const std::string& result,
                                                                 const std::optional<std::string>& by) = 0;
};

} // namespace quaro::mcp
