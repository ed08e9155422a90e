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
        m_process.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(QUARO_TEST_SUPPORT_DIR "/fake_portal.py")});
        return waitFor([&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; })
            && m_process.readLine().trimmed() == "ready";
    }
    void activate(const QString& shortcut) { m_control.call(QStringLiteral("Activate"), shortcut); }
    void activateIn(const QString& session, const QString& shortcut)
    {
        m_control.call(QStringLiteral("ActivateIn"), QVariant::fromValue(QDBusObjectPath(session)), shortcut);
    }
    void decline(bool decline) { m_control.call(QStringLiteral("Decline"), decline); }
    void answer(uint code) { m_control.call(QStringLiteral("Answer"), code); }
    void delay(uint ms) { m_control.call(QStringLiteral("Delay"), ms); }
    void bindAs(const QString& trigger) { m_control.call(QStringLiteral("BindAs"), trigger); }
    QJsonArray log()
    {
        const QDBusReply<QString> reply = m_control.call(QStringLiteral("Log"));
        return QJsonDocument::fromJson(reply.value().toUtf8()).array();
    }

private:
    QProcess m_process; // killed by its PID when the test ends
    QDBusInterface m_control{QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
                             QStringLiteral("app.quaro.test.Portal")};
};

QString calls(const QJsonArray& log)
{
    QStringList names;
    for (const auto& entry : log)
        names << entry[QLatin1String("call")].toString();
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

    const auto absent = settle(portal, HotKeyPreset::altSpace);
    ASSERT_TRUE(absent);
    EXPECT_EQ(absent->outcome, HotKeyOutcome::unavailable) << absent->detail.toStdString();

    FakePortal fake;
    ASSERT_TRUE(fake.start());
    const auto bound = settle(portal, HotKeyPreset::controlAltSpace);
    ASSERT_TRUE(bound);
    ASSERT_EQ(bound->outcome, HotKeyOutcome::bound) << bound->detail.toStdString();
    EXPECT_TRUE(bound->trigger.isEmpty());
    QJsonArray log = fake.log();
    ASSERT_EQ(calls(log), QStringLiteral("CreateSession BindShortcuts"));
    const QString session = log[0][QLatin1String("session")].toString();
    EXPECT_EQ(log[1][QLatin1String("session")].toString(), session);
    const QJsonObject shortcut = log[1][QLatin1String("shortcuts")][0].toObject();
    EXPECT_EQ(shortcut[QLatin1String("preferred_trigger")].toString(), QStringLiteral("CTRL+ALT+space"));
    EXPECT_EQ(shortcut[QLatin1String("description")].toString(), QStringLiteral("Gravar recado"));

    // Another session's activation and another shortcut are not ours; the
    // last one proves the earlier signals have been read.
    fake.activateIn(session + QStringLiteral("x"), shortcut[QLatin1String("id")].toString());
    fake.activate(QStringLiteral("outro"));
    fake.activate(shortcut[QLatin1String("id")].toString());
    ASSERT_TRUE(waitFor([&] { return presses > 0; }));
    EXPECT_EQ(presses, 1);

    // A new combination closes the old session first; a declined one leaves none.
    ASSERT_EQ(settle(portal, HotKeyPreset::altShiftSpace)->outcome, HotKeyOutcome::bound);
    fake.decline(true);
    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::refused);
    log = fake.log();
    EXPECT_EQ(calls(log), QStringLiteral("CreateSession BindShortcuts Close CreateSession BindShortcuts Close "
                                         "CreateSession BindShortcuts Close"));
    EXPECT_EQ(log[2][QLatin1String("session")].toString(), session);
    EXPECT_EQ(log[4][QLatin1String("shortcuts")][0][QLatin1String("preferred_trigger")].toString(),
              QStringLiteral("SHIFT+ALT+space"));
}

TEST(HotKeyPortalTest, TellsACancelledDialogFromARefusalAndPrintsTheTriggerTheUserChose)
{
    FakePortal fake;
    ASSERT_TRUE(fake.start());
    HotKeyPortal portal;
    fake.answer(1);
    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::cancelled);
    fake.answer(2);
    EXPECT_EQ(settle(portal, HotKeyPreset::altSpace)->outcome, HotKeyOutcome::refused);
    fake.answer(0);

    // The same keys in the desktop's own spelling are still the preset.
    fake.bindAs(QStringLiteral("Ctrl+Alt+Space"));
    EXPECT_TRUE(settle(portal, HotKeyPreset::controlAltSpace)->trigger.isEmpty());
    fake.bindAs(QStringLiteral("Super+K"));
    const auto other = settle(portal, HotKeyPreset::controlAltSpace);
    EXPECT_EQ(other->outcome, HotKeyOutcome::bound);
    EXPECT_EQ(other->trigger, QStringLiteral("Super+K"));
}

TEST(HotKeyPortalTest, KeepsTheEventLoopRunningWhileTheDesktopAsksAndDropsAnswersNoLongerWanted)
{
    FakePortal fake;
    ASSERT_TRUE(fake.start());
    HotKeyPortal portal;
    std::vector<HotKeyOutcome> outcomes;
    portal.settled = [&](const HotKeyResult& result) { outcomes.push_back(result.outcome); };
    fake.delay(1500);
    portal.grab(HotKeyPreset::altSpace);
    EXPECT_TRUE(outcomes.empty());
    // The interface's own work goes on while the dialog is open.
    bool ticked = false;
    QTimer::singleShot(0, [&] { ticked = true; });
    ASSERT_TRUE(waitFor([&] { return ticked || !outcomes.empty(); }));
    EXPECT_TRUE(ticked && outcomes.empty());
    // Waits until the delayed bind has been asked for, then changes its mind.
    ASSERT_TRUE(waitFor([&] { return calls(fake.log()).endsWith(QStringLiteral("BindShortcuts")); }));
    fake.delay(0);
    portal.grab(HotKeyPreset::altShiftSpace);
    ASSERT_TRUE(waitFor([&] { return !outcomes.empty(); }));
    // The late answer for the first combination says nothing.
    ASSERT_TRUE(waitFor([&] { return fake.log().size() >= 6; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(outcomes, std::vector<HotKeyOutcome>{HotKeyOutcome::bound});
    EXPECT_EQ(calls(fake.log()), QStringLiteral("CreateSession BindShortcuts Close CreateSession BindShortcuts LateResponse"));
}
