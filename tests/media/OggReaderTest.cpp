#include "Fixtures.h"

#include "media/OggReader.h"

#include <tuple>

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

} // namespace

TEST(OggReaderTest, ReassemblesPacketsOfTheFirstStream)
{
    constexpr std::uint32_t first = 0xAABBCCDD;
    // What the file holds, the file, and the packets it gives.
    const std::vector<std::tuple<const char*, Bytes, std::vector<Bytes>>> cases = {
        {"empty packets are kept",
         concat({oggPage(7, 2, {3, 0, 2}, concat({bytes(3, 1), bytes(2, 2)})), oggPage(7, 0, {1}, bytes(1, 3))}),
         {bytes(3, 1), {}, bytes(2, 2), bytes(1, 3)}},
        // 300 bytes over two pages, then exactly 255 bytes ended by a zero lacing value.
        {"spanning pages, multiples of 255",
         concat({oggPage(1, 0, {255}, bytes(255, 9)), oggPage(1, 1, {45, 255, 0}, concat({bytes(45, 9), bytes(255, 4)}))}),
         {bytes(300, 9), bytes(255, 4)}},
        {"a partial packet before a page that does not continue it is dropped",
         concat({oggPage(1, 0, {255}, bytes(255, 9)), oggPage(1, 0, {2}, bytes(2, 5))}), {bytes(2, 5)}},
        {"other streams, an unfinished last packet and trailing bytes are ignored",
         concat({oggPage(first, 2, {1}, bytes(1, 1)), oggPage(42, 2, {4}, bytes(4, 7)),
                 oggPage(first, 0, {255}, bytes(255, 2)), oggPage(42, 0, {3}, bytes(3, 7)),
                 oggPage(first, 1, {1}, bytes(1, 2)), oggPage(first, 0, {255}, bytes(255, 3)), Bytes{'O', 'g', 'g'}}),
         {bytes(1, 1), bytes(256, 2)}},
    };
    for (const auto& [what, file, expected] : cases) {
        auto packets = OggReader(file).packets();
        ASSERT_TRUE(packets.ok()) << what;
        EXPECT_EQ(packets.value(), expected) << what;
    }
}

TEST(OggReaderTest, RejectsBrokenStructure)
{
    auto badVersion = oggPage(1, 0, {1}, bytes(1, 1));
    badVersion[4] = 1;
    auto shortTable = oggPage(1, 0, {1}, bytes(1, 1));
    shortTable[26] = 200; // the segment table runs past the end
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"shorter than a header", bytes(26, 0)},
        {"no capture pattern", bytes(64, 0)},
        {"unknown version", badVersion},
        {"short segment table", shortTable},
        {"short body", oggPage(1, 0, {100}, bytes(10, 1))},
        {"no packet completes", oggPage(1, 0, {255}, bytes(255, 1))},
        {"garbage after a good page", concat({oggPage(1, 0, {1}, bytes(1, 1)), bytes(40, 0)})},
    };
    for (const auto& [what, file] : cases)
        EXPECT_FALSE(OggReader(file).packets().ok()) << what;
}
