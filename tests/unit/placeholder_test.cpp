#include <gtest/gtest.h>
TEST(Placeholder, Works) { EXPECT_EQ(1, 1); }
