#include "media/OpusHead.h"
#include "media/OpusTOC.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quaro;
using Bytes = std::vector<std::uint8_t>;

namespace {
Bytes head(std::uint8_t version, std::uint8_t channels, std::uint16_t preSkip, std::int16_t gain, std::uint8_t family)
{
    Bytes p(19, 0);
    std::memcpy(p.data(), "OpusHead", 8);
    p[8] = version;
    p[9] = channels;
    p[10] = std::uint8_t(preSkip);
    p[11] = std::uint8_t(preSkip >> 8);
    p[12] = 0x80; // 48 000 little-endian
    p[13] = 0xBB;
    p[16] = std::uint8_t(std::uint16_t(gain));
    p[17] = std::uint8_t(std::uint16_t(gain) >> 8);
    p[18] = family;
    return p;
}
} // namespace

TEST(OpusHeadTest, ParsesFieldsLittleEndianWithSignedGain)
{
    const auto parsed = OpusHead::parse(head(1, 2, 312, -1541, 0));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->version, 1);
    EXPECT_EQ(parsed->channelCount, 2);
    EXPECT_EQ(parsed->preSkip, 312);
    EXPECT_EQ(parsed->inputSampleRate, 48000u);
    EXPECT_EQ(parsed->outputGain, -1541);
    EXPECT_EQ(parsed->mappingFamily, 0);
}

TEST(OpusHeadTest, RefusesShortWrongMagicOrFutureVersion)
{
    auto p = head(1, 1, 0, 0, 0);
    EXPECT_FALSE(OpusHead::parse(Bytes(p.begin(), p.begin() + 18)));
    EXPECT_TRUE(OpusHead::parse(head(15, 1, 0, 0, 0)));
    EXPECT_FALSE(OpusHead::parse(head(16, 1, 0, 0, 0)));
    p[0] = 'o';
    EXPECT_FALSE(OpusHead::parse(p));
    // Mapping family is parsed; refusing family 1 is the importer's decision.
    EXPECT_EQ(OpusHead::parse(head(1, 6, 0, 0, 1))->mappingFamily, 1);
}

TEST(OpusTOCTest, SamplesPerPacket)
{
    EXPECT_EQ(OpusTOC::samplesPerPacket({0xFC}), 960);              // CELT 20 ms, one frame
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x0B, 0x03}), 2880);       // SILK 20 ms, code 3, three frames
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x03, 0x00}), std::nullopt); // code 3 with zero frames
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x0B, 0x07}), std::nullopt); // 7 x 20 ms = 140 ms
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x03}), std::nullopt);       // code 3 without a count byte
    EXPECT_EQ(OpusTOC::samplesPerPacket({}), std::nullopt);
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x19}), 5760); // SILK 60 ms (config 3), code 1: two frames
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x60 | 1}), 960); // hybrid 10 ms (config 12), two frames
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x80}), 120);     // CELT 2.5 ms (config 16)
    EXPECT_EQ(OpusTOC::samplesPerPacket({0x1B, 0x03}), std::nullopt); // 3 x 60 ms = 180 ms
}
