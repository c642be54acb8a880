#include "range/range.h"

#include <gtest/gtest.h>

namespace vorlanex {
namespace {

struct RangeCase {
    const char* text;
    int start;
    int end;
    bool valid;
    bool inside_byte;  // inside "0-7", as the bit-range form requires
};

std::ostream& operator<<(std::ostream& out, const RangeCase& c) {
    return out << '"' << c.text << '"';
}

class RangeParse : public ::testing::TestWithParam<RangeCase> {};

TEST_P(RangeParse, GivesBoundsValidityAndInclusion) {
    const RangeCase& c = GetParam();
    const Range range = Range_parse(c.text);
    EXPECT_EQ(range.start, c.start);
    EXPECT_EQ(range.end, c.end);
    EXPECT_EQ(range.min, 0);
    EXPECT_EQ(range.max, 0x10000);
    EXPECT_EQ(Range_valid(range), c.valid);
    EXPECT_EQ(Range_valid(range) && Range_inside(range, Range_parse("0-7")), c.inside_byte);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RangeParse,
    ::testing::Values(RangeCase{"", 0, 0x10000, true, false}, RangeCase{"3", 3, -1, false, false},
                      RangeCase{"3-5", 3, 5, true, true}, RangeCase{"-5", 0, 5, true, true},
                      RangeCase{"3-", 3, 0x10000, true, false},
                      RangeCase{"-", 0, 0x10000, true, false},
                      RangeCase{"0x2 - 0x6", 2, 6, true, true},
                      RangeCase{"0x2-0x6", 2, 6, true, true},
                      RangeCase{"010-010", 8, 8, true, false}, RangeCase{"07-07", 7, 7, true, true},
                      RangeCase{"5-3", 5, 3, false, false}, RangeCase{"0-8", 0, 8, true, false},
                      RangeCase{"7-7", 7, 7, true, true}, RangeCase{"0-7", 0, 7, true, true},
                      RangeCase{"3--5", 3, -5, false, false}, RangeCase{"-3-5", 0, 3, true, true},
                      RangeCase{" \t2-\t 4", 2, 4, true, true}, RangeCase{"x-y", 0, 0, true, true},
                      // Far past 32 bits: saturated, never wrapped into a small range.
                      RangeCase{"0-4294967296", 0, 2147483647, false, false},
                      RangeCase{"4294967297-4294967297", 2147483647, 2147483647, false, false}));

TEST(Range, NewKeepsTheBoundsFixed) {
    const Range range = Range_new(2, 9);
    EXPECT_EQ(range.start, 2);
    EXPECT_EQ(range.end, 9);
    EXPECT_TRUE(Range_inside(range, range));
    EXPECT_FALSE(Range_inside(Range_new(1, 9), range));
    EXPECT_FALSE(Range_inside(Range_new(2, 10), range));
}

}  // namespace
}  // namespace vorlanex
