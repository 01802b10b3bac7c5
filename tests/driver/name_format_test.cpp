// Name formats: which are accepted, what they print, and regions of interest as read from text.
#include "name_format.h"

#include <gtest/gtest.h>

#include "stack_layout.h"

using namespace bestfocus;

namespace {

TEST(NameFormat, AcceptsExactlyOneIntegerConversion) {
    for (const char* format : {"%d", "%03d", "z%03d.tif", "pos_%02d", "%i.png", "%u", "%-4d", "%+d",
                               "%.3d", "100%%_%d", "%%%d%%"}) {
        EXPECT_FALSE(name_format_problem(format).has_value()) << format;
    }
}

TEST(NameFormat, RefusesEverythingElse) {
    for (const char* format :
         {"%s",   "%n",   "%x",    "%p",   "%f", "%c", "%ld", "%lld", "%hhd", "%*d", "%.*d",
          "%1$d", "%d%d", "%d_%s", "none", "",   "%%", "%",   "abc%", "%03",  "%d%"}) {
        EXPECT_TRUE(name_format_problem(format).has_value()) << format;
    }
}

TEST(NameFormat, PrintsAsPrintfDoes) {
    EXPECT_EQ(formatted_name("%03d", 7), "007");
    EXPECT_EQ(formatted_name("%03d", -5), "-05");
    EXPECT_EQ(formatted_name("z%03d.tif", 1234), "z1234.tif");
    EXPECT_EQ(formatted_name("100%%_%02d", 3), "100%_03");
    EXPECT_EQ(formatted_name("%u", 42), "42");
    EXPECT_EQ(formatted_name("%u", -1), "4294967295");
    EXPECT_EQ(formatted_name("%-4d|", 5), "5   |");
    EXPECT_EQ(formatted_name(std::string(5000, 'x') + "%d", 1), std::string(5000, 'x') + "1");
}

TEST(RegionOfInterest, ReadsFourNonNegativeIntegers) {
    const std::optional<RegionOfInterest> region = parse_region("10,0,300,2");
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->x, 10);
    EXPECT_EQ(region->y, 0);
    EXPECT_EQ(region->width, 300);
    EXPECT_EQ(region->height, 2);
    for (const char* text :
         {"", "1,2,3", "1,2,3,4,", "1,2,3,4,5", "-1,0,3,3", "0,0,0,3", "0,0,3,0", "a,0,3,3",
          "0, 0,3,3", "0,0,3,3x", "0,0,2147483648,1", "+1,0,3,3", ",,,"}) {
        EXPECT_FALSE(parse_region(text).has_value()) << text;
    }
}

TEST(RegionOfInterest, FitsOnlyInsideTheImage) {
    EXPECT_TRUE(region_fits({0, 0, 40, 30}, 40, 30));
    EXPECT_TRUE(region_fits({39, 29, 1, 1}, 40, 30));
    EXPECT_FALSE(region_fits({1, 0, 40, 30}, 40, 30));
    EXPECT_FALSE(region_fits({0, 25, 10, 6}, 40, 30));
    EXPECT_FALSE(region_fits({2147483647, 0, 1, 1}, 40, 30));  // no overflow in the sum
}

}  // namespace
