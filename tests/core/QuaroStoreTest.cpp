#include "TestSupport.h"

#include "core/QuaroStore.h"

#include <fstream>

using namespace quaro;
using namespace quaro::test;

namespace {

class QuaroStoreTest : public ::testing::Test {
protected:
    QuaroStoreTest() : m_store(take(QuaroStore::open(m_dir / "quaro.sqlite"))) {}

    Recado add(const std::string& id, RecadoStatus status, Timestamp createdAt = 1000)
    {
        Recado r{.id = id, .createdAt = createdAt, .transcript = "texto de " + id, .title = "título " + id,
                 .status = status};
        check(m_store.insert(r));
        return r;
    }
    Recado get(const std::string& id) { return take(m_store.recado(id)).value(); }

    TempDir m_dir;
    QuaroStore m_store;
};

TEST_F(QuaroStoreTest, InsertedRecadoReadsBackWhole)
{
    const Recado r{.id = "6F9619FF-8B86-D011-B42D-00C04FC964FF",
                   .createdAt = 1765000000.123456,
                   .duration = 12.5,
                   .audioPath = "/home/u/.local/share/Quaro/Audio/x.m4a",
                   .transcript = std::string("isso é pro Tavlo\0com NUL", 25),
                   .title = "isso é pro Tavlo",
                   .destinoID = "D",
                   .status = RecadoStatus::resolvido,
                   .claimedBy = "Claude",
                   .claimedAt = 1765000001.5,
                   .result = "feito 🎉",
                   .resolvedAt = 1765000002.25,
                   .language = "pt-BR"};
    check(m_store.insert(r));
    EXPECT_EQ(get(r.id), r);

    auto again = m_store.insert(r);
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.error().description(), "Erro no banco: UNIQUE constraint failed: recado.id");
    EXPECT_EQ(take(m_store.recado("nada")), std::nullopt);
}

TEST_F(QuaroStoreTest, ClaimOnlyWhilePendenteOrPego)
{
    for (RecadoStatus status : {RecadoStatus::transcrevendo, RecadoStatus::resolvido, RecadoStatus::falhou}) {
        const Recado r = add(std::string(rawValue(status)), status);
        EXPECT_EQ(take(m_store.claim(r.id, "Claude")), std::nullopt) << rawValue(status);
        EXPECT_EQ(get(r.id), r);
    }
    EXPECT_EQ(take(m_store.claim("nada", "Claude")), std::nullopt);

    add("P", RecadoStatus::pendente);
    const Timestamp before = currentTimestamp();
    const auto claimed = take(m_store.claim("P", "Claude"));
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->status, RecadoStatus::pego);
    EXPECT_EQ(claimed->claimedBy, "Claude");
    ASSERT_TRUE(claimed->claimedAt);
    EXPECT_GE(*claimed->claimedAt, before);
    EXPECT_LE(*claimed->claimedAt, currentTimestamp());

    // Claiming again replaces the claimer.
    const auto reclaimed = take(m_store.claim("P", "Cursor"));
    ASSERT_TRUE(reclaimed);
    EXPECT_EQ(reclaimed->claimedBy, "Cursor");
    EXPECT_GE(*reclaimed->claimedAt, *claimed->claimedAt);
}

TEST_F(QuaroStoreTest, ResolveKeepsOrReplacesTheClaimer)
{
    add("A", RecadoStatus::pendente);
    const Recado claimed = *take(m_store.claim("A", "Claude"));
    const auto kept = take(m_store.resolve("A", "feito", std::nullopt));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->status, RecadoStatus::resolvido);
    EXPECT_EQ(kept->result, "feito");
    EXPECT_EQ(kept->claimedBy, "Claude");
    EXPECT_EQ(kept->claimedAt, claimed.claimedAt);
    ASSERT_TRUE(kept->resolvedAt);

    // Resolving again overwrites the result and replaces the claimer when given.
    const auto replaced = take(m_store.resolve("A", "refeito", "Cursor"));
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->result, "refeito");
    EXPECT_EQ(replaced->claimedBy, "Cursor");
    EXPECT_EQ(replaced->claimedAt, claimed.claimedAt);

    // Never claimed: the claim time is the resolve time.
    add("B", RecadoStatus::pendente);
    const auto direct = take(m_store.resolve("B", "direto", std::nullopt));
    ASSERT_TRUE(direct);
    EXPECT_EQ(direct->claimedBy, std::nullopt);
    EXPECT_EQ(direct->claimedAt, direct->resolvedAt);

    for (RecadoStatus status : {RecadoStatus::transcrevendo, RecadoStatus::falhou}) {
        const Recado r = add(std::string(rawValue(status)), status);
        EXPECT_EQ(take(m_store.resolve(r.id, "x", "Claude")), std::nullopt);
        EXPECT_EQ(get(r.id), r);
    }
    EXPECT_EQ(take(m_store.resolve("nada", "x", std::nullopt)), std::nullopt);
}

TEST_F(QuaroStoreTest, ReopenAndSetStatusAcceptAnyStatus)
{
    add("A", RecadoStatus::pendente);
    (void)take(m_store.resolve("A", "feito", "Claude"));
    check(m_store.reopen("A"));
    Recado r = get("A");
    EXPECT_EQ(r.status, RecadoStatus::pendente);
    EXPECT_EQ(r.claimedBy, std::nullopt);
    EXPECT_EQ(r.claimedAt, std::nullopt);
    EXPECT_EQ(r.result, std::nullopt);
    EXPECT_EQ(r.resolvedAt, std::nullopt);

    add("F", RecadoStatus::falhou);
    check(m_store.reopen("F"));
    EXPECT_EQ(get("F").status, RecadoStatus::pendente);

    check(m_store.setStatus("F", RecadoStatus::transcrevendo, "Transcrevendo…"));
    EXPECT_EQ(get("F").status, RecadoStatus::transcrevendo);
    EXPECT_EQ(get("F").title, "Transcrevendo…");
    check(m_store.setStatus("F", RecadoStatus::falhou));
    EXPECT_EQ(get("F").status, RecadoStatus::falhou);
    EXPECT_EQ(get("F").title, "Transcrevendo…");
    check(m_store.reopen("nada")); // unknown ids are no error
}

TEST_F(QuaroStoreTest, FinishingTranscriptionFilesTheRecado)
{
    add("T", RecadoStatus::transcrevendo);
    check(m_store.finishTranscription("T", "isso é pro Roadmap: revisar metas", "isso é pro Roadmap: revisar metas",
                                      "D1", "pt-BR"));
    Recado r = get("T");
    EXPECT_EQ(r.status, RecadoStatus::pendente);
    EXPECT_EQ(r.transcript, "isso é pro Roadmap: revisar metas");
    EXPECT_EQ(r.destinoID, "D1");
    EXPECT_EQ(r.language, "pt-BR");

    check(m_store.finishTranscription("T", "", "Recado sem fala", std::nullopt, std::nullopt));
    r = get("T");
    EXPECT_EQ(r.destinoID, std::nullopt);
    EXPECT_EQ(r.language, std::nullopt);

    check(m_store.setDestino("T", "D2"));
    EXPECT_EQ(get("T").destinoID, "D2");
    check(m_store.setDestino("T", std::nullopt));
    EXPECT_EQ(get("T").destinoID, std::nullopt);
    check(m_store.setAudioPath("T", "/tmp/a.m4a"));
    EXPECT_EQ(get("T").audioPath, "/tmp/a.m4a");
    check(m_store.setAudioPath("T", std::nullopt));
    EXPECT_EQ(get("T").audioPath, std::nullopt);
}

TEST_F(QuaroStoreTest, DeleteRemovesTheAudioFileAndTheRow)
{
    const auto audio = m_dir / "A.m4a";
    std::ofstream(audio) << "som";
    Recado r = add("A", RecadoStatus::pendente);
    check(m_store.setAudioPath("A", audio.string()));
    check(m_store.deleteRecado("A"));
    EXPECT_FALSE(std::filesystem::exists(audio));
    EXPECT_EQ(take(m_store.recado("A")), std::nullopt);
    check(m_store.deleteRecado("A")); // twice is harmless

    // An audio file that is already gone does not keep the row.
    add("B", RecadoStatus::pendente);
    check(m_store.setAudioPath("B", (m_dir / "sumiu.m4a").string()));
    check(m_store.deleteRecado("B"));
    EXPECT_EQ(take(m_store.recado("B")), std::nullopt);
}

TEST_F(QuaroStoreTest, ListsFilterByStatusDestinoAndSearchNewestFirst)
{
    for (int i = 0; i < 5; ++i)
        add("P" + std::to_string(i), RecadoStatus::pendente, 100 + i);
    add("R", RecadoStatus::resolvido, 50);
    check(m_store.setDestino("P1", "D"));
    check(m_store.setDestino("R", "D"));

    const auto ids = [](const std::vector<Recado>& list) {
        std::vector<std::string> out;
        for (const Recado& r : list)
            out.push_back(r.id);
        return out;
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(ids(take(m_store.recados(std::nullopt, std::nullopt, std::nullopt, 3))), (Ids{"P4", "P3", "P2"}));
    EXPECT_EQ(ids(take(m_store.recados(RecadoStatus::resolvido, std::nullopt, std::nullopt, 10))), (Ids{"R"}));
    EXPECT_EQ(ids(take(m_store.recados(std::nullopt, "D", std::nullopt, 10))), (Ids{"P1", "R"}));
    EXPECT_EQ(ids(take(m_store.recados(RecadoStatus::pendente, "D", std::nullopt, 10))), (Ids{"P1"}));
    EXPECT_TRUE(take(m_store.recados(RecadoStatus::falhou, std::nullopt, std::nullopt, 10)).empty());
}

TEST_F(QuaroStoreTest, SearchUsesTheTextAsTypedWithLikeWildcards)
{
    Recado a{.id = "A", .createdAt = 3, .transcript = "meta de 50% no trimestre", .title = "Metas"};
    Recado b{.id = "B", .createdAt = 2, .transcript = "pagar  foo amanhã", .title = "Contas"};
    Recado c{.id = "C", .createdAt = 1, .transcript = "nada", .title = "Nada", .result = "Resposta com FOO"};
    Recado d{.id = "D", .createdAt = 0, .transcript = "50 reais no mercado", .title = "Mercado"};
    for (const Recado& r : {a, b, c, d})
        check(m_store.insert(r));
    const auto search = [&](const std::string& text) {
        std::vector<std::string> out;
        for (const Recado& r : take(m_store.recados(std::nullopt, std::nullopt, text, 10)))
            out.push_back(r.id);
        return out;
    };
    using Ids = std::vector<std::string>;
    EXPECT_EQ(search("   \t"), (Ids{"A", "B", "C", "D"})); // blank: no search
    EXPECT_EQ(search("foo"), (Ids{"B", "C"}));            // ASCII case ignored, result searched
    EXPECT_EQ(search("  foo"), (Ids{"B"}));               // leading spaces kept
    EXPECT_EQ(search("50%"), (Ids{"A", "D"}));            // % matches anything
    EXPECT_EQ(search("m_rcado"), (Ids{"D"}));             // _ matches one character
    EXPECT_EQ(search("metas"), (Ids{"A"}));               // title searched
}

TEST_F(QuaroStoreTest, CountsPerKnownStatus)
{
    EXPECT_TRUE(take(m_store.counts()).empty());
    add("A", RecadoStatus::pendente);
    add("B", RecadoStatus::pendente);
    add("C", RecadoStatus::falhou);
    check(m_store.database().execute("INSERT INTO recado(id, created_at, status) VALUES ('Z', 0, 'arquivado');"));
    const auto counts = take(m_store.counts());
    EXPECT_EQ(counts, (std::map<RecadoStatus, std::int64_t>{{RecadoStatus::pendente, 2}, {RecadoStatus::falhou, 1}}));
}

TEST_F(QuaroStoreTest, DestinosAreOrderedSavedAndFoundByFoldedName)
{
    for (const Destino& d : take(m_store.destinos()))
        check(m_store.deleteDestino(d.id));
    check(m_store.saveDestino({"B", "Tavlo", "faça", "#000000", 1}));
    check(m_store.saveDestino({"A", "Zeta", "", "#111111", 0}));
    check(m_store.saveDestino({"C", "Alfa ", "", "#222222", 1}));
    std::vector<std::string> order;
    for (const Destino& d : take(m_store.destinos()))
        order.push_back(d.id);
    EXPECT_EQ(order, (std::vector<std::string>{"A", "C", "B"}));

    // Saving the same id updates it.
    check(m_store.saveDestino({"B", "Tavlo", "outra instrução", "#333333", 1}));
    EXPECT_EQ(take(m_store.destino(std::string("B")))->instruction, "outra instrução");
    EXPECT_EQ(take(m_store.destino(std::nullopt)), std::nullopt);
    EXPECT_EQ(take(m_store.destino(std::string("nada"))), std::nullopt);

    for (const char* name : {"  tavlo", "TÁVLO", "Tavlo ", "tavlo\t"})
        EXPECT_EQ(take(m_store.destinoNamed(name)).value_or(Destino{}).id, "B") << name;
    EXPECT_EQ(take(m_store.destinoNamed("Tav")), std::nullopt);
    EXPECT_EQ(take(m_store.destinoNamed("Tavlo\n")), std::nullopt); // line breaks are not trimmed
    EXPECT_EQ(take(m_store.destinoNamed("Alfa")), std::nullopt);    // stored with a trailing space
}

TEST_F(QuaroStoreTest, DeletingADestinoDetachesItsRecados)
{
    check(m_store.saveDestino({"D", "Casa", "", "#000000", 9}));
    add("A", RecadoStatus::pendente);
    check(m_store.setDestino("A", "D"));
    check(m_store.deleteDestino("D"));
    EXPECT_EQ(take(m_store.destino(std::string("D"))), std::nullopt);
    const Recado r = get("A");
    EXPECT_EQ(r.destinoID, std::nullopt);
}

TEST_F(QuaroStoreTest, MetaKeysAreSetReplacedAndRemoved)
{
    EXPECT_EQ(take(m_store.meta("nuvem.cursor")), std::nullopt);
    check(m_store.setMeta("nuvem.cursor", "1"));
    check(m_store.setMeta("nuvem.cursor", "2"));
    EXPECT_EQ(take(m_store.meta("nuvem.cursor")), "2");
    check(m_store.setMeta("nuvem.cursor", std::nullopt));
    EXPECT_EQ(take(m_store.meta("nuvem.cursor")), std::nullopt);
}

} // namespace
