#include "speech/Transcriber.h"

#include <atomic>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "support/LoopbackHttpServer.h"
#include "SpeechTestSupport.h"

using namespace quaro;
using quaro::testing::LoopbackHttpServer;
using quaro::testing::TempDir;

namespace {

class TranscriberTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_model = quaro::testing::readFile(quaro::testing::tinyRandomModel());
        ASSERT_TRUE(m_server.started());
    }

    TranscriberConfig config(const std::string& path)
    {
        TranscriberConfig c;
        c.modelDirectory = m_dir.path() / "Quaro" / "Models";
        c.model = ModelSource{m_server.url(path), "ggml-base.bin", m_model.size(), quaro::testing::sha1Hex(m_model)};
        c.whisper = WhisperOptions{1, false, 8};
        c.log = [this](const std::string& line) {
            std::lock_guard lock(m_logLock);
            m_log.push_back(line);
        };
        return c;
    }

    LoopbackHttpServer::Response serve(const std::string& path)
    {
        if (path == "/model")
            return {200, m_model};
        return {500, "erro"};
    }

    std::vector<std::string> log()
    {
        std::lock_guard lock(m_logLock);
        return m_log;
    }

    TempDir m_dir;
    std::string m_model;
    LoopbackHttpServer m_server{[this](const std::string& path) { return serve(path); }};
    std::mutex m_logLock;
    std::vector<std::string> m_log;
};

TEST_F(TranscriberTest, FirstUseFetchesTheModelOnceAndConcurrentTranscriptionsShareIt)
{
    if (!WhisperModel::cpuSupported())
        GTEST_SKIP() << "this processor cannot run the whisper build";
    std::atomic<int> progressCalls = 0;
    auto c = config("/model");
    c.downloadProgress = [&](const DownloadProgress&) { ++progressCalls; };
    Transcriber transcriber(c);

    // Transcriptions at once share one download and one loaded model.
    const auto speech = quaro::testing::tone(1.5);
    std::vector<std::thread> callers;
    std::vector<Result<std::string, TranscriberError>> texts(4, Failure{TranscriberError::recognition("não rodou")});
    const char* locales[] = {"pt-BR", "es-ES", "en-US", "pt-PT"};
    for (std::size_t i = 0; i < 4; ++i)
        callers.emplace_back([&, i] { texts[i] = transcriber.transcribe(speech, locales[i]); });
    for (auto& caller : callers)
        caller.join();
    for (std::size_t i = 0; i < 4; ++i)
        ASSERT_TRUE(texts[i]) << locales[i] << ": " << texts[i].error().description();
    EXPECT_GT(progressCalls, 0);
    EXPECT_EQ(m_server.requests(), 1);
    EXPECT_EQ(transcriber.modelLoads(), 1u);
    EXPECT_TRUE(log().empty()) << log().front();
}

TEST_F(TranscriberTest, WhisperFailuresFallBackToTheOlderRecognizerWhichAnswersOrSaysWhy)
{
    // whisper cannot get its model: the older recognizer transcribes, and one line says why.
    Transcriber broken(config("/broken"));
    auto text = broken.transcribe(quaro::testing::goForwardSamples(), "en-US");
    ASSERT_TRUE(text) << text.error().description();
    EXPECT_EQ(*text, "go forward ten meters");
    EXPECT_EQ(log(), std::vector<std::string>{"[Quaro] whisper falhou (Não foi possível baixar o modelo de fala "
                                              "(HTTP 500).); tentando o reconhecedor antigo"});
    // A language the older recognizer cannot serve: the download failure is the answer.
    const auto speech = quaro::testing::tone(0.5);
    auto portuguese = broken.transcribe(speech, "pt-BR");
    ASSERT_FALSE(portuguese);
    EXPECT_EQ(portuguese.error().description(), "Não foi possível baixar o modelo de fala (HTTP 500).");

    // Neither path serves it: the older recognizer's refusal is returned, and no model is fetched.
    const int fetches = m_server.requests();
    Transcriber working(config("/model"));
    auto klingon = working.transcribe(speech, "tlh-001");
    ASSERT_FALSE(klingon);
    EXPECT_EQ(klingon.error().description(), "O computador não transcreve tlh-001 no aparelho.");
    EXPECT_EQ(m_server.requests(), fetches) << "an unsupported language must not fetch the model";

    // A file neither path can read: the reader's sentence.
    std::ofstream(m_dir.path() / "nota.m4a") << "not audio at all";
    auto unreadable = working.transcribe(m_dir.path() / "nota.m4a", "en-US");
    ASSERT_FALSE(unreadable);
    EXPECT_EQ(unreadable.error().kind, TranscriberError::Kind::audio);
    EXPECT_EQ(unreadable.error().description(), "Não consegui abrir nota.m4a.");
    EXPECT_EQ(log().size(), 4u); // one line per fallback
    EXPECT_EQ(log().back(), "[Quaro] whisper falhou (Não consegui abrir nota.m4a.); tentando o reconhecedor antigo");
}

} // namespace
