// Starting at login through a real autostart entry in a private config folder.
#include "StateTestSupport.h"

#include <QFileInfo>
#include <QSignalSpy>

using namespace quaro;
using namespace quaro::testing;

namespace {

// Whatever the executable's path holds, the Exec line written for it reads
// back as that same path.
TEST(LaunchAtLogin, ExecLineNamesTheExecutableWhateverItsCharacters)
{
    const QString paths[] = {
        QStringLiteral("/usr/bin/quaro"),
        QStringLiteral("/home/ana/Meus Programas/quaro"),
        QStringLiteral("/opt/\"q\"/$HOME/`x`/quaro"),
        QStringLiteral("/opt/a\\b/quaro"),
        QStringLiteral("/opt/100%/quaro %f"),
        QStringLiteral("/opt/tab\there/new\nline/quaro"),
    };
    for (const QString& path : paths) {
        const QString exec = LaunchAtLogin::execValue(path);
        EXPECT_FALSE(exec.contains(u'\n')) << exec.toStdString();
        EXPECT_EQ(LaunchAtLogin::execProgram(exec), path) << exec.toStdString();
    }
    // Written by hand, unquoted, with arguments.
    EXPECT_EQ(LaunchAtLogin::execProgram(QStringLiteral("/usr/bin/quaro --hidden")), QStringLiteral("/usr/bin/quaro"));
    EXPECT_EQ(LaunchAtLogin::execProgram(QStringLiteral("\"/usr/bin/quaro")), QString());
    // Four backslashes in the file are one in the path.
    EXPECT_EQ(LaunchAtLogin::execProgram(QStringLiteral("\"/a\\\\\\\\b\"")), QStringLiteral("/a\\b"));
}

TEST(LaunchAtLogin, EnabledExactlyWhileTheEntryRunsThisExecutable)
{
    TestHome home;
    const QString entry = home.configPath("autostart/quaro.desktop");
    ASSERT_EQ(LaunchAtLogin::defaultEntryPath(), entry);
    LaunchAtLogin login(QStringLiteral("/opt/Quaro App/quaro"), entry);
    EXPECT_FALSE(login.isEnabled());

    ASSERT_TRUE(login.setEnabled(true).ok());
    EXPECT_TRUE(login.isEnabled());
    EXPECT_TRUE(readAll(entry).contains("Exec=\"/opt/Quaro App/quaro\"\n"));
    EXPECT_FALSE(QFileInfo(entry).permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
    // Another copy of Quaro elsewhere is not the one that starts.
    EXPECT_FALSE(LaunchAtLogin(QStringLiteral("/usr/bin/quaro"), entry).isEnabled());

    ASSERT_TRUE(login.setEnabled(false).ok());
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(login.isEnabled());
}

// The preference reads the entry and leaves a hand-written one alone when
// unchanged; where the autostart folder cannot be made (a file is in the
// way) the switch keeps what the user chose and the failure only goes to
// the log.
TEST(LaunchAtLogin, PreferenceFollowsTheEntryAndKeepsTheChoiceOnFailure)
{
    TestHome home;
    const QString entry = LaunchAtLogin::defaultEntryPath();
    const QByteArray handWritten = "# mine\n[Desktop Entry]\nType=Application\nExec = /opt/quaro/bin/quaro %U\n";
    ASSERT_TRUE(writeAll(entry, handWritten));
    const auto prefs = home.preferences(QStringLiteral("/opt/quaro/bin/quaro"));
    EXPECT_TRUE(prefs->launchAtLogin());
    QSignalSpy changed(prefs.get(), &Preferences::launchAtLoginChanged);
    prefs->setLaunchAtLogin(true);
    EXPECT_EQ(readAll(entry), handWritten);
    EXPECT_EQ(changed.count(), 0);
    prefs->setLaunchAtLogin(false);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(changed.count(), 1);

    ASSERT_TRUE(QDir(home.configPath("autostart")).removeRecursively());
    ASSERT_TRUE(writeAll(home.configPath("autostart"), "not a folder"));
    prefs->setLaunchAtLogin(true);
    EXPECT_TRUE(prefs->launchAtLogin());
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
