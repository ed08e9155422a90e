// The inbox window around its QML view: where it opens and is remembered,
// what closing it does with and without a tray, what it hands to web chats.
#include "app/CaptureFakes.h"
#include "app/desktop/DesktopBridge.h"
#include "app/desktop/Nudge.h"
#include "app/StateTestSupport.h"
#include "app/windows/AppState.h"
#include "app/windows/InboxWindow.h"

#include <QApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>
#include <QTcpServer>
#include <QUrlQuery>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(Quaro_UiPlugin)

namespace quaro::testing {
namespace {

class InboxWindowTest : public ::testing::Test {
protected:
    InboxWindowTest()
    {
        AppStateParts parts;
        parts.preferences = m_home.preferences();
        parts.device = std::make_unique<FakeCaptureDevice>();
        parts.speech = std::make_unique<ScriptedSpeechEngine>();
        m_state = take(AppState::create(std::move(parts)));
        m_engine.addImportPath(QStringLiteral("qrc:/qt/qml"));
        m_desktop = std::make_unique<DesktopBridge>(*m_state->capture());
    }

    std::unique_ptr<InboxWindow> window(bool trayMissing = false)
    {
        auto made = std::make_unique<InboxWindow>(&m_engine, *m_state, *m_desktop, trayMissing);
        EXPECT_TRUE(made->errors().isEmpty()) << made->errors().value(0).toString().toStdString();
        return made;
    }
    Preferences& preferences() { return *m_state->preferences(); }

    TestHome m_home;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<DesktopBridge> m_desktop;
    QQmlEngine m_engine;
};

// Where a kept place is still usable is the window host's rule, tested
// with it; here: the inbox opens centred, then where it was left.
TEST_F(InboxWindowTest, OpensCentredThenWhereItWasLeft)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    auto inbox = window();
    inbox->open();
    EXPECT_LE((inbox->geometry().center() - screen.center()).manhattanLength(), 2);
    inbox->setGeometry(QRect(60, 50, 1000, 700));
    inbox->close();
    EXPECT_EQ(preferences().stringValue(InboxWindow::geometryKey), QStringLiteral("60,50,1000,700"));

    auto again = window();
    again->open();
    EXPECT_EQ(again->geometry(), QRect(60, 50, 1000, 700));
}

TEST_F(InboxWindowTest, ClosingHidesItUnlessThereIsNoTray)
{
    for (const bool trayMissing : {false, true}) {
        auto inbox = window(trayMissing);
        inbox->open();
        ASSERT_TRUE(inbox->isVisible());
        // Without a tray the user is told why, on the first showing ever.
        EXPECT_EQ(preferences().boolValue(InboxWindow::trayMissingToldKey, false), trayMissing);
        EXPECT_FALSE(inbox->claimTrayMissingNotice());
        inbox->close();
        EXPECT_EQ(inbox->isVisible(), trayMissing) << trayMissing;
    }
}

TEST_F(InboxWindowTest, ANoticeGoesAfterItsWaitAndANewOneStartsOver)
{
    auto inbox = window();
    inbox->noticeHoldMs = 100;
    CaptureFlow& capture = *m_state->capture();
    capture.importAudio({QUrl(QStringLiteral("https://example.com/nota.mp3"))});
    ASSERT_FALSE(capture.notice().isEmpty());
    EXPECT_TRUE(waitFor([&] { return capture.notice().isEmpty(); }));

    // The same text said again while held is held again, from then on.
    inbox->noticeHoldMs = 60'000;
    capture.importAudio({QUrl(QStringLiteral("https://example.com/nota.mp3"))});
    inbox->noticeHoldMs = 100;
    capture.importAudio({QUrl(QStringLiteral("https://example.com/nota.mp3"))});
    EXPECT_TRUE(waitFor([&] { return capture.notice().isEmpty(); }));
}

// Copying is the desktop bridge's, tested with the settings view.
TEST_F(InboxWindowTest, HandsTheRequestToTheChosenChat)
{
    auto inbox = window();
    QList<QUrl> opened;
    inbox->openUrl = [&](const QUrl& url) { opened << url; };
    inbox->claudeWebAddress = QStringLiteral("http://127.0.0.1:9/claude");
    inbox->chatGptAddress = QStringLiteral("http://127.0.0.1:9/chatgpt");
    inbox->openInChat(QStringLiteral("claude"), QStringLiteral("ID-1"), QStringLiteral("Metas & 50% + bônus"));
    inbox->openInChat(QStringLiteral("chatgpt"), QStringLiteral("ID-2"), QStringLiteral("a=b"));
    inbox->chatGptAddress = QStringLiteral("not an address");
    inbox->openInChat(QStringLiteral("chatgpt"), QStringLiteral("ID-3"), QStringLiteral("x"));

    // How the request is escaped into the address is the nudge's rule,
    // tested with it; here: which chat, and which recado.
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0].path(), QStringLiteral("/claude"));
    EXPECT_EQ(opened[1].path(), QStringLiteral("/chatgpt"));
    EXPECT_EQ(opened[0], Nudge::chatAddress(QStringLiteral("http://127.0.0.1:9/claude"),
                                            Nudge::prompt(QStringLiteral("ID-1"), QStringLiteral("Metas & 50% + bônus"))));
    EXPECT_EQ(QUrlQuery(opened[1]).queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded),
              Nudge::prompt(QStringLiteral("ID-2"), QStringLiteral("a=b")));
}

// What an AI, a remote client or the inbox wrote is shown as written: markup
// in it is never read, so an image pointed at a listener fetches nothing.
TEST_F(InboxWindowTest, RemoteTextIsShownAsWrittenAndFetchesNothing)
{
    QTcpServer beacon;
    ASSERT_TRUE(beacon.listen(QHostAddress::LocalHost));
    int requests = 0;
    QObject::connect(&beacon, &QTcpServer::newConnection, [&] { ++requests; });
    const std::string image = QStringLiteral("<img src=\"http://127.0.0.1:%1/b.png\" width=\"8\" height=\"8\">").arg(beacon.serverPort()).toStdString();

    Destino destino{"D2A1E9B0-0000-4000-8000-000000000001", image, "Resuma.", "#FF6A1C", 9};
    ASSERT_TRUE(m_state->store().saveDestino(destino));
    Recado recado;
    recado.id = "D2A1E9B0-0000-4000-8000-000000000002";
    recado.title = recado.transcript = image;
    recado.destinoID = destino.id;
    recado.status = RecadoStatus::resolvido;
    recado.claimedBy = recado.result = image;
    ASSERT_TRUE(m_state->store().insert(recado));
    m_state->inbox()->setInboxFilterText(QStringLiteral("all"));

    auto inbox = window();
    inbox->open();
    ASSERT_TRUE(waitFor([&] { return inbox->isExposed(); }));
    inbox->grabWindow();
    int shown = 0;
    for (QObject* item : inbox->rootObject()->findChildren<QObject*>()) {
        const bool text = item->inherits("QQuickText") || item->inherits("QQuickTextEdit");
        if (!text || !item->property("text").toString().contains(QStringLiteral("<img")))
            continue;
        ++shown;
        EXPECT_EQ(item->property("textFormat").toInt(), 0 /* Text.PlainText */) << item->metaObject()->className();
    }
    // Title, transcript, who did it, the result, the timeline, the destino.
    EXPECT_GE(shown, 5);
    EXPECT_FALSE(waitFor([&] { return requests > 0; }, 1500)) << "the detail fetched a remote image";
}

} // namespace
} // namespace quaro::testing

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_QUICK_BACKEND", "software");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
