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
    int status = 400;
};

bool isLongText(const char* key)
{
    const std::string_view name(key);
    // Names too: a claimer's name comes from whatever an AI client calls
    // itself, and a desktop must never be stuck on a batch it cannot shrink.
    return name == "transcricao" || name == "resultado" || name == "instrucao" || name == "titulo" ||
           name == "nome" || name == "pego_por";
}

const json& member(const json& object, const char* key)
{
    static const json null;
    const auto found = object.find(key);
    return found == object.end() ? null : *found;
}

std::string text(const json& object, const char* key, const SyncLimits& limits)
{
    const json& value = member(object, key);
    if (!value.is_string())
        throw Refusal{std::string("o campo ") + key + " precisa ser um texto"};
    std::string content = value.get<std::string>();
    const std::size_t most = isLongText(key) ? limits.textBytes : limits.nameBytes;
    if (content.size() > most)
        throw Refusal{std::string("o campo ") + key + " passa de " + std::to_string(most) + " bytes", 413};
    return content;
}

std::optional<std::string> optionalText(const json& object, const char* key, const SyncLimits& limits)
{
    const json& value = member(object, key);
    if (value.is_null())
        return std::nullopt;
    return text(object, key, limits);
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

const json& array(const json& object, const char* key, std::size_t most)
{
    static const json empty = json::array();
    const json& value = member(object, key);
    if (value.is_null())
        return empty;
    if (!value.is_array())
        throw Refusal{std::string("o campo ") + key + " precisa ser uma lista"};
    if (value.size() > most)
        throw Refusal{std::string("mais de ") + std::to_string(most) + " itens em " + key + " num envio", 413};
    return value;
}

Destino destino(const json& item, const SyncLimits& limits)
{
    if (!item.is_object())
        throw Refusal{"cada destino precisa ser um objeto"};
    Destino d;
    d.id = text(item, "id", limits);
    d.name = text(item, "nome", limits);
    d.instruction = text(item, "instrucao", limits);
    d.colorHex = text(item, "cor", limits);
    const json& sort = member(item, "ordem");
    if (!sort.is_number_integer())
        throw Refusal{"o campo ordem precisa ser um número inteiro"};
    d.sort = sort.get<std::int64_t>();
    return d;
}

RecadoCopy recado(const json& item, const SyncLimits& limits)
{
    if (!item.is_object())
        throw Refusal{"cada recado precisa ser um objeto"};
    RecadoCopy copy;
    Recado& r = copy.recado;
    r.id = text(item, "id", limits);
    if (r.id.empty())
        throw Refusal{"um recado veio sem id"};
    r.createdAt = number(item, "criado_em");
    r.duration = number(item, "duracao");
    r.title = text(item, "titulo", limits);
    r.transcript = text(item, "transcricao", limits);
    r.destinoID = optionalText(item, "destino_id", limits);
    r.language = optionalText(item, "idioma", limits);
    const auto status = recadoStatus(text(item, "status", limits));
    if (!status)
        throw Refusal{"status desconhecido no recado " + r.id};
    r.status = *status;
    r.claimedBy = optionalText(item, "pego_por", limits);
    r.claimedAt = optionalNumber(item, "pego_em");
    r.result = optionalText(item, "resultado", limits);
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

Result<SyncRequest, SyncRefusal> parseSyncRequest(std::string_view body, const SyncLimits& bodyLimits)
{
    const JsonReader::Parsed parsed = JsonReader::parse(body);
    if (parsed.refusal == JsonReader::Refusal::tooDeep)
        return Failure{SyncRefusal{400, "Pedido inválido: listas e objetos aninhados fundo demais."}};
    if (parsed.refusal == JsonReader::Refusal::nul)
        return Failure{SyncRefusal{400, "Pedido inválido: um texto contém o caractere nulo (U+0000)."}};
    const json& root = parsed.value;
    if (root.is_discarded() || !root.is_object())
        return Failure{SyncRefusal{400, "O pedido não é um objeto JSON."}};
    try {
        SyncRequest request;
        for (const json& item : array(root, "destinos", bodyLimits.destinos))
            request.destinos.push_back(destino(item, bodyLimits));
        for (const json& item : array(root, "recados", bodyLimits.recados))
            request.recados.push_back(recado(item, bodyLimits));
        for (const json& item : array(root, "apagados", bodyLimits.apagados)) {
            if (!item.is_string())
                throw Refusal{"cada id apagado precisa ser um texto"};
            if (item.get_ref<const std::string&>().size() > bodyLimits.nameBytes)
                throw Refusal{"um id apagado passa de " + std::to_string(bodyLimits.nameBytes) + " bytes", 413};
            request.apagados.push_back(item.get<std::string>());
        }
        request.cursor = cursor(member(root, "cursor"));
        return request;
    } catch (const Refusal& refusal) {
        if (refusal.status == 413)
            return Failure{SyncRefusal{413, "Envio grande demais: " + refusal.message + "."}};
        return Failure{SyncRefusal{400, "Pedido inválido: " + refusal.message + "."}};
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
