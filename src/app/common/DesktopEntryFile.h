#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The Desktop Entry file format, read and written in one place: the keys of
// the [Desktop Entry] group and the quoting of the Exec key. Plain functions,
// any thread.
namespace quaro::DesktopEntryFile {

// The [Desktop Entry] group's keys, the first of each name, with the value
// escapes (\s \n \t \r \\) undone; an unknown escape is kept as written.
// Localized keys stay apart ("Name[pt_BR]"); comments and other groups are
// skipped. Empty when the file cannot be read.
QHash<QString, QString> read(const QString& path);

// An Exec value as read above, as program and arguments: double quotes group,
// and inside them a backslash takes the next character as it is. Field codes
// (%f, %U, ...) go and "%%" is a percent sign. Empty when a quote is left open.
QStringList splitExec(const QString& exec);

// One argument quoted for an Exec value, with the value escapes on top, so
// that splitExec(read(...)) gives it back whatever it holds.
QString execArgument(const QString& argument);

} // namespace quaro::DesktopEntryFile
