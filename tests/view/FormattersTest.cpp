// The shared formatters and the size class, table-driven.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "core/Report.h"
#include "view/Formatters.h"
#include "view/ItemTitle.h"

namespace qv {
namespace {

constexpr std::int64_t kGiB = 1073741824;

// Decimal thresholds pick the unit, binary divisors scale the value.
TEST(FormatSize, PicksDecimalThresholdsAndBinaryDivisors) {
    const std::tuple<std::int64_t, bool, const char*, const char*, int> cases[] = {
        // bytes, padded, number, unit
        {0, false, "0", "bytes", kUnitBytes},
        {1023, false, "1023", "bytes", kUnitBytes},
        {1024, false, "1", "K", kUnitK},
        {999999, false, "976.56", "K", kUnitK},
        {1000000, false, "0.95", "MB", kUnitMB},
        {1000000000, false, "0.93", "Gb", kUnitGb},
        {3 * kGiB + 100, false, "3", "Gb", kUnitGb},     // within 1e-7 of a whole number
        {3 * kGiB + 108, false, "3.00", "Gb", kUnitGb},  // just outside it
        {INT64_MAX, false, "8589934592", "Gb", kUnitGb},
        {5, true, "  5", "bytes", kUnitBytes},
        {1024, true, "     1", "K", kUnitK},
        {1536, true, "  1.50", "K", kUnitK},
    };
    for (const auto& [bytes, padded, number, unit, index] : cases) {
        std::string gotNumber = "stale";
        std::string gotUnit = "stale";
        EXPECT_EQ(FormatSize(bytes, &gotNumber, &gotUnit, padded), index) << bytes;
        EXPECT_EQ(gotNumber + " " + gotUnit, std::string(number) + " " + unit) << bytes << (padded ? " padded" : "");
    }
}

TEST(FormatGroupedNumber, PutsABlankBeforeEveryThirdDigitFromTheRight) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "0"}, {999, "999"}, {1000, "1 000"}, {INT64_MAX, "9 223 372 036 854 775 807"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(FormatGroupedNumber(value), expected) << value;
    }
}

TEST(FormatAge, FollowsTheUnitTableAtEveryBoundary) {
    const std::tuple<std::int32_t, const char*> cases[] = {
        {0, "0 weeks"},     {1, "one day"},    {6, "6 days"},     {7, "one week"},    {14, "2 weeks"},
        {29, "29 days"},    {30, "one month"}, {31, "4 weeks"},   {59, "8 weeks"},    {60, "2 months"},
        {359, "11 months"}, {360, "one year"}, {389, "one year"}, {390, "13 months"}, {720, "2 years"},
    };
    for (const auto& [days, expected] : cases) {
        std::string number;
        std::string unit;
        FormatAge(days, &number, &unit);
        EXPECT_EQ(number + " " + unit, expected) << days;
    }
}

TEST(SizeClass, StartsANewClassExactlyAtAShareBoundary) {
    const std::tuple<std::int64_t, std::int64_t, int> cases[] = {
        // allocated, parent's, class
        {0, 100, 0},      {5, 0, 0},        {1, 1000000000000, 1}, {299, 10000, 1},   {300, 10000, 2},
        {4999, 10000, 7}, {5000, 10000, 8}, {10000, 10000, 9},     {15000, 10000, 9},
    };
    for (const auto& [allocated, parent, expected] : cases) {
        EXPECT_EQ(SizeClass(allocated, parent, true), expected) << allocated << "/" << parent;
    }
    EXPECT_EQ(SizeClass(1, 100, false), 9);
}

TEST(TreeViewOptions, AccessCutoffIsMidnightMinusTheAge) {
    constexpr platform::FileTime kDay = 864000000000ULL;
    const platform::FileTime today = 150000 * kDay;
    EXPECT_EQ((std::vector<platform::FileTime>{AccessCutoffFor(180, today), AccessCutoffFor(-5, today),
                                                AccessCutoffFor(150000, today), AccessCutoffFor(INT32_MAX, today)}),
              (std::vector<platform::FileTime>{today - 180 * kDay, today, 0, 0}));
}

}  // namespace
}  // namespace qv
