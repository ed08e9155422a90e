#include "media/OpusHead.h"
#include "media/OpusTOC.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quaro;
using Bytes = std::vector<std::uint8_t>;

TEST(OpusHeadTest, ParsesLittleEndianFieldsAndRefusesWhatItCannotRead)
{
    Bytes p = {'O', 'p', 'u', 's', 'H', 'e', 'a', 'd', 1, 2, 0x38, 0x01, 0x80, 0xBB, 0, 0, 0xFB, 0xF9, 1};
    const auto parsed = OpusHead::parse(p);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->channelCount, 2);
    EXPECT_EQ(parsed->preSkip, 312);
    EXPECT_EQ(parsed->inputSampleRate, 48000u);
    EXPECT_EQ(parsed->outputGain, -1541); // signed
    EXPECT_EQ(parsed->mappingFamily, 1);  // refusing it is the importer's decision

    p[8] = 15; // minor versions of version 0 and 1 headers are readable
    EXPECT_TRUE(OpusHead::parse(p));
    p[8] = 16;
    EXPECT_FALSE(OpusHead::parse(p));
    p[8] = 1;
    EXPECT_FALSE(OpusHead::parse(Bytes(p.begin(), p.begin() + 18)));
    p[0] = 'o';
    EXPECT_FALSE(OpusHead::parse(p));
}

TEST(OpusTOCTest, SamplesPerPacket)
{
    const std::vector<std::pair<Bytes, std::optional<int>>> cases = {
        {{0xFC}, 960},              // CELT 20 ms, one frame
        {{0x0B, 0x03}, 2880},       // SILK 20 ms, code 3, three frames
        {{0x19}, 5760},             // SILK 60 ms, code 1: two frames
        {{0x61}, 960},              // hybrid 10 ms, two frames
        {{0x80}, 120},              // CELT 2.5 ms
        {{0x03, 0x00}, std::nullopt}, // code 3 with zero frames
        {{0x0B, 0x07}, std::nullopt}, // 7 x 20 ms = 140 ms
        {{0x1B, 0x03}, std::nullopt}, // 3 x 60 ms = 180 ms
        {{0x03}, std::nullopt},       // code 3 without a count byte
        {{}, std::nullopt},
    };
    for (const auto& [packet, samples] : cases)
        EXPECT_EQ(OpusTOC::samplesPerPacket(packet), samples) << (packet.empty() ? -1 : int(packet[0]));
}
