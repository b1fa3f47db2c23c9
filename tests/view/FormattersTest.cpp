// The shared formatters and the size class, table-driven.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "core/Report.h"
#include "view/Formatters.h"
#include "view/ItemTitle.h"

namespace qv {
namespace {

struct SizeCase {
    std::int64_t bytes;
    bool padded;
    const char* number;
    const char* unit;
    int index;
};

constexpr std::int64_t kGiB = 1073741824;

TEST(FormatSize, PicksDecimalThresholdsAndBinaryDivisors) {
    const SizeCase cases[] = {
        {0, false, "0", "bytes", kUnitBytes},
        {1023, false, "1023", "bytes", kUnitBytes},
        {1024, false, "1", "K", kUnitK},
        {1536, false, "1.50", "K", kUnitK},
        {999999, false, "976.56", "K", kUnitK},
        {1000000, false, "0.95", "MB", kUnitMB},
        {1048576, false, "1", "MB", kUnitMB},
        {2097153, false, "2.00", "MB", kUnitMB},
        {999999999, false, "953.67", "MB", kUnitMB},
        {1000000000, false, "0.93", "Gb", kUnitGb},
        {kGiB, false, "1", "Gb", kUnitGb},
        {3 * kGiB + 100, false, "3", "Gb", kUnitGb},     // within 1e-7 of a whole number
        {3 * kGiB + 108, false, "3.00", "Gb", kUnitGb},  // just outside it
        {1536 * kGiB, false, "1536", "Gb", kUnitGb},
        {INT64_MAX, false, "8589934592", "Gb", kUnitGb},
        {5, true, "  5", "bytes", kUnitBytes},
        {1023, true, "1023", "bytes", kUnitBytes},
        {1024, true, "     1", "K", kUnitK},
        {1536, true, "  1.50", "K", kUnitK},
        {1000000000, true, "  0.93", "Gb", kUnitGb},
        {312 * 1048576, true, "   312", "MB", kUnitMB},
    };
    for (const SizeCase& c : cases) {
        std::string number = "stale";
        std::string unit = "stale";
        EXPECT_EQ(FormatSize(c.bytes, &number, &unit, c.padded), c.index) << c.bytes;
        EXPECT_EQ(number, c.number) << c.bytes << (c.padded ? " padded" : "");
        EXPECT_EQ(unit, c.unit) << c.bytes;
    }
}

TEST(FormatGroupedNumber, PutsABlankBeforeEveryThirdDigitFromTheRight) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1 000"},
        {12345, "12 345"},
        {123456, "123 456"},
        {1234567, "1 234 567"},
        {1365245952, "1 365 245 952"},
        {INT64_MAX, "9 223 372 036 854 775 807"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(FormatGroupedNumber(value), expected) << value;
    }
}

TEST(FormatAge, FollowsTheUnitTableAtEveryBoundary) {
    const struct {
        std::int32_t days;
        const char* number;
        const char* unit;
    } cases[] = {
        {0, "0", "weeks"},    {1, "one", "day"},    {6, "6", "days"},      {7, "one", "week"},    {14, "2", "weeks"},
        {28, "4", "weeks"},   {29, "29", "days"},   {30, "one", "month"},  {31, "4", "weeks"},    {45, "6", "weeks"},
        {59, "8", "weeks"},   {60, "2", "months"},  {90, "3", "months"},   {359, "11", "months"}, {360, "one", "year"},
        {365, "one", "year"}, {389, "one", "year"}, {390, "13", "months"}, {720, "2", "years"},
    };
    for (const auto& c : cases) {
        std::string number;
        std::string unit;
        FormatAge(c.days, &number, &unit);
        EXPECT_EQ(number, c.number) << c.days;
        EXPECT_EQ(unit, c.unit) << c.days;
    }
}

TEST(FormatDateTime, TimeZeroIsRefusedForDatesAndEmptyForTimes) {
    std::string date = "untouched";
    EXPECT_FALSE(FormatDate(0, &date));
    EXPECT_EQ(date, "untouched");
    std::string clock = "stale";
    EXPECT_TRUE(FormatTime(0, &clock));
    EXPECT_EQ(clock, "");

    // 15 March 2001 12:00 UTC: the texts are the locale's, so compare with the platform's.
    const platform::FileTime time = 126291312000000000ULL;
    ASSERT_TRUE(FormatDate(time, &date));
    EXPECT_EQ(date, platform::LocalDateText(time));
    EXPECT_FALSE(date.empty());
    ASSERT_TRUE(FormatTime(time, &clock));
    EXPECT_EQ(clock, platform::LocalTimeText(time));
    EXPECT_FALSE(clock.empty());
}

TEST(SizeClass, StartsANewClassExactlyAtEachShareBoundary) {
    const struct {
        std::int64_t allocated;
        std::int64_t parent;
        int expected;
    } cases[] = {
        {0, 100, 0},       {5, 0, 0},        {1, 1000000000000, 1}, {299, 10000, 1},  {300, 10000, 2},
        {499, 10000, 2},   {500, 10000, 3},  {699, 10000, 3},       {700, 10000, 4},  {999, 10000, 4},
        {1000, 10000, 5},  {1499, 10000, 5}, {1500, 10000, 6},      {2499, 10000, 6}, {2500, 10000, 7},
        {4999, 10000, 7},  {5000, 10000, 8}, {7999, 10000, 8},      {8000, 10000, 9}, {10000, 10000, 9},
        {15000, 10000, 9},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SizeClass(c.allocated, c.parent, true), c.expected) << c.allocated << "/" << c.parent;
    }
    EXPECT_EQ(SizeClass(0, 0, false), 9);
    EXPECT_EQ(SizeClass(1, 100, false), 9);
}

TEST(TreeViewOptions, AccessCutoffIsMidnightMinusTheAge) {
    constexpr platform::FileTime kDay = 864000000000ULL;
    const platform::FileTime today = 150000 * kDay;
    EXPECT_EQ(AccessCutoffFor(180, today), today - 180 * kDay);
    EXPECT_EQ(AccessCutoffFor(0, today), today);
    EXPECT_EQ(AccessCutoffFor(-5, today), today);
    EXPECT_EQ(AccessCutoffFor(150000, today), 0u);
    EXPECT_EQ(AccessCutoffFor(INT32_MAX, today), 0u);

    const platform::FileTime before = platform::TodayMidnightUtc();
    TreeViewOptions options;
    options.age = 365;
    options.UpdateAccessCutoff();
    const platform::FileTime after = platform::TodayMidnightUtc();
    EXPECT_TRUE(options.accessCutoff == before - 365 * kDay || options.accessCutoff == after - 365 * kDay);
    EXPECT_EQ(TreeViewOptions().titleFlags, TitleIcon);
    EXPECT_EQ(TreeViewOptions().sizeThreshold, 1048576);
}

}  // namespace
}  // namespace qv
