#include "Fixtures.h"

#include "media/OggReader.h"

#include <gtest/gtest.h>

using namespace quaro;
using quaro::testing::oggPage;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bytes(std::size_t n, std::uint8_t value) { return Bytes(n, value); }

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<Bytes> packetsOf(Bytes data)
{
    auto result = OggReader(std::move(data)).packets();
    EXPECT_TRUE(result.ok());
    return result ? result.value() : std::vector<Bytes>{};
}

bool malformed(Bytes data) { return !OggReader(std::move(data)).packets().ok(); }

} // namespace

TEST(OggReaderTest, SplitsPagesIntoPacketsKeepingEmptyOnes)
{
    const auto file = concat({oggPage(7, 2, {3, 0, 2}, concat({bytes(3, 1), bytes(2, 2)})),
                              oggPage(7, 0, {1}, bytes(1, 3))});
    const auto packets = packetsOf(file);
    ASSERT_EQ(packets.size(), 4u);
    EXPECT_EQ(packets[0], bytes(3, 1));
    EXPECT_TRUE(packets[1].empty());
    EXPECT_EQ(packets[2], bytes(2, 2));
    EXPECT_EQ(packets[3], bytes(1, 3));
}

TEST(OggReaderTest, ReassemblesPacketsSpanningPagesAndExactMultiplesOf255)
{
    // 300 bytes: 255 on the first page, 45 on a continued page; then a packet
    // of exactly 255 bytes, ended by a zero lacing value.
    const auto file = concat({oggPage(1, 0, {255}, bytes(255, 9)),
                              oggPage(1, 1, {45, 255, 0}, concat({bytes(45, 9), bytes(255, 4)}))});
    const auto packets = packetsOf(file);
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0], bytes(300, 9));
    EXPECT_EQ(packets[1], bytes(255, 4));
}

TEST(OggReaderTest, DropsPartialPacketWhenNextPageIsNotContinued)
{
    const auto file = concat({oggPage(1, 0, {255}, bytes(255, 9)), oggPage(1, 0, {2}, bytes(2, 5))});
    const auto packets = packetsOf(file);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0], bytes(2, 5));
}

TEST(OggReaderTest, IgnoresOtherLogicalStreamsAndTrailingBytes)
{
    auto file = concat({oggPage(0xAABBCCDD, 2, {1}, bytes(1, 1)), oggPage(42, 2, {4}, bytes(4, 7)),
                        oggPage(0xAABBCCDD, 0, {255}, bytes(255, 2)), oggPage(42, 0, {3}, bytes(3, 7)),
                        oggPage(0xAABBCCDD, 1, {1}, bytes(1, 2)), oggPage(0xAABBCCDD, 0, {255}, bytes(255, 3))});
    file.insert(file.end(), {'O', 'g', 'g'}); // too short for another header
    const auto packets = packetsOf(file);
    ASSERT_EQ(packets.size(), 2u); // the unfinished last packet is ignored
    EXPECT_EQ(packets[0], bytes(1, 1));
    EXPECT_EQ(packets[1], bytes(256, 2));
}

TEST(OggReaderTest, RejectsBrokenStructure)
{
    EXPECT_TRUE(malformed({}));
    EXPECT_TRUE(malformed(bytes(26, 0)));
    EXPECT_TRUE(malformed(bytes(64, 0))); // no capture pattern

    auto badVersion = oggPage(1, 0, {1}, bytes(1, 1));
    badVersion[4] = 1;
    EXPECT_TRUE(malformed(badVersion));

    auto shortTable = oggPage(1, 0, {1}, bytes(1, 1));
    shortTable[26] = 200; // segment table runs past the end
    EXPECT_TRUE(malformed(shortTable));

    auto shortBody = oggPage(1, 0, {100}, bytes(10, 1));
    EXPECT_TRUE(malformed(shortBody));

    // Pages are fine but no packet ever completes.
    EXPECT_TRUE(malformed(oggPage(1, 0, {255}, bytes(255, 1))));
    // A good page followed by garbage long enough to be a header.
    EXPECT_TRUE(malformed(concat({oggPage(1, 0, {1}, bytes(1, 1)), bytes(40, 0)})));
}
