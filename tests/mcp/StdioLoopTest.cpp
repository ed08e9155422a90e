#include "mcp/StdioLoop.h"

#include "core/QuaroStore.h"
#include "mcp/McpServer.h"

#include "support/Take.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <unistd.h>

namespace quaro::mcp {
namespace {

// Feeds `input` through a pipe (from a second thread, so that inputs larger
// than the pipe buffer work) and returns everything the loop wrote to a file.
std::string serve(const std::string& input)
{
    const testing::TempDir dir;
    QuaroStore store = testing::take(QuaroStore::open(dir / "quaro.sqlite"));
    McpServer server(store);
    int in[2];
    EXPECT_EQ(pipe(in), 0);
    std::thread writer([&] {
        // Small, uneven pieces so that lines straddle reads.
        for (std::size_t at = 0, piece = 1; at < input.size(); piece = piece * 7 % 70001 + 1) {
            const std::size_t n = std::min(piece, input.size() - at);
            EXPECT_EQ(write(in[1], input.data() + at, n), static_cast<ssize_t>(n));
            at += n;
        }
        close(in[1]);
    });
    std::FILE* out = std::tmpfile();
    EXPECT_EQ(serveLines(server, in[0], fileno(out)), 0);
    writer.join();
    close(in[0]);
    std::string output(static_cast<std::size_t>(lseek(fileno(out), 0, SEEK_END)), '\0');
    EXPECT_EQ(pread(fileno(out), output.data(), output.size(), 0), static_cast<ssize_t>(output.size()));
    std::fclose(out);
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
