#pragma once

#include "core/RecadoStatus.h"

#include <QString>

#include <optional>
#include <string>

namespace quaro {

// What the inbox window lists: the recados of one status, those of one
// destino (any status), or all of them. A plain value; the text form
// ("status:pendente", "destino:<id>", "all") is how QML reads and sets it.
class InboxFilter {
public:
    enum class Kind { status, destino, all };

    static InboxFilter status(RecadoStatus status) { return InboxFilter(Kind::status, status, {}); }
    static InboxFilter destino(std::string destinoID)
    {
        return InboxFilter(Kind::destino, RecadoStatus::pendente, std::move(destinoID));
    }
    static InboxFilter all() { return InboxFilter(Kind::all, RecadoStatus::pendente, {}); }

    // The inbox starts on the pending recados.
    InboxFilter() = default;

    Kind kind() const { return m_kind; }
    // The payloads: meaningful only for their own kind.
    RecadoStatus recadoStatus() const { return m_status; }
    const std::string& destinoID() const { return m_destinoID; }

    QString text() const;
    // The inbox list's heading: "Pendentes", "Todos", the destino's name
    // (`destinoName`, or "Destino" when it is not known).
    QString title(const std::optional<QString>& destinoName) const;
    // Absent for anything that is not one of the three text forms, an
    // unknown status or an empty destino id.
    static std::optional<InboxFilter> fromText(const QString& text);

    bool operator==(const InboxFilter&) const = default;

private:
    InboxFilter(Kind kind, RecadoStatus status, std::string destinoID)
        : m_kind(kind), m_status(status), m_destinoID(std::move(destinoID))
    {
    }

    Kind m_kind = Kind::status;
    RecadoStatus m_status = RecadoStatus::pendente;
    std::string m_destinoID;
};

} // namespace quaro
