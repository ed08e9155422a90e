#include "Fixtures.h"

#include "media/AacWriter.h"
#include "media/AudioDecode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <sys/resource.h>

using namespace quaro;
using namespace quaro::testing;

TEST(AacWriterTest, WritesDecodableMonoAacOfTheFramesGiven)
{
    TempDir dir;
    auto created = AacWriter::create(dir / "a.m4a");
    ASSERT_TRUE(created.ok()) << created.error().description;
    auto& writer = *created.value();
    std::vector<float> chunk(1000);
    for (int n = 0; n < 72; ++n) { // 72 000 frames in odd-sized pieces
        for (std::size_t i = 0; i < chunk.size(); ++i)
            chunk[i] = 0.5f * std::sin(float(n * 1000 + int(i)) * 0.05f);
        ASSERT_TRUE(writer.write(chunk.data(), chunk.size()).ok());
    }
    EXPECT_EQ(writer.frames(), 72000);
    ASSERT_TRUE(writer.close().ok());
    std::size_t decoded = 0;
    ASSERT_TRUE(decodeAudio(dir / "a.m4a", 48000, [&](const float*, std::size_t n) { decoded += n; }).ok());
    EXPECT_NEAR(double(decoded), 72000.0, 1100.0);
}

TEST(AacWriterTest, ReportsCreateAndWriteFailures)
{
    TempDir dir;
    auto missing = AacWriter::create(dir / "no" / "such" / "a.m4a");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().description.find("a.m4a"), std::string::npos);

    // A full disk (here a file-size limit) surfaces while writing, within a
    // few seconds of audio, not only when the file is closed.
    auto limited = AacWriter::create(dir / "b.m4a");
    ASSERT_TRUE(limited.ok());
    signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit small = previous;
    small.rlim_cur = 16 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::vector<float> noise(48000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = float((i * 7919) % 2000) / 1000.0f - 1.0f;
    int failedAt = -1;
    for (int second = 0; second < 10 && failedAt < 0; ++second)
        if (!limited.value()->write(noise.data(), noise.size()).ok())
            failedAt = second;
    setrlimit(RLIMIT_FSIZE, &previous);
    EXPECT_GE(failedAt, 0);
    EXPECT_LE(failedAt, 4);
    EXPECT_FALSE(limited.value()->close().ok());
}
