#include "mcp/McpServer.h"

#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include "support/Take.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

class McpServerTest : public ::testing::Test {
protected:
    std::string insert(RecadoStatus status, double createdAt, Recado recado = {})
    {
        recado.id = makeUUID();
        recado.createdAt = createdAt;
        recado.status = status;
        if (recado.transcript.empty())
            recado.transcript = "fala";
        EXPECT_TRUE(m_store.insert(recado));
        return recado.id;
    }

    json reply(const std::string& line)
    {
        auto out = m_server.handleLine(line);
        EXPECT_TRUE(out.has_value()) << line;
        return out ? json::parse(*out) : json();
    }

    json tool(const std::string& name, const json& arguments)
    {
        return reply(json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "tools/call"},
                          {"params", {{"name", name}, {"arguments", arguments}}}}
                         .dump())["result"];
    }

    // The text of a tool's result, marked when the result is an error.
    std::string text(const std::string& name, const json& arguments)
    {
        const json result = tool(name, arguments);
        return (result["isError"].get<bool>() ? "erro: " : "") + result["content"][0]["text"].get<std::string>();
    }

    std::vector<std::string> ids(const std::string& name, const json& arguments)
    {
        const json listed = json::parse(text(name, arguments));
        std::vector<std::string> out;
        for (const json& recado : listed["recados"])
            out.push_back(recado["id"]);
        return out;
    }

    testing::TempDir m_dir;
    QuaroStore m_store = testing::take(QuaroStore::open(m_dir / "quaro.sqlite"));
    McpServer m_server{m_store};
};

TEST_F(McpServerTest, LimitCountsWholeNumbersOnly)
{
    for (int i = 0; i < 120; ++i)
        insert(RecadoStatus::pendente, 1750000000 + i);
    const auto total = [&](const json& limit) {
        json listed = tool("inbox_list", {{"limite", limit}});
        return json::parse(listed["content"][0]["text"].get<std::string>())["total"].get<int>();
    };
    EXPECT_EQ(total(5.0), 5);          // a number without fraction is an integer
    EXPECT_EQ(total(5.5), 20);
    EXPECT_EQ(total(true), 20);
    EXPECT_EQ(total(json::array({3})), 20);
    EXPECT_EQ(total(18446744073709551615ULL), 100);
    EXPECT_EQ(total(-9223372036854775807LL - 1), 1);
    EXPECT_EQ(total(1e300), 100);
    EXPECT_EQ(total(-1e300), 1);
}

TEST_F(McpServerTest, ToolsRefuseMissingArgumentsAndRecadosTheyMayNotTouch)
{
    const std::string transcribing = insert(RecadoStatus::transcrevendo, 1);
    const std::string failed = insert(RecadoStatus::falhou, 2);
    const std::string resolved = insert(RecadoStatus::resolvido, 3);
    const auto claimRefused = [](const std::string& id) {
        return "erro: Não deu para pegar o recado " + id + ": ele não existe ou ainda está sendo transcrito.";
    };
    const auto resolveRefused = [](const std::string& id) {
        return "erro: Não deu para resolver o recado " + id + ": ele não existe ou ainda está sendo transcrito.";
    };
    const std::vector<std::tuple<std::string, json, std::string>> cases = {
        {"inbox_list", {{"status", "Pendente"}}, "erro: Status desconhecido: Pendente. Use pendente, pego, resolvido ou todos."},
        {"inbox_list", {{"status", ""}, {"destino", "Nenhum"}}, "erro: Status desconhecido: . Use pendente, pego, resolvido ou todos."},
        {"inbox_list", {{"destino", "Tav"}}, "erro: Não existe o destino \"Tav\". Destinos: Ideias soltas, Tavlo, Roadmap."},
        {"search", {{"consulta", ""}}, "erro: Falta a consulta."},
        {"recado_get", {{"id", 12}}, "erro: Falta o id."},
        {"recado_get", "x", "erro: Falta o id."}, // arguments that are not an object: none
        {"recado_get", {{"id", "NAO-EXISTE"}}, "erro: Recado NAO-EXISTE não encontrado."},
        {"recado_claim", {{"cliente", "Cursor"}}, "erro: Falta o id."},
        {"recado_claim", {{"id", "X"}}, claimRefused("X")},
        {"recado_claim", {{"id", transcribing}}, claimRefused(transcribing)},
        {"recado_claim", {{"id", failed}}, claimRefused(failed)},
        {"recado_claim", {{"id", resolved}}, claimRefused(resolved)},
        {"recado_resolve", {{"resultado", "x"}}, "erro: Falta o id."},
        {"recado_resolve", {{"id", failed}, {"resultado", ""}}, "erro: Falta o resultado."},
        {"recado_resolve", {{"id", transcribing}, {"resultado", "x"}}, resolveRefused(transcribing)},
        {"recado_resolve", {{"id", failed}, {"resultado", "x"}}, resolveRefused(failed)},
        {"apagar_tudo", json::object(), "erro: Ferramenta desconhecida: apagar_tudo"},
    };
    for (const auto& [name, arguments, expected] : cases)
        EXPECT_EQ(text(name, arguments), expected) << name << " " << arguments.dump();
    EXPECT_EQ(m_store.recado(transcribing).value()->status, RecadoStatus::transcrevendo);
    EXPECT_EQ(m_store.recado(failed).value()->status, RecadoStatus::falhou);

    // A broken inbox is reported by every tool, even one that does not exist.
    ASSERT_TRUE(m_store.database().execute("DROP TABLE destino;"));
    for (const char* name : {"apagar_tudo", "inbox_list", "destinos_list", "recado_get"})
        EXPECT_EQ(text(name, {{"id", "x"}}), "erro: Erro no Quaro: Erro no banco: no such table: destino") << name;
}

TEST_F(McpServerTest, ListingsFilterByStatusDestinoAndSearch)
{
    std::map<std::string, std::string> byStatus;
    double at = 1750000000;
    for (const char* status : {"transcrevendo", "pendente", "pego", "resolvido", "falhou"})
        byStatus[status] = insert(*recadoStatus(status), at++);
    for (const auto& [status, id] : byStatus)
        EXPECT_EQ(ids("inbox_list", {{"status", status}}), std::vector<std::string>{id}) << status;
    EXPECT_EQ(ids("inbox_list", {{"status", 3}}), std::vector<std::string>{byStatus["pendente"]}); // not text: absent
    // The newest is transcrevendo: the limit applies before it is removed.
    insert(RecadoStatus::transcrevendo, at++);
    EXPECT_EQ(ids("inbox_list", {{"status", "todos"}, {"limite", 2}}), std::vector<std::string>{byStatus["falhou"]});
    EXPECT_EQ(ids("inbox_list", {{"status", "todos"}}).size(), 4u);

    const auto destinos = m_store.destinos();
    ASSERT_TRUE(destinos);
    const std::string tavlo = insert(RecadoStatus::pendente, at++, Recado{.destinoID = destinos->at(1).id});
    const std::string pendente = byStatus["pendente"];
    EXPECT_EQ(ids("inbox_list", {{"destino", "  TÁVLO "}}), std::vector<std::string>{tavlo});
    for (const json& everywhere : {json(""), json(42)})
        EXPECT_EQ(ids("inbox_list", {{"destino", everywhere}}), (std::vector<std::string>{tavlo, pendente}));

    // Transcript, title and result are searched; recados still transcribing are not.
    const std::string inTitle = insert(RecadoStatus::pego, at++, Recado{.title = "leite e pão"});
    const std::string inResult = insert(RecadoStatus::resolvido, at++, Recado{.result = "comprei o LEITE"});
    const std::string inTranscript = insert(RecadoStatus::pendente, at++, Recado{.transcript = "comprar Leite"});
    insert(RecadoStatus::transcrevendo, at++, Recado{.transcript = "leite ainda sendo transcrito"});
    EXPECT_EQ(ids("search", {{"consulta", "leite"}}), (std::vector<std::string>{inTranscript, inResult, inTitle}));
    EXPECT_EQ(ids("search", {{"consulta", "leite"}, {"limite", 2}}), std::vector<std::string>{inTranscript});
}

TEST_F(McpServerTest, ClaimerComesFromClienteThenTheClientNameAndResolvingKeepsTheEarlierOne)
{
    const std::string a = insert(RecadoStatus::pendente, 1);
    const std::string b = insert(RecadoStatus::pendente, 2);
    const auto claimer = [&](const std::string& name, const json& arguments) {
        return json::parse(text(name, arguments))["pego_por"];
    };
    const auto initialize = [&](const json& clientInfo) {
        reply(json{{"id", 1}, {"method", "initialize"}, {"params", {{"clientInfo", clientInfo}}}}.dump());
    };
    EXPECT_EQ(claimer("recado_claim", {{"id", a}}), "IA");
    EXPECT_EQ(claimer("recado_claim", {{"id", b}, {"cliente", "Cursor"}}), "Cursor");
    EXPECT_EQ(claimer("recado_resolve", {{"id", b}, {"resultado", "feito"}}), "Cursor");
    initialize({{"name", "Claude Code"}});
    EXPECT_EQ(claimer("recado_claim", {{"id", a}}), "Claude Code"); // a pego recado is taken over
    initialize("Cursor"); // not an object: the name stays
    EXPECT_EQ(claimer("recado_claim", {{"id", a}, {"cliente", ""}}), ""); // an empty cliente is still a name
    EXPECT_EQ(claimer("recado_resolve", {{"id", b}, {"resultado", "   "}}), "Claude Code");
    EXPECT_EQ(m_store.recado(b).value()->result, "   ");
    initialize({{"name", 7}}); // not text: no name
    EXPECT_EQ(claimer("recado_claim", {{"id", a}}), "IA");
    initialize({{"name", ""}}); // empty, but a name
    EXPECT_EQ(claimer("recado_claim", {{"id", a}}), "");
}

TEST_F(McpServerTest, BytesThatAreNotUtf8AreReadAsReplacementCharacters)
{
    EXPECT_EQ(reply("{\"id\":\"a\xFF\xC3\",\"method\":\"ping\"}")["id"], "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
} // namespace quaro::mcp
