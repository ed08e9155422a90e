#include "LoopbackClient.h"

#include "nuvem/HttpServer.h"
#include "nuvem/RequestHandler.h"
#include "nuvem/SqliteStorage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace quaro::nuvem {
namespace {

std::string output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

// With a certificate and key, the server speaks only HTTPS.
TEST(NuvemTlsTest, ServesHttpsWithTheGivenCertificate)
{
    const testing::TempDir dir;
    const std::string cert = (dir / "cert.pem").string(), key = (dir / "key.pem").string();
    ASSERT_EQ(std::system(("openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 -keyout " + key +
                           " -out " + cert + " >/dev/null 2>&1").c_str()),
              0);
    auto storage = SqliteStorage::open(dir / "nuvem.sqlite");
    ASSERT_TRUE(storage);
    RequestHandler handler(**storage, RequestHandler::Limits{});
    HttpServer::Options options;
    options.port = 0;
    options.logRequests = false;
    options.certificateFile = cert;
    options.keyFile = key;
    {
        HttpServer server(handler, options);
        auto port = server.start();
        ASSERT_TRUE(port) << port.error();
        const std::string base = "https://127.0.0.1:" + std::to_string(*port);
        EXPECT_EQ(output("curl -s --max-time 30 --cacert " + cert + " " + base + "/healthz"), R"({"ok":true})");
        EXPECT_EQ(test::request(*port, "GET", "/healthz", "").status, 0); // plain HTTP gets nothing
    }

    options.keyFile = (dir / "missing.pem").string();
    HttpServer broken(handler, options);
    EXPECT_FALSE(broken.start());
}

} // namespace
} // namespace quaro::nuvem
