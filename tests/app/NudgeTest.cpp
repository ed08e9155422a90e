// The recado notification against the fake notification server of
// tests/support on the private session bus: what reaches the server, and
// what each answer of the user does.
#include "support/QtSupport.h"

#include "app/desktop/Nudge.h"

#include <QClipboard>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

using namespace quaro;
using namespace quaro::testing;

namespace {

// The fake server's side: what it was asked to show, and the user's clicks.
class FakeNotifications {
public:
    // The server outlives one test: calls are counted from here on.
    FakeNotifications() : m_base(int(calls().size())) {}

    QJsonArray calls()
    {
        const QDBusReply<QString> reply = m_control.call("Calls");
        return QJsonDocument::fromJson(reply.value().toUtf8()).array();
    }
    QJsonObject waitForCall(int index)
    {
        waitFor([&] { return calls().size() > m_base + index; });
        return calls().at(m_base + index).toObject();
    }
    void click(uint notification, const QString& action) { m_control.call("InvokeAction", notification, action); }
    void close(uint notification) { m_control.call("Close", notification, uint(2)); }

private:
    QDBusInterface m_control{"org.freedesktop.Notifications", "/org/freedesktop/Notifications", "app.quaro.test.Notifications"};
    int m_base;
};

class NudgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        nudge.findClaudeDesktop = [this] { return ClaudeDesktopEntry::find({applications()}); };
        nudge.cloudEnabled = [this] { return cloud; };
        nudge.onOpenInbox = [this] { ++inboxOpened; };
        nudge.openUrl = [this](const QUrl& url) { opened.append(url); };
        nudge.claudeWebAddress = "https://claude.example/new";
        nudge.chatGptAddress = "https://chat.example/?model=x";
    }
    QString applications() const { return home.filePath("applications"); }
    void installClaude(const QString& fileName, const QByteArray& extra = {})
    {
        ASSERT_TRUE(writeAll(applications() + QLatin1Char('/') + fileName,
                             "[Desktop Entry]\nType=Application\nName=Claude\nExec=/bin/sh -c \"echo started > '"
                                 + home.filePath("started").toUtf8() + "'\" %U\n" + extra));
    }
    static Recado recado(const std::string& id, const std::string& title) { return {.id = id, .title = title}; }

    QTemporaryDir home;
    Nudge nudge;
    FakeNotifications server;
    bool cloud = false;
    int inboxOpened = 0;
    QList<QUrl> opened;
};

QStringList strings(const QJsonValue& value) { return value.toVariant().toStringList(); }

} // namespace

TEST_F(NudgeTest, PostsTheDestinoTheTitleAndTheActionsThatApply)
{
    const Destino roadmap{"9F1C", "Roadmap", "Transforme em issue.", "#FF6A1C", 0};
    const QStringList openInbox{"default", "Abrir caixa"};

    nudge.recadoReady(recado("A1", "Revisar <metas> & \"prazos\""), roadmap);
    QJsonObject call = server.waitForCall(0);
    EXPECT_EQ(call["summary"].toString(), "Na caixa · Roadmap");
    EXPECT_EQ(call["body"].toString(), "Revisar &lt;metas&gt; &amp; \"prazos\"");
    EXPECT_EQ(strings(call["actions"]), openInbox);
    EXPECT_EQ(call["hints"].toObject()["desktop-entry"].toString(), "quaro");

    // Claude Desktop installed and cloud mode on change the next notification.
    installClaude("claude-desktop.desktop");
    cloud = true;
    nudge.recadoReady(recado("A2", "Sem nada"), std::nullopt);
    call = server.waitForCall(1);
    EXPECT_EQ(call["summary"].toString(), "Na caixa · Sem destino");
    EXPECT_EQ(strings(call["actions"]), QStringList({"quaro.claude", "Abrir no Claude", "quaro.claude-web", "Claude na web",
                                                     "quaro.chatgpt", "Abrir no ChatGPT"}) + openInbox);

    cloud = false;
    nudge.recadoReady(recado("A3", "x"), roadmap);
    EXPECT_EQ(strings(server.waitForCall(2)["actions"]), QStringList({"quaro.claude", "Abrir no Claude"}) + openInbox);
}

TEST_F(NudgeTest, AnswersOnlyItsOwnNotifications)
{
    installClaude("claude.desktop");
    cloud = true;
    const QString title = "Fazer \"deploy\" + revisar 100%";
    const QString prompt = QStringLiteral("Pegue no Quaro o recado \"Fazer \"deploy\" + revisar 100%\" (id 0E6C-77) e "
                                          "resolva seguindo a instrução do destino. No fim, grave o resultado no recado.");
    nudge.recadoReady(recado("0E6C-77", title.toStdString()), std::nullopt);
    const auto id = static_cast<uint>(server.waitForCall(0)["id"].toInt());

    // Another application's notification: not ours to answer. The next
    // click is on ours; signals arrive in order.
    server.click(id + 100, "quaro.chatgpt");
    server.click(id, "default");
    ASSERT_TRUE(waitFor([&] { return inboxOpened > 0; }));
    EXPECT_EQ(inboxOpened, 1);
    EXPECT_TRUE(opened.isEmpty());

    server.click(id, "quaro.chatgpt");
    server.click(id, "quaro.claude-web");
    ASSERT_TRUE(waitFor([&] { return opened.size() == 2; }));
    EXPECT_EQ(opened[0].adjusted(QUrl::RemoveQuery), QUrl("https://chat.example/"));
    EXPECT_EQ(opened[1].adjusted(QUrl::RemoveQuery), QUrl("https://claude.example/new"));
    for (const QUrl& url : opened) {
        const QString query = url.query(QUrl::FullyEncoded);
        EXPECT_TRUE(query.startsWith("q=")) << query.toStdString();
        EXPECT_FALSE(query.contains(QLatin1Char('+'))) << query.toStdString();
        EXPECT_TRUE(query.contains("%2B")) << query.toStdString();
        EXPECT_EQ(QUrlQuery(url).queryItemValue("q", QUrl::FullyDecoded), prompt);
    }

    server.click(id, "quaro.claude");
    ASSERT_TRUE(waitFor([&] { return QGuiApplication::clipboard()->text() == prompt; }));
    EXPECT_TRUE(waitFor([&] { return QFile::exists(home.filePath("started")); }));

    // Closed: forgotten. A later notification proves the click was read.
    server.close(id);
    server.click(id, "quaro.chatgpt");
    nudge.recadoReady(recado("B", "y"), std::nullopt);
    const auto next = static_cast<uint>(server.waitForCall(1)["id"].toInt());
    server.click(next, "default");
    ASSERT_TRUE(waitFor([&] { return inboxOpened > 1; }));
    EXPECT_EQ(inboxOpened, 2);
    EXPECT_EQ(opened.size(), 2);
}

TEST(ClaudeDesktopEntryTest, FoundByFileNameOrWindowClass)
{
    struct Row { const char* file; QByteArray entry; bool found; };
    const Row rows[] = {
        {"claude-desktop.desktop", "Type=Application\nExec=claude-desktop %u\n", true},
        {"Claude.desktop", "Type=Application\nExec=/opt/Claude/claude\n", true},
        {"app.desktop", "Type=Application\nExec=\"/opt/My Apps/app\" --x\nStartupWMClass=Claude\n", true},
        {"claude-code.desktop", "Type=Application\nExec=claude\n", false},
        {"claude.desktop", "Type=Link\nURL=https://claude.ai\n", false},
    };
    for (const auto& row : rows) {
        QTemporaryDir folder;
        ASSERT_TRUE(writeAll(folder.filePath(QString::fromLatin1(row.file)), "[Desktop Entry]\nName=Claude\n" + row.entry));
        const auto entry = ClaudeDesktopEntry::find({folder.path()});
        EXPECT_EQ(entry.has_value(), row.found) << row.file << " " << row.entry.toStdString();
    }

    QTemporaryDir user, system;
    ASSERT_TRUE(writeAll(user.filePath("claude.desktop"), "[Desktop Entry]\nType=Application\nExec=claude\nHidden=true\n"));
    ASSERT_TRUE(writeAll(system.filePath("claude.desktop"), "[Desktop Entry]\nType=Application\nExec=claude\n"));
    ASSERT_TRUE(writeAll(system.filePath("x/claude-desktop.desktop"), "[Desktop Entry]\nType=Application\nExec=a --x %F\n"));
    const auto entry = ClaudeDesktopEntry::find({user.path(), system.path()});
    ASSERT_TRUE(entry.has_value()); // the user's hidden claude.desktop masks the system's (and is skipped)
    EXPECT_EQ(entry->id(), "x-claude-desktop.desktop");
    EXPECT_EQ(entry->command(), QStringList({"a", "--x"}));
}
