// The registry as the tool and the suites rely on it: codes 1, 2, ... in order, every entry
// complete and checked by the tests, lookups by code.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "measure_references.h"
#include "measure_registry.h"
#include "test_entry_points.h"

using namespace bestfocus;

namespace {

TEST(MeasureRegistry, CodesCountFromOneAndEveryEntryIsComplete) {
    const std::vector<MeasureEntry>& measures = measure_registry();
    ASSERT_FALSE(measures.empty());
    std::set<std::string> short_names;
    for (std::size_t i = 0; i < measures.size(); ++i) {
        const MeasureEntry& measure = measures[i];
        SCOPED_TRACE(measure.short_name);
        EXPECT_EQ(measure.code, static_cast<int>(i) + 1);
        EXPECT_TRUE(short_names.insert(measure.short_name).second) << "short name used twice";
        EXPECT_NE(std::string(measure.long_name), "");
        EXPECT_NE(measure.uchar, nullptr);
        EXPECT_NE(stream_entry_point(measure), nullptr);
        EXPECT_NE(measure.cpu, nullptr);
        EXPECT_NE(measure.cpu16, nullptr);
        EXPECT_NE(measure.doubles, nullptr);
        EXPECT_NE(find_reference(measure), nullptr) << "no reference in the tests";
        EXPECT_EQ(find_measure(measure.code), &measure);
    }
}

TEST(MeasureRegistry, CodesOutsideTheTableFindNothing) {
    const int count = static_cast<int>(measure_registry().size());
    for (const int code : {0, -1, count + 1, 1 << 30}) {
        EXPECT_EQ(find_measure(code), nullptr) << code;
    }
}

TEST(MeasureRegistry, ExtraVariantsBelongToRegisteredMeasures) {
    for (const MeasureVariant& variant : extra_measure_variants()) {
        SCOPED_TRACE(variant.name);
        EXPECT_NE(find_measure(variant.code), nullptr);
        EXPECT_NE(variant.doubles, nullptr);
    }
}

}  // namespace
