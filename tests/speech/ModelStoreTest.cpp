#include "speech/ModelStore.h"
#include "speech/WhisperCatalogue.h"
#include "support/ScopedEnv.h"

#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/LoopbackHttpServer.h"
#include "support/Take.h"
#include "SpeechTestSupport.h"

using namespace quaro;
using namespace quaro::testing;

namespace {

class ModelStoreTest : public ::testing::Test {
protected:
    ModelSource source(const std::string& path) const
    {
        return ModelSource{m_server.url(path), "ggml-base.bin", m_model.size(), sha1Hex(m_model)};
    }

    LoopbackHttpServer::Response serve(const std::string& path)
    {
        std::string body = m_model;
        if (path == "/corrupt")
            body[body.size() / 3] ^= 0x55;
        if (path == "/larger")
            body += "extra bytes";
        if (path == "/flaky" && m_flakyFailures-- > 0)
            return {500, "fora do ar"};
        if (path == "/missing")
            return {404, "não existe"};
        return {200, body, path == "/cut" ? body.size() / 2 : std::string::npos};
    }

    const std::string m_model = std::string(3 * 1024 * 1024 + 17, 'm');
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
    const auto path = take(m_store.ensure(source("/model"), [&](const DownloadProgress& p) { seen.push_back(p); }));
    ::umask(old);
    EXPECT_EQ(path, m_models / "ggml-base.bin");
    EXPECT_EQ(readFile(path), m_model);
    EXPECT_EQ(filesIn(m_models), (std::vector<std::string>{"ggml-base.bin", "ggml-base.bin.sha1"}));
    for (const auto& folder : {m_models.parent_path(), m_models})
        EXPECT_EQ(fileMode(folder), 0700) << folder << ": the folders it creates are the owner's only";

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
    using Kind = TranscriberError::Kind;
    for (const auto& [served, kind] : {std::pair{"/cut", Kind::modelDownload}, {"/corrupt", Kind::modelCorrupt},
                                       {"/larger", Kind::modelCorrupt}, {"/missing", Kind::modelDownload}}) {
        auto path = m_store.ensure(source(served));
        ASSERT_FALSE(path) << served;
        EXPECT_EQ(path.error().kind, kind) << served << ": " << path.error().description();
        EXPECT_TRUE(filesIn(m_models).empty()) << served;
    }
    // A server error, then a clean retry.
    EXPECT_EQ(m_store.ensure(source("/flaky")).error().description(),
              "Não foi possível baixar o modelo de fala (HTTP 500).");
    EXPECT_EQ(readFile(take(m_store.ensure(source("/flaky")))), m_model);
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
    EXPECT_TRUE(filesIn(m_models).empty());

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
    EXPECT_EQ(readFile(model), m_model);
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
    EXPECT_EQ(readFile(model), m_model);
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

    EXPECT_EQ(readFile(take(m_store.ensure(source("/model")))), m_model);
    EXPECT_EQ(filesIn(m_models),
              (std::vector<std::string>{"ggml-base.bin", "ggml-base.bin.part-live01", "ggml-base.bin.sha1", "other.bin"}));
    ::close(held);
}

} // namespace

TEST(WhisperCatalogueTest, AddressesComeFromTheEnvironment)
{
    EXPECT_EQ(WhisperCatalogue().source("base").url, ModelSource::whisperBase().url);
    EXPECT_EQ(WhisperCatalogue().source("no-such-model").fileName, "ggml-base.bin");

    ScopedEnv mirror("QUARO_MODELS_BASE_URL", "http://127.0.0.1:1/espelho");
    EXPECT_EQ(WhisperCatalogue::fromEnvironment().source("base").url, "http://127.0.0.1:1/espelho/ggml-base.bin");
    // The older variable still names the default model's own address.
    ScopedEnv base("QUARO_MODEL_URL", "http://127.0.0.1:2/base.bin");
    EXPECT_EQ(WhisperCatalogue::fromEnvironment().source("base").url, "http://127.0.0.1:2/base.bin");
    EXPECT_EQ(WhisperCatalogue::fromEnvironment().source("tiny").url, "http://127.0.0.1:1/espelho/ggml-tiny.bin");
}
