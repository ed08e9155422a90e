#include "speech/Transcriber.h"

#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "LoopbackHttpServer.h"
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

    // A transcriber whose model comes from the loopback server at `path`.
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

TEST_F(TranscriberTest, FirstUseFetchesTheModelOnceAndLaterTranscriptionsReuseIt)
{
    if (!WhisperModel::cpuSupported())
        GTEST_SKIP() << "this processor cannot run the whisper build";
    int progressCalls = 0;
    auto c = config("/model");
    c.downloadProgress = [&](const DownloadProgress&) { ++progressCalls; };
    Transcriber transcriber(c);

    const auto speech = quaro::testing::tone(1.5);
    for (const char* locale : {"pt-BR", "es-ES", "en-US", "pt-PT"}) {
        auto text = transcriber.transcribe(speech, locale);
        ASSERT_TRUE(text) << locale << ": " << text.error().description();
    }
    EXPECT_GT(progressCalls, 0);
    EXPECT_EQ(m_server.requests(), 1);
    EXPECT_EQ(transcriber.modelLoads(), 1u);
    EXPECT_TRUE(log().empty()) << log().front();

    // A new transcriber (the next start of the application) finds the model on disk.
    Transcriber later(config("/model"));
    EXPECT_TRUE(later.transcribe(speech, "pt-BR"));
    EXPECT_EQ(m_server.requests(), 1);
}

TEST_F(TranscriberTest, TwoTranscriptionsAtOnceShareOneLoadedModel)
{
    if (!WhisperModel::cpuSupported())
        GTEST_SKIP() << "this processor cannot run the whisper build";
    Transcriber transcriber(config("/model"));
    const auto speech = quaro::testing::tone(2.0);
    Result<std::string, TranscriberError> first = Failure{TranscriberError::recognition("não rodou")};
    Result<std::string, TranscriberError> second = first;
    std::thread a([&] { first = transcriber.transcribe(speech, "pt-BR"); });
    std::thread b([&] { second = transcriber.transcribe(speech, "es-ES"); });
    a.join();
    b.join();
    ASSERT_TRUE(first) << first.error().description();
    ASSERT_TRUE(second) << second.error().description();
    EXPECT_EQ(transcriber.modelLoads(), 1u);
    EXPECT_EQ(m_server.requests(), 1);
}

TEST_F(TranscriberTest, WhisperFailureLogsOneLineAndFallsBackToTheOlderRecognizer)
{
    Transcriber transcriber(config("/broken"));
    auto text = transcriber.transcribe(quaro::testing::goForwardSamples(), "en-US");
    ASSERT_TRUE(text) << text.error().description();
    EXPECT_EQ(*text, "go forward ten meters");
    EXPECT_EQ(log(), std::vector<std::string>{"[Quaro] whisper falhou (Não foi possível baixar o modelo de fala "
                                              "(HTTP 500).); tentando o reconhecedor antigo"});
}

TEST_F(TranscriberTest, UnsupportedLanguagesFailInBothPathsWithTheRequestedIdentifier)
{
    Transcriber transcriber(config("/model"));
    const auto speech = quaro::testing::tone(0.5);

    // whisper cannot serve it: its refusal is logged, the older recognizer's returned.
    auto klingon = transcriber.transcribe(speech, "tlh-001");
    ASSERT_FALSE(klingon);
    EXPECT_EQ(klingon.error().description(), "O computador não transcreve tlh-001 no aparelho.");
    EXPECT_EQ(log(), std::vector<std::string>{"[Quaro] whisper falhou (O computador não transcreve tlh-001 no "
                                              "aparelho.); tentando o reconhecedor antigo"});
    EXPECT_EQ(m_server.requests(), 0) << "an unsupported language must not fetch the model";
}

TEST_F(TranscriberTest, WhenWhisperFailsOtherLanguagesReportWhyNotThatTheyAreUnsupported)
{
    Transcriber transcriber(config("/broken"));
    const auto speech = quaro::testing::tone(0.5);
    for (const char* locale : {"pt-BR", "es-ES", "pt-PT"}) {
        auto text = transcriber.transcribe(speech, locale);
        ASSERT_FALSE(text) << locale;
        // The older recognizer was tried (one log line each) but cannot serve
        // the language; the download failure is the answer.
        EXPECT_EQ(text.error().description(), "Não foi possível baixar o modelo de fala (HTTP 500).") << locale;
    }
    EXPECT_EQ(log().size(), 3u);

    // Once the legacy recognizer serves the language, its answer stands.
    auto english = transcriber.transcribe(std::vector<float>(16000, 0.0f), "en-US");
    ASSERT_TRUE(english) << english.error().description();
    EXPECT_EQ(*english, "");
}

TEST_F(TranscriberTest, FilesAreReadThroughTheMediaReaderInBothPaths)
{
    if (!WhisperModel::cpuSupported())
        GTEST_SKIP() << "this processor cannot run the whisper build";
    const auto recording = m_dir.path() / "goforward.wav";
    ASSERT_TRUE(quaro::testing::writeWav(recording, quaro::testing::goForwardSamples(), 16000));

    Transcriber primary(config("/model"));
    auto whisper = primary.transcribe(recording, "pt-BR");
    ASSERT_TRUE(whisper) << whisper.error().description();

    auto broken = config("/broken");
    broken.modelDirectory = m_dir.path() / "Elsewhere";
    Transcriber fallback(broken);
    auto legacy = fallback.transcribe(recording, "en-US");
    ASSERT_TRUE(legacy) << legacy.error().description();
    EXPECT_EQ(*legacy, "go forward ten meters");
    EXPECT_EQ(log().size(), 1u);
}

TEST_F(TranscriberTest, UnreadableFilesFailInBothPathsWithTheReadersSentence)
{
    std::ofstream(m_dir.path() / "nota.m4a") << "not audio at all";
    Transcriber transcriber(config("/model"));
    auto text = transcriber.transcribe(m_dir.path() / "nota.m4a", "en-US");
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind, TranscriberError::Kind::audio);
    EXPECT_EQ(text.error().description(), "Não consegui abrir nota.m4a.");
    EXPECT_EQ(log(), std::vector<std::string>{
                         "[Quaro] whisper falhou (Não consegui abrir nota.m4a.); tentando o reconhecedor antigo"});
}

TEST_F(TranscriberTest, EmptyOrSilentAudioIsAnEmptyTranscriptNotAnError)
{
    if (!WhisperModel::cpuSupported())
        GTEST_SKIP() << "this processor cannot run the whisper build";
    Transcriber transcriber(config("/model"));
    EXPECT_EQ(transcriber.transcribe(std::vector<float>{}, "pt-BR").value(), "");
    EXPECT_EQ(transcriber.transcribe(std::vector<float>(16000, 0.0f), "en-US").value(), "");
    EXPECT_TRUE(log().empty());
}

} // namespace
