#pragma once

#include "core/Destino.h"
#include "core/Recado.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace quaro::mcp {

// How recados and destinos look to the AI. Keys are Portuguese and binding.

// id, titulo, transcricao, status, gravado_em (ISO 8601 UTC), duracao_segundos
// (whole seconds, halves away from zero), destino ({nome, instrucao} or
// null); pego_por, resultado and idioma only when set.
nlohmann::json recadoJson(const Recado& recado, const std::vector<Destino>& destinos);
// {nome, instrucao}
nlohmann::json destinoJson(const Destino& destino);

// A successful tool result whose text is `value` as pretty-printed JSON.
nlohmann::json textContent(const nlohmann::json& value);
// A failed tool result carrying `message` for the model to read.
nlohmann::json toolError(const std::string& message);

// Pretty-printed, sorted keys, "/" unescaped; ill-formed UTF-8 replaced.
std::string prettyJson(const nlohmann::json& value);
// One compact line, same rules.
std::string compactJson(const nlohmann::json& value);

} // namespace quaro::mcp
