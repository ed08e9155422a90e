#pragma once

#include <QString>
#include <QStringList>

namespace quaro {

// The user's login shell, as automatic mode runs `claude` through it so that
// the user's PATH and environment apply. A plain value; any thread.
class LoginShell {
public:
    // The shell of the password database; /bin/sh when it is unset.
    static LoginShell ofUser();
    // Shells that cannot run a POSIX command string (csh, tcsh, fish and
    // anything else unknown) are replaced by /bin/sh.
    static LoginShell fromPath(const QString& shell);

    QString program() const { return m_program; }
    // "-lc" and the command, after the shell's own start-up file (~/.zshrc
    // for zsh, ~/.bashrc for bash), which a non-interactive login shell
    // would not read. The start-up file's output is silenced.
    QStringList arguments(const QString& command) const;

private:
    QString m_program;
    QString m_startup;
};

} // namespace quaro
