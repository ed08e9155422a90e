#include "nuvem/RequestHandler.h"

#include "core/Hex.h"
#include "core/Log.h"
#include "mcp/McpServer.h"
#include "nuvem/ClientAddress.h"
#include "sync/JsonReader.h"
#include "sync/SyncMessage.h"

#include <nlohmann/json.hpp>

namespace quaro::nuvem {
namespace {

using json = nlohmann::json;

constexpr std::string_view mcpPrefix = "/mcp/";
constexpr std::size_t longestClientName = 256;
constexpr std::string_view linkDeleted = "Este link foi apagado no servidor. Ligue de novo para criar outro.";
constexpr std::string_view tooManyFailures = "Tentativas demais com links inválidos. Espere um minuto.";

HttpResponse jsonResponse(int status, std::string body, std::string route)
{
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    response.route = std::move(route);
    return response;
}

HttpResponse erro(int status, std::string_view message, std::string route)
{
    return jsonResponse(status, errorJson(message), std::move(route));
}

HttpResponse rpcError(int status, int code, std::string_view message)
{
    const json body{{"jsonrpc", "2.0"}, {"id", nullptr}, {"error", {{"code", code}, {"message", message}}}};
    return jsonResponse(status, body.dump(), "/mcp/…");
}

HttpResponse notAllowed(std::string allow, std::string route)
{
    HttpResponse response = erro(405, "Método não permitido.", std::move(route));
    response.headers.emplace_back("Allow", std::move(allow));
    return response;
}

// Storage failing is nearly always passing (a restart, a fail-over, a pool
// full for a moment): 503 with Retry-After tells clients and balancers to
// come back rather than give up.
HttpResponse unavailable(HttpResponse response)
{
    response.headers.emplace_back("Retry-After", "5");
    return response;
}

HttpResponse storageFailure(const DatabaseError& error, std::string route)
{
    log(LogArea::server, "armazenamento: " + error.description());
    return unavailable(erro(503, "O servidor do Quaro está indisponível agora. Tente de novo em instantes.",
                            std::move(route)));
}

} // namespace

RequestHandler::RequestHandler(AccountStorage& storage, Limits limits)
    : m_storage(storage)
    , m_throttle(limits.failedAuthPerWindow, limits.failedAuthWindow, limits.trackedAddresses)
    , m_newAccounts(limits.newAccountsPerHour, std::chrono::hours(1), limits.trackedAddresses)
    , m_syncLimits(limits.sync)
{
}

HttpResponse RequestHandler::handle(const HttpRequest& request)
{
    const std::string path = request.target.substr(0, request.target.find('?'));
    if (path == "/healthz") {
        if (request.method != "GET" && request.method != "HEAD")
            return notAllowed("GET, HEAD", path);
        return jsonResponse(200, R"({"ok":true})", path);
    }
    if (path == "/readyz") {
        if (request.method != "GET" && request.method != "HEAD")
            return notAllowed("GET, HEAD", path);
        if (auto ready = m_storage.ready(); !ready)
            return storageFailure(ready.error(), path);
        return jsonResponse(200, R"({"ok":true})", path);
    }
    if (path == "/api/sync")
        return request.method == "POST" ? sync(request) : notAllowed("POST", path);
    if (path == "/api/account")
        return request.method == "DELETE" ? deleteAccount(request) : notAllowed("DELETE", path);
    if (path.compare(0, mcpPrefix.size(), mcpPrefix) == 0) {
        if (request.method != "POST")
            return notAllowed("POST", "/mcp/…");
        return mcp(request, path.substr(mcpPrefix.size()));
    }
    return erro(404, "Não encontrado.", "outro");
}

bool RequestHandler::answersAtOnce(const HttpRequest& request)
{
    return request.target.substr(0, request.target.find('?')) == "/healthz";
}

bool RequestHandler::failAuthentication(const HttpRequest& request)
{
    const std::string key = ClientAddress::limitKey(request.peer);
    const bool allowed = m_throttle.allows(key);
    m_throttle.record(key);
    return allowed;
}

std::optional<std::string> RequestHandler::bearer(const HttpRequest& request, HttpResponse& refusal)
{
    constexpr std::string_view scheme = "Bearer ";
    const std::string& header = request.authorization;
    if (header.compare(0, scheme.size(), scheme) == 0 && isPlausibleSecret(std::string_view(header).substr(scheme.size())))
        return header.substr(scheme.size());
    refusal = failAuthentication(request) ? erro(401, "O link do Quaro é inválido.", refusal.route)
                                          : erro(429, tooManyFailures, refusal.route);
    return std::nullopt;
}

HttpResponse RequestHandler::sync(const HttpRequest& request)
{
    HttpResponse refusal{.route = "/api/sync"};
    const auto secret = bearer(request, refusal);
    if (!secret)
        return refusal;
    auto parsed = parseSyncRequest(request.body, m_syncLimits);
    if (!parsed)
        return erro(parsed.error().status, parsed.error().message, "/api/sync");
    const std::string key = ClientAddress::limitKey(request.peer);
    const SyncOrder order{std::move(*parsed), m_newAccounts.allows(key), m_syncLimits.accountRecados,
                          m_syncLimits.accountBytes};
    auto reply = m_storage.sync(SecretHash::of(*secret), order);
    if (!reply)
        return storageFailure(reply.error(), "/api/sync");
    // Not a guess: the secret was real once, and its desktop stops at this.
    if (reply->revoked)
        return erro(410, linkDeleted, "/api/sync");
    if (reply->accountRefused) {
        HttpResponse refused = erro(429, "Contas novas demais deste endereço. Tente de novo daqui a uma hora.",
                                    "/api/sync");
        refused.headers.emplace_back("Retry-After", "3600");
        return refused;
    }
    if (reply->accountFull)
        return erro(507, "A cópia na nuvem está cheia. Apague recados antigos para continuar sincronizando.",
                    "/api/sync");
    if (reply->created)
        m_newAccounts.record(key);
    return jsonResponse(200, syncReplyJson(*reply), "/api/sync");
}

HttpResponse RequestHandler::deleteAccount(const HttpRequest& request)
{
    HttpResponse refusal{.route = "/api/account"};
    const auto secret = bearer(request, refusal);
    if (!secret)
        return refusal;
    auto deleted = m_storage.deleteAccount(SecretHash::of(*secret));
    if (!deleted)
        return storageFailure(deleted.error(), "/api/account");
    if (!*deleted)
        return erro(404, "Não há cópia na nuvem para este link.", "/api/account");
    return jsonResponse(204, {}, "/api/account");
}

HttpResponse RequestHandler::mcp(const HttpRequest& request, const std::string& secret)
{
    // The link is looked up before the address's failures are: a valid
    // link is served even from an address that keeps sending bad ones.
    std::optional<std::int64_t> account;
    if (isPlausibleSecret(secret)) {
        auto found = m_storage.account(SecretHash::of(secret));
        if (!found) {
            log(LogArea::server, "armazenamento: " + found.error().description());
            return unavailable(
                rpcError(503, -32603, "O servidor do Quaro está indisponível agora. Tente de novo em instantes."));
        }
        account = *found;
    }
    if (!account) {
        if (!failAuthentication(request))
            return rpcError(429, -32001, tooManyFailures);
        return rpcError(401, -32001, "Este link do Quaro não vale mais. Copie o link de novo nos Ajustes do Quaro.");
    }

    const JsonReader::Parsed parsed = JsonReader::parse(request.body);
    if (parsed.refusal == JsonReader::Refusal::nul)
        return rpcError(400, -32600, "Textos com o caractere nulo (U+0000) não são aceitos.");
    const json& message = parsed.value;
    if (message.is_discarded())
        return rpcError(400, -32700, "JSON inválido.");
    if (!message.is_object())
        return rpcError(400, -32600, "Mande uma mensagem JSON-RPC por pedido.");
    // Notifications and replies get no answer but an acknowledgement.
    if (!message.contains("method") || !message.contains("id") || message["id"].is_null())
        return jsonResponse(202, {}, "/mcp/…");

    auto tools = m_storage.tools(*account);
    mcp::McpServer server(*tools);
    server.setClientName(clientName(request.sessionId));
    std::optional<std::string> reply = server.handleLine(request.body);
    if (!reply)
        return rpcError(400, -32600, "Mensagem JSON-RPC inválida.");
    HttpResponse response = jsonResponse(200, std::move(*reply), "/mcp/…");
    if (message["method"] == "initialize")
        response.headers.emplace_back("Mcp-Session-Id", sessionId(server.clientName()));
    return response;
}

std::string RequestHandler::sessionId(const std::optional<std::string>& clientName)
{
    // Visible ASCII only, as the transport asks: "n" for no name, else "q"
    // and the name's bytes in hexadecimal.
    if (!clientName || clientName->size() > longestClientName)
        return "n";
    const auto* bytes = reinterpret_cast<const unsigned char*>(clientName->data());
    return "q" + hexEncode({bytes, clientName->size()});
}

std::optional<std::string> RequestHandler::clientName(const std::string& sessionId)
{
    if (sessionId.empty() || sessionId[0] != 'q' || sessionId.size() % 2 == 0 ||
        sessionId.size() > 1 + 2 * longestClientName)
        return std::nullopt;
    const auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string name;
    for (std::size_t i = 1; i + 1 < sessionId.size(); i += 2) {
        const int high = nibble(sessionId[i]);
        const int low = nibble(sessionId[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        name += static_cast<char>(high * 16 + low);
    }
    return name;
}

} // namespace quaro::nuvem
