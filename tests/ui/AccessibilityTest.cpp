// Every window as a screen reader and a keyboard meet it, walked through
// QAccessible (Qt Quick Test cannot reach that tree): every control that can
// be used has a role and a name in Portuguese, and Tab reaches each one that
// takes the keyboard.
#include "app/AppActions.h"
#include "app/AppState.h"
#include "app/CaptureFakes.h"
#include "app/DesktopBridge.h"
#include "app/InboxWindow.h"
#include "app/MenuBarPanel.h"
#include "app/MicrophoneChoice.h"
#include "app/OnboardingWindow.h"
#include "app/SettingsWindow.h"
#include "app/StateTestSupport.h"
#include "app/WidgetController.h"

#include <QAccessible>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

namespace quaro::testing {
namespace {

bool usable(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::PageTab:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::Link:
    case QAccessible::MenuItem:
    case QAccessible::ListItem:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

// Every usable control, shown or not (tabs and steps not on screen
// included); `unnamed` gets those without a name.
int walk(QAccessibleInterface* node, QStringList& unnamed, int depth = 0)
{
    if (!node || !node->isValid() || depth > 64)
        return 0;
    int count = 0;
    if (usable(node->role())) {
        ++count;
        if (node->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString::fromLatin1(node->object() ? node->object()->metaObject()->className() : "?");
    }
    for (int i = 0; i < node->childCount(); ++i)
        count += walk(node->child(i), unnamed, depth + 1);
    return count;
}

// The usable controls on screen.
void collectFocusable(QAccessibleInterface* node, QSet<QObject*>& out, int depth = 0)
{
    if (!node || !node->isValid() || depth > 64 || node->state().invisible)
        return;
    auto* item = qobject_cast<QQuickItem*>(node->object());
    if (usable(node->role()) && item && item->isEnabled())
        out.insert(item);
    for (int i = 0; i < node->childCount(); ++i)
        collectFocusable(node->child(i), out, depth + 1);
}

class AccessibilityTest : public ::testing::Test {
protected:
    AccessibilityTest()
    {
        QAccessible::setActive(true);
        AppStateParts parts;
        parts.preferences = m_home.preferences();
        parts.device = std::make_unique<FakeCaptureDevice>();
        parts.speech = std::make_unique<ScriptedSpeechEngine>();
        m_state = take(AppState::create(std::move(parts)));
        m_engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_desktop = std::make_unique<DesktopBridge>(*m_state->capture());
        m_microphone = std::make_unique<MicrophoneChoice>(*m_state->capture()->microphones(), *m_state->preferences());
        Recado recado;
        recado.id = "A11A0000-0000-4000-8000-000000000001";
        recado.title = recado.transcript = "Revisar as metas do trimestre";
        recado.status = RecadoStatus::resolvido;
        recado.claimedBy = recado.result = std::string("Claude");
        EXPECT_TRUE(m_state->store().insert(recado));
        m_state->inbox()->setInboxFilterText(QStringLiteral("all"));
    }

    void expectNamed(QWindow& window)
    {
        ASSERT_TRUE(waitFor([&] { return window.isExposed(); }));
        QCoreApplication::processEvents();
        QStringList unnamed;
        EXPECT_GT(walk(QAccessible::queryAccessibleInterface(&window), unnamed), 0) << window.title().toStdString();
        EXPECT_TRUE(unnamed.isEmpty()) << window.title().toStdString() << ": "
                                       << unnamed.join(QStringLiteral("; ")).toStdString();
    }

    // Tab from where the window starts: every usable control on screen is
    // reached.
    void expectTabReachesAll(QQuickWindow& window)
    {
        QSet<QObject*> wanted;
        collectFocusable(QAccessible::queryAccessibleInterface(&window), wanted);
        EXPECT_FALSE(wanted.isEmpty()) << window.title().toStdString();
        QSet<QObject*> reached;
        for (qsizetype i = 0; i < 2 * wanted.size() + 4; ++i) {
            QTest::keyClick(&window, Qt::Key_Tab);
            for (QObject* at = window.activeFocusItem(); at; at = at->parent())
                if (wanted.contains(at))
                    reached.insert(at);
        }
        QStringList missed;
        for (QObject* control : wanted)
            if (!reached.contains(control))
                missed << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
        EXPECT_TRUE(missed.isEmpty()) << window.title().toStdString() << ": "
                                      << missed.join(QStringLiteral("; ")).toStdString();
    }

    TestHome m_home;
    std::unique_ptr<AppState> m_state;
    QQmlEngine m_engine;
    std::unique_ptr<DesktopBridge> m_desktop;
    std::unique_ptr<MicrophoneChoice> m_microphone;
    AppActions m_actions;
};

TEST_F(AccessibilityTest, EveryControlHasARoleANameAndTabReachesIt)
{
    InboxWindow inbox(&m_engine, *m_state, *m_desktop, false);
    inbox.open();
    expectNamed(inbox);
    expectTabReachesAll(inbox);

    SettingsWindow settings(&m_engine, *m_state, *m_microphone, *m_desktop);
    for (const char* tab : {"geral", "gravacao", "destinos", "conexoes"}) {
        SCOPED_TRACE(tab);
        m_state->preferences()->setSettingsTab(QString::fromLatin1(tab));
        settings.present();
        expectNamed(settings);
        expectTabReachesAll(settings);
    }

    OnboardingWindow onboarding(&m_engine, *m_state, *m_microphone, *m_desktop);
    onboarding.present();
    expectNamed(onboarding);
    expectTabReachesAll(onboarding);

    MenuBarPanel panel(&m_engine, *m_state, m_actions, *m_microphone);
    panel.open(QRect(600, 0, 24, 24));
    expectNamed(panel);
    expectTabReachesAll(panel);

    // The widget never takes the keyboard (typing goes on in the user's
    // application): named, not tabbed.
    WidgetController widget(&m_engine, *m_state, *m_microphone);
    m_state->capture()->startRecording();
    ASSERT_NE(widget.window(), nullptr);
    expectNamed(*widget.window());
    m_state->capture()->discard();
}

} // namespace
} // namespace quaro::testing
