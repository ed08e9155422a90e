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

void writeDestino(TextContentWriter& out, const Destino& destino)
{
    out.beginObject();
    out.key("instrucao");
    out.value(destino.instruction);
    out.key("nome");
    out.value(destino.name);
    out.endObject();
}

// Keys in sorted order, as the pretty form sorts them.
void writeRecado(TextContentWriter& out, const Recado& recado, const std::vector<Destino>& destinos)
{
    out.beginObject();
    out.key("destino");
    const Destino* destino = nullptr;
    if (recado.destinoID) {
        for (const Destino& candidate : destinos) {
            if (candidate.id == *recado.destinoID) {
                destino = &candidate;
                break;
            }
        }
    }
    destino ? writeDestino(out, *destino) : out.null();
    out.key("duracao_segundos");
    out.value(wholeSeconds(recado.duration));
    out.key("gravado_em");
    out.value(iso8601(recado.createdAt));
    out.key("id");
    out.value(recado.id);
    const auto optional = [&](const char* key, const std::optional<std::string>& value) {
        if (value) {
            out.key(key);
            out.value(*value);
        }
    };
    optional("idioma", recado.language);
    optional("pego_por", recado.claimedBy);
    optional("resultado", recado.result);
    out.key("status");
    out.value(rawValue(recado.status));
    out.key("titulo");
    out.value(recado.title);
    out.key("transcricao");
    out.value(recado.transcript);
    out.endObject();
}

std::string toolError(const std::string& message)
{
    return compactJson(
        json{{"content", json::array({json{{"type", "text"}, {"text", message}}})}, {"isError", true}});
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
