// Preferences through a real settings file: what a fresh install reads, what
// survives a restart, and what hand-edited or foreign values turn into.
#include "StateTestSupport.h"

#include <QMetaProperty>
#include <QSignalSpy>

using namespace quaro;
using namespace quaro::testing;

namespace {

// Every property the interface reads, plus automatic mode's values, by name:
// a choice added later is covered without naming it here.
QVariantMap values(const Preferences& prefs)
{
    QVariantMap out;
    const QMetaObject* meta = prefs.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        out.insert(QString::fromLatin1(meta->property(i).name()), meta->property(i).read(&prefs));
    out.insert("autoEnabled", prefs.autoEnabled());
    out.insert("autoInterval", prefs.autoInterval());
    out.insert("autoLastRun", prefs.autoLastRun().value_or(QDateTime()));
    return out;
}

TEST(Preferences, EveryChoiceSurvivesARestart)
{
    TestHome home;
    const auto prefs = home.preferences();
    const QVariantMap defaults = values(*prefs);
    prefs->setSelectedMicID(QStringLiteral("alsa_input.usb-Mic, 2"));
    prefs->setSelectedDestinoID(QStringLiteral("D1"));
    prefs->setAlwaysShowWidget(true);
    prefs->setShowInDock(false);
    prefs->setHotKeyPresetRaw(QStringLiteral("optionShiftSpace"));
    prefs->setLanguageID(QStringLiteral("es-ES"));
    prefs->setKeepAudio(false);
    prefs->setLiveTranscription(false);
    prefs->setNudgeEnabled(false);
    prefs->setLaunchAtLogin(true);
    prefs->setOnboardingDone(true);
    prefs->setAutoEnabled(true);
    prefs->setAutoInterval(15);
    prefs->setAutoLastRun(QDateTime::fromMSecsSinceEpoch(1'780'000'000'123, Qt::UTC));

    const QVariantMap chosen = values(*prefs);
    EXPECT_EQ(values(*home.preferences()), chosen);
    for (const QString& name : chosen.keys()) {
        if (name != "settingsTab") { // the window's state, not a stored choice
            EXPECT_NE(chosen[name], defaults[name]) << name.toStdString();
        }
    }

    // Clearing a choice removes its key.
    prefs->setSelectedMicID({});
    EXPECT_FALSE(readAll(home.settingsFile()).contains("microphoneID"));
    EXPECT_EQ(home.preferences()->selectedMicID(), QString());
}

// A fresh install reads the defaults; so do values edited by hand or left by
// other programs: anything that is not exactly a boolean, a number or a known
// preset. Of the defaults, the ones a user meets first: the hot key and no
// destino chosen yet.
TEST(Preferences, FreshOrUnreadableValuesGiveTheDefaults)
{
    TestHome fresh, edited;
    ASSERT_TRUE(writeAll(edited.settingsFile(), "[General]\nhotKey=foo\nshowInDock=0\nkeepAudio=yes\nnudgeEnabled=\n"
                                                "alwaysShowWidget=TRUE\nonboardingDone=1, 2\nlanguageID=\n"
                                                "autoEnabled=on\nautoInterval=sixty\nautoLastRun=yesterday\n"
                                                "liveTranscription=no\n"));
    const QVariantMap defaults = values(*fresh.preferences());
    EXPECT_EQ(defaults["hotKeyLabel"], "Alt Espaço");
    EXPECT_EQ(defaults["selectedDestinoID"], "");
    EXPECT_EQ(values(*edited.preferences()), defaults);
}

// An assignment is stored before anyone hears of it; the same value, or a
// value the property cannot hold, is neither stored nor announced. The
// open settings tab is the window's state and is never stored.
TEST(Preferences, AssignmentStoresThenNotifiesOnlyOnChange)
{
    TestHome home;
    const auto prefs = home.preferences();
    QSignalSpy keepAudio(prefs.get(), &Preferences::keepAudioChanged);
    QSignalSpy hotKey(prefs.get(), &Preferences::hotKeyPresetChanged);
    bool storedFirst = false;
    QObject::connect(prefs.get(), &Preferences::keepAudioChanged, [&] {
        storedFirst = QSettings(home.settingsFile(), QSettings::IniFormat).value("keepAudio").toString() == "false";
    });

    prefs->setKeepAudio(true);
    prefs->setHotKeyPresetRaw(QStringLiteral("optionSpace"));
    prefs->setHotKeyPresetRaw(QStringLiteral("superSpace"));
    prefs->setSettingsTab(QStringLiteral("conexoes"));
    EXPECT_EQ(keepAudio.count() + hotKey.count(), 0);
    EXPECT_FALSE(QFile::exists(home.settingsFile()));

    prefs->setKeepAudio(false);
    prefs->setHotKeyPresetRaw(QStringLiteral("controlOptionSpace"));
    EXPECT_EQ(keepAudio.count(), 1);
    EXPECT_TRUE(storedFirst);
    EXPECT_EQ(hotKey.count(), 1);
    EXPECT_EQ(home.preferences()->settingsTab(), QStringLiteral("geral"));
}

} // namespace
