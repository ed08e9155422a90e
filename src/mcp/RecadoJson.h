#pragma once

#include "core/Destino.h"
#include "core/Recado.h"
#include "mcp/TextContentWriter.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace quaro::mcp {

// How recados and destinos look to the AI. Keys are Portuguese and binding.

// id, titulo, transcricao, status, gravado_em (ISO 8601 UTC), duracao_segundos
// (whole seconds, halves away from zero), destino ({nome, instrucao} or
// null); pego_por, resultado and idioma only when set.
void writeRecado(TextContentWriter& out, const Recado& recado, const std::vector<Destino>& destinos);
// {nome, instrucao}
void writeDestino(TextContentWriter& out, const Destino& destino);

// A failed tool result carrying `message` for the model to read, as compact JSON.
std::string toolError(const std::string& message);

// Pretty-printed, sorted keys, "/" unescaped; ill-formed UTF-8 replaced.
std::string prettyJson(const nlohmann::json& value);
// One compact line, same rules.
std::string compactJson(const nlohmann::json& value);

} // namespace quaro::mcp
