#include "core/DatabaseError.h"

namespace quaro {

std::string DatabaseError::description() const
{
    switch (m_kind) {
    case Kind::open:
        return "Não abri o banco: " + m_message;
    case Kind::query:
        break;
    }
    return "Erro no banco: " + m_message;
}

} // namespace quaro
