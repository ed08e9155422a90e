// The desktop-portal hot key against the fake portal of tests/support on
// the private session bus: the calls it makes, and the activations it hears.
#include "support/QtSupport.h"

#include "app/desktop/HotKeyPortal.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include <optional>
#include <vector>

#include <gtest/gtest.h>

using namespace quaro;
using namespace quaro::testing;

namespace {

class FakePortal {
public:
    bool start()
    {
        m_process.start("/usr/bin/python3", {QStringLiteral(QUARO_TEST_SUPPORT_DIR "/fake_portal.py")});
        return waitFor([&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; })
            && m_process.readLine().trimmed() == "ready";
    }
    // Steers the fake: Activate, ActivateIn, Decline, Answer, Delay, BindAs.
    template <typename... Arguments>
    void call(const QString& method, const Arguments&... arguments) { m_control.call(method, arguments...); }
    QJsonArray log()
    {
        const QDBusReply<QString> reply = m_control.call("Log");
        return QJsonDocument::fromJson(reply.value().toUtf8()).array();
    }

private:
    QProcess m_process; // killed by its PID when the test ends
    QDBusInterface m_control{"org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop", "app.quaro.test.Portal"};
};

QString calls(const QJsonArray& log)
{
    QStringList names;
    for (const auto& entry : log)
        names << entry[u"call"].toString();
    return names.join(QLatin1Char(' '));
}

// Asks for the preset and waits, in the event loop, for the portal's answer.
std::optional<HotKeyResult> settle(HotKeyPortal& portal, HotKeyPreset preset)
{
    std::optional<HotKeyResult> result;
    portal.settled = [&](const HotKeyResult& r) { result = r; };
    portal.grab(preset);
    waitFor([&] { return result.has_value(); });
    portal.settled = nullptr;
    return result;
}

} // namespace

TEST(HotKeyPortalTest, BindsTheShortcutInASessionOfItsOwnAndHearsOnlyIt)
{
    HotKeyPortal portal;
    int presses = 0;
    portal.pressed = [&] { ++presses; };

    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::unavailable);

    FakePortal fake;
    ASSERT_TRUE(fake.start());
    const auto bound = settle(portal, HotKeyPreset::controlAltSpace);
    ASSERT_TRUE(bound);
    ASSERT_EQ(bound->outcome, HotKeyOutcome::bound) << bound->detail.toStdString();
    EXPECT_TRUE(bound->trigger.isEmpty());
    QJsonArray log = fake.log();
    ASSERT_EQ(calls(log), "CreateSession BindShortcuts");
    const QString session = log[0][u"session"].toString();
    EXPECT_EQ(log[1][u"session"].toString(), session);
    const QJsonObject shortcut = log[1][u"shortcuts"][0].toObject();
    EXPECT_EQ(shortcut["preferred_trigger"].toString(), "CTRL+ALT+space");

    // Another session's activation and another shortcut are not ours; the
    // last one proves the earlier signals have been read.
    fake.call("ActivateIn", QVariant::fromValue(QDBusObjectPath(session + "x")), shortcut["id"].toString());
    fake.call("Activate", "outro");
    fake.call("Activate", shortcut["id"].toString());
    ASSERT_TRUE(waitFor([&] { return presses > 0; }));
    EXPECT_EQ(presses, 1);

    // A new combination closes the old session first; a declined one leaves none.
    ASSERT_EQ(settle(portal, HotKeyPreset::altShiftSpace)->outcome, HotKeyOutcome::bound);
    fake.call("Decline", true);
    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::refused);
    log = fake.log();
    EXPECT_EQ(calls(log), "CreateSession BindShortcuts Close CreateSession BindShortcuts Close CreateSession BindShortcuts Close");
    EXPECT_EQ(log[2][u"session"].toString(), session);
    EXPECT_EQ(log[4][u"shortcuts"][0][u"preferred_trigger"].toString(), "SHIFT+ALT+space");
}

TEST(HotKeyPortalTest, TellsACancelledDialogFromARefusalAndPrintsTheTriggerTheUserChose)
{
    FakePortal fake;
    ASSERT_TRUE(fake.start());
    HotKeyPortal portal;
    fake.call("Answer", 1u);
    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::cancelled);
    fake.call("Answer", 2u);
    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::refused);
    fake.call("Answer", 0u);

    // The same keys in the desktop's own spelling are still the preset.
    fake.call("BindAs", "Ctrl+Alt+Space");
    EXPECT_TRUE(settle(portal, HotKeyPreset::controlAltSpace)->trigger.isEmpty());
    fake.call("BindAs", "Super+K");
    EXPECT_EQ(settle(portal, HotKeyPreset::controlAltSpace)->trigger, "Super+K");
}

TEST(HotKeyPortalTest, KeepsTheEventLoopRunningWhileTheDesktopAsksAndDropsAnswersNoLongerWanted)
{
    FakePortal fake;
    ASSERT_TRUE(fake.start());
    HotKeyPortal portal;
    std::vector<HotKeyOutcome> outcomes;
    portal.settled = [&](const HotKeyResult& result) { outcomes.push_back(result.outcome); };
    fake.call("Delay", 1500u);
    portal.grab(HotKeyPreset::altSpace);
    EXPECT_TRUE(outcomes.empty());
    // The interface's own work goes on while the dialog is open.
    bool ticked = false;
    QTimer::singleShot(0, [&] { ticked = true; });
    ASSERT_TRUE(waitFor([&] { return ticked || !outcomes.empty(); }));
    EXPECT_TRUE(ticked && outcomes.empty());
    // Waits until the delayed bind has been asked for, then changes its mind.
    ASSERT_TRUE(waitFor([&] { return calls(fake.log()).endsWith("BindShortcuts"); }));
    fake.call("Delay", 0u);
    portal.grab(HotKeyPreset::altShiftSpace);
    ASSERT_TRUE(waitFor([&] { return !outcomes.empty(); }));
    // The late answer for the first combination says nothing.
    ASSERT_TRUE(waitFor([&] { return fake.log().size() >= 6; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(outcomes, std::vector<HotKeyOutcome>{HotKeyOutcome::bound});
    EXPECT_EQ(calls(fake.log()), "CreateSession BindShortcuts Close CreateSession BindShortcuts LateResponse");
}
