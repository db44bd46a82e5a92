#include "edge/edge.h"

#include <gtest/gtest.h>

TEST(EdgeTable, Placeholder) { EXPECT_NE(GetFilterTable(), nullptr); }
