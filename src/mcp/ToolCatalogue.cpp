#include "mcp/ToolCatalogue.h"

#include "core/RecadoStatus.h"
#include "mcp/QuaroToolStore.h"
#include "mcp/RecadoJson.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

constexpr std::int64_t defaultLimit = 20;

// The argument as text, or nullptr when it is missing or not a string.
const std::string* textArgument(const json& arguments, const char* key)
{
    const auto found = arguments.find(key);
    return found != arguments.end() && found->is_string() ? found->get_ptr<const std::string*>() : nullptr;
}

std::optional<std::string> optionalText(const json& arguments, const char* key)
{
    const std::string* text = textArgument(arguments, key);
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

// `limite`: an integer (a number with no fraction, as JSON Schema counts
// integers), else 20; then kept within 1...100.
std::int64_t limitArgument(const json& arguments)
{
    const auto found = arguments.find("limite");
    std::int64_t limit = defaultLimit;
    if (found != arguments.end()) {
        if (found->is_number_unsigned()) {
            limit = static_cast<std::int64_t>(std::min<std::uint64_t>(found->get<std::uint64_t>(), 100));
        } else if (found->is_number_integer()) {
            limit = found->get<std::int64_t>();
        } else if (found->is_number_float()) {
            const double number = found->get<double>();
            if (std::isfinite(number) && number == std::floor(number))
                limit = static_cast<std::int64_t>(std::clamp(number, -1.0, 101.0));
        }
    }
    return std::clamp<std::int64_t>(limit, 1, 100);
}

std::string recadoList(const std::vector<Recado>& recados, const std::vector<Destino>& destinos)
{
    TextContentWriter out;
    std::size_t texts = 0;
    for (const Recado& recado : recados)
        texts += recado.transcript.size() + recado.title.size() + (recado.result ? recado.result->size() : 0);
    out.reserve(texts + texts / 8 + 1024 * (recados.size() + 1)); // keys, layout and the destino
    out.beginObject();
    out.key("recados");
    out.beginArray();
    for (const Recado& recado : recados)
        writeRecado(out, recado, destinos);
    out.endArray();
    out.key("total");
    out.value(static_cast<std::int64_t>(recados.size()));
    out.endObject();
    return std::move(out).finish();
}

std::string oneRecado(const Recado& recado, const std::vector<Destino>& destinos)
{
    TextContentWriter out;
    writeRecado(out, recado, destinos);
    return std::move(out).finish();
}

void dropTranscribing(std::vector<Recado>& recados)
{
    recados.erase(std::remove_if(recados.begin(), recados.end(),
                                 [](const Recado& r) { return r.status == RecadoStatus::transcrevendo; }),
                  recados.end());
}

ToolOutcome inboxList(const ToolCall& call)
{
    const std::string* statusText = textArgument(call.arguments, "status");
    const std::string status = statusText ? *statusText : "pendente";
    const bool everything = status == "todos";
    std::optional<RecadoStatus> filter;
    if (!everything) {
        filter = recadoStatus(status);
        if (!filter)
            return toolError("Status desconhecido: " + status + ". Use pendente, pego, resolvido ou todos.");
    }

    std::optional<std::string> destinoID;
    const std::string* destinoName = textArgument(call.arguments, "destino");
    if (destinoName && !destinoName->empty()) {
        // Matched in the list read at the start of the call.
        const auto found = QuaroStore::destinoNamed(call.destinos, *destinoName);
        if (!found) {
            std::string names;
            for (const Destino& destino : call.destinos) {
                if (!names.empty())
                    names += ", ";
                names += destino.name;
            }
            return toolError("Não existe o destino \"" + *destinoName + "\". Destinos: " + names + ".");
        }
        destinoID = found->id;
    }

    auto recados = QUARO_TRY(call.store.recados(filter, destinoID, std::nullopt, limitArgument(call.arguments)));
    // The limit applies before this, so "todos" may show fewer than asked.
    if (everything)
        dropTranscribing(recados);
    return recadoList(recados, call.destinos);
}

ToolOutcome recadoGet(const ToolCall& call)
{
    const std::string* id = textArgument(call.arguments, "id");
    if (!id)
        return toolError("Falta o id.");
    auto recado = QUARO_TRY(call.store.recado(*id));
    if (!recado)
        return toolError("Recado " + *id + " não encontrado.");
    return oneRecado(*recado, call.destinos);
}

ToolOutcome recadoClaim(const ToolCall& call)
{
    const std::string* id = textArgument(call.arguments, "id");
    if (!id)
        return toolError("Falta o id.");
    const std::string claimer = optionalText(call.arguments, "cliente").value_or(call.clientName.value_or("IA"));
    auto claimed = QUARO_TRY(call.store.claim(*id, claimer));
    if (!claimed)
        return toolError("Não deu para pegar o recado " + *id + ": ele não existe ou ainda está sendo transcrito.");
    return oneRecado(*claimed, call.destinos);
}

ToolOutcome recadoResolve(const ToolCall& call)
{
    const std::string* id = textArgument(call.arguments, "id");
    if (!id)
        return toolError("Falta o id.");
    const std::string* result = textArgument(call.arguments, "resultado");
    if (!result || result->empty())
        return toolError("Falta o resultado.");
    // No "IA" fallback here: without a name the earlier claimer stays.
    std::optional<std::string> resolver = optionalText(call.arguments, "cliente");
    if (!resolver)
        resolver = call.clientName;
    auto resolved = QUARO_TRY(call.store.resolve(*id, *result, resolver));
    if (!resolved)
        return toolError("Não deu para resolver o recado " + *id +
                         ": ele não existe ou ainda está sendo transcrito.");
    return oneRecado(*resolved, call.destinos);
}

ToolOutcome search(const ToolCall& call)
{
    const std::string* query = textArgument(call.arguments, "consulta");
    if (!query || query->empty())
        return toolError("Falta a consulta.");
    auto recados = QUARO_TRY(call.store.recados(std::nullopt, std::nullopt, *query, limitArgument(call.arguments)));
    dropTranscribing(recados);
    return recadoList(recados, call.destinos);
}

ToolOutcome destinosList(const ToolCall& call)
{
    TextContentWriter out;
    out.beginObject();
    out.key("destinos");
    out.beginArray();
    for (const Destino& destino : call.destinos)
        writeDestino(out, destino);
    out.endArray();
    out.endObject();
    return std::move(out).finish();
}

} // namespace

const std::vector<Tool>& toolCatalogue()
{
    static const std::vector<Tool> tools{
        {"inbox_list",
         "Lista os recados de voz da caixa do Quaro. Por padrão, só os pendentes, do mais novo para o mais antigo. "
         "Cada recado traz a transcrição e a instrução do seu destino.",
         R"({"type": "object", "properties": {
               "status": {"type": "string", "enum": ["pendente", "pego", "resolvido", "todos"],
                          "description": "Filtro de status. Padrão: pendente."},
               "destino": {"type": "string", "description": "Nome do destino, por exemplo \"Tavlo\"."},
               "limite": {"type": "integer", "minimum": 1, "maximum": 100,
                          "description": "Máximo de recados. Padrão: 20."}}})",
         inboxList},
        {"recado_get",
         "Lê um recado completo: transcrição, destino, instrução, status e resultado.",
         R"({"type": "object", "properties": {"id": {"type": "string"}}, "required": ["id"]})",
         recadoGet},
        {"recado_claim",
         "Marca que você pegou o recado e está trabalhando nele. Chame antes de começar.",
         R"({"type": "object", "properties": {
               "id": {"type": "string"},
               "cliente": {"type": "string", "description": "Quem pegou, por exemplo \"Claude Desktop\"."}},
             "required": ["id"]})",
         recadoClaim},
        {"recado_resolve",
         "Grava no recado o que você fez e o marca como resolvido. Escreva um resumo curto e inclua links do que "
         "criou.",
         R"({"type": "object", "properties": {
               "id": {"type": "string"},
               "resultado": {"type": "string", "description": "Resumo do que foi feito."},
               "cliente": {"type": "string"}},
             "required": ["id", "resultado"]})",
         recadoResolve},
        {"search",
         "Busca palavras nas transcrições, títulos e resultados de todos os recados.",
         R"({"type": "object", "properties": {
               "consulta": {"type": "string"},
               "limite": {"type": "integer", "minimum": 1, "maximum": 100}},
             "required": ["consulta"]})",
         search},
        {"destinos_list",
         "Lista os destinos (projetos) do Quaro com a instrução de cada um.",
         R"({"type": "object", "properties": {}})",
         destinosList},
    };
    return tools;
}

json toolDescriptors()
{
    json descriptors = json::array();
    for (const Tool& tool : toolCatalogue()) {
        descriptors.push_back(json{
            {"name", tool.name},
            {"description", tool.description},
            // The schemas are fixed texts of this file; a broken one shows up
            // as null in every test of tools/list.
            {"inputSchema", json::parse(tool.inputSchema, nullptr, false)},
        });
    }
    return descriptors;
}

std::string callTool(std::string_view name, const json& arguments, ToolStore& store,
                     const std::optional<std::string>& clientName)
{
    // Read first, whatever the tool: a broken database shows as such even
    // for a name that does not exist.
    auto destinos = store.destinos();
    if (!destinos)
        return toolError("Erro no Quaro: " + destinos.error().description());

    const auto& tools = toolCatalogue();
    const auto tool = std::find_if(tools.begin(), tools.end(), [&](const Tool& t) { return t.name == name; });
    if (tool == tools.end())
        return toolError("Ferramenta desconhecida: " + std::string(name));

    const ToolCall call{store, arguments, clientName, *destinos};
    ToolOutcome outcome = tool->handler(call);
    if (!outcome)
        return toolError("Erro no Quaro: " + outcome.error().description());
    return std::move(outcome).value();
}

std::string callTool(std::string_view name, const json& arguments, QuaroStore& store,
                     const std::optional<std::string>& clientName)
{
    QuaroToolStore tools(store);
    return callTool(name, arguments, tools, clientName);
}

} // namespace quaro::mcp
