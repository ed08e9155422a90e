#include "speech/PocketSphinxRecognizer.h"

#include <gtest/gtest.h>

using namespace quaro;

namespace {

// Recognizing speech and refusing other languages are the transcriber's
// tests, which reach this recognizer as their fallback.
TEST(PocketSphinxRecognizerTest, SilenceIsAnEmptyTranscriptAndMissingModelsRefuseTheLanguage)
{
    const std::vector<float> silence(16000, 0.0f);
    EXPECT_EQ(PocketSphinxRecognizer().transcribe(silence, "en-US").value(), "");

    // Its refusal's text is the transcriber's test.
    const PocketSphinxRecognizer missing("/nonexistent/models");
    EXPECT_FALSE(missing.available());
    EXPECT_FALSE(missing.transcribe(silence, "en-US"));

    // Asked to run anyway, it reports the failure through its handler.
    std::string reported;
    missing.recognize({}, [&](const RecognitionUpdate* update, const TranscriberError* error) {
        reported = error ? error->description() : update->text;
    });
    EXPECT_NE(reported.find("PocketSphinx"), std::string::npos) << reported;
}

// The waiting caller is resumed by the first final result or error only. The
// recognizer's own tests show the result arriving from its worker thread.
TEST(OnceGateTest, OnlyTheFirstFinalResultOrErrorResumesTheCaller)
{
    const TranscriberError failure = TranscriberError::recognition("x");
    const RecognitionUpdate partial{"go", false};
    const RecognitionUpdate final{"go forward", true};
    const RecognitionUpdate late{"later", true};
    // The task calls its handler with these, in order.
    using Calls = std::vector<std::pair<const RecognitionUpdate*, const TranscriberError*>>;
    const auto await = [](const Calls& calls) {
        return awaitFinalResult([&](RecognitionHandler handler) {
            for (const auto& [update, error] : calls)
                handler(update, error);
        });
    };

    auto finalThenError = await({{&partial, nullptr}, {&final, nullptr}, {nullptr, &failure}, {&late, nullptr}});
    ASSERT_TRUE(finalThenError);
    EXPECT_EQ(*finalThenError, "go forward");
    auto errorFirst = await({{&partial, nullptr}, {nullptr, &failure}, {&final, nullptr}});
    ASSERT_FALSE(errorFirst);
    EXPECT_EQ(errorFirst.error(), failure);
    // A task that ends without a final result or error still resumes the caller.
    auto silent = await({{&partial, nullptr}});
    ASSERT_FALSE(silent);
    EXPECT_EQ(silent.error().kind, TranscriberError::Kind::recognition);
}

} // namespace
