// The whisper catalogue of Ajustes › Gravação against a loopback server that
// serves random-weight models of the published tiny and base dimensions,
// with the real transcriber behind it.
#include "media/Fixtures.h"
#include "StateTestSupport.h"

#include "app/capture/ModelCatalogue.h"
#include "app/capture/TranscriberSpeechEngine.h"
#include "SpeechTestSupport.h"
#include "support/LoopbackHttpServer.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <atomic>
#include <map>
#include <thread>

using namespace quaro;
using namespace quaro::testing;

namespace {

class ModelCatalogueTest : public ::testing::Test {
protected:
    ModelCatalogueTest()
    {
        for (const auto* file : {&randomModelOfTinySize(), &randomModelOfBaseSize()})
            m_served["/" + file->filename().string()] = readFile(*file);
        // The published table, with the digests and sizes of the generated models.
        auto models = WhisperCatalogue::published();
        for (auto& model : models) {
            m_requests["/" + model.fileName] = 0;
            if (auto served = m_served.find("/" + model.fileName); served != m_served.end()) {
                model.sha1 = sha1Hex(served->second);
                model.size = model.id == "base" ? served->second.size() : 0;
                model.approximateSize = served->second.size();
            }
        }
        m_catalogue = WhisperCatalogue(std::move(models), m_server.url("/"));
    }
    ~ModelCatalogueTest() override { m_held = false; }

    // Preferences, engine and catalogue as the application builds them, over
    // the same settings file and models folder every time.
    void start()
    {
        m_models.reset();
        m_engine.reset();
        m_preferences = m_home.preferences();
        TranscriberConfig config;
        config.modelDirectory = m_home.path() / "models";
        config.whisper = WhisperOptions{1, false, 8};
        m_engine = std::make_unique<TranscriberSpeechEngine>(config, m_catalogue);
        m_models = std::make_unique<ModelCatalogue>(*m_preferences, *m_engine, m_catalogue, config.modelDirectory);
    }

    LoopbackHttpServer::Response serve(const std::string& path)
    {
        if (auto count = m_requests.find(path); count != m_requests.end())
            ++count->second;
        while (m_held)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (path == "/ggml-small.bin") // a damaged copy of the right length
            return {200, std::string(m_served["/ggml-tiny.bin"]).replace(1000, 3, "xyz")};
        auto served = m_served.find(path);
        return {served == m_served.end() ? 404 : 200, served == m_served.end() ? "" : served->second};
    }
    bool finished(QSignalSpy& spy, bool ok)
    {
        return waitFor([&] { return !spy.isEmpty(); }) && spy.takeFirst().at(1).toBool() == ok;
    }

    TestHome m_home;
    std::map<std::string, std::string> m_served;
    std::map<std::string, std::atomic<int>> m_requests; // by path, every path listed up front
    std::atomic<bool> m_held = false;
    LoopbackHttpServer m_server{[this](const std::string& path) { return serve(path); }};
    WhisperCatalogue m_catalogue;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<TranscriberSpeechEngine> m_engine;
    std::unique_ptr<ModelCatalogue> m_models;
};

TEST_F(ModelCatalogueTest, AChosenModelIsDownloadedKeptAcrossRestartsAndTranscribesTheNextRecording)
{
    if (!WhisperModel::cpuSupported())
        GTEST_SKIP() << "this processor cannot run the whisper build";
    start();
    QAbstractItemModelTester tester(m_models.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(m_models->chosen(), "base");

    QSignalSpy done(m_models.get(), &ModelCatalogue::downloadFinished);
    m_models->choose("tiny");
    EXPECT_EQ(m_models->downloading(), "tiny");
    ASSERT_TRUE(finished(done, true));
    EXPECT_EQ(m_models->progress(), 1.0);
    EXPECT_TRUE(m_models->isPresent("tiny"));
    EXPECT_TRUE(m_models->alternatives().isEmpty()) << "the chosen model is no alternative";

    // After a restart the choice stands and the next recording uses it: the
    // default model is never fetched.
    start();
    EXPECT_EQ(m_models->chosen(), "tiny");
    TempDir audio;
    const auto note = makeTone(audio, "nota.wav", 1.5, 16000);
    auto text = m_engine->transcribe(note, "pt-BR");
    ASSERT_TRUE(text) << text.error().description();
    EXPECT_EQ(m_requests.at("/ggml-base.bin"), 0);
    EXPECT_EQ(m_requests.at("/ggml-tiny.bin"), 1);

    // Asked for by name, another model is fetched (here a damaged one, refused).
    EXPECT_FALSE(m_engine->transcribeWith(note, "pt-BR", "small"));
    EXPECT_EQ(m_requests.at("/ggml-small.bin"), 1);
}

TEST_F(ModelCatalogueTest, DownloadsGoOneAtATimeCanBeCancelledAndModelsDeleted)
{
    start();
    QSignalSpy done(m_models.get(), &ModelCatalogue::downloadFinished);

    m_held = true;
    m_models->download("base");
    m_models->download("tiny"); // one at a time
    ASSERT_TRUE(waitFor([&] { return m_requests.at("/ggml-base.bin") == 1; }));
    m_models->cancel();
    ASSERT_TRUE(finished(done, false));
    m_held = false;
    EXPECT_FALSE(m_models->isPresent("base"));
    EXPECT_EQ(m_models->message(), "");
    EXPECT_EQ(m_requests.at("/ggml-tiny.bin"), 0);

    // A refused download says why (the refusal itself is the model store's).
    m_models->download("small");
    ASSERT_TRUE(finished(done, false));
    EXPECT_FALSE(m_models->message().isEmpty());

    m_models->download("tiny");
    ASSERT_TRUE(finished(done, true));
    m_models->download("base");
    ASSERT_TRUE(finished(done, true));
    EXPECT_EQ(m_models->message(), "");
    ASSERT_EQ(m_models->alternatives().size(), 1);
    EXPECT_EQ(m_models->alternatives()[0].toMap()["value"], "tiny");

    m_models->remove("base"); // chosen: kept
    m_models->remove("tiny");
    EXPECT_TRUE(m_models->isPresent("base"));
    EXPECT_FALSE(m_models->isPresent("tiny"));
    EXPECT_EQ(filesIn(m_home.path() / "models"), (std::vector<std::string>{"ggml-base.bin", "ggml-base.bin.sha1"}));
}

} // namespace
