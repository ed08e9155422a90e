#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

namespace quaro {

// What one launch of `quaro` was asked to do. A second launch hands it to
// the running instance; the first launch does it itself.
struct CommandLine {
    enum class Action {
        show,         // plain `quaro`: open the inbox
        toggle,       // --toggle: start recording, or stop and send
        stopAndSend,  // --stop
        discard,      // --discard
        settings,     // --settings: open the settings
        panel,        // --panel: open the tray's panel (for desktops without a tray)
        import,       // quaro FILE...
        help,         // --help: print the usage and leave
        version,      // --version: print the version and leave
    };

    Action action = Action::show;
    QStringList files; // absolute paths, for `import`

    // `arguments` without the program name; relative file names are taken
    // from `workingDirectory`. On failure the reason, for standard error.
    static Result<CommandLine, QString> parse(const QStringList& arguments, const QString& workingDirectory);
    // The usage text, in the shell's terms.
    static QString usage();
    // For a command line that did not parse: the reason and the usage on
    // standard error; returns the exit status, 2.
    static int reportUsageError(const QString& reason);

    bool operator==(const CommandLine&) const = default;
};

} // namespace quaro
