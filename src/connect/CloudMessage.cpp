#include "connect/CloudMessage.h"

#include "core/JsonScan.h"

#include <nlohmann/json.hpp>

#include <QHostAddress>

#include <charconv>
#include <cmath>
#include <limits>

namespace quaro {

namespace {

using json = nlohmann::json;

json optional(const std::optional<std::string>& value)
{
    return value ? json(*value) : json(nullptr);
}

json optional(const std::optional<double>& value)
{
    return value ? json(*value) : json(nullptr);
}

json uploadJson(const PendingUpload& upload)
{
    const Recado& r = upload.recado;
    // The audio path stays home: the audio never leaves the machine.
    return json{
        {"id", r.id},
        {"criado_em", r.createdAt},
        {"duracao", r.duration},
        {"titulo", r.title},
        {"transcricao", r.transcript},
        {"destino_id", optional(r.destinoID)},
        {"idioma", optional(r.language)},
        {"status", rawValue(r.status)},
        {"pego_por", optional(r.claimedBy)},
        {"pego_em", optional(r.claimedAt)},
        {"resultado", optional(r.result)},
        {"resolvido_em", optional(r.resolvedAt)},
        {"atualizado_em", upload.updatedAt},
    };
}

json destinoJson(const Destino& d)
{
    return json{{"id", d.id}, {"nome", d.name}, {"instrucao", d.instruction}, {"cor", d.colorHex}, {"ordem", d.sort}};
}

std::optional<std::string> textField(const json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return found->get<std::string>();
}

std::optional<double> numberField(const json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number())
        return std::nullopt;
    return found->get<double>();
}

std::optional<std::int64_t> cursorField(const json& object)
{
    const auto found = object.find("cursor");
    if (found == object.end())
        return std::nullopt;
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        if (value > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return std::int64_t(value);
    }
    if (found->is_number_integer())
        return found->get<std::int64_t>();
    // A whole number written with a fraction or exponent is taken only
    // while a double still holds it exactly.
    if (found->is_number_float()) {
        const double value = found->get<double>();
        constexpr double exactLimit = 9007199254740992.0; // 2^53
        if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) <= exactLimit)
            return std::int64_t(value);
    }
    return std::nullopt;
}

std::optional<RemoteChange> remoteChange(const json& item)
{
    if (!item.is_object())
        return std::nullopt;
    const auto id = textField(item, "id");
    const auto statusText = textField(item, "status");
    const auto updatedAt = numberField(item, "atualizado_em");
    if (!id || !statusText || !updatedAt)
        return std::nullopt;
    // A server may claim, resolve or reopen; it cannot put a recado back
    // into transcription or mark it failed.
    const auto status = recadoStatus(*statusText);
    if (!status || (*status != RecadoStatus::pendente && *status != RecadoStatus::pego &&
                    *status != RecadoStatus::resolvido))
        return std::nullopt;
    return RemoteChange{*id,
                        *status,
                        textField(item, "pego_por"),
                        numberField(item, "pego_em"),
                        textField(item, "resultado"),
                        numberField(item, "resolvido_em"),
                        *updatedAt};
}

json parseBounded(const QByteArray& body)
{
    if (body.size() > CloudMessage::largestReply)
        return json::value_t::discarded;
    const std::string_view text(body.constData(), static_cast<std::size_t>(body.size()));
    if (scanJson(text, CloudMessage::deepestReply) != JsonScan::fine)
        return json::value_t::discarded;
    return json::parse(body.begin(), body.end(), nullptr, false);
}

} // namespace

bool CloudMessage::isSafeBase(const QUrl& url)
{
    if (!url.isValid())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QString host = url.host();
    return url.scheme() == QLatin1String("http") &&
           (host == QLatin1String("localhost") || QHostAddress(host).isLoopback());
}

QByteArray CloudMessage::requestBody(const CloudRequest& request)
{
    json destinos = json::array();
    for (const Destino& d : request.destinos)
        destinos.push_back(destinoJson(d));
    json recados = json::array();
    for (const PendingUpload& upload : request.uploads)
        recados.push_back(uploadJson(upload));
    const json body{{"app", {{"versao", request.appVersion}}},
                    {"destinos", std::move(destinos)},
                    {"recados", std::move(recados)},
                    {"apagados", request.deletions},
                    {"cursor", request.cursor}};
    return QByteArray::fromStdString(body.dump(-1, ' ', false, json::error_handler_t::replace));
}

std::optional<CloudReply> CloudMessage::parseReply(const QByteArray& body)
{
    const json root = parseBounded(body);
    if (root.is_discarded() || !root.is_object())
        return std::nullopt;
    CloudReply reply;
    reply.cursor = cursorField(root);
    const auto recados = root.find("recados");
    if (recados != root.end() && recados->is_array()) {
        if (recados->size() > mostChanges)
            return std::nullopt;
        for (const json& item : *recados) {
            if (auto change = remoteChange(item))
                reply.changes.push_back(std::move(*change));
        }
    }
    return reply;
}

QString CloudMessage::failureMessage(int status, const QByteArray& body)
{
    const json root = parseBounded(body);
    if (!root.is_discarded() && root.is_object()) {
        if (auto erro = textField(root, "erro"))
            return QString::fromStdString(*erro);
    }
    return QStringLiteral("O servidor do Quaro respondeu %1.").arg(status);
}

std::int64_t CloudMessage::storedCursor(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    std::int64_t value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    return error == std::errc() && stop == end ? value : 0;
}

} // namespace quaro
