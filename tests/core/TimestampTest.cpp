#include "core/Timestamp.h"

#include <gtest/gtest.h>

using namespace quaro;

namespace {

TEST(TimestampTest, Iso8601IsUtcWholeSecondsWithZ)
{
    EXPECT_EQ(iso8601(951782400.999), "2000-02-29T00:00:00Z"); // truncated, not rounded
    EXPECT_EQ(iso8601(-0.5), "1969-12-31T23:59:59Z");
    EXPECT_EQ(iso8601(1e300), "9999-12-31T23:59:59Z"); // kept to four-digit years
    EXPECT_EQ(iso8601(-1e300), "0001-01-01T00:00:00Z");
}

} // namespace
