// Writing a playable file is covered by the importer's tests.
#include "Fixtures.h"

#include "media/AacWriter.h"
#include "media/AudioDecode.h"
#include "support/FileSizeLimit.h"

#include <cmath>

using namespace quaro;
using namespace quaro::testing;

// A full disk must stop a recording within seconds, not only when it ends.
TEST(AacWriterTest, FailuresNameTheFileAndAFullDiskShowsWithinSecondsNotOnlyAtClose)
{
    TempDir dir;
    auto missing = AacWriter::create(dir / "no" / "such" / "a.m4a");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().description().find("a.m4a"), std::string::npos);

    auto writer = AacWriter::create(dir / "b.m4a");
    ASSERT_TRUE(writer.ok()) << writer.error().description();
    std::vector<float> noise(48000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = float((i * 7919) % 2000) / 1000.0f - 1.0f;
    int failedAt = -1;
    {
        FileSizeLimit fullDisk(16 * 1024);
        ASSERT_TRUE(fullDisk.ok());
        for (int second = 0; second < 10 && failedAt < 0; ++second)
            if (!writer.value()->write(noise.data(), noise.size()).ok())
                failedAt = second;
    }
    EXPECT_GE(failedAt, 0);
    EXPECT_LE(failedAt, 4);
    EXPECT_FALSE(writer.value()->close().ok());
}

// A writer dropped without close (an early return, an exception) still
// finishes a file that plays to its end.
TEST(AacWriterTest, AWriterDestroyedWithoutCloseLeavesAPlayableFile)
{
    TempDir dir;
    {
        auto writer = AacWriter::create(dir / "c.m4a");
        ASSERT_TRUE(writer.ok()) << writer.error().description();
        std::vector<float> tone(48000);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = 0.5f * float(std::sin(2 * M_PI * 440.0 * double(i) / 48000.0));
        ASSERT_TRUE(writer.value()->write(tone.data(), tone.size()).ok());
    }
    std::size_t frames = 0;
    auto decoded = decodeAudio(dir / "c.m4a", 48000, [&](const float*, std::size_t n) { frames += n; });
    ASSERT_TRUE(decoded.ok()) << decoded.error().description();
    EXPECT_NEAR(double(frames) / 48000.0, 1.0, 0.05);
}
