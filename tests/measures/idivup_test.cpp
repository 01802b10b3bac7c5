#include <gtest/gtest.h>

#include "measures.h"

TEST(IDivUp, CoversEveryElementWithTruncatingDivision) {
    EXPECT_EQ(iDivUp(2048, 1024), 2);
    EXPECT_EQ(iDivUp(2049, 1024), 3);
    EXPECT_EQ(iDivUp(1, 1024), 1);
    EXPECT_EQ(iDivUp(0, 32), 0);
    EXPECT_EQ(iDivUp(-1, 32), 1);  // -1 / 32 truncates to 0, and the remainder is not 0
}
