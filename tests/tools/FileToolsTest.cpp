// Per-file decisions and result texts of the attributes and date/time tools.
#include "tools/FileTools.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace qv::tools {
namespace {

constexpr std::uint32_t R = 0x01, H = 0x02, S = 0x04, A = 0x20;

TEST(FileTools, AttributeDecisions) {
    // Rows: Read-Only, Archive, Hidden.
    const AttrChoices set{.checked = {true, false, true}};
    const AttrChoices clear{.action = AttrAction::Clear, .checked = {true, true, false}};
    const AttrChoices readOnlyOff{
        .action = AttrAction::Change, .conditions = {AttrCondition::On}, .states = {AttrNewState::Off}};
    const AttrChoices archiveOn{.action = AttrAction::Change,
                                .conditions = {AttrCondition::Any, AttrCondition::Any, AttrCondition::Off},
                                .states = {AttrNewState::Same, AttrNewState::On}};
    const struct {
        const AttrChoices* choices;
        std::uint32_t current;
        bool counted;
        std::uint32_t result;
    } cases[] = {
        {&set, A | S, true, A | S | R | H},
        {&clear, R | A | H, true, H},   {&clear, H, true, H},  // written though unchanged
        {&readOnlyOff, R | A, true, A}, {&readOnlyOff, A, false, 0},
        {&archiveOn, R, true, R | A},   {&archiveOn, H, false, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t result = 0;
        const bool counted = DecideAttributes(*c.choices, c.current, &result);
        EXPECT_EQ(std::pair(counted, counted ? result : 0), std::pair(c.counted, c.result)) << c.current;
    }
}

TEST(FileTools, DatesAndTimes) {
    const std::tuple<int, int, int, bool> dates[] = {
        {2026, 4, 31, false}, {2026, 2, 29, false}, {2028, 2, 29, true}, {2100, 2, 29, false},
    };
    for (const auto& [year, month, day, valid] : dates) {
        EXPECT_EQ(IsValidDate(year, month, day), valid) << year << "-" << month << "-" << day;
    }
    const LocalStamp file{2024, 3, 3, 9, 12, 45, 120};
    const auto fields = [](const LocalStamp& t) {
        return std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.millisecond};
    };
    EXPECT_EQ(fields(ApplyDateChoices(file, DateChoices{false, true, 12, 25, 14, 30}, 2026)),
              (std::vector<int>{2024, 3, 3, 14, 30, 0, 0}));
    EXPECT_EQ(fields(ApplyDateChoices(file, DateChoices{true, false, 12, 25, 14, 30}, 2026)),
              (std::vector<int>{2026, 12, 25, 9, 12, 45, 120}));
}

TEST(FileTools, ResultTexts) {
    EXPECT_EQ(AttributesResultText(0, 0), "No files found");
    EXPECT_EQ(DateResultText(3, 0),
              "No files processed (3 found)\nFiles may be opened or have SYSTEM or READ-ONLY attribute");
    EXPECT_EQ(AttributesResultText(4, 4), " 4 files have been found and processed");
    EXPECT_EQ(DateResultText(5, 2),
              "2 files have been processed (5 found)\n3 files may be locked or have SYSTEM attribute");
}

}  // namespace
}  // namespace qv::tools
