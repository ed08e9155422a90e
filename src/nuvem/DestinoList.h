#pragma once

#include "core/Destino.h"
#include "core/SQLValue.h"

#include <map>
#include <string>
#include <vector>

namespace quaro::nuvem {

// A sync's destinos as they will be stored: by id, a repeated id's later
// entry winning, as writing them one after another would leave them.
std::map<std::string, const Destino*> destinosById(const std::vector<Destino>& destinos);

// Whether the stored rows (id, name, instruction, color, sort) already are
// exactly `wanted`: nearly every sync sends the same list again, and
// rewriting it each time would make every sync a write.
bool sameDestinos(const std::vector<SQLRow>& stored, const std::map<std::string, const Destino*>& wanted);

} // namespace quaro::nuvem
