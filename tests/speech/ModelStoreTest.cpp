#include "speech/ModelStore.h"
#include "speech/WhisperCatalogue.h"
#include "support/ScopedEnv.h"

#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/LoopbackHttpServer.h"
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
    std::filesystem::path m_models = m_dir.path() / "Quaro" / "Models";
    ModelStore m_store{m_models};
};

TEST_F(ModelStoreTest, DownloadsOnFirstUseIntoPrivateFoldersWithProgressThenServesTheFileAtOnce)
{
    ASSERT_TRUE(m_server.started());
    std::vector<DownloadProgress> seen;
    const mode_t old = ::umask(022);
    auto path = m_store.ensure(source("/model"), [&](const DownloadProgress& p) { seen.push_back(p); });
    ::umask(old);
    ASSERT_TRUE(path) << path.error().description();
    EXPECT_EQ(*path, m_models / "ggml-base.bin");
    EXPECT_EQ(quaro::testing::readFile(*path), m_model);
    EXPECT_EQ(quaro::testing::filesIn(m_models),
              (std::vector<std::string>{"ggml-base.bin", "ggml-base.bin.sha1"}));
    for (const auto& folder : {m_models.parent_path(), m_models}) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0700u) << folder << ": the folders it creates are the owner's only";
    }

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
    for (const Case& c : {Case{"/cut", TranscriberError::Kind::modelDownload},
                          Case{"/corrupt", TranscriberError::Kind::modelCorrupt},
                          Case{"/larger", TranscriberError::Kind::modelCorrupt},
                          Case{"/missing", TranscriberError::Kind::modelDownload}}) {
        auto path = m_store.ensure(source(c.path));
        ASSERT_FALSE(path) << c.path;
        EXPECT_EQ(path.error().kind, c.kind) << c.path << ": " << path.error().description();
        EXPECT_TRUE(quaro::testing::filesIn(m_models).empty()) << c.path;
    }
    EXPECT_EQ(m_store.ensure(source("/missing")).error().description(),
              "Não foi possível baixar o modelo de fala (HTTP 404).");

    // A server error, then a clean retry.
    EXPECT_EQ(m_store.ensure(source("/flaky")).error().description(),
              "Não foi possível baixar o modelo de fala (HTTP 500).");
    auto second = m_store.ensure(source("/flaky"));
    ASSERT_TRUE(second) << second.error().description();
    EXPECT_EQ(quaro::testing::readFile(*second), m_model);
}

TEST_F(ModelStoreTest, CancellingStopsTheDownloadAndTheCallersWaitingForIt)
{
    std::optional<ModelStore::Ticket> waiter; // a caller that was already waiting when the user cancelled
    auto path = m_store.ensure(source("/model"), [&](const DownloadProgress& p) {
        if (p.received > 0 && !waiter) {
            waiter = m_store.ticket();
            m_store.cancel();
        }
    });
    ASSERT_FALSE(path);
    EXPECT_EQ(path.error().kind, TranscriberError::Kind::downloadCancelled);
    EXPECT_EQ(path.error().description(), "O download do modelo de fala foi cancelado.");
    EXPECT_TRUE(quaro::testing::filesIn(m_models).empty());

    ASSERT_TRUE(waiter);
    auto behind = m_store.ensure(source("/model"), {}, *waiter);
    ASSERT_FALSE(behind);
    EXPECT_EQ(behind.error().kind, TranscriberError::Kind::downloadCancelled);
    EXPECT_EQ(m_server.requests(), 1) << "the waiter must not start the cancelled download again";

    // A later attempt starts afresh.
    EXPECT_TRUE(m_store.ensure(source("/model")));
}

TEST_F(ModelStoreTest, AModelInPlaceIsCheckedOnceAndAgainAfterItChanges)
{
    const auto model = m_models / "ggml-base.bin";
    std::filesystem::create_directories(m_models);
    const auto place = [&](std::string bytes) {
        std::ofstream(model, std::ios::binary | std::ios::trunc) << bytes;
    };
    std::string corrupt = m_model;
    corrupt[corrupt.size() / 2] ^= 0x55;

    place(corrupt); // the right size, the wrong bytes: replaced
    ASSERT_TRUE(m_store.ensure(source("/model")));
    EXPECT_EQ(quaro::testing::readFile(model), m_model);
    EXPECT_EQ(m_server.requests(), 1);

    place(m_model); // a good copy put there by hand: kept, and recorded
    std::filesystem::remove(m_models / "ggml-base.bin.sha1");
    ASSERT_TRUE(m_store.ensure(source("/model")));
    EXPECT_EQ(m_server.requests(), 1);
    EXPECT_TRUE(std::filesystem::exists(m_models / "ggml-base.bin.sha1"));

    place(corrupt); // damaged later, same size: its new time makes it checked again
    const timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, model.c_str(), times, 0), 0);
    ASSERT_TRUE(m_store.ensure(source("/model")));
    EXPECT_EQ(quaro::testing::readFile(model), m_model);
    EXPECT_EQ(m_server.requests(), 2);
}

TEST_F(ModelStoreTest, LeftoversAndTruncatedModelsAreReplacedButALockedPartialFileIsLeftAlone)
{
    std::filesystem::create_directories(m_models);
    std::ofstream(m_models / "ggml-base.bin.part-live01") << "baixando";
    std::ofstream(m_models / "ggml-base.bin.part-dead01") << "morto";
    std::ofstream(m_models / "ggml-base.bin") << "truncated";
    std::ofstream(m_models / "other.bin") << "someone else's";
    const int held = ::open((m_models / "ggml-base.bin.part-live01").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0); // as another process's download holds it

    auto path = m_store.ensure(source("/model"));
    ASSERT_TRUE(path) << path.error().description();
    EXPECT_EQ(quaro::testing::readFile(*path), m_model);
    EXPECT_EQ(quaro::testing::filesIn(m_models), (std::vector<std::string>{"ggml-base.bin", "ggml-base.bin.part-live01",
                                                                         "ggml-base.bin.sha1", "other.bin"}));
    ::close(held);
}

} // namespace

TEST(WhisperCatalogueTest, EveryModelIsVerifiableAndAddressesComeFromTheEnvironment)
{
    for (const auto& model : WhisperCatalogue::published())
        EXPECT_TRUE(model.sha1.size() == 40 && model.approximateSize > 0) << model.id;
    EXPECT_EQ(WhisperCatalogue().source("base").url, ModelSource::whisperBase().url);
    EXPECT_EQ(WhisperCatalogue().source("no-such-model").fileName, "ggml-base.bin");

    quaro::testing::ScopedEnv mirror("QUARO_MODELS_BASE_URL", "http://127.0.0.1:1/espelho");
    EXPECT_EQ(WhisperCatalogue::fromEnvironment().source("base").url, "http://127.0.0.1:1/espelho/ggml-base.bin");
    // The older variable still names the default model's own address.
    quaro::testing::ScopedEnv base("QUARO_MODEL_URL", "http://127.0.0.1:2/base.bin");
    EXPECT_EQ(WhisperCatalogue::fromEnvironment().source("base").url, "http://127.0.0.1:2/base.bin");
    EXPECT_EQ(WhisperCatalogue::fromEnvironment().source("tiny").url, "http://127.0.0.1:1/espelho/ggml-tiny.bin");
}
