// The identification header is exercised through real voice notes in the
// importer's tests (output gain, pre-skip, refused versions and layouts).
#include "media/OpusTOC.h"

#include <gtest/gtest.h>

using namespace quaro;
using Bytes = std::vector<std::uint8_t>;

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
