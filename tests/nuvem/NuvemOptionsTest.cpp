#include "nuvem/NuvemOptions.h"

#include <gtest/gtest.h>

namespace quaro::nuvem {
namespace {

TEST(NuvemOptionsTest, ReadsEveryOptionAndRefusesBadOnes)
{
    auto options = NuvemOptions::parse({"--listen", "[::1]:9000", "--database", "postgresql://q@db/quaro", "--threads",
                                        "4", "--max-body", "2048", "--timeout", "5", "--auth-failures", "7",
                                        "--tls-cert", "c.pem", "--tls-key", "k.pem", "--quiet", "--trusted-proxy", "::ffff:10.0.0.2", "--max-recados", "500",
                                        "--workers", "3", "--queue", "9"});
    ASSERT_TRUE(options) << options.error();
    EXPECT_EQ(options->server.address + ":" + std::to_string(options->server.port), "::1:9000");
    EXPECT_TRUE(options->usesPostgres());
    const auto& server = options->server;
    EXPECT_EQ((std::vector<std::size_t>{server.threads, server.workers, server.queue, server.maxBody,
                                        options->limits.failedAuthPerWindow, std::size_t(server.timeout.count())}),
              (std::vector<std::size_t>{4, 3, 9, 2048, 7, 5}));
    EXPECT_EQ(server.keyFile, "k.pem");
    EXPECT_EQ(options->limits.sync.recados, 500u);
    EXPECT_FALSE(options->server.logRequests);
    EXPECT_EQ(options->server.trustedProxies, std::vector<std::string>{"10.0.0.2"});

    auto defaults = NuvemOptions::parse({});
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->server.address, "127.0.0.1"); // loopback unless told otherwise
    EXPECT_FALSE(defaults->usesPostgres());

    const std::vector<std::vector<std::string>> refused{
        {"--listen", "8080"},   {"--listen", "h:99999"}, {"--threads", "0"},  {"--max-body", "1k"},
        {"--timeout"},          {"--bogus", "1"},        {"--tls-cert", "c.pem"}, {"--trusted-proxy", "proxy"}, {"--max-recados", "399"}, {"--workers", "0"}, {"--queue", "0"},
    };
    for (const auto& arguments : refused)
        EXPECT_FALSE(NuvemOptions::parse(arguments)) << arguments.front();
}

} // namespace
} // namespace quaro::nuvem
