#include "mcp/JsonRpcRequest.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

namespace quaro::mcp {
namespace {

std::optional<std::string> idOf(const std::string& line)
{
    auto request = parseJsonRpcRequest(line);
    EXPECT_TRUE(request.has_value()) << line;
    return request ? request->id : std::nullopt;
}

TEST(JsonRpcRequest, NumberIdsKeepTheirSpelling)
{
    for (const std::string id : {"0", "-0", "7", "1.5", "1.50", "1e3", "1E+03", "-2.5e-3", "9223372036854775808",
                                 "123456789012345678901234567890", "0.1000000000000000055511151231257827"}) {
        EXPECT_EQ(idOf(R"({"method":"ping","id":)" + id + "}"), id);
        EXPECT_EQ(idOf("{ \"id\" \t:\r " + id + " , \"method\":\"ping\"}"), id);
    }
}

TEST(JsonRpcRequest, OtherIdsAreEchoedAsJsonAndOnlyTheTopLevelOneCounts)
{
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {R"({"id":"a\/b\u00e9"})", "\"a/b\xC3\xA9\""},
        {R"({"id":""})", R"("")"},
        {R"({"id":true})", "true"},
        {R"({"id":{"b":1,"a":[2.5]}})", R"({"a":[2.5],"b":1})"},
        // The nested "id" keys come first and hold other numbers.
        {R"({"params":{"id":1.0,"x":[{"id":2e0}]},"id":3.00})", "3.00"},
        // With the key twice, the last one is the message's id, as in the parsed object.
        {R"({"id":1.0,"id":2.50})", "2.50"},
        {R"({"id":1.0,"id":"b"})", R"("b")"},
        // Notifications have none.
        {R"({"method":"notifications/initialized"})", std::nullopt},
        {R"({"id":null,"method":"ping"})", std::nullopt},
    };
    for (const auto& [line, id] : cases)
        EXPECT_EQ(idOf(line), id) << line;
}

TEST(JsonRpcRequest, BuildsTheSameDocumentAsTheLibrarysParser)
{
    // Containers inside arrays inside objects, a repeated key (the last one
    // wins), every kind of scalar.
    for (const char* line : {R"({"id":1,"params":{"a":[{"b":[1,{"c":2}],"d":[]},3,[[],[{}]]],"e":{}}})",
                             R"({"id":"x","k":1,"k":[true,false,null,-7,18446744073709551615,0.5,"s"]})"}) {
        auto request = parseJsonRpcRequest(line);
        ASSERT_TRUE(request) << line;
        EXPECT_EQ(request->message, nlohmann::json::parse(line)) << line;
    }
}

TEST(JsonRpcRequest, AnythingButOneObjectIsRefused)
{
    const std::initializer_list<std::string> refused{
        "", "x", "[]", R"([{"id":1}])", "1", "\"s\"", "null", R"({"id":1)", R"({"id":1} {"id":2})", R"({"id":1}x)",
        std::string("{\"id\":1\0}", 8), R"({"id":1e999})", R"({"id":"\ud800"})"};
    for (const std::string& line : refused)
        EXPECT_FALSE(parseJsonRpcRequest(line)) << line;
}

TEST(JsonRpcRequest, DeepNestingIsRefusedWithoutExhaustingTheStack)
{
    const auto nested = [](std::size_t depth) {
        return R"({"id":1,"params":)" + std::string(depth, '[') + std::string(depth, ']') + "}";
    };
    EXPECT_TRUE(parseJsonRpcRequest(nested(500)));
    EXPECT_FALSE(parseJsonRpcRequest(nested(100000)));
}

} // namespace
} // namespace quaro::mcp
