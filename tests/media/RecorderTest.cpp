#include <gtest/gtest.h>
TEST(RecorderPlaceholder, Nothing) {}
