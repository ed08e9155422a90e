// Writing a playable file is covered by the importer's tests.
#include "Fixtures.h"

#include "media/AacWriter.h"
#include "support/FileSizeLimit.h"

using namespace quaro;
using namespace quaro::testing;

namespace {

// One second of a busy signal, which AAC cannot squeeze small.
std::vector<float> noise()
{
    std::vector<float> samples(48000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = float((i * 7919) % 2000) / 1000.0f - 1.0f;
    return samples;
}

} // namespace

// A full disk must stop a recording within seconds, not only when it ends.
TEST(AacWriterTest, FailuresNameTheFileAndAFullDiskShowsWithinSecondsNotOnlyAtClose)
{
    TempDir dir;
    auto missing = AacWriter::create(dir / "no" / "such" / "a.m4a");
    ASSERT_FALSE(missing.ok());
    EXPECT_NE(missing.error().description().find("a.m4a"), std::string::npos);

    const auto writer = take(AacWriter::create(dir / "b.m4a"));
    const auto second = noise();
    int failedAt = -1;
    {
        FileSizeLimit fullDisk(16 * 1024);
        ASSERT_TRUE(fullDisk.ok());
        for (int n = 0; n < 10 && failedAt < 0; ++n)
            if (!writer->write(second.data(), second.size()).ok())
                failedAt = n;
    }
    EXPECT_GE(failedAt, 0);
    EXPECT_LE(failedAt, 4);
    EXPECT_FALSE(writer->close().ok());
}

// A writer dropped without close (an early return, an exception) still
// finishes a file that plays to its end.
TEST(AacWriterTest, AWriterDestroyedWithoutCloseLeavesAPlayableFile)
{
    TempDir dir;
    ASSERT_TRUE(take(AacWriter::create(dir / "c.m4a"))->write(noise().data(), 48000).ok());
    EXPECT_NEAR(double(decodeAll(dir / "c.m4a").size()) / 48000.0, 1.0, 0.05);
}
