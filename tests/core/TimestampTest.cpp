#include "core/Timestamp.h"
#include "core/Uuid.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace quaro;

namespace {

TEST(TimestampTest, Iso8601IsUtcWholeSecondsWithZ)
{
    EXPECT_EQ(iso8601(951782400.999), "2000-02-29T00:00:00Z"); // truncated, not rounded
    EXPECT_EQ(iso8601(-0.5), "1969-12-31T23:59:59Z");
    EXPECT_EQ(iso8601(1e300), "9999-12-31T23:59:59Z"); // kept to four-digit years
    EXPECT_EQ(iso8601(-1e300), "0001-01-01T00:00:00Z");
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
