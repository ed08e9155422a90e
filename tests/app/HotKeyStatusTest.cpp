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

const QString mediaKeys = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString customPath = QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/");

QString gsettings(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("gsettings"), arguments);
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString entry(const QString& name, const QString& key)
{
    return gsettings({QStringLiteral("get"), mediaKeys + QStringLiteral(".custom-keybinding:") + customPath + name + QLatin1Char('/'), key});
}

} // namespace

TEST(HotKeyStatus, GnomeShortcutIsMadeOnceFollowsThePresetAndGoesLeavingTheUsersOwn)
{
    TestHome home;
    const ScopedEnv backend("GSETTINGS_BACKEND", "keyfile");
    // The user's own shortcut, there before Quaro.
    gsettings({QStringLiteral("set"), mediaKeys, QStringLiteral("custom-keybindings"),
               QStringLiteral("['%1custom0/']").arg(customPath)});
    gsettings({QStringLiteral("set"), mediaKeys + QStringLiteral(".custom-keybinding:") + customPath + QStringLiteral("custom0/"),
               QStringLiteral("name"), QStringLiteral("Terminal")});
    ASSERT_EQ(entry(QStringLiteral("custom0"), QStringLiteral("name")), QStringLiteral("'Terminal'"));

    const auto prefs = home.preferences();
    const SessionInfo gnome{SessionType::wayland, DesktopKind::gnome};
    HotKeyStatus status(*prefs, gnome, QStringLiteral("/opt/my apps/quaro"));
    status.setHotKey(HotKeyState::unavailable);
    ASSERT_TRUE(status.gnomeShortcutOffered());
    EXPECT_FALSE(status.works());
    EXPECT_EQ(status.problem(), QStringLiteral("Esta sessão não dá atalho global ao Quaro."));
    EXPECT_EQ(status.fix(), QStringLiteral("Crie um atalho no GNOME e Alt Espaço grava em qualquer app."));
    // GNOME's window menu answers to Alt+Space too.
    EXPECT_EQ(status.clash(), QStringLiteral("No GNOME, Alt Espaço também abre o menu da janela. Escolha outro atalho, como Ctrl Alt Espaço."));

    status.createGnomeShortcut();
    status.createGnomeShortcut();
    const QString both = QStringLiteral("['%1custom0/', '%1quaro/']").arg(customPath);
    EXPECT_EQ(gsettings({QStringLiteral("get"), mediaKeys, QStringLiteral("custom-keybindings")}), both);
    EXPECT_EQ(entry(QStringLiteral("quaro"), QStringLiteral("name")), QStringLiteral("'Quaro'"));
    EXPECT_EQ(entry(QStringLiteral("quaro"), QStringLiteral("command")), QStringLiteral("\"'/opt/my apps/quaro' --toggle\""));
    EXPECT_EQ(entry(QStringLiteral("quaro"), QStringLiteral("binding")), QStringLiteral("'<Alt>space'"));
    EXPECT_TRUE(status.works());
    EXPECT_TRUE(status.problem().isEmpty());

    prefs->setHotKeyPresetRaw(QStringLiteral("controlOptionSpace"));
    EXPECT_EQ(entry(QStringLiteral("quaro"), QStringLiteral("binding")), QStringLiteral("'<Control><Alt>space'"));
    EXPECT_TRUE(status.clash().isEmpty());
    // A later start finds it.
    EXPECT_TRUE(HotKeyStatus(*prefs, gnome, QStringLiteral("/opt/my apps/quaro")).gnomeShortcutActive());

    status.removeGnomeShortcut();
    EXPECT_EQ(gsettings({QStringLiteral("get"), mediaKeys, QStringLiteral("custom-keybindings")}),
              QStringLiteral("['%1custom0/']").arg(customPath));
    EXPECT_EQ(entry(QStringLiteral("quaro"), QStringLiteral("binding")), QStringLiteral("''"));
    EXPECT_EQ(entry(QStringLiteral("custom0"), QStringLiteral("name")), QStringLiteral("'Terminal'"));
    EXPECT_FALSE(status.works());
}

TEST(HotKeyStatus, EachDesktopGetsItsOwnFixAndTheBoundTriggerIsPrinted)
{
    TestHome home;
    const auto prefs = home.preferences();
    prefs->setHotKeyPresetRaw(QStringLiteral("optionShiftSpace"));
    HotKeyStatus sway(*prefs, {SessionType::wayland, DesktopKind::sway}, QStringLiteral("/usr/bin/quaro"));
    sway.setHotKey(HotKeyState::unavailable);
    EXPECT_FALSE(sway.gnomeShortcutOffered());
    EXPECT_EQ(sway.configLine(), QStringLiteral("bindsym Mod1+Shift+space exec /usr/bin/quaro --toggle"));
    HotKeyStatus hyprland(*prefs, {SessionType::wayland, DesktopKind::hyprland}, QStringLiteral("/usr/bin/quaro"));
    hyprland.setHotKey(HotKeyState::unavailable);
    EXPECT_EQ(hyprland.configLine(), QStringLiteral("bind = ALT SHIFT, space, exec, /usr/bin/quaro --toggle"));

    HotKeyStatus kde(*prefs, {SessionType::wayland, DesktopKind::kde}, QStringLiteral("/usr/bin/quaro"));
    kde.setHotKey(HotKeyState::waiting);
    EXPECT_EQ(kde.problem(), QStringLiteral("O atalho espera a sua confirmação na janela do sistema."));
    EXPECT_TRUE(kde.configLine().isEmpty());
    kde.setHotKey(HotKeyState::cancelled);
    EXPECT_TRUE(kde.canRetry());
    kde.setHotKey(HotKeyState::working, QStringLiteral("Meta+R"));
    EXPECT_EQ(kde.label(), QStringLiteral("Meta+R"));
    EXPECT_TRUE(kde.problem().isEmpty());
}
