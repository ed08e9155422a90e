#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quaro {

// The whisper language code for a locale identifier ("pt-BR" and "pt-PT" ->
// "pt", "en-US" -> "en", "es-ES" -> "es"), or nothing when whisper's
// multilingual models cannot transcribe that language. Only the language
// subtag counts; region and script subtags are ignored.
std::optional<std::string> whisperLanguage(std::string_view localeID);

} // namespace quaro
