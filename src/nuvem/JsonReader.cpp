#include "nuvem/JsonReader.h"

namespace quaro::nuvem {

JsonReader::Refusal JsonReader::check(std::string_view body, std::size_t maxDepth)
{
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (inString) {
            if (c == '"') {
                inString = false;
            } else if (c == '\\' && i + 1 < body.size()) {
                // "\u0000" is the only way a NUL gets into valid JSON text.
                if (body[i + 1] == 'u' && body.substr(i + 2, 4) == "0000")
                    return Refusal::nul;
                ++i;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth)
                return Refusal::tooDeep;
        } else if (c == ']' || c == '}') {
            if (depth == 0)
                return Refusal::malformed;
            --depth;
        } else if (c == '\0') {
            return Refusal::malformed;
        }
    }
    return Refusal::none;
}

JsonReader::Parsed JsonReader::parse(std::string_view body, std::size_t maxDepth)
{
    Parsed parsed;
    parsed.refusal = check(body, maxDepth);
    if (parsed.refusal != Refusal::none) {
        parsed.value = nlohmann::json::value_t::discarded;
        return parsed;
    }
    parsed.value = nlohmann::json::parse(body, nullptr, false);
    if (parsed.value.is_discarded())
        parsed.refusal = Refusal::malformed;
    return parsed;
}

} // namespace quaro::nuvem
