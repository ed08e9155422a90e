// Starting at login through a real autostart entry in a private config
// folder, and the Desktop Entry format that entry is written in.
#include "StateTestSupport.h"

#include "app/common/DesktopEntryFile.h"

#include <QFileInfo>
#include <QSignalSpy>

using namespace quaro;
using namespace quaro::testing;

namespace {

// The Exec value as written in the file, read through a group among others.
TEST(DesktopEntryFile, ExecReadsBackAsItsArguments)
{
    std::vector<std::pair<QString, QStringList>> rows = {
        {"/usr/bin/quaro --hidden %U", {"/usr/bin/quaro", "--hidden"}},
        {"\"/opt/A \\\\\"B\\\\\"/run\" --flag=%% \"\" %F", {"/opt/A \"B\"/run", "--flag=%", ""}},
        {"\"/a\\\\\\\\b\"\\s\"c\\sd\"", {"/a\\b", "c d"}}, // four backslashes are one
        {"\"/a\\\"b\"", {"/a\"b"}}, // an unknown escape keeps its backslash
        {"\"/usr/bin/quaro --hidden", {}},
    };
    for (const QString argument : {"/home/ana/Meus Programas/quaro", "/opt/\"q\"/$HOME/`x`/quaro",
                                   "/opt/a\\b/quaro", "/opt/100%/quaro %f", "/opt/tab\there/new\nline/\\"})
        rows.push_back({DesktopEntryFile::execArgument(argument) + " %U", {argument}});
    TestHome home;
    const QString path = home.configPath("app.desktop");
    for (const auto& [exec, arguments] : rows) {
        ASSERT_TRUE(writeAll(path, "# Exec=comment\n[Other]\nExec=other\n[Desktop Entry]\nExec[pt_BR]=localized\n"
                                   " Exec = " + exec.toUtf8() + "\nExec=second\n"));
        EXPECT_EQ(DesktopEntryFile::splitExec(DesktopEntryFile::read(path).value("Exec")), arguments) << exec.toStdString();
    }
}

// Enabled exactly while the entry runs this executable. The preference reads
// the entry and leaves a hand-written one alone when unchanged; where the
// autostart folder cannot be made (a file is in the way) the switch keeps what
// the user chose and the failure only goes to the log.
TEST(LaunchAtLogin, PreferenceFollowsTheEntryOfThisExecutableAndKeepsTheChoiceOnFailure)
{
    TestHome home;
    const QString entry = home.configPath("autostart/quaro.desktop");
    ASSERT_EQ(LaunchAtLogin::defaultEntryPath(), entry);
    const auto prefs = home.preferences("/opt/Quaro App/quaro");
    EXPECT_FALSE(prefs->launchAtLogin());
    prefs->setLaunchAtLogin(true);
    EXPECT_TRUE(readAll(entry).contains("Exec=\"/opt/Quaro App/quaro\"\n"));
    EXPECT_FALSE(QFileInfo(entry).permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
    // Another copy of Quaro elsewhere is not the one that starts.
    EXPECT_FALSE(LaunchAtLogin("/usr/bin/quaro", entry).isEnabled());

    const QByteArray handWritten = "# mine\n[Desktop Entry]\nType=Application\nExec = /usr/bin/quaro %U\n";
    ASSERT_TRUE(writeAll(entry, handWritten));
    const auto other = home.preferences("/usr/bin/quaro");
    EXPECT_TRUE(other->launchAtLogin());
    QSignalSpy changed(other.get(), &Preferences::launchAtLoginChanged);
    other->setLaunchAtLogin(true);
    EXPECT_EQ(readAll(entry), handWritten);
    EXPECT_EQ(changed.count(), 0);
    other->setLaunchAtLogin(false);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(changed.count(), 1);

    ASSERT_TRUE(QDir(home.configPath("autostart")).removeRecursively());
    ASSERT_TRUE(writeAll(home.configPath("autostart"), "not a folder"));
    other->setLaunchAtLogin(true);
    EXPECT_TRUE(other->launchAtLogin());
    EXPECT_EQ(changed.count(), 2);
}

} // namespace
