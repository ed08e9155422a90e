#include "speech/WhisperLanguage.h"
#include "speech/WhisperModel.h"

#include <fstream>

#include <gtest/gtest.h>

#include "SpeechTestSupport.h"
#include "support/Take.h"

using namespace quaro;
using quaro::testing::take;
using quaro::testing::TempDir;

namespace {

// Random weights never stop talking on their own: keep windows short.
const WhisperOptions kQuick{1, false, 8};

class WhisperModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WhisperModel::cpuSupported())
            GTEST_SKIP() << "this processor cannot run the whisper build";
    }

    TempDir m_dir;
    std::filesystem::path m_path = quaro::testing::tinyRandomModel();
};

// Inference in each offered language runs through the transcriber's tests.
TEST_F(WhisperModelTest, LoadsARandomModelWhoseTextComesBackTrimmedAndSilenceGivesNothing)
{
    const auto model = take(WhisperModel::load(m_path));
    EXPECT_TRUE(model->isMultilingual());
    const auto text = take(model->transcribe(quaro::testing::tone(2.0), "pt", kQuick));
    EXPECT_EQ(text, trimmed(text));
    // A stretch heard with a context fitted to its length runs through too.
    WhisperOptions stretch = kQuick;
    stretch.fitContextToAudio = true;
    EXPECT_TRUE(model->transcribe(quaro::testing::tone(2.0), "pt", stretch));
    EXPECT_EQ(take(model->transcribe(std::vector<float>{}, "pt", kQuick)), "");
    EXPECT_EQ(take(model->transcribe(std::vector<float>(16000 * 3, 0.0f), "pt", kQuick)), "");
}

TEST_F(WhisperModelTest, ACorruptModelFileIsReportedNotLoaded)
{
    const auto broken = m_dir.path() / "ggml-base.bin";
    std::ofstream(broken, std::ios::binary) << "this is not a whisper model";
    auto model = WhisperModel::load(broken);
    ASSERT_FALSE(model);
    EXPECT_EQ(model.error().kind, TranscriberError::Kind::modelUnreadable);
    EXPECT_FALSE(WhisperModel::load(m_dir.path() / "missing.bin"));
}

TEST(WhisperLanguageTest, MapsLocaleIdentifiersToWhisperLanguages)
{
    EXPECT_EQ(whisperLanguage("PT_br"), "pt");
    EXPECT_EQ(whisperLanguage("zh-Hans-CN"), "zh");
    EXPECT_EQ(whisperLanguage("english"), std::nullopt); // whisper takes names too; a locale never is one
}

// Trimming is core's text rule and tested there.
TEST(WhisperTextTest, SilenceIsAudioBelowTheNoiseFloor)
{
    EXPECT_TRUE(isSilent(std::vector<float>(100, 0.00001f)));
    EXPECT_FALSE(isSilent(std::vector<float>{0.0f, 0.01f}));
}

} // namespace
