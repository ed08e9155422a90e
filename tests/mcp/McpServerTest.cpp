#include "mcp/McpServer.h"

#include "core/QuaroStore.h"
#include "core/Uuid.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace quaro::mcp {
namespace {

using json = nlohmann::json;

// A server over a fresh inbox in a private folder.
class McpServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto opened = QuaroStore::open(m_dir / "quaro.sqlite");
        ASSERT_TRUE(opened) << opened.error().description();
        m_store.emplace(std::move(opened).value());
        m_server.emplace(*m_store);
    }

    std::string insert(RecadoStatus status, double createdAt)
    {
        Recado recado;
        recado.id = makeUUID();
        recado.createdAt = createdAt;
        recado.status = status;
        recado.transcript = "fala";
        EXPECT_TRUE(m_store->insert(recado));
        return recado.id;
    }

    // The reply of one request line, parsed.
    json reply(const std::string& line)
    {
        auto out = m_server->handleLine(line);
        EXPECT_TRUE(out.has_value()) << line;
        return out ? json::parse(*out) : json();
    }

    // The tool result of tools/call.
    json tool(const std::string& name, const json& arguments)
    {
        return reply(json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "tools/call"},
                          {"params", {{"name", name}, {"arguments", arguments}}}}
                         .dump())["result"];
    }

    testing::TempDir m_dir;
    std::optional<QuaroStore> m_store;
    std::optional<McpServer> m_server;
};

TEST_F(McpServerTest, LimitCountsWholeNumbersOnly)
{
    for (int i = 0; i < 120; ++i)
        insert(RecadoStatus::pendente, 1750000000 + i);
    const auto total = [&](const json& limit) {
        json listed = tool("inbox_list", {{"limite", limit}});
        return json::parse(listed["content"][0]["text"].get<std::string>())["total"].get<int>();
    };
    EXPECT_EQ(total(5.0), 5);          // a number without fraction is an integer
    EXPECT_EQ(total(5.5), 20);
    EXPECT_EQ(total(true), 20);
    EXPECT_EQ(total(json::array({3})), 20);
    EXPECT_EQ(total(18446744073709551615ULL), 100);
    EXPECT_EQ(total(-9223372036854775807LL - 1), 1);
    EXPECT_EQ(total(1e300), 100);
    EXPECT_EQ(total(-1e300), 1);
}

TEST_F(McpServerTest, ClientNameFollowsInitialize)
{
    EXPECT_FALSE(m_server->clientName());
    reply(R"({"id":1,"method":"initialize","params":{"clientInfo":{"name":""}}})");
    EXPECT_EQ(m_server->clientName(), "");
    reply(R"({"id":2,"method":"initialize","params":{"clientInfo":"Cursor"}})");
    EXPECT_EQ(m_server->clientName(), "");
    reply(R"({"id":3,"method":"initialize","params":{"clientInfo":{"name":7}}})");
    EXPECT_FALSE(m_server->clientName());
}

TEST_F(McpServerTest, BytesThatAreNotUtf8AreReadAsReplacementCharacters)
{
    EXPECT_EQ(reply("{\"id\":\"a\xFF\xC3\",\"method\":\"ping\"}")["id"], "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

} // namespace
} // namespace quaro::mcp
