// Preferences through a real settings file: what a fresh install reads, what
// survives a restart, and what hand-edited or foreign values turn into.
#include "StateTestSupport.h"

#include <QSignalSpy>

using namespace quaro;
using namespace quaro::testing;

namespace {

TEST(Preferences, EveryChoiceSurvivesARestart)
{
    TestHome home;
    const QDateTime lastRun = QDateTime::fromMSecsSinceEpoch(1'780'000'000'123, Qt::UTC);
    {
        const auto prefs = home.preferences();
        prefs->setSelectedMicID(QStringLiteral("alsa_input.usb-Mic, 2"));
        prefs->setSelectedDestinoID(QStringLiteral("D1"));
        prefs->setAlwaysShowWidget(true);
        prefs->setShowInDock(false);
        prefs->setHotKeyPresetRaw(QStringLiteral("optionShiftSpace"));
        prefs->setLanguageID(QStringLiteral("es-ES"));
        prefs->setKeepAudio(false);
        prefs->setNudgeEnabled(false);
        prefs->setOnboardingDone(true);
        prefs->setAutoEnabled(true);
        prefs->setAutoInterval(15);
        prefs->setAutoLastRun(lastRun);
    }
    // Written as text, the way the settings file keeps every value.
    EXPECT_TRUE(readAll(home.settingsFile()).contains("keepAudio=false"));

    const auto prefs = home.preferences();
    EXPECT_EQ(prefs->selectedMicID(), QStringLiteral("alsa_input.usb-Mic, 2"));
    EXPECT_EQ(prefs->selectedDestinoID(), QStringLiteral("D1"));
    EXPECT_TRUE(prefs->alwaysShowWidget());
    EXPECT_FALSE(prefs->showInDock());
    EXPECT_EQ(prefs->hotKeyPreset(), HotKeyPreset::optionShiftSpace);
    EXPECT_EQ(prefs->hotKeyLabel(), QStringLiteral("Alt Shift Espaço"));
    EXPECT_EQ(prefs->languageID(), QStringLiteral("es-ES"));
    EXPECT_FALSE(prefs->keepAudio());
    EXPECT_FALSE(prefs->nudgeEnabled());
    EXPECT_TRUE(prefs->onboardingDone());
    EXPECT_TRUE(prefs->autoEnabled());
    EXPECT_EQ(prefs->autoInterval(), 15);
    EXPECT_EQ(prefs->autoLastRun(), lastRun);

    // Clearing a choice removes its key.
    prefs->setSelectedMicID({});
    EXPECT_FALSE(readAll(home.settingsFile()).contains("microphoneID"));
    EXPECT_EQ(home.preferences()->selectedMicID(), QString());
}

// A fresh install reads the defaults; so do values edited by hand or left by
// other programs: anything that is not exactly a boolean, a number or a known
// preset.
TEST(Preferences, FreshOrUnreadableValuesGiveTheDefaults)
{
    TestHome fresh, edited;
    ASSERT_TRUE(writeAll(edited.settingsFile(), "[General]\n"
                                                "hotKey=foo\n"
                                                "showInDock=0\n"
                                                "keepAudio=yes\n"
                                                "nudgeEnabled=\n"
                                                "alwaysShowWidget=TRUE\n"
                                                "onboardingDone=1, 2\n"
                                                "languageID=\n"
                                                "autoEnabled=on\n"
                                                "autoInterval=sixty\n"
                                                "autoLastRun=yesterday\n"));
    for (const auto& prefs : {fresh.preferences(), edited.preferences()}) {
        EXPECT_EQ(prefs->selectedMicID(), QString());
        EXPECT_EQ(prefs->selectedDestinoID(), QString());
        EXPECT_EQ(prefs->hotKeyPreset(), HotKeyPreset::optionSpace);
        EXPECT_EQ(prefs->hotKeyLabel(), QStringLiteral("Alt Espaço"));
        EXPECT_TRUE(prefs->showInDock());
        EXPECT_TRUE(prefs->keepAudio());
        EXPECT_TRUE(prefs->nudgeEnabled());
        EXPECT_FALSE(prefs->alwaysShowWidget());
        EXPECT_FALSE(prefs->onboardingDone());
        EXPECT_FALSE(prefs->launchAtLogin());
        EXPECT_EQ(prefs->languageID(), QStringLiteral("pt-BR"));
        EXPECT_EQ(prefs->settingsTab(), QStringLiteral("geral"));
        EXPECT_FALSE(prefs->autoEnabled());
        EXPECT_EQ(prefs->autoInterval(), 60);
        EXPECT_FALSE(prefs->autoLastRun());
    }
}

// An assignment is stored before anyone hears of it; the same value, or a
// value the property cannot hold, is neither stored nor announced.
TEST(Preferences, AssignmentStoresThenNotifiesOnlyOnChange)
{
    TestHome home;
    const auto prefs = home.preferences();
    QSignalSpy keepAudio(prefs.get(), &Preferences::keepAudioChanged);
    QSignalSpy hotKey(prefs.get(), &Preferences::hotKeyPresetChanged);
    QSignalSpy tab(prefs.get(), &Preferences::settingsTabChanged);
    bool storedFirst = false;
    QObject::connect(prefs.get(), &Preferences::keepAudioChanged, [&] {
        storedFirst = QSettings(home.settingsFile(), QSettings::IniFormat).value("keepAudio").toString() == "false";
    });

    prefs->setKeepAudio(true);
    prefs->setHotKeyPresetRaw(QStringLiteral("optionSpace"));
    prefs->setHotKeyPresetRaw(QStringLiteral("superSpace"));
    prefs->setSettingsTab(QStringLiteral("geral"));
    prefs->setSettingsTab(QStringLiteral("avancado"));
    EXPECT_EQ(keepAudio.count() + hotKey.count() + tab.count(), 0);
    EXPECT_FALSE(QFile::exists(home.settingsFile()));

    prefs->setKeepAudio(false);
    prefs->setHotKeyPresetRaw(QStringLiteral("controlOptionSpace"));
    prefs->setSettingsTab(QStringLiteral("conexoes"));
    EXPECT_EQ(keepAudio.count(), 1);
    EXPECT_TRUE(storedFirst);
    EXPECT_EQ(hotKey.count(), 1);
    EXPECT_EQ(prefs->hotKeyLabel(), QStringLiteral("Ctrl Alt Espaço"));
    EXPECT_EQ(tab.count(), 1);
    EXPECT_EQ(prefs->settingsTab(), QStringLiteral("conexoes"));
    // The tab is the window's state, not a stored choice.
    EXPECT_EQ(home.preferences()->settingsTab(), QStringLiteral("geral"));
}

} // namespace
