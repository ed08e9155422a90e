// Reads, claims and resolutions as the assistants see them are covered end to
// end through quaro-mcp; these cases hold what only the app itself reaches.
#include "TestSupport.h"

#include <fstream>

using namespace quaro;
using namespace quaro::test;

namespace {

using QuaroStoreTest = StoreTest;

TEST_F(QuaroStoreTest, InsertedRecadoReadsBackWholeAndOnlyOnce)
{
    const Recado r{.id = "6F9619FF-8B86-D011-B42D-00C04FC964FF", .createdAt = 1765000000.123456, .duration = 12.5,
                   .audioPath = "/home/u/.local/share/Quaro/Audio/x.m4a",
                   .transcript = std::string("isso é pro Tavlo\0com NUL", 25), .title = "isso é pro Tavlo",
                   .destinoID = "D", .status = RecadoStatus::resolvido, .claimedBy = "Claude",
                   .claimedAt = 1765000001.5, .result = "feito 🎉", .resolvedAt = 1765000002.25, .language = "pt-BR"};
    check(m_store.insert(r));
    EXPECT_EQ(get(r.id), r);
    EXPECT_FALSE(m_store.insert(r).ok());
}

TEST_F(QuaroStoreTest, TranscriptionFilesTheRecadoAndReopenClearsTheClaim)
{
    add("T", RecadoStatus::transcrevendo);
    check(m_store.setStatus("T", RecadoStatus::falhou, "Transcrevendo…"));
    check(m_store.setStatus("T", RecadoStatus::transcrevendo));
    EXPECT_EQ(get("T").title, "Transcrevendo…"); // the title changes only when given
    check(m_store.finishTranscription("T", "isso é pro Roadmap", "Isso é pro Roadmap", "D1", "pt-BR"));
    Recado r = get("T");
    EXPECT_EQ(r.status, RecadoStatus::pendente);
    EXPECT_EQ(r.transcript, "isso é pro Roadmap");
    EXPECT_EQ(r.title, "Isso é pro Roadmap");
    EXPECT_EQ(r.destinoID, "D1");
    EXPECT_EQ(r.language, "pt-BR");
    check(m_store.finishTranscription("T", "", "Recado sem fala", std::nullopt, std::nullopt));
    EXPECT_EQ(get("T").destinoID, std::nullopt);

    (void)take(m_store.resolve("T", "feito", "Claude"));
    check(m_store.reopen("T"));
    r = get("T");
    EXPECT_EQ(r.status, RecadoStatus::pendente);
    EXPECT_EQ(r.claimedBy, std::nullopt);
    EXPECT_EQ(r.claimedAt, std::nullopt);
    EXPECT_EQ(r.result, std::nullopt);
    EXPECT_EQ(r.resolvedAt, std::nullopt);
}

TEST_F(QuaroStoreTest, DeleteUnlinksTheAudioAndAFailedDeleteKeepsTheRecadoWithItsAudio)
{
    const auto audio = m_dir / "A.m4a";
    std::ofstream(audio) << "som";
    add("A");
    check(m_store.setAudioPath("A", audio.string()));
    check(m_store.saveDestino({"D", "Tavlo", "faça", "#000000", 0}));
    check(m_store.setDestino("A", "D"));
    // Deletes that fail the way a busy file would, after the first statement.
    check(m_store.database().execute(
        "CREATE TRIGGER no_delete BEFORE DELETE ON recado BEGIN SELECT RAISE(ABORT, 'database is locked'); END;"
        "CREATE TRIGGER no_destino BEFORE DELETE ON destino BEGIN SELECT RAISE(ABORT, 'database is locked'); END;"));
    EXPECT_FALSE(m_store.deleteRecado("A").ok());
    EXPECT_TRUE(std::filesystem::exists(audio));
    EXPECT_FALSE(m_store.deleteDestino("D").ok());
    EXPECT_EQ(get("A").destinoID, "D");
    EXPECT_EQ(take(m_store.destinos()).size(), 4u);

    // Once deletes work: the file goes, and a recado whose file is already gone is deleted all the same.
    check(m_store.database().execute("DROP TRIGGER no_delete;"));
    add("B");
    check(m_store.setAudioPath("B", (m_dir / "sumiu.m4a").string()));
    for (const char* id : {"A", "B", "A"})
        check(m_store.deleteRecado(id));
    EXPECT_FALSE(std::filesystem::exists(audio));
    EXPECT_TRUE(take(m_store.recados(std::nullopt, std::nullopt, std::nullopt, 10)).empty());
}

TEST_F(QuaroStoreTest, SearchTakesTheTextAsTypedAndCountsSkipUnknownStatuses)
{
    add("A", RecadoStatus::pendente, 3);
    check(m_store.insert(Recado{.id = "B", .createdAt = 2, .transcript = "pagar  foo no mercado"}));
    check(m_store.insert(Recado{.id = "C", .createdAt = 1, .transcript = "um FOO"}));
    const std::vector<std::pair<std::string, Ids>> cases = {
        {"   \t", {"A", "B", "C"}}, // blank: no search
        {"  FOO", {"B"}},           // leading spaces kept, ASCII case ignored
        {"m_rcado", {"B"}},         // _ matches one character
    };
    for (const auto& [search, expected] : cases)
        EXPECT_EQ(ids(take(m_store.recados(std::nullopt, std::nullopt, search, 10))), expected) << search;

    check(m_store.database().execute("INSERT INTO recado(id, created_at, status) VALUES ('Z', 0, 'arquivado');"));
    EXPECT_EQ(take(m_store.counts()), (std::map<RecadoStatus, std::int64_t>{{RecadoStatus::pendente, 3}}));
}

TEST_F(QuaroStoreTest, DestinosAreUpdatedByIdFoundByTrimmedFoldedNameAndDetachedOnDelete)
{
    check(m_store.saveDestino({"B", "Tavlo Web", "faça", "#000000", 1}));
    check(m_store.saveDestino({"B", "Tavlo Web", "outra instrução", "#333333", 1}));
    EXPECT_EQ(take(m_store.destino(std::string("B")))->instruction, "outra instrução");
    EXPECT_EQ(take(m_store.destinoNamed("  TÁVLO web\t")).value_or(Destino{}).id, "B");
    EXPECT_EQ(take(m_store.destinoNamed("Tavlo Web\n")), std::nullopt); // line breaks are not trimmed

    add("R");
    check(m_store.setDestino("R", "B"));
    check(m_store.deleteDestino("B"));
    EXPECT_EQ(take(m_store.destino(std::string("B"))), std::nullopt);
    EXPECT_EQ(get("R").destinoID, std::nullopt);
}

} // namespace
