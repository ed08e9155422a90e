#pragma once

#include <string>

namespace quaro {

// A failure of the inbox database. The text form is shown to the user or to
// the AI client as it stands.
class DatabaseError {
public:
    enum class Kind {
        open,  // the connection could not be opened
        query, // a statement failed to prepare, execute or step
    };

    DatabaseError() = default;
    static DatabaseError open(std::string message) { return DatabaseError(Kind::open, std::move(message)); }
    static DatabaseError query(std::string message) { return DatabaseError(Kind::query, std::move(message)); }

    Kind kind() const { return m_kind; }
    // SQLite's own error text, or "desconhecido" when SQLite gave none.
    const std::string& message() const { return m_message; }
    // "Não abri o banco: <message>" or "Erro no banco: <message>".
    std::string description() const;

    bool operator==(const DatabaseError&) const = default;

private:
    DatabaseError(Kind kind, std::string message) : m_kind(kind), m_message(std::move(message)) {}

    Kind m_kind = Kind::query;
    std::string m_message;
};

} // namespace quaro
