#pragma once

#include <QString>

namespace quaro {

// Diagnostic lines of the application, never shown to the user:
// "[Quaro] <context>: <description>" on standard error, which the desktop
// session hands to its journal.
void appLog(const QString& context, const QString& description);

} // namespace quaro
