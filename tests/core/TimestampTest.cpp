#include "core/Timestamp.h"
#include "core/Uuid.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace quaro;

namespace {

TEST(TimestampTest, Iso8601IsUtcWholeSecondsWithZ)
{
    const std::vector<std::pair<Timestamp, std::string>> cases = {
        {0, "1970-01-01T00:00:00Z"},
        {1700000000.999, "2023-11-14T22:13:20Z"}, // truncated, not rounded
        {951782400, "2000-02-29T00:00:00Z"},
        {-0.5, "1969-12-31T23:59:59Z"},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(iso8601(time), text) << time;
}

TEST(TimestampTest, UuidsAreDistinctCanonicalUpperCaseVersion4)
{
    const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string id = makeUUID();
        ASSERT_TRUE(std::regex_match(id, canonical)) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

} // namespace
