#pragma once

#include <cstddef>
#include <string_view>

namespace quaro {

// What a single walk over a JSON text finds before anything is built: nesting
// deeper than `maxDepth` (an 8 MiB body of "[" would otherwise cost hundreds
// of megabytes of nodes), a U+0000 inside a text (written "\u0000"), or
// brackets that do not pair. Allocates nothing; the parser judges the rest.
enum class JsonScan { fine, malformed, tooDeep, nul };

JsonScan scanJson(std::string_view text, std::size_t maxDepth);

} // namespace quaro
