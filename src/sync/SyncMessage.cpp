#include "sync/SyncMessage.h"

#include "core/RecadoStatusSet.h"
#include "sync/JsonReader.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quaro {
namespace {

using json = nlohmann::json;

// The protocol's keys, each spelt here once for both ends.
namespace key {
constexpr const char* app = "app";
constexpr const char* appVersion = "versao";
constexpr const char* destinos = "destinos";
constexpr const char* recados = "recados";
constexpr const char* deletions = "apagados";
constexpr const char* cursor = "cursor";
constexpr const char* error = "erro";
// a recado
constexpr const char* id = "id";
constexpr const char* createdAt = "criado_em";
constexpr const char* duration = "duracao";
constexpr const char* title = "titulo";
constexpr const char* transcript = "transcricao";
constexpr const char* destinoID = "destino_id";
constexpr const char* language = "idioma";
constexpr const char* status = "status";
constexpr const char* claimedBy = "pego_por";
constexpr const char* claimedAt = "pego_em";
constexpr const char* result = "resultado";
constexpr const char* resolvedAt = "resolvido_em";
constexpr const char* updatedAt = "atualizado_em";
// a destino
constexpr const char* name = "nome";
constexpr const char* instruction = "instrucao";
constexpr const char* color = "cor";
constexpr const char* sort = "ordem";
} // namespace key

std::string compact(const json& value)
{
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

const json& member(const json& object, const char* name)
{
    static const json null;
    const auto found = object.find(name);
    return found == object.end() ? null : *found;
}

// --- the desktop's side ------------------------------------------------

json orNull(const std::optional<std::string>& value)
{
    return value ? json(*value) : json(nullptr);
}

json orNull(const std::optional<double>& value)
{
    return value ? json(*value) : json(nullptr);
}

json uploadJson(const RecadoCopy& copy)
{
    const Recado& r = copy.recado;
    return json{
        {key::id, r.id},
        {key::createdAt, r.createdAt},
        {key::duration, r.duration},
        {key::title, r.title},
        {key::transcript, r.transcript},
        {key::destinoID, orNull(r.destinoID)},
        {key::language, orNull(r.language)},
        {key::status, rawValue(r.status)},
        {key::claimedBy, orNull(r.claimedBy)},
        {key::claimedAt, orNull(r.claimedAt)},
        {key::result, orNull(r.result)},
        {key::resolvedAt, orNull(r.resolvedAt)},
        {key::updatedAt, copy.updatedAt},
    };
}

json destinoJson(const Destino& d)
{
    return json{{key::id, d.id}, {key::name, d.name}, {key::instruction, d.instruction}, {key::color, d.colorHex},
                {key::sort, d.sort}};
}

std::optional<std::string> textIfAny(const json& object, const char* name)
{
    const json& value = member(object, name);
    return value.is_string() ? std::optional(value.get<std::string>()) : std::nullopt;
}

std::optional<double> numberIfAny(const json& object, const char* name)
{
    const json& value = member(object, name);
    return value.is_number() ? std::optional(value.get<double>()) : std::nullopt;
}

std::optional<std::int64_t> exactCursor(const json& value)
{
    if (value.is_number_unsigned()) {
        const auto n = value.get<std::uint64_t>();
        if (n > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return std::int64_t(n);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    // A whole number written with a fraction or exponent is taken only
    // while a double still holds it exactly.
    if (value.is_number_float()) {
        const double n = value.get<double>();
        constexpr double exactLimit = 9007199254740992.0; // 2^53
        if (std::isfinite(n) && n == std::floor(n) && std::fabs(n) <= exactLimit)
            return std::int64_t(n);
    }
    return std::nullopt;
}

std::optional<RecadoCopy> remoteChange(const json& item)
{
    if (!item.is_object())
        return std::nullopt;
    const auto id = textIfAny(item, key::id);
    const auto statusText = textIfAny(item, key::status);
    const auto updatedAt = numberIfAny(item, key::updatedAt);
    if (!id || !statusText || !updatedAt)
        return std::nullopt;
    const auto status = recadoStatus(*statusText);
    if (!status || !remoteStatuses.contains(*status))
        return std::nullopt;
    RecadoCopy change{.recado = {}, .updatedAt = *updatedAt};
    Recado& r = change.recado;
    r.id = *id;
    r.status = *status;
    r.claimedBy = textIfAny(item, key::claimedBy);
    r.claimedAt = numberIfAny(item, key::claimedAt);
    r.result = textIfAny(item, key::result);
    r.resolvedAt = numberIfAny(item, key::resolvedAt);
    return change;
}

json parseBounded(std::string_view body)
{
    if (body.size() > std::size_t(largestReply))
        return json::value_t::discarded;
    JsonReader::Parsed parsed = JsonReader::parse(body, deepestReply);
    return parsed.refusal == JsonReader::Refusal::fine ? std::move(parsed.value) : json(json::value_t::discarded);
}

// --- the server's side -------------------------------------------------

// Thrown inside the parser only, caught at its door.
struct Refusal {
    std::string message;
    int status = 400;
};

bool isLongText(const char* name)
{
    const std::string_view n(name);
    // Names too: a claimer's name comes from whatever an AI client calls
    // itself, and a desktop must never be stuck on a batch it cannot shrink.
    return n == key::transcript || n == key::result || n == key::instruction || n == key::title ||
           n == key::name || n == key::claimedBy;
}

std::string text(const json& object, const char* name, const SyncLimits& limits)
{
    const json& value = member(object, name);
    if (!value.is_string())
        throw Refusal{std::string("o campo ") + name + " precisa ser um texto"};
    std::string content = value.get<std::string>();
    const std::size_t most = isLongText(name) ? limits.textBytes : limits.nameBytes;
    if (content.size() > most)
        throw Refusal{std::string("o campo ") + name + " passa de " + std::to_string(most) + " bytes", 413};
    return content;
}

std::optional<std::string> optionalText(const json& object, const char* name, const SyncLimits& limits)
{
    if (member(object, name).is_null())
        return std::nullopt;
    return text(object, name, limits);
}

double number(const json& object, const char* name)
{
    const json& value = member(object, name);
    if (!value.is_number() || !std::isfinite(value.get<double>()))
        throw Refusal{std::string("o campo ") + name + " precisa ser um número"};
    return value.get<double>();
}

std::optional<double> optionalNumber(const json& object, const char* name)
{
    if (member(object, name).is_null())
        return std::nullopt;
    return number(object, name);
}

const json& array(const json& object, const char* name, std::size_t most)
{
    static const json empty = json::array();
    const json& value = member(object, name);
    if (value.is_null())
        return empty;
    if (!value.is_array())
        throw Refusal{std::string("o campo ") + name + " precisa ser uma lista"};
    if (value.size() > most)
        throw Refusal{std::string("mais de ") + std::to_string(most) + " itens em " + name + " num envio", 413};
    return value;
}

Destino destino(const json& item, const SyncLimits& limits)
{
    if (!item.is_object())
        throw Refusal{"cada destino precisa ser um objeto"};
    Destino d;
    d.id = text(item, key::id, limits);
    d.name = text(item, key::name, limits);
    d.instruction = text(item, key::instruction, limits);
    d.colorHex = text(item, key::color, limits);
    const json& sort = member(item, key::sort);
    if (!sort.is_number_integer())
        throw Refusal{std::string("o campo ") + key::sort + " precisa ser um número inteiro"};
    d.sort = sort.get<std::int64_t>();
    return d;
}

RecadoCopy upload(const json& item, const SyncLimits& limits)
{
    if (!item.is_object())
        throw Refusal{"cada recado precisa ser um objeto"};
    RecadoCopy copy;
    Recado& r = copy.recado;
    r.id = text(item, key::id, limits);
    if (r.id.empty())
        throw Refusal{"um recado veio sem id"};
    r.createdAt = number(item, key::createdAt);
    r.duration = number(item, key::duration);
    r.title = text(item, key::title, limits);
    r.transcript = text(item, key::transcript, limits);
    r.destinoID = optionalText(item, key::destinoID, limits);
    r.language = optionalText(item, key::language, limits);
    const auto status = recadoStatus(text(item, key::status, limits));
    if (!status)
        throw Refusal{"status desconhecido no recado " + r.id};
    r.status = *status;
    r.claimedBy = optionalText(item, key::claimedBy, limits);
    r.claimedAt = optionalNumber(item, key::claimedAt);
    r.result = optionalText(item, key::result, limits);
    r.resolvedAt = optionalNumber(item, key::resolvedAt);
    copy.updatedAt = number(item, key::updatedAt);
    return copy;
}

// Any non-negative whole number; what is not one reads as 0 (send everything).
std::int64_t lenientCursor(const json& value)
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

// The sender's version is only told, never required.
std::string appVersion(const json& root, const SyncLimits& limits)
{
    const json& app = member(root, key::app);
    if (!app.is_object())
        return {};
    const json& version = member(app, key::appVersion);
    return version.is_string() && version.get_ref<const std::string&>().size() <= limits.nameBytes
               ? version.get<std::string>()
               : std::string();
}

void put(json& object, const char* name, const std::optional<std::string>& value)
{
    if (value)
        object[name] = *value;
}

void put(json& object, const char* name, const std::optional<double>& value)
{
    if (value)
        object[name] = *value;
}

} // namespace

std::string syncRequestJson(const SyncRequest& request)
{
    json destinos = json::array();
    for (const Destino& d : request.destinos)
        destinos.push_back(destinoJson(d));
    json recados = json::array();
    for (const RecadoCopy& copy : request.recados)
        recados.push_back(uploadJson(copy));
    return compact(json{{key::app, {{key::appVersion, request.appVersion}}},
                        {key::destinos, std::move(destinos)},
                        {key::recados, std::move(recados)},
                        {key::deletions, request.deletions},
                        {key::cursor, request.cursor}});
}

std::optional<SyncReply> parseSyncReply(std::string_view body, std::int64_t sentCursor)
{
    const json root = parseBounded(body);
    if (root.is_discarded() || !root.is_object())
        return std::nullopt;
    SyncReply reply;
    reply.cursor = exactCursor(member(root, key::cursor)).value_or(sentCursor);
    const json& recados = member(root, key::recados);
    if (recados.is_array()) {
        if (recados.size() > mostChanges)
            return std::nullopt;
        for (const json& item : recados) {
            if (auto change = remoteChange(item))
                reply.changes.push_back(std::move(*change));
        }
    }
    return reply;
}

std::optional<std::string> errorText(std::string_view body)
{
    const json root = parseBounded(body);
    if (root.is_discarded() || !root.is_object())
        return std::nullopt;
    return textIfAny(root, key::error);
}

Result<SyncRequest, SyncRefusal> parseSyncRequest(std::string_view body, const SyncLimits& limits)
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
        request.appVersion = appVersion(root, limits);
        for (const json& item : array(root, key::destinos, limits.destinos))
            request.destinos.push_back(destino(item, limits));
        for (const json& item : array(root, key::recados, limits.recados))
            request.recados.push_back(upload(item, limits));
        for (const json& item : array(root, key::deletions, limits.deletions)) {
            if (!item.is_string())
                throw Refusal{"cada id apagado precisa ser um texto"};
            if (item.get_ref<const std::string&>().size() > limits.nameBytes)
                throw Refusal{"um id apagado passa de " + std::to_string(limits.nameBytes) + " bytes", 413};
            request.deletions.push_back(item.get<std::string>());
        }
        request.cursor = lenientCursor(member(root, key::cursor));
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
        json item{{key::id, r.id}, {key::status, rawValue(r.status)}, {key::updatedAt, change.updatedAt}};
        put(item, key::claimedBy, r.claimedBy);
        put(item, key::claimedAt, r.claimedAt);
        put(item, key::result, r.result);
        put(item, key::resolvedAt, r.resolvedAt);
        changes.push_back(std::move(item));
    }
    return compact(json{{key::cursor, reply.cursor}, {key::recados, std::move(changes)}});
}

std::string errorJson(std::string_view message)
{
    return compact(json{{key::error, message}});
}

} // namespace quaro
