#pragma once

#include "app/desktop/CommandLine.h"

#include <QDBusConnection>

namespace quaro {

// The second launch's side of the single-instance rule: sends the command
// line's request to the instance that owns the application's bus name and
// returns the exit status for this process, 0 when the running instance
// took the request, 1 (with a line on standard error) when it could not be
// reached. `help` is not sent anywhere and returns 0.
int handOffToPrimary(const CommandLine& line, QDBusConnection bus = QDBusConnection::sessionBus());

} // namespace quaro
