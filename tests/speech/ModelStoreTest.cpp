#include "speech/ModelStore.h"

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "LoopbackHttpServer.h"
#include "SpeechTestSupport.h"

using namespace quaro;
using quaro::testing::LoopbackHttpServer;
using quaro::testing::TempDir;

namespace {

class ModelStoreTest : public ::testing::Test {
protected:
    ModelStoreTest()
    {
        for (std::size_t i = 0; i < m_model.size(); ++i)
            m_model[i] = static_cast<char>((i * 7919) >> 3);
    }

    ModelSource source(const std::string& path) const
    {
        return ModelSource{m_server.url(path), "ggml-base.bin", m_model.size(), quaro::testing::sha1Hex(m_model)};
    }

    LoopbackHttpServer::Response serve(const std::string& path)
    {
        if (path == "/model")
            return {200, m_model};
        if (path == "/cut")
            return {200, m_model, m_model.size() / 2};
        if (path == "/corrupt") {
            std::string wrong = m_model;
            wrong[wrong.size() / 3] ^= 0x55;
            return {200, wrong};
        }
        if (path == "/larger")
            return {200, m_model + "extra bytes"};
        if (path == "/flaky" && m_flakyFailures-- > 0)
            return {500, "fora do ar"};
        if (path == "/flaky")
            return {200, m_model};
        return {404, "não existe"};
    }

    std::string m_model = std::string(3 * 1024 * 1024 + 17, '\0');
    int m_flakyFailures = 1;
    TempDir m_dir;
    LoopbackHttpServer m_server{[this](const std::string& path) { return serve(path); }};
    ModelStore m_store{m_dir.path() / "Models"};
};

TEST_F(ModelStoreTest, DownloadsOnFirstUseWithProgressThenServesTheFileAtOnce)
{
    ASSERT_TRUE(m_server.started());
    std::vector<DownloadProgress> seen;
    auto path = m_store.ensure(source("/model"), [&](const DownloadProgress& p) { seen.push_back(p); });
    ASSERT_TRUE(path) << path.error().description();
    EXPECT_EQ(*path, m_dir.path() / "Models" / "ggml-base.bin");
    EXPECT_EQ(quaro::testing::readFile(*path), m_model);
    EXPECT_EQ(quaro::testing::filesIn(m_dir.path() / "Models"), std::vector<std::string>{"ggml-base.bin"});

    ASSERT_FALSE(seen.empty());
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i - 1].received, seen[i].received);
    EXPECT_EQ(seen.back().received, m_model.size());
    EXPECT_EQ(seen.back().total, m_model.size());

    auto again = m_store.ensure(source("/model"));
    ASSERT_TRUE(again);
    EXPECT_EQ(m_server.requests(), 1) << "a model in place must not be fetched again";
}

TEST_F(ModelStoreTest, FailedDownloadsLeaveNoPartialModelBehind)
{
    struct Case {
        const char* path;
        TranscriberError::Kind kind;
    };
    for (const Case& c : {Case{"/cut", TranscriberError::Kind::ModelDownload},
                          Case{"/corrupt", TranscriberError::Kind::ModelCorrupt},
                          Case{"/larger", TranscriberError::Kind::ModelCorrupt},
                          Case{"/missing", TranscriberError::Kind::ModelDownload}}) {
        auto path = m_store.ensure(source(c.path));
        ASSERT_FALSE(path) << c.path;
        EXPECT_EQ(path.error().kind, c.kind) << c.path << ": " << path.error().description();
        EXPECT_TRUE(quaro::testing::filesIn(m_dir.path() / "Models").empty()) << c.path;
    }
    EXPECT_EQ(m_store.ensure(source("/missing")).error().description(),
              "Não foi possível baixar o modelo de fala (HTTP 404).");
}

TEST_F(ModelStoreTest, ServerErrorThenACleanRetry)
{
    auto first = m_store.ensure(source("/flaky"));
    ASSERT_FALSE(first);
    EXPECT_EQ(first.error().description(), "Não foi possível baixar o modelo de fala (HTTP 500).");
    EXPECT_TRUE(quaro::testing::filesIn(m_dir.path() / "Models").empty());

    auto second = m_store.ensure(source("/flaky"));
    ASSERT_TRUE(second) << second.error().description();
    EXPECT_EQ(quaro::testing::readFile(*second), m_model);
}

TEST_F(ModelStoreTest, CancellingStopsTheDownloadAndRemovesItsFile)
{
    auto path = m_store.ensure(source("/model"), [&](const DownloadProgress& p) {
        if (p.received > 0)
            m_store.cancel();
    });
    ASSERT_FALSE(path);
    EXPECT_EQ(path.error().kind, TranscriberError::Kind::DownloadCancelled);
    EXPECT_EQ(path.error().description(), "O download do modelo de fala foi cancelado.");
    EXPECT_TRUE(quaro::testing::filesIn(m_dir.path() / "Models").empty());

    // A later attempt starts afresh.
    EXPECT_TRUE(m_store.ensure(source("/model")));
}

TEST_F(ModelStoreTest, LeftoversOfAKilledDownloadAndTruncatedModelsAreReplaced)
{
    const auto models = m_dir.path() / "Models";
    std::filesystem::create_directories(models);
    std::ofstream(models / "ggml-base.bin.part-abc123") << "half";
    std::ofstream(models / "ggml-base.bin") << "truncated";
    std::ofstream(models / "other.bin") << "someone else's";

    auto path = m_store.ensure(source("/model"));
    ASSERT_TRUE(path) << path.error().description();
    EXPECT_EQ(quaro::testing::readFile(*path), m_model);
    EXPECT_EQ(quaro::testing::filesIn(models), (std::vector<std::string>{"ggml-base.bin", "other.bin"}));
}

TEST(ModelStoreDirectoryTest, FollowsXdgDataHomeThenHome)
{
    const std::string oldXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/data/user", 1);
    ::setenv("HOME", "/home/ana", 1);
    EXPECT_EQ(ModelStore::defaultDirectory(), "/data/user/Quaro/Models");
    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(ModelStore::defaultDirectory(), "/home/ana/.local/share/Quaro/Models");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ModelStore::defaultDirectory(), "/home/ana/.local/share/Quaro/Models");
    oldXdg.empty() ? ::unsetenv("XDG_DATA_HOME") : ::setenv("XDG_DATA_HOME", oldXdg.c_str(), 1);
    oldHome.empty() ? ::unsetenv("HOME") : ::setenv("HOME", oldHome.c_str(), 1);
}

TEST(ModelStoreDefaultsTest, TheBaseModelComesOverHttps)
{
    const ModelSource base = ModelSource::whisperBase();
    EXPECT_EQ(base.url.rfind("https://", 0), 0u);
    EXPECT_EQ(base.fileName, "ggml-base.bin");
    EXPECT_EQ(base.sha1.size(), 40u);
}

} // namespace
