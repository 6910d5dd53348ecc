#include "platform/c_numbers.h"
#include <gtest/gtest.h>
TEST(CNumbers, Placeholder) { EXPECT_EQ(nv::FormatFixed(0.5, 2), "0.50"); }
