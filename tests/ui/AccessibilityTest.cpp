// Every window as a screen reader and a keyboard meet it, through QAccessible
// (Qt Quick Test cannot reach that tree): every usable control has a role and
// a Portuguese name, and Tab reaches each one on screen.
#include "app/capture/MicrophoneChoice.h"
#include "app/CaptureFakes.h"
#include "app/desktop/DesktopBridge.h"
#include "app/StateTestSupport.h"
#include "app/windows/AppActions.h"
#include "app/windows/AppState.h"
#include "app/windows/InboxWindow.h"
#include "app/windows/MenuBarPanel.h"
#include "app/windows/AppWindows.h"
#include "app/windows/WidgetController.h"

#include <QAccessible>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace quaro::testing {
namespace {

const QSet<QAccessible::Role> usableRoles{
    QAccessible::Button,   QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::ComboBox,
    QAccessible::EditableText, QAccessible::PageTab, QAccessible::Slider,  QAccessible::SpinBox,
    QAccessible::Link,     QAccessible::MenuItem, QAccessible::ListItem,    QAccessible::ButtonMenu};

// Usable controls without a name (shown or not: other tabs and steps too),
// and those on screen.
void walk(QAccessibleInterface* node, QStringList& unnamed, QSet<QObject*>& shown, bool visible = true)
{
    if (!node || !node->isValid())
        return;
    visible = visible && !node->state().invisible;
    if (usableRoles.contains(node->role())) {
        if (node->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString::fromLatin1(node->object() ? node->object()->metaObject()->className() : "?");
        if (auto* item = qobject_cast<QQuickItem*>(node->object()); visible && item && item->isEnabled())
            shown.insert(item);
    }
    for (int i = 0; i < node->childCount(); ++i)
        walk(node->child(i), unnamed, shown, visible);
}

// `tab`: Tab from where the window starts must reach every control on screen.
void expectUsable(QQuickWindow& window, bool tab = true)
{
    ASSERT_TRUE(waitFor([&] { return window.isExposed(); }));
    QStringList unnamed;
    QSet<QObject*> shown;
    walk(QAccessible::queryAccessibleInterface(&window), unnamed, shown);
    const std::string title = window.title().toStdString();
    EXPECT_FALSE(shown.isEmpty()) << title;
    EXPECT_TRUE(unnamed.isEmpty()) << title << ": " << unnamed.join("; ").toStdString();
    if (!tab)
        return;
    QSet<QObject*> reached;
    for (qsizetype i = 0; i < 2 * shown.size() + 4; ++i) {
        QTest::keyClick(&window, Qt::Key_Tab);
        for (QObject* at = window.activeFocusItem(); at; at = at->parent())
            if (shown.contains(at))
                reached.insert(at);
    }
    QStringList missed;
    for (QObject* control : shown - reached)
        missed << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    EXPECT_TRUE(missed.isEmpty()) << title << ": " << missed.join("; ").toStdString();
}

TEST(AccessibilityTest, EveryControlHasARoleANameAndTabReachesIt)
{
    QAccessible::setActive(true);
    TestHome home;
    AppStateParts parts;
    parts.preferences = home.preferences();
    parts.device = std::make_unique<FakeCaptureDevice>();
    parts.speech = std::make_unique<ScriptedSpeechEngine>();
    auto state = take(AppState::create(std::move(parts)));
    Recado recado;
    recado.id = "A11A0000-0000-4000-8000-000000000001";
    recado.title = recado.transcript = "Revisar as metas do trimestre";
    recado.status = RecadoStatus::resolvido;
    recado.claimedBy = recado.result = std::string("Claude");
    ASSERT_TRUE(state->store().insert(recado));
    state->inbox()->setInboxFilterText(QStringLiteral("all"));
    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
    DesktopBridge desktop(*state->capture());
    MicrophoneChoice microphone(*state->capture()->microphones(), *state->preferences());
    AppActions actions;

    InboxWindow inbox(&engine, *state, desktop, false);
    inbox.open();
    expectUsable(inbox);
    AppWindow settings(&engine, *state->preferences(), settingsWindowConfig(*state, microphone, desktop));
    for (const char* tab : {"geral", "gravacao", "destinos", "conexoes"}) {
        SCOPED_TRACE(tab);
        state->preferences()->setSettingsTab(QString::fromLatin1(tab));
        settings.present();
        expectUsable(settings);
    }
    QStringList unnamed;
    QSet<QObject*> shown;
    walk(QAccessible::queryAccessibleInterface(&settings), unnamed, shown);
    EXPECT_EQ(std::count_if(shown.begin(), shown.end(), [](QObject* control) {
                  return QAccessible::queryAccessibleInterface(control)->role() == QAccessible::PageTab;
              }), 4);
    AppWindow onboarding(&engine, *state->preferences(), onboardingWindowConfig(*state, microphone, desktop));
    onboarding.present();
    expectUsable(onboarding);
    MenuBarPanel panel(&engine, *state, actions, microphone);
    panel.open(QRect(600, 0, 24, 24));
    expectUsable(panel);
    // The widget never takes the keyboard: typing goes on in the user's
    // application. Named, not tabbed.
    WidgetController widget(&engine, *state, microphone);
    state->capture()->startRecording();
    expectUsable(*widget.window(), false);
    state->capture()->discard();
}

} // namespace
} // namespace quaro::testing
