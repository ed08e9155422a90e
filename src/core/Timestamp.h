#pragma once

#include <string>

namespace quaro {

// Every time in the inbox is a count of seconds since 1970-01-01 00:00:00 UTC,
// fractions included: the database stores exactly this number, so a value
// read back compares equal to the one written.
using Timestamp = double;

// The current time as a Timestamp.
Timestamp currentTimestamp();

// "2026-12-06T17:20:25Z": ISO 8601 internet date-time in UTC, whole seconds
// (the fraction is dropped, rounding toward the past), trailing Z.
std::string iso8601(Timestamp seconds);

} // namespace quaro
