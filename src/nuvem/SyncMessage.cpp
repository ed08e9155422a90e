#include "nuvem/SyncMessage.h"

#include "core/RecadoStatus.h"
#include "nuvem/JsonReader.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>
#include <optional>

namespace quaro::nuvem {
namespace {

using json = nlohmann::json;

// Thrown inside the parser only, caught at its door.
struct Refusal {
    std::string message;
};

const json& member(const json& object, const char* key)
{
    static const json null;
    const auto found = object.find(key);
    return found == object.end() ? null : *found;
}

std::string text(const json& object, const char* key)
{
    const json& value = member(object, key);
    if (!value.is_string())
        throw Refusal{std::string("o campo ") + key + " precisa ser um texto"};
    return value.get<std::string>();
}

std::optional<std::string> optionalText(const json& object, const char* key)
{
    const json& value = member(object, key);
    if (value.is_null())
        return std::nullopt;
    return text(object, key);
}

double number(const json& object, const char* key)
{
    const json& value = member(object, key);
    if (!value.is_number() || !std::isfinite(value.get<double>()))
        throw Refusal{std::string("o campo ") + key + " precisa ser um número"};
    return value.get<double>();
}

std::optional<double> optionalNumber(const json& object, const char* key)
{
    if (member(object, key).is_null())
        return std::nullopt;
    return number(object, key);
}

const json& array(const json& object, const char* key)
{
    static const json empty = json::array();
    const json& value = member(object, key);
    if (value.is_null())
        return empty;
    if (!value.is_array())
        throw Refusal{std::string("o campo ") + key + " precisa ser uma lista"};
    return value;
}

Destino destino(const json& item)
{
    if (!item.is_object())
        throw Refusal{"cada destino precisa ser um objeto"};
    Destino d;
    d.id = text(item, "id");
    d.name = text(item, "nome");
    d.instruction = text(item, "instrucao");
    d.colorHex = text(item, "cor");
    const json& sort = member(item, "ordem");
    if (!sort.is_number_integer())
        throw Refusal{"o campo ordem precisa ser um número inteiro"};
    d.sort = sort.get<std::int64_t>();
    return d;
}

RecadoCopy recado(const json& item)
{
    if (!item.is_object())
        throw Refusal{"cada recado precisa ser um objeto"};
    RecadoCopy copy;
    Recado& r = copy.recado;
    r.id = text(item, "id");
    if (r.id.empty())
        throw Refusal{"um recado veio sem id"};
    r.createdAt = number(item, "criado_em");
    r.duration = number(item, "duracao");
    r.title = text(item, "titulo");
    r.transcript = text(item, "transcricao");
    r.destinoID = optionalText(item, "destino_id");
    r.language = optionalText(item, "idioma");
    const auto status = recadoStatus(text(item, "status"));
    if (!status)
        throw Refusal{"status desconhecido no recado " + r.id};
    r.status = *status;
    r.claimedBy = optionalText(item, "pego_por");
    r.claimedAt = optionalNumber(item, "pego_em");
    r.result = optionalText(item, "resultado");
    r.resolvedAt = optionalNumber(item, "resolvido_em");
    copy.updatedAt = number(item, "atualizado_em");
    return copy;
}

// Any non-negative whole number; what is not one reads as 0 (send everything).
std::int64_t cursor(const json& value)
{
    if (value.is_number_unsigned())
        return static_cast<std::int64_t>(
            std::min<std::uint64_t>(value.get<std::uint64_t>(), std::numeric_limits<std::int64_t>::max()));
    if (value.is_number_integer())
        return std::max<std::int64_t>(value.get<std::int64_t>(), 0);
    if (value.is_number_float()) {
        const double n = value.get<double>();
        if (std::isfinite(n) && n >= 0 && n < 9.0e18 && n == std::floor(n))
            return static_cast<std::int64_t>(n);
    }
    return 0;
}

void put(json& object, const char* key, const std::optional<std::string>& value)
{
    if (value)
        object[key] = *value;
}

void put(json& object, const char* key, const std::optional<double>& value)
{
    if (value)
        object[key] = *value;
}

} // namespace

Result<SyncRequest, std::string> parseSyncRequest(std::string_view body)
{
    const JsonReader::Parsed parsed = JsonReader::parse(body);
    if (parsed.refusal == JsonReader::Refusal::tooDeep)
        return Failure{std::string("Pedido inválido: listas e objetos aninhados fundo demais.")};
    if (parsed.refusal == JsonReader::Refusal::nul)
        return Failure{std::string("Pedido inválido: um texto contém o caractere nulo (U+0000).")};
    const json& root = parsed.value;
    if (root.is_discarded() || !root.is_object())
        return Failure{std::string("O pedido não é um objeto JSON.")};
    try {
        SyncRequest request;
        for (const json& item : array(root, "destinos"))
            request.destinos.push_back(destino(item));
        for (const json& item : array(root, "recados"))
            request.recados.push_back(recado(item));
        for (const json& item : array(root, "apagados")) {
            if (!item.is_string())
                throw Refusal{"cada id apagado precisa ser um texto"};
            request.apagados.push_back(item.get<std::string>());
        }
        request.cursor = cursor(member(root, "cursor"));
        return request;
    } catch (const Refusal& refusal) {
        return Failure{"Pedido inválido: " + refusal.message + "."};
    }
}

std::string syncReplyJson(const SyncReply& reply)
{
    json changes = json::array();
    for (const RecadoCopy& change : reply.changes) {
        const Recado& r = change.recado;
        json item{{"id", r.id}, {"status", rawValue(r.status)}, {"atualizado_em", change.updatedAt}};
        put(item, "pego_por", r.claimedBy);
        put(item, "pego_em", r.claimedAt);
        put(item, "resultado", r.result);
        put(item, "resolvido_em", r.resolvedAt);
        changes.push_back(std::move(item));
    }
    return json{{"cursor", reply.cursor}, {"recados", std::move(changes)}}.dump(
        -1, ' ', false, json::error_handler_t::replace);
}

std::string errorJson(std::string_view message)
{
    return json{{"erro", message}}.dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace quaro::nuvem
