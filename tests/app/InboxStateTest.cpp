// The inbox state over a real store in a private data folder, with a second
// store on the same file playing the MCP server that claims and resolves.
#include "StateTestSupport.h"

#include "app/state/InboxState.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <functional>

using namespace quaro;
using namespace quaro::testing;

namespace {

class InboxStateTest : public ::testing::Test {
protected:
    InboxStateTest() : m_store(openStore()), m_server(openStore()), m_prefs(m_home.preferences())
    {
        m_state = std::make_unique<InboxState>(m_store, *m_prefs, m_cloud);
        m_state->reload();
    }

    // Recados one second apart; the later ones are newer.
    void add(const std::string& id, RecadoStatus status = RecadoStatus::pendente,
             std::optional<std::string> destinoID = {}, const std::string& transcript = "texto")
    {
        const Recado r{.id = id, .createdAt = 1000.0 + double(++m_added), .transcript = transcript,
                       .title = "título " + id, .destinoID = std::move(destinoID), .status = status};
        ASSERT_TRUE(m_server.insert(r).ok());
    }
    Recado stored(const std::string& id) { return take(m_store.recado(id)).value(); }
    QStringList destinoIDs() const
    {
        QStringList out;
        for (const Destino& d : m_state->destinoList())
            out << QString::fromStdString(d.id);
        return out;
    }

    TestHome m_home;
    QuaroStore m_store;
    QuaroStore m_server;
    std::unique_ptr<Preferences> m_prefs;
    CountingCloudLink m_cloud;
    std::unique_ptr<InboxState> m_state;
    int m_added = 0;
};

// A reload shows what another process wrote (as every interface test's
// fixture does), tells of new counts only, and where a step fails keeps what
// the earlier steps already refreshed.
TEST_F(InboxStateTest, ReloadShowsWhatAnotherProcessWroteAndStopsAtTheFirstFailure)
{
    QAbstractItemModelTester tester(m_state->filtered(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    add("A");
    add("B");
    QSignalSpy counts(m_state.get(), &InboxState::countsChanged);
    m_state->reload();
    ASSERT_TRUE(take(m_server.claim("A", "claude-ai")));
    m_state->reload();
    EXPECT_EQ(ids(*m_state->filtered()), QStringList({"B"}));
    EXPECT_EQ(m_state->counts(), QVariantMap({{"pendente", 1}, {"pego", 1}}));

    // Nothing new: no signal for the counts.
    m_state->reload();
    EXPECT_EQ(counts.count(), 2);

    ASSERT_TRUE(m_server.saveDestino({.id = "NEW", .name = "Novo", .sort = 9}).ok());
    ASSERT_TRUE(m_server.database().execute("ALTER TABLE recado RENAME TO recado_old;").ok());
    QSignalSpy reloaded(m_state.get(), &InboxState::reloaded);
    m_state->reload();
    EXPECT_EQ(reloaded.count(), 1);
    EXPECT_TRUE(m_state->destino("NEW"));
    EXPECT_EQ(ids(*m_state->filtered()), QStringList({"B"}));
    EXPECT_EQ(m_state->pendingCount(), 1);
}

TEST_F(InboxStateTest, FiltersAndSearchChooseTheInbox)
{
    const std::string roadmap = m_state->destinoList().at(0).id;
    add("A", RecadoStatus::pendente, roadmap, "comprar pão");
    add("B", RecadoStatus::resolvido, roadmap, "revisar metas");
    add("C", RecadoStatus::pendente, std::nullopt, "ligar pro banco");
    add("D", RecadoStatus::falhou);
    add("E", RecadoStatus::pego, std::nullopt, "metas do ano");
    const struct {
        QString filter, search;
        QStringList expected;
    } cases[] = {
        {"status:pendente", "pão", {"A"}},
        {QString::fromStdString("destino:" + roadmap), "metas", {"B"}},
        // Unreadable: the filter in place stays.
        {"status:nada", "", {"B", "A"}},
        {"status:Pendente", "", {"B", "A"}},
    };
    m_state->reload();
    for (const auto& c : cases) {
        m_state->setInboxFilterText(c.filter);
        m_state->setInboxSearch(c.search);
        EXPECT_EQ(ids(*m_state->filtered()), c.expected) << c.filter.toStdString() << " / " << c.search.toStdString();
    }
    // The panel's recent list: the four newest, whatever the filter.
    EXPECT_EQ(ids(*m_state->recent()), QStringList({"E", "D", "C", "B"}));
}

// The user pressed a button on what they saw; meanwhile an AI moved the
// recado on. The stale action must not overwrite the AI's work.
TEST_F(InboxStateTest, StaleRecadoActionsAreRefused)
{
    const struct {
        const char* name;
        std::function<void(InboxState&)> act;
    } actions[] = {
        {"resolve", [](InboxState& s) { s.resolveManually("R", "pendente"); }},
        {"reopen", [](InboxState& s) { s.reopen("R", "pendente"); }},
        {"delete", [](InboxState& s) { s.deleteRecado("R", "pendente"); }},
    };
    for (const auto& action : actions) {
        add("R");
        m_state->reload();
        ASSERT_TRUE(take(m_server.resolve("R", "Issue #12 criada.", std::string("claude-ai"))));
        m_cloud.kicks = 0;
        action.act(*m_state);
        const Recado r = stored("R");
        EXPECT_EQ(r.status, RecadoStatus::resolvido) << action.name;
        EXPECT_EQ(r.result, "Issue #12 criada.") << action.name;
        EXPECT_EQ(m_cloud.kicks, 0) << action.name;
        // The refusal still shows the user where things stand.
        EXPECT_EQ(m_state->recent()->index(0).data(RecadoListModel::StatusRole).toString(), "resolvido");
        ASSERT_TRUE(m_server.deleteRecado("R").ok());
    }
}

TEST_F(InboxStateTest, RecadoActionsChangeReloadAndKickTheCloud)
{
    add("A");
    add("B", RecadoStatus::pego);
    add("C");
    m_state->reload();
    const std::string destino = m_state->destinoList().at(1).id;

    // Resolving and moving to a destino are walked by the inbox window's test.
    m_state->resolveManually("A", "pendente");
    m_state->reopen("B", "pego");
    EXPECT_EQ(stored("B").status, RecadoStatus::pendente);
    m_state->move("C", QString::fromStdString(destino));
    m_state->move("C", "");
    EXPECT_FALSE(stored("C").destinoID);

    m_state->deleteRecado("C", "pendente");
    EXPECT_FALSE(take(m_store.recado("C")));
    EXPECT_EQ(ids(*m_state->filtered()), QStringList({"B"}));
    EXPECT_EQ(m_cloud.kicks, 5);

    m_cloud.on = false;
    m_state->resolveManually("B", "pendente");
    EXPECT_EQ(m_cloud.kicks, 5);
}

TEST_F(InboxStateTest, NewDestinosCycleThePaletteAndSortLast)
{
    QAbstractItemModelTester tester(m_state->destinos(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    // Three seeded destinos, the last sorted 5: a new one comes after it.
    const Destino last = m_state->destinoList().back();
    m_state->saveDestino(QString::fromStdString(last.id), QString::fromStdString(last.name),
                         QString::fromStdString(last.instruction), QString::fromStdString(last.colorHex), 5);

    const QString first = m_state->addDestino();
    EXPECT_EQ(m_state->destino(first.toStdString())->sort, 6);
    EXPECT_EQ(destinoIDs().last(), first);
    // Three existed: the fourth colour, and four later round to it again.
    EXPECT_EQ(m_state->destino(first.toStdString())->colorHex, "#F5788B");
    for (int i = 0; i < 3; ++i)
        m_state->addDestino();
    EXPECT_EQ(m_state->destino(m_state->addDestino().toStdString())->colorHex, "#F5788B");

    for (const Destino& d : m_state->destinoList())
        m_state->deleteDestino(QString::fromStdString(d.id));
    EXPECT_EQ(m_state->destino(m_state->addDestino().toStdString())->sort, 1);
}

TEST_F(InboxStateTest, SelectionFollowsDeletedAndMissingDestinos)
{
    const QStringList ids = destinoIDs();
    ASSERT_EQ(ids.size(), 3);
    QSignalSpy name(m_state.get(), &InboxState::selectedDestinoNameChanged);

    // Nothing selected at first start: the first destino.
    m_state->ensureSelectedDestino();
    EXPECT_EQ(m_prefs->selectedDestinoID(), ids[0]);
    EXPECT_EQ(m_state->selectedDestinoName(), QString::fromStdString(m_state->destinoList()[0].name));
    EXPECT_EQ(name.count(), 1);

    // Deleting another destino keeps the selection.
    m_state->deleteDestino(ids[1]);
    EXPECT_EQ(m_prefs->selectedDestinoID(), ids[0]);
    // Deleting the selected one moves it to the first other destino, stored.
    m_state->deleteDestino(ids[0]);
    EXPECT_EQ(m_prefs->selectedDestinoID(), ids[2]);
    EXPECT_EQ(m_home.preferences()->selectedDestinoID(), ids[2]);
    // Deleting the last leaves none.
    m_state->deleteDestino(ids[2]);
    EXPECT_EQ(m_prefs->selectedDestinoID(), QString());
    EXPECT_FALSE(m_state->selectedDestino());
    EXPECT_EQ(m_state->selectedDestinoName(), QString());
    EXPECT_EQ(m_state->selectedDestinoRow(), -1);

    // A selection naming no destino (deleted by another process) is corrected.
    const QString added = m_state->addDestino();
    m_prefs->setSelectedDestinoID("GONE");
    m_state->ensureSelectedDestino();
    EXPECT_EQ(m_prefs->selectedDestinoID(), added);
}

} // namespace
