#include "nuvem/DestinoList.h"

namespace quaro::nuvem {

std::map<std::string, const Destino*> destinosById(const std::vector<Destino>& destinos)
{
    std::map<std::string, const Destino*> byId;
    for (const Destino& d : destinos)
        byId[d.id] = &d;
    return byId;
}

bool sameDestinos(const std::vector<SQLRow>& stored, const std::map<std::string, const Destino*>& wanted)
{
    if (stored.size() != wanted.size())
        return false;
    for (const SQLRow& row : stored) {
        const auto found = wanted.find(row.string("id").value_or(""));
        if (found == wanted.end())
            return false;
        const Destino& d = *found->second;
        if (row.string("name") != d.name || row.string("instruction") != d.instruction ||
            row.string("color") != d.colorHex || row.integer("sort") != d.sort)
            return false;
    }
    return true;
}

} // namespace quaro::nuvem
