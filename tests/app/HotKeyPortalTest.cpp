// The desktop-portal hot key against the fake portal of tests/support on
// the private session bus: the calls it makes, and the activations it hears.
#include "support/QtSupport.h"

#include "app/HotKeyPortal.h"

#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

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

} // namespace

TEST(HotKeyPortalTest, BindsTheShortcutInASessionOfItsOwnAndHearsOnlyIt)
{
    HotKeyPortal portal;
    int presses = 0;
    portal.pressed = [&] { ++presses; };

    const auto absent = portal.grab(HotKeyPreset::optionSpace);
    ASSERT_FALSE(absent.ok());
    EXPECT_TRUE(absent.error().contains(QStringLiteral("offers no global shortcuts"))) << absent.error().toStdString();

    FakePortal fake;
    ASSERT_TRUE(fake.start());
    const auto bound = portal.grab(HotKeyPreset::controlOptionSpace);
    ASSERT_TRUE(bound.ok()) << bound.error().toStdString();
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
    ASSERT_TRUE(portal.grab(HotKeyPreset::optionShiftSpace).ok());
    fake.decline(true);
    EXPECT_FALSE(portal.grab(HotKeyPreset::optionSpace).ok());
    log = fake.log();
    EXPECT_EQ(calls(log), QStringLiteral("CreateSession BindShortcuts Close CreateSession BindShortcuts Close "
                                         "CreateSession BindShortcuts Close"));
    EXPECT_EQ(log[2][QLatin1String("session")].toString(), session);
    EXPECT_EQ(log[4][QLatin1String("shortcuts")][0][QLatin1String("preferred_trigger")].toString(),
              QStringLiteral("SHIFT+ALT+space"));
}
