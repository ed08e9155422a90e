#include "mcp/RecadoJson.h"
#include "mcp/TextContentWriter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

// The writer must print exactly what the JSON library's pretty form prints,
// once escaped inside the reply: checked against the library itself.
TEST(TextContentWriterTest, WritesThePrettyFormInsideTheCompactResult)
{
    const std::string awkward[] = {
        "",
        "aspas \" barra \\ e / sem escape",
        std::string("antes\0depois", 12),
        "\x01\x1f\x7f tab\t cr\r lf\n bs\b ff\f",
        "acentuação ✓ 🎉",
        "\xff quebrado \xc3",
        "1234567\"1234567\\123456\n" + std::string(1000, 'a') + "\"",
    };
    for (const std::string& text : awkward) {
        SCOPED_TRACE(json(text).dump(-1, ' ', true, json::error_handler_t::replace));
        TextContentWriter out;
        out.beginObject();
        out.key("a");
        out.value(text);
        out.key("d");
        out.beginArray();
        out.value(std::int64_t{-5});
        out.null();
        out.beginObject();
        out.key(text);
        out.value(text);
        out.endObject();
        out.endArray();
        out.endObject();
        const std::string written = std::move(out).finish();

        const json value{{"a", text}, {"d", json::array({-5, nullptr, json{{text, text}}})}};
        const json expected{{"content", json::array({json{{"type", "text"}, {"text", prettyJson(value)}}})},
                            {"isError", false}};
        EXPECT_EQ(json::parse(written), expected) << written;
    }
}

} // namespace
} // namespace quaro::mcp
