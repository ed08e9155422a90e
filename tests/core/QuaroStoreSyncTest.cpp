#include "TestSupport.h"

#include <functional>
#include <tuple>

using namespace quaro;
using namespace quaro::test;

namespace {

class QuaroStoreSyncTest : public StoreTest {
protected:
    std::optional<std::int64_t> dirty(const std::string& id)
    {
        return integer(m_store.database(), "SELECT dirty AS n FROM recado WHERE id = ?", {id});
    }
    std::optional<double> updatedAt(const std::string& id)
    {
        return take(m_store.database().query("SELECT updated_at FROM recado WHERE id = ?", {id})).at(0).real("updated_at");
    }
    // Puts updated_at far in the past, so that a new stamp is visible.
    void age(const std::string& id)
    {
        EXPECT_EQ(take(m_store.database().run("UPDATE recado SET updated_at = 5, dirty = 0 WHERE id = ?", {id})), 1);
    }
    bool applyRemote(const std::string& id, RecadoStatus status, Timestamp updated)
    {
        return take(m_store.applyRemoteStatus(id, status, "web", 6, "feito na web", 7, updated));
    }
    Ids deletions() { return take(m_store.pendingDeletions(2000)); }
};

TEST_F(QuaroStoreSyncTest, UploadsGoOldestFirstAndAcknowledgementClearsOnlyTheVersionSent)
{
    const Timestamp before = currentTimestamp();
    add("NEW", RecadoStatus::pendente, 300);
    add("OLD", RecadoStatus::pendente, 100);
    EXPECT_EQ(dirty("OLD"), 2);
    EXPECT_GE(updatedAt("OLD").value_or(0), before - 0.01);
    const auto sent = take(m_store.pendingUploads(1));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].recado.id, "OLD");
    EXPECT_EQ(sent[0].version, 2);
    EXPECT_EQ(sent[0].updatedAt, updatedAt("OLD"));

    (void)take(m_store.claim("OLD", "Claude")); // lands while the upload is in flight
    check(m_store.markUploaded({{"OLD", 2}, {"nada", 2}}));
    EXPECT_EQ(dirty("OLD"), 3);
    check(m_store.markUploaded({{"OLD", 3}, {"NEW", 2}}));
    EXPECT_TRUE(take(m_store.pendingUploads(400)).empty());

    // Without a stamp, the creation time stands in.
    add("X", RecadoStatus::pendente, 50);
    check(m_store.database().execute("UPDATE recado SET updated_at = NULL WHERE id = 'X';"));
    EXPECT_EQ(take(m_store.pendingUploads(400)).at(0).updatedAt, 50.0);
}

TEST_F(QuaroStoreSyncTest, StatusChangesCountOnceAndStampTheTimeContentOnlyCounts)
{
    check(m_store.saveDestino({"D", "Casa", "", "#000000", 0}));
    add("A");
    add("T", RecadoStatus::transcrevendo);
    // What changes, on which recado, and whether it stamps the time.
    const std::vector<std::tuple<const char*, const char*, std::function<void()>, bool>> cases = {
        {"claim", "A", [&] { (void)take(m_store.claim("A", "Claude")); }, true},
        {"resolve", "A", [&] { (void)take(m_store.resolve("A", "ok")); }, true},
        {"reopen", "A", [&] { check(m_store.reopen("A")); }, true},
        {"setStatus", "A", [&] { check(m_store.setStatus("A", RecadoStatus::pego)); }, true},
        // Status and content assigned by one statement still count once.
        {"setStatus with title", "A", [&] { check(m_store.setStatus("A", RecadoStatus::pendente, "novo")); }, true},
        {"finishTranscription", "T", [&] { check(m_store.finishTranscription("T", "oi", "Oi", "D", "pt-BR")); }, true},
        {"setDestino", "A", [&] { check(m_store.setDestino("A", "D")); }, false},
        {"deleteDestino detaches", "A", [&] { check(m_store.deleteDestino("D")); }, false},
    };
    for (const auto& [what, id, change, stamps] : cases) {
        SCOPED_TRACE(what);
        age(id);
        change();
        EXPECT_EQ(dirty(id), 1);
        if (stamps)
            EXPECT_GT(updatedAt(id).value_or(0), 1000.0);
        else
            EXPECT_EQ(updatedAt(id), 5.0);
    }
    // The audio path is local only: no upload.
    age("A");
    check(m_store.setAudioPath("A", "/x.m4a"));
    EXPECT_EQ(dirty("A"), 0);
}

TEST_F(QuaroStoreSyncTest, DeletionsLeaveTombstonesUntilAcknowledgedReinsertedOrAllMarked)
{
    const Timestamp before = currentTimestamp();
    for (const char* id : {"A", "B", "C"}) {
        add(id);
        check(m_store.deleteRecado(id));
    }
    EXPECT_EQ(deletions(), (Ids{"A", "B", "C"}));
    EXPECT_EQ(take(m_store.pendingDeletions(1)), (Ids{"A"}));
    const auto stamp = take(m_store.database().query("SELECT deleted_at FROM recado_apagado WHERE id = 'A'"));
    EXPECT_GE(stamp.at(0).real("deleted_at").value_or(0), before - 0.01);

    add("B"); // the same id again: no longer deleted
    EXPECT_EQ(deletions(), (Ids{"A", "C"}));
    check(m_store.clearDeletions({"A", "nada"}));
    EXPECT_EQ(deletions(), (Ids{"C"}));

    add("E");
    check(m_store.markUploaded({{"E", 2}}));
    check(m_store.database().execute("UPDATE recado SET dirty = 3 WHERE id = 'B';"));
    check(m_store.markAllForUpload(QuaroStore::Tombstones::Keep));
    EXPECT_EQ(dirty("E"), 1);
    EXPECT_EQ(dirty("B"), 4);
    EXPECT_EQ(deletions(), (Ids{"C"}));
    check(m_store.markAllForUpload());
    EXPECT_EQ(dirty("E"), 2);
    EXPECT_TRUE(deletions().empty());
}

TEST_F(QuaroStoreSyncTest, RemoteStatusWinsOnlyWhenNewerAndIsNotSentBack)
{
    add("A");
    age("A"); // updated_at = 5
    EXPECT_FALSE(applyRemote("A", RecadoStatus::pego, 5));
    EXPECT_FALSE(applyRemote("A", RecadoStatus::pego, 4));
    EXPECT_EQ(get("A").status, RecadoStatus::pendente);

    EXPECT_TRUE(applyRemote("A", RecadoStatus::resolvido, 8));
    const Recado r = get("A");
    EXPECT_EQ(r.status, RecadoStatus::resolvido);
    EXPECT_EQ(r.claimedBy, "web");
    EXPECT_EQ(r.claimedAt, 6.0);
    EXPECT_EQ(r.result, "feito na web");
    EXPECT_EQ(r.resolvedAt, 7.0);
    EXPECT_EQ(dirty("A"), 0);
    EXPECT_EQ(updatedAt("A"), 8.0);

    // Absent values clear the fields.
    EXPECT_TRUE(take(m_store.applyRemoteStatus("A", RecadoStatus::pendente, std::nullopt, std::nullopt,
                                               std::nullopt, std::nullopt, 9)));
    EXPECT_EQ(get("A").result, std::nullopt);
    // A NULL local stamp always loses.
    check(m_store.database().execute("UPDATE recado SET updated_at = NULL WHERE id = 'A';"));
    EXPECT_TRUE(applyRemote("A", RecadoStatus::pego, 1));

    // Recados still transcribing or failed are the device's alone.
    for (RecadoStatus status : {RecadoStatus::transcrevendo, RecadoStatus::falhou}) {
        const std::string id(rawValue(status));
        add(id, status);
        age(id);
        EXPECT_FALSE(applyRemote(id, RecadoStatus::resolvido, 1e12)) << id;
        EXPECT_EQ(get(id).status, status);
    }
    EXPECT_FALSE(applyRemote("nada", RecadoStatus::pego, 1e12));
}

} // namespace
