#pragma once

#include "core/Destino.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Pure text rules over finished transcripts. Texts are counted and cut in
// user-perceived characters (extended grapheme clusters), never in bytes.
// Safe to call from any thread.
namespace quaro::QuaroText {

// The short title lists show: the first sentence, cut at a space to at most
// 60 characters plus "…"; "Recado sem fala" for an empty transcript.
std::string title(std::string_view transcript);

// The destino the speaker named within the first 160 characters after a
// lead-in such as "pro " or "para o ", case and accents ignored. Longer names
// are tried first; among equal lengths the order of `destinos` decides.
std::optional<Destino> destinoMentioned(std::string_view transcript, const std::vector<Destino>& destinos);

// Case- and diacritic-insensitive fold, no locale: "É", "é" and "e" fold
// alike, "Ç" folds to "c".
std::string fold(std::string_view text);

// Number of user-perceived characters.
std::size_t characterCount(std::string_view text);
// The first `count` user-perceived characters (all of the text if shorter).
std::string_view prefix(std::string_view text, std::size_t count);

// Trims spaces and tabs (Unicode space separators), keeping line breaks.
std::string_view trimmingWhitespace(std::string_view text);
// Trims whitespace and line breaks.
std::string_view trimmingWhitespaceAndNewlines(std::string_view text);

} // namespace quaro::QuaroText
