#include "mcp/StdioLoop.h"

#include "core/QuaroStore.h"
#include "mcp/McpServer.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <unistd.h>

namespace quaro::mcp {
namespace {

// Feeds `input` through a pipe (from a second thread, so that inputs larger
// than the pipe buffer work) and returns everything the loop wrote.
std::string serve(const std::string& input)
{
    const testing::TempDir dir;
    std::string output;
    {
        auto store = QuaroStore::open(dir / "quaro.sqlite");
        EXPECT_TRUE(store);
        McpServer server(*store);

        int in[2];
        int out[2];
        EXPECT_EQ(pipe(in), 0);
        EXPECT_EQ(pipe(out), 0);
        std::thread writer([&] {
            // Small, uneven pieces so that lines straddle reads.
            std::size_t at = 0;
            std::size_t piece = 1;
            while (at < input.size()) {
                const std::size_t n = std::min(piece, input.size() - at);
                EXPECT_EQ(write(in[1], input.data() + at, n), static_cast<ssize_t>(n));
                at += n;
                piece = piece * 7 % 70001 + 1;
            }
            close(in[1]);
        });
        std::thread reader([&] {
            char buffer[4096];
            ssize_t n;
            while ((n = read(out[0], buffer, sizeof buffer)) > 0)
                output.append(buffer, static_cast<std::size_t>(n));
        });
        EXPECT_EQ(serveLines(server, in[0], out[1]), 0);
        close(out[1]);
        writer.join();
        reader.join();
        close(in[0]);
        close(out[0]);
    }
    return output;
}

TEST(StdioLoop, AnswersEveryRequestLineInOrder)
{
    std::string input;
    std::string expected;
    for (int i = 0; i < 300; ++i) {
        const std::string id = std::to_string(i);
        input += "{\"jsonrpc\":\"2.0\",\"id\":" + id + ",\"method\":\"ping\"}" + (i % 2 ? "\r\n" : "\n");
        input += i % 3 ? "\n" : "  \t\r\n";
        expected += "{\"jsonrpc\":\"2.0\",\"id\":" + id + ",\"result\":{}}\n";
    }
    EXPECT_EQ(serve(input), expected);
    // Blank lines, notifications and non-requests get no reply at all.
    EXPECT_EQ(serve("\n\r\n \n{\"method\":\"ping\"}\n[1]\n"), "");
}

TEST(StdioLoop, LongLinesAndALastLineWithoutLineFeed)
{
    const std::string padding(300000, ' ');
    const std::string input = "{\"id\":1," + padding + "\"method\":\"ping\"}\n{\"id\":2,\"method\":\"ping\"}";
    EXPECT_EQ(serve(input), "{\"jsonrpc\":\"2.0\",\"id\":1,\"result\":{}}\n{\"jsonrpc\":\"2.0\",\"id\":2,\"result\":{}}\n");
}

} // namespace
} // namespace quaro::mcp
