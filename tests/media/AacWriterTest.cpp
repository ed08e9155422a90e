#include "Fixtures.h"

#include "media/AacWriter.h"
#include "media/AudioDecode.h"

#include <gtest/gtest.h>

#include <cmath>

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

    // A full disk surfaces as a failed write or close, never as success.
    auto full = AacWriter::create("/dev/full");
    bool failed = !full.ok();
    std::vector<float> noise(48000);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = float((i * 7919) % 2000) / 1000.0f - 1.0f;
    for (int second = 0; second < 30 && !failed; ++second)
        failed = !full.value()->write(noise.data(), noise.size()).ok();
    if (!failed)
        failed = !full.value()->close().ok();
    EXPECT_TRUE(failed);
}
