#include "core/Log.h"
#include "speech/StretchCutter.h"
#include "speech/Transcriber.h"

#include <atomic>
#include <cmath>
#include <fstream>
#include <future>
#include <mutex>
#include <random>

#include <gtest/gtest.h>

#include "support/LoopbackHttpServer.h"
#include "support/Take.h"
#include "SpeechTestSupport.h"

using namespace quaro;
using namespace quaro::testing;

namespace {

class TranscriberTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.started());
        setLogHandler([this](LogArea area, const std::string& line) {
            std::lock_guard lock(m_logLock);
            if (area == LogArea::speech)
                m_log.push_back(line);
        });
    }
    void TearDown() override { setLogHandler(nullptr); }
    std::vector<std::string> log()
    {
        std::lock_guard lock(m_logLock);
        return m_log;
    }

    TranscriberConfig config(const std::string& path)
    {
        TranscriberConfig c;
        c.modelDirectory = m_dir.path() / "Quaro" / "Models";
        c.model = ModelSource{m_server.url(path), "ggml-base.bin", m_model.size(), sha1Hex(m_model)};
        c.whisper = WhisperOptions{1, false, 8};
        return c;
    }

    TempDir m_dir;
    std::string m_model = readFile(tinyRandomModel());
    LoopbackHttpServer m_server{[this](const std::string& path) {
        return path == "/model" ? LoopbackHttpServer::Response{200, m_model} : LoopbackHttpServer::Response{500, "erro"};
    }};
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
    const auto speech = tone(1.5);
    std::vector<std::future<Result<std::string, TranscriberError>>> texts;
    for (const char* locale : {"pt-BR", "es-ES", "en-US", "pt-PT"})
        texts.push_back(std::async(std::launch::async, [&, locale] { return transcriber.transcribe(speech, locale); }));
    for (auto& text : texts) {
        const auto done = text.get();
        ASSERT_TRUE(done) << done.error().description();
    }
    EXPECT_GT(progressCalls, 0);
    EXPECT_EQ(m_server.requests(), 1);
    EXPECT_EQ(transcriber.modelLoads(), 1u);
    EXPECT_TRUE(log().empty()) << log().front();
}

TEST_F(TranscriberTest, WhisperFailuresFallBackToTheOlderRecognizerWhichAnswersOrSaysWhy)
{
    // whisper cannot get its model: the older recognizer transcribes, and one line says why.
    Transcriber broken(config("/broken"));
    EXPECT_EQ(take(broken.transcribe(goForwardSamples(), "en-US")), "go forward ten meters");
    EXPECT_EQ(log(), std::vector<std::string>{"[Quaro] whisper falhou (Não foi possível baixar o modelo de fala "
                                              "(HTTP 500).); tentando o reconhecedor antigo"});
    // A language the older recognizer cannot serve: the download failure is the answer.
    const auto speech = tone(0.5);
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

    // A file neither path can read: the reader's error, whose sentence is the importer's test.
    std::ofstream(m_dir.path() / "nota.m4a") << "not audio at all";
    auto unreadable = working.transcribe(m_dir.path() / "nota.m4a", "en-US");
    ASSERT_FALSE(unreadable);
    EXPECT_EQ(unreadable.error().kind, TranscriberError::Kind::audio);
    EXPECT_EQ(log().size(), 4u); // one line per fallback
    EXPECT_EQ(log().back(), "[Quaro] whisper falhou (Não consegui abrir nota.m4a.); tentando o reconhecedor antigo");
}

// Synthetic speech for the cutter: a tone over a -60 dBFS noise floor, in
// phrases (seconds of tone, then seconds of quiet).
std::vector<float> phrases(const std::vector<std::pair<double, double>>& parts)
{
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.001f);
    std::vector<float> out;
    for (auto [speech, quiet] : parts) {
        for (int i = 0; i < int(speech * 16000); ++i)
            out.push_back(0.3f * float(std::sin(i * 0.08)) * float(0.6 + 0.4 * std::sin(i * 0.0009)) + noise(random));
        for (int i = 0; i < int(quiet * 16000); ++i)
            out.push_back(noise(random));
    }
    return out;
}

// Feeds the cutter in uneven blocks, as the recorder does; returns the
// stretches and the tail.
std::vector<Stretch> cutAll(const std::vector<float>& audio)
{
    StretchCutter cutter;
    std::vector<Stretch> out;
    for (std::size_t at = 0; at < audio.size(); at += 1237) {
        auto done = cutter.push(std::span(audio).subspan(at, std::min<std::size_t>(1237, audio.size() - at)));
        out.insert(out.end(), std::make_move_iterator(done.begin()), std::make_move_iterator(done.end()));
    }
    out.push_back(cutter.finish());
    return out;
}

TEST(StretchCutterTest, CutsAtPausesLongEnoughWithinBoundsAndLosesNoSample)
{
    // Pauses of 0.8 s cut; 0.3 s does not; nor does a pause before 2 s of audio.
    // Speech from the very first sample is speech, not the room's noise.
    const auto audio = phrases({{3.0, 0.8}, {3.0, 0.3}, {1.0, 0.8}, {1.0, 0.8}, {2.5, 0.2}});
    auto parts = cutAll(audio);
    ASSERT_EQ(parts.size(), 3u);
    std::vector<float> joined;
    std::size_t cut = 0;
    const std::vector<std::pair<double, double>> pauses{{3.0, 3.8}, {8.1, 8.9}};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_TRUE(parts[i].speech) << i;
        joined.insert(joined.end(), parts[i].samples.begin(), parts[i].samples.end());
        cut += parts[i].samples.size();
        if (i < pauses.size()) {
            const double at = double(cut) / 16000;
            EXPECT_GT(at, pauses[i].first) << "stretch " << i << " ends inside the pause";
            EXPECT_LT(at, pauses[i].second) << "stretch " << i << " ends inside the pause";
        }
    }
    EXPECT_EQ(joined, audio);

    // Speech without a pause is cut at its maximum length, at a quiet moment
    // of the last quarter; silence is cut too, and says it holds nothing.
    const auto talk = phrases({{60.0, 0.0}});
    parts = cutAll(talk);
    ASSERT_EQ(parts.size(), 3u);
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        EXPECT_LE(parts[i].samples.size(), 25u * 16000);
        EXPECT_GE(parts[i].samples.size(), 18u * 16000);
    }
    EXPECT_EQ(parts[0].samples.size() + parts[1].samples.size() + parts[2].samples.size(), talk.size());
    parts = cutAll(phrases({{0.0, 30.0}}));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_FALSE(parts[0].speech);
    EXPECT_FALSE(parts[1].speech);
}

} // namespace
