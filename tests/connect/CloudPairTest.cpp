// The real pair: CloudSync over a real inbox file syncing with a real
// quaro-nuvem on loopback, while the official MCP SDK client (node) works
// the copy behind the personal link. What the remote client resolves comes
// home with the next cycle; neither the secret nor a transcript reaches the
// server's log. (Deleting a copy is pinned on each side: the DELETE the sync
// client sends, and the link it revokes on the server.)
#include "connect/CloudSync.h"
#include "core/QuaroStore.h"
#include "support/QtSupport.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>

namespace quaro {
namespace {

using testing::waitFor;

// The SDK client on `link`: lists, claims `id` and resolves it.
QJsonObject workRemotely(const QString& link, const QString& id, const QString& result)
{
    QProcess node;
    node.setWorkingDirectory(QStringLiteral(QUARO_E2E_DIR));
    node.start(QStringLiteral(QUARO_NODE), {QStringLiteral("cloud_pair_client.mjs"), link, id, result});
    waitFor([&] { return node.state() == QProcess::NotRunning; }, 120000);
    EXPECT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(node.readAllStandardOutput()).object();
}

TEST(CloudPairTest, TheRemoteClientsWorkComesHome)
{
    testing::TempDir dir;
    QProcess nuvem; // on a free loopback port over a fresh SQLite file
    nuvem.start(QStringLiteral(QUARO_NUVEM), {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                                              QStringLiteral("--database"), QString::fromStdString((dir / "nuvem.sqlite").string())});
    QByteArray log;
    QString base;
    const QRegularExpression listening(QStringLiteral("escutando em (127\\.0\\.0\\.1:\\d+)"));
    waitFor([&] {
        log += nuvem.readAllStandardError();
        base = listening.match(QString::fromUtf8(log)).captured(1);
        return !base.isEmpty() || nuvem.state() == QProcess::NotRunning;
    });
    ASSERT_FALSE(base.isEmpty()) << log.toStdString();
    QuaroStore store = std::move(QuaroStore::open(dir / "quaro.sqlite")).value();
    ASSERT_TRUE(store.insert(Recado{.id = "R1", .createdAt = 1000, .transcript = "fala um", .title = "Um"}).ok());
    ASSERT_TRUE(store.insert(Recado{.id = "R2", .createdAt = 2000, .transcript = "fala dois", .title = "Dois"}).ok());

    CloudSync sync(store, CloudSyncConfig{"http://" + base, QStringLiteral("0.9"), std::chrono::hours(1)});
    int remoteChanges = 0;
    sync.onRemoteChange = [&] { ++remoteChanges; };
    auto cycle = [&] {
        const QDateTime before = sync.lastSync();
        sync.syncNow();
        return waitFor([&] { return !sync.syncing() && sync.lastSync() != before; });
    };
    sync.enable();
    ASSERT_TRUE(waitFor([&] { return sync.lastSync().isValid(); })) << sync.lastError().toStdString();

    const QJsonObject remote = workRemotely(sync.mcpLink(), QStringLiteral("R1"), QStringLiteral("Issue #7 criada."));
    EXPECT_EQ(remote[QStringLiteral("listados")].toArray(), QJsonArray({QStringLiteral("R2"), QStringLiteral("R1")}));
    EXPECT_EQ(remote[QStringLiteral("pego_por")].toString(), QStringLiteral("par-nuvem"));
    EXPECT_EQ(remote[QStringLiteral("status")].toString(), QStringLiteral("resolvido"));
    EXPECT_EQ(remote[QStringLiteral("recusa")].toString(),
              QStringLiteral("Não deu para pegar o recado R1: ele não existe ou ainda está sendo transcrito."));

    ASSERT_TRUE(cycle()) << sync.lastError().toStdString();
    const Recado r1 = *store.recado("R1").value();
    EXPECT_EQ(r1.status, RecadoStatus::resolvido);
    EXPECT_EQ(r1.result, "Issue #7 criada.");
    EXPECT_EQ(r1.claimedBy, "par-nuvem");
    EXPECT_EQ(remoteChanges, 1);
    // Acknowledged: neither returned again nor sent back as a local change.
    ASSERT_TRUE(cycle());
    EXPECT_EQ(remoteChanges, 1);
    EXPECT_TRUE(store.pendingUploads(10)->empty());

    log += nuvem.readAllStandardError();
    EXPECT_FALSE(log.contains(sync.mcpLink().section(QLatin1Char('/'), -1).toUtf8())) << log.toStdString();
    EXPECT_FALSE(log.contains("fala ")) << log.toStdString();
    nuvem.terminate();
    nuvem.waitForFinished();
}

} // namespace
} // namespace quaro
