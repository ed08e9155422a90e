#include "core/RecadoStatusSet.h"

namespace quaro {

std::string RecadoStatusSet::sqlList() const
{
    std::string list;
    for (RecadoStatus status : allRecadoStatuses) {
        if (contains(status))
            list += (list.empty() ? "('" : ", '") + std::string(rawValue(status)) + "'";
    }
    return list.empty() ? "(NULL)" : list + ")";
}

} // namespace quaro
