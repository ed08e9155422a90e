#include "mcp/McpServer.h"

#include "core/Log.h"
#include "core/Utf8.h"
#include "mcp/JsonRpcRequest.h"
#include "mcp/QuaroToolStore.h"
#include "mcp/RecadoJson.h"
#include "mcp/ToolCatalogue.h"

#include <exception>
#include <new>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

constexpr const char* instructions =
    "O Quaro é a caixa de recados de voz do usuário. Cada recado é uma fala já transcrita, gravada no computador, "
    "com um destino (um projeto) e a instrução daquele destino.\n"
    "Fluxo esperado: 1) inbox_list para ver os pendentes; 2) recado_claim antes de trabalhar num recado; 3) faça o "
    "que a instrução do destino pede, usando a transcrição; 4) recado_resolve com um resumo curto do que você fez "
    "(e links, se criou algo). Não invente partes da fala: se algo ficou ambíguo, diga no resultado.";

std::string_view trimmedSpacesAndTabs(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

struct McpServer::Reply {
    std::string result;        // compact JSON, when the request succeeded
    int errorCode = 0;         // otherwise
    std::string errorMessage;
};

McpServer::McpServer(QuaroStore& store)
    : m_ownTools(std::make_unique<QuaroToolStore>(store))
    , m_tools(*m_ownTools)
{
}

McpServer::McpServer(ToolStore& tools)
    : m_tools(tools)
{
}

McpServer::~McpServer() = default;

std::optional<std::string> McpServer::handleLine(std::string_view line)
{
    const std::string_view trimmed = trimmedSpacesAndTabs(line);
    if (trimmed.empty())
        return std::nullopt;

    // Bytes that are not UTF-8 are read as U+FFFD rather than losing the line.
    std::string repaired;
    std::string_view text = trimmed;
    if (!utf8::isValid(trimmed)) {
        repaired = utf8::repaired(trimmed);
        text = repaired;
    }

    std::optional<JsonRpcRequest> request = parseJsonRpcRequest(text);
    if (!request || !request->id)
        return std::nullopt;

    const json& message = request->message;
    std::string method;
    if (const auto found = message.find("method"); found != message.end() && found->is_string())
        method = found->get<std::string>();
    static const json noParams = json::object();
    const json* params = &noParams;
    if (const auto found = message.find("params"); found != message.end() && found->is_object())
        params = &*found;

    try {
        const Reply reply = dispatch(method, *params);
        std::string out;
        // Room for the envelope and the line feed the loop adds.
        out.reserve(reply.result.size() + request->id->size() + 64);
        out += "{\"jsonrpc\":\"2.0\",\"id\":";
        out += *request->id;
        if (reply.errorCode == 0) {
            out += ",\"result\":";
            out += reply.result;
        } else {
            out += ",\"error\":";
            out += compactJson(json{{"code", reply.errorCode}, {"message", reply.errorMessage}});
        }
        out += '}';
        return out;
    } catch (const std::exception&) {
        log(LogArea::mcp, "não consegui serializar a resposta");
        return std::nullopt;
    }
}

McpServer::Reply McpServer::dispatch(const std::string& method, const json& params)
{
    if (method == "initialize")
        return {compactJson(initialize(params))};
    if (method == "ping")
        return {"{}"};
    if (method == "tools/list") {
        if (!m_toolList)
            m_toolList = compactJson(json{{"tools", toolDescriptors()}});
        return {*m_toolList};
    }
    if (method == "tools/call") {
        const auto name = params.find("name");
        if (name == params.end() || !name->is_string())
            return {{}, -32602, "Falta o nome da ferramenta"};
        static const json noArguments = json::object();
        const auto arguments = params.find("arguments");
        const json& args = arguments != params.end() && arguments->is_object() ? *arguments : noArguments;
        return {callTool(name->get_ref<const std::string&>(), args, m_tools, m_clientName)};
    }
    if (method == "resources/list")
        return {R"({"resources":[]})"};
    if (method == "prompts/list")
        return {R"({"prompts":[]})"};
    return {{}, -32601, "Método não suportado: " + method};
}

json McpServer::initialize(const json& params)
{
    std::string protocolVersion(defaultProtocolVersion);
    if (const auto found = params.find("protocolVersion"); found != params.end() && found->is_string())
        protocolVersion = found->get<std::string>();

    if (const auto clientInfo = params.find("clientInfo"); clientInfo != params.end() && clientInfo->is_object()) {
        const auto name = clientInfo->find("name");
        if (name != clientInfo->end() && name->is_string())
            m_clientName = name->get<std::string>();
        else
            m_clientName.reset();
    }

    return json{
        {"protocolVersion", protocolVersion},
        {"capabilities", {{"tools", {{"listChanged", false}}}}},
        {"serverInfo", {{"name", "quaro"}, {"title", "Quaro"}, {"version", version}}},
        {"instructions", instructions},
    };
}

} // namespace quaro::mcp
