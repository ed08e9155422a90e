// What the interface says about the hot key, and GNOME's custom shortcut
// written through real GSettings (the keyfile backend in the private home,
// the media-keys schema as GNOME installs it), read back with `gsettings`.
#include "StateTestSupport.h"

#include "app/desktop/HotKeyStatus.h"
#include "support/ScopedEnv.h"

#include <QProcess>

using namespace quaro;
using namespace quaro::testing;

namespace {

const QString mediaKeys = "org.gnome.settings-daemon.plugins.media-keys";
const QString customPath = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/";

QString gsettings(const QStringList& arguments)
{
    QProcess process;
    process.start("gsettings", arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString entryKey(const QString& name) { return mediaKeys + ".custom-keybinding:" + customPath + name + '/'; }
QString entry(const QString& name, const QString& key) { return gsettings({"get", entryKey(name), key}); }
QString shortcutList() { return gsettings({"get", mediaKeys, "custom-keybindings"}); }

} // namespace

TEST(HotKeyStatus, GnomeShortcutIsMadeOnceFollowsThePresetAndGoesLeavingTheUsersOwn)
{
    TestHome home;
    const ScopedEnv backend("GSETTINGS_BACKEND", "keyfile");
    // The user's own shortcut, there before Quaro.
    gsettings({"set", mediaKeys, "custom-keybindings", QString("['%1custom0/']").arg(customPath)});
    gsettings({"set", entryKey("custom0"), "name", "Terminal"});
    ASSERT_EQ(entry("custom0", "name"), "'Terminal'");

    const auto prefs = home.preferences();
    const SessionInfo gnome{SessionType::wayland, DesktopKind::gnome};
    HotKeyStatus status(*prefs, gnome, "/opt/my apps/quaro");
    status.setHotKey(HotKeyState::unavailable);
    ASSERT_TRUE(status.gnomeShortcutOffered());
    EXPECT_FALSE(status.works() || status.problem().isEmpty());
    // GNOME's window menu answers to Alt+Space too: another preset is offered.
    EXPECT_EQ(status.clash(), "No GNOME, Alt Espaço também abre o menu da janela. Escolha outro atalho, como Ctrl Alt Espaço.");

    status.createGnomeShortcut();
    status.createGnomeShortcut();
    EXPECT_EQ(shortcutList(), QString("['%1custom0/', '%1quaro/']").arg(customPath));
    EXPECT_EQ(entry("quaro", "command"), "\"'/opt/my apps/quaro' --toggle\"");
    EXPECT_EQ(entry("quaro", "binding"), "'<Alt>space'");
    EXPECT_TRUE(status.works() && status.problem().isEmpty());

    prefs->setHotKeyPresetRaw("controlOptionSpace");
    EXPECT_EQ(entry("quaro", "binding"), "'<Control><Alt>space'");
    EXPECT_TRUE(status.clash().isEmpty());
    // A later start finds it.
    EXPECT_TRUE(HotKeyStatus(*prefs, gnome, "/opt/my apps/quaro").gnomeShortcutActive());

    status.removeGnomeShortcut();
    EXPECT_EQ(shortcutList(), QString("['%1custom0/']").arg(customPath));
    EXPECT_EQ(entry("quaro", "binding"), "''");
    EXPECT_EQ(entry("custom0", "name"), "'Terminal'");
    EXPECT_FALSE(status.works());
}

TEST(HotKeyStatus, EachDesktopGetsItsOwnFixAndTheBoundTriggerIsPrinted)
{
    TestHome home;
    const auto prefs = home.preferences();
    prefs->setHotKeyPresetRaw("optionShiftSpace");
    HotKeyStatus sway(*prefs, {SessionType::wayland, DesktopKind::sway}, "/usr/bin/quaro");
    sway.setHotKey(HotKeyState::unavailable);
    EXPECT_FALSE(sway.gnomeShortcutOffered());
    EXPECT_EQ(sway.configLine(), "bindsym Mod1+Shift+space exec /usr/bin/quaro --toggle");
    HotKeyStatus hyprland(*prefs, {SessionType::wayland, DesktopKind::hyprland}, "/usr/bin/quaro");
    hyprland.setHotKey(HotKeyState::unavailable);
    EXPECT_EQ(hyprland.configLine(), "bind = ALT SHIFT, space, exec, /usr/bin/quaro --toggle");

    HotKeyStatus kde(*prefs, {SessionType::wayland, DesktopKind::kde}, "/usr/bin/quaro");
    kde.setHotKey(HotKeyState::waiting);
    EXPECT_FALSE(kde.problem().isEmpty());
    EXPECT_TRUE(kde.configLine().isEmpty());
    kde.setHotKey(HotKeyState::cancelled);
    EXPECT_TRUE(kde.canRetry());
    kde.setHotKey(HotKeyState::working, "Meta+R");
    EXPECT_EQ(kde.label(), "Meta+R");
    EXPECT_TRUE(kde.problem().isEmpty());
}
