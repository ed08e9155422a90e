#pragma once

#include "connect/ChildProcess.h"

#include <QString>
#include <QStringList>

// The pieces of one automatic run of `claude`: its prompt, its argument
// vector and how its outcome reads to the user.
namespace quaro::AutoRun {

// The client name `claude` is told to claim recados with.
inline constexpr char claimer[] = "Claude Code · automático";

QString prompt();
// "mcp__quaro__inbox_list,..." for the six tools of the server.
QString allowedTools();
// The whole vector, `claude` itself first.
QStringList arguments(const QString& claudePath, const QString& configPath);
// The one line shown to the user about a finished run.
QString summary(const ProcessResult& result);
// The last line with text, trimmed; empty when there is none. Shell
// start-up files may print before the line that matters.
QString lastLine(const QString& output);

} // namespace quaro::AutoRun
