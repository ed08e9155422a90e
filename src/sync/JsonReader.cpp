#include "sync/JsonReader.h"

namespace quaro {

JsonReader::Refusal JsonReader::check(std::string_view body, std::size_t maxDepth)
{
    return scanJson(body, maxDepth);
}

JsonReader::Parsed JsonReader::parse(std::string_view body, std::size_t maxDepth)
{
    Parsed parsed;
    parsed.refusal = check(body, maxDepth);
    if (parsed.refusal != Refusal::fine) {
        parsed.value = nlohmann::json::value_t::discarded;
        return parsed;
    }
    parsed.value = nlohmann::json::parse(body, nullptr, false);
    if (parsed.value.is_discarded())
        parsed.refusal = Refusal::malformed;
    return parsed;
}

} // namespace quaro
