#include "core/JsonScan.h"

namespace quaro {

JsonScan scanJson(std::string_view text, std::size_t maxDepth)
{
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '"') {
                inString = false;
            } else if (c == '\\' && i + 1 < text.size()) {
                // "\u0000" is the only way a NUL gets into valid JSON text.
                if (text[i + 1] == 'u' && text.substr(i + 2, 4) == "0000")
                    return JsonScan::nul;
                ++i;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth)
                return JsonScan::tooDeep;
        } else if (c == ']' || c == '}') {
            if (depth == 0)
                return JsonScan::malformed;
            --depth;
        } else if (c == '\0') {
            return JsonScan::malformed;
        }
    }
    return JsonScan::fine;
}

} // namespace quaro
