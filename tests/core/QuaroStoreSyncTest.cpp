#include "TestSupport.h"

#include "core/QuaroStore.h"

using namespace quaro;
using namespace quaro::test;

namespace {

struct Bookkeeping {
    std::int64_t dirty = -1;
    std::optional<double> updatedAt;
};

class QuaroStoreSyncTest : public ::testing::Test {
protected:
    QuaroStoreSyncTest() : m_store(take(QuaroStore::open(m_dir / "quaro.sqlite"))) {}

    void add(const std::string& id, RecadoStatus status = RecadoStatus::pendente, Timestamp createdAt = 1000)
    {
        check(m_store.insert(Recado{.id = id, .createdAt = createdAt, .status = status}));
    }
    Bookkeeping book(const std::string& id)
    {
        const auto rows = take(m_store.database().query("SELECT dirty, updated_at FROM recado WHERE id = ?", {id}));
        if (rows.empty())
            return {};
        return {rows[0].integer("dirty").value_or(-1), rows[0].real("updated_at")};
    }
    // Puts updated_at far in the past, so that a new stamp is visible.
    void age(const std::string& id)
    {
        EXPECT_EQ(take(m_store.database().run("UPDATE recado SET updated_at = 5, dirty = 0 WHERE id = ?", {id})), 1);
    }

    TempDir m_dir;
    QuaroStore m_store;
};

TEST_F(QuaroStoreSyncTest, InsertStartsAtTwoAndAcknowledgementNeedsTheVersion)
{
    const Timestamp before = currentTimestamp();
    add("A");
    const Bookkeeping b = book("A");
    EXPECT_EQ(b.dirty, 2);
    ASSERT_TRUE(b.updatedAt);
    EXPECT_GE(*b.updatedAt, before - 0.01);
    EXPECT_LE(*b.updatedAt, currentTimestamp() + 0.01);

    const auto pending = take(m_store.pendingUploads(400));
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].recado.id, "A");
    EXPECT_EQ(pending[0].version, 2);
    EXPECT_EQ(pending[0].updatedAt, *b.updatedAt);

    check(m_store.markUploaded({{"A", 1}, {"nada", 2}}));
    EXPECT_EQ(book("A").dirty, 2);
    check(m_store.markUploaded({{"A", 2}}));
    EXPECT_EQ(book("A").dirty, 0);
    EXPECT_TRUE(take(m_store.pendingUploads(400)).empty());
}

TEST_F(QuaroStoreSyncTest, StatusChangesCountOnceAndStampTheTime)
{
    add("A");
    add("T", RecadoStatus::transcrevendo);
    const auto expectStatusChange = [&](const char* what, const std::string& id, auto&& change) {
        age(id);
        change();
        const Bookkeeping b = book(id);
        EXPECT_EQ(b.dirty, 1) << what;
        EXPECT_GT(b.updatedAt.value_or(0), 1000.0) << what;
    };
    expectStatusChange("claim", "A", [&] { (void)take(m_store.claim("A", "Claude")); });
    expectStatusChange("resolve", "A", [&] { (void)take(m_store.resolve("A", "ok", std::nullopt)); });
    expectStatusChange("reopen", "A", [&] { check(m_store.reopen("A")); });
    expectStatusChange("setStatus", "A", [&] { check(m_store.setStatus("A", RecadoStatus::pego)); });
    // Status and content assigned by one statement still count once.
    expectStatusChange("setStatus with title", "A",
                       [&] { check(m_store.setStatus("A", RecadoStatus::pendente, "novo título")); });
    expectStatusChange("finishTranscription", "T",
                       [&] { check(m_store.finishTranscription("T", "oi", "Oi", "D", "pt-BR")); });
}

TEST_F(QuaroStoreSyncTest, ContentChangesCountWithoutStampingAndAudioCountsForNothing)
{
    check(m_store.saveDestino({"D", "Casa", "", "#000000", 0}));
    add("A");
    add("B");
    age("A");
    age("B");
    check(m_store.setDestino("A", "D"));
    EXPECT_EQ(book("A").dirty, 1);
    EXPECT_EQ(book("A").updatedAt, 5.0);

    check(m_store.setDestino("B", "D"));
    check(m_store.markUploaded({{"A", 1}, {"B", 1}}));
    check(m_store.deleteDestino("D"));
    EXPECT_EQ(book("A").dirty, 1);
    EXPECT_EQ(book("B").dirty, 1);
    EXPECT_EQ(book("B").updatedAt, 5.0);

    age("A");
    check(m_store.setAudioPath("A", "/x.m4a"));
    EXPECT_EQ(book("A").dirty, 0);
    EXPECT_EQ(book("A").updatedAt, 5.0);
}

TEST_F(QuaroStoreSyncTest, AChangeDuringUploadKeepsTheRecadoDirty)
{
    add("A");
    const auto sent = take(m_store.pendingUploads(400));
    (void)take(m_store.claim("A", "Claude")); // lands while the upload is in flight
    check(m_store.markUploaded({{"A", sent.at(0).version}}));
    EXPECT_EQ(book("A").dirty, 3);
    EXPECT_EQ(take(m_store.pendingUploads(400)).size(), 1u);
}

TEST_F(QuaroStoreSyncTest, DeletionsLeaveTombstonesUntilAcknowledgedOrReinserted)
{
    add("A");
    add("B");
    add("C");
    const Timestamp before = currentTimestamp();
    check(m_store.deleteRecado("A"));
    check(m_store.deleteRecado("B"));
    check(m_store.deleteRecado("C"));
    EXPECT_EQ(take(m_store.pendingDeletions(2000)), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(take(m_store.pendingDeletions(1)), (std::vector<std::string>{"A"}));
    const auto stamp = take(m_store.database().query("SELECT deleted_at FROM recado_apagado WHERE id = 'A'"));
    EXPECT_GE(stamp.at(0).real("deleted_at").value_or(0), before - 0.01);

    add("B"); // the same id again: no longer deleted
    EXPECT_EQ(take(m_store.pendingDeletions(2000)), (std::vector<std::string>{"A", "C"}));
    check(m_store.clearDeletions({"A", "nada"}));
    EXPECT_EQ(take(m_store.pendingDeletions(2000)), (std::vector<std::string>{"C"}));
}

TEST_F(QuaroStoreSyncTest, RemoteStatusWinsOnlyWhenNewerAndIsNotSentBack)
{
    add("A");
    age("A"); // updated_at = 5, dirty = 0
    EXPECT_FALSE(take(m_store.applyRemoteStatus("A", RecadoStatus::pego, "web", 4, std::nullopt, std::nullopt, 5)));
    EXPECT_FALSE(take(m_store.applyRemoteStatus("A", RecadoStatus::pego, "web", 3, std::nullopt, std::nullopt, 4)));
    EXPECT_EQ(take(m_store.recado("A"))->status, RecadoStatus::pendente);

    EXPECT_TRUE(take(m_store.applyRemoteStatus("A", RecadoStatus::resolvido, "web", 6, "feito na web", 7, 8)));
    const Recado r = *take(m_store.recado("A"));
    EXPECT_EQ(r.status, RecadoStatus::resolvido);
    EXPECT_EQ(r.claimedBy, "web");
    EXPECT_EQ(r.claimedAt, 6.0);
    EXPECT_EQ(r.result, "feito na web");
    EXPECT_EQ(r.resolvedAt, 7.0);
    EXPECT_EQ(book("A").dirty, 0);
    EXPECT_EQ(book("A").updatedAt, 8.0);

    // Absent values clear the fields.
    EXPECT_TRUE(take(m_store.applyRemoteStatus("A", RecadoStatus::pendente, std::nullopt, std::nullopt,
                                               std::nullopt, std::nullopt, 9)));
    EXPECT_EQ(take(m_store.recado("A"))->result, std::nullopt);

    // A NULL local stamp always loses.
    check(m_store.database().execute("UPDATE recado SET updated_at = NULL WHERE id = 'A';"));
    EXPECT_TRUE(take(m_store.applyRemoteStatus("A", RecadoStatus::pego, "web", 1, std::nullopt, std::nullopt, 1)));
}

TEST_F(QuaroStoreSyncTest, RemoteStatusNeverTouchesTranscribingOrFailedRecados)
{
    add("T", RecadoStatus::transcrevendo);
    add("F", RecadoStatus::falhou);
    for (const char* id : {"T", "F"}) {
        age(id);
        EXPECT_FALSE(take(m_store.applyRemoteStatus(id, RecadoStatus::resolvido, "web", 6, "x", 7, 1e12))) << id;
    }
    EXPECT_FALSE(take(m_store.applyRemoteStatus("nada", RecadoStatus::pego, "web", 6, std::nullopt, std::nullopt, 1e12)));
    EXPECT_EQ(take(m_store.recado("T"))->status, RecadoStatus::transcrevendo);
    EXPECT_EQ(take(m_store.recado("F"))->status, RecadoStatus::falhou);
}

TEST_F(QuaroStoreSyncTest, MarkAllForUploadBumpsEveryCounterAndForgetsTombstones)
{
    add("A");
    add("B");
    add("C");
    check(m_store.markUploaded({{"A", 2}}));
    check(m_store.database().execute("UPDATE recado SET dirty = 3 WHERE id = 'B';"));
    check(m_store.deleteRecado("C"));
    check(m_store.markAllForUpload());
    EXPECT_EQ(book("A").dirty, 1);
    EXPECT_EQ(book("B").dirty, 4);
    EXPECT_TRUE(take(m_store.pendingDeletions(2000)).empty());
}

TEST_F(QuaroStoreSyncTest, PendingUploadsOldestFirstWithFallbackTimes)
{
    add("NEW", RecadoStatus::pendente, 300);
    add("OLD", RecadoStatus::pendente, 100);
    add("MID", RecadoStatus::pendente, 200);
    check(m_store.markUploaded({{"MID", 2}}));
    EXPECT_EQ(take(m_store.pendingUploads(1)).at(0).recado.id, "OLD");

    check(m_store.database().execute("UPDATE recado SET updated_at = NULL WHERE id = 'OLD';"));
    const auto all = take(m_store.pendingUploads(400));
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].recado.id, "OLD");
    EXPECT_EQ(all[0].updatedAt, 100.0); // created_at stands in
    EXPECT_EQ(all[1].recado.id, "NEW");
}

} // namespace
