#include "mcp/RecadoJson.h"

#include "core/RecadoStatus.h"
#include "core/Timestamp.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

std::int64_t wholeSeconds(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double rounded = std::round(seconds); // halves away from zero
    if (rounded >= 9.2e18)
        return std::numeric_limits<std::int64_t>::max();
    if (rounded <= -9.2e18)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
}

} // namespace

json destinoJson(const Destino& destino)
{
    return json{{"nome", destino.name}, {"instrucao", destino.instruction}};
}

json recadoJson(const Recado& recado, const std::vector<Destino>& destinos)
{
    json destino = nullptr;
    if (recado.destinoID) {
        for (const Destino& candidate : destinos) {
            if (candidate.id == *recado.destinoID) {
                destino = destinoJson(candidate);
                break;
            }
        }
    }
    json shown{
        {"id", recado.id},
        {"titulo", recado.title},
        {"transcricao", recado.transcript},
        {"status", std::string(rawValue(recado.status))},
        {"gravado_em", iso8601(recado.createdAt)},
        {"duracao_segundos", wholeSeconds(recado.duration)},
        {"destino", std::move(destino)},
    };
    if (recado.claimedBy)
        shown["pego_por"] = *recado.claimedBy;
    if (recado.result)
        shown["resultado"] = *recado.result;
    if (recado.language)
        shown["idioma"] = *recado.language;
    return shown;
}

json textContent(const json& value)
{
    return json{{"content", json::array({json{{"type", "text"}, {"text", prettyJson(value)}}})}, {"isError", false}};
}

json toolError(const std::string& message)
{
    return json{{"content", json::array({json{{"type", "text"}, {"text", message}}})}, {"isError", true}};
}

std::string prettyJson(const json& value)
{
    return value.dump(2, ' ', false, json::error_handler_t::replace);
}

std::string compactJson(const json& value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace quaro::mcp
