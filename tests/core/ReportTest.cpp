// The report object and the folder record accessors.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/Report.h"
#include "view/Formatters.h"

namespace qv {
namespace {

FilterInfo Filter(const char* name, const char* masks, bool enabled, bool temporary = false) {
    FilterInfo info;
    info.name = name;
    info.masks = masks;
    info.enabled = enabled;
    info.temporary = temporary;
    return info;
}

void Fill(FilterSet* set, std::initializer_list<FilterInfo> filters) {
    set->SetEditing(true);
    for (const FilterInfo& info : filters) {
        ASSERT_NE(set->AddFilter(info), 0) << info.name;
    }
    set->SetEditing(false);
}

TEST(Report, StartsEmptyWithItsOwnSerial) {
    Report first;
    Report second;
    EXPECT_EQ(first.Root(), nullptr);
    EXPECT_EQ(first.Policy(), nullptr);
    EXPECT_EQ(first.Created(), "");
    EXPECT_EQ(first.Version(), "0.0.4");
    EXPECT_EQ(first.Filters().Count(), 0);
    EXPECT_TRUE(first.Filters().Enabled());
    // Each report takes a number and skips one; nothing else takes report serials.
    EXPECT_EQ(static_cast<std::uint32_t>(second.Serial()) - static_cast<std::uint32_t>(first.Serial()), 2u);
}

TEST(Report, SetFiltersCopiesOnlyEnabledFiltersInOrder) {
    FilterSet source;
    Fill(&source, {Filter("Docs", "*.doc;*.txt;", true), Filter("Off", "*.off;", false),
                   Filter("Temporary", "*.tmp;~*.*;", true, true)});
    Report report;
    report.SetCreated("yesterday");
    report.SetFilters(&source);

    EXPECT_EQ(report.Created(), "");
    ASSERT_EQ(report.Filters().Count(), 2);
    EXPECT_TRUE(report.Filters().Enabled());
    FilterInfo info;
    ASSERT_TRUE(report.Filters().GetFilterAt(1, &info));
    EXPECT_EQ(info.name, "Docs");
    EXPECT_EQ(info.id, 1);
    ASSERT_TRUE(report.Filters().GetFilterAt(2, &info));
    EXPECT_EQ(info.name, "Temporary");
    EXPECT_EQ(info.id, 2);
    EXPECT_TRUE(info.temporary);

    // The copy is compiled and matches on its own.
    char name[] = "~old.tmp";
    bool temporary = false;
    EXPECT_TRUE(report.Filters().MatchFile(name, 10, 4096, &temporary));
    EXPECT_TRUE(temporary);
    char off[] = "x.off";
    EXPECT_FALSE(report.Filters().MatchFile(off, 10, 4096, nullptr));

    // A second call replaces the filters rather than adding to them.
    FilterSet other;
    Fill(&other, {Filter("Images", "*.bmp;", true)});
    report.SetFilters(&other);
    ASSERT_EQ(report.Filters().Count(), 1);
    ASSERT_TRUE(report.Filters().GetFilterAt(1, &info));
    EXPECT_EQ(info.name, "Images");
}

TEST(Report, MissingOrDisabledSourceKeepsTheSet) {
    FilterSet source;
    Fill(&source, {Filter("Docs", "*.doc;", true)});
    Report report;
    report.SetFilters(&source);

    FilterSet disabled;
    Fill(&disabled, {Filter("Images", "*.bmp;", true)});
    disabled.SetEnabled(false);
    report.SetCreated("today");
    report.SetFilters(&disabled);
    EXPECT_EQ(report.Created(), "");
    EXPECT_EQ(report.Filters().Count(), 1);

    report.SetCreated("today");
    report.SetFilters(nullptr);
    EXPECT_EQ(report.Created(), "");
    EXPECT_EQ(report.Filters().Count(), 1);

    Report fresh;
    fresh.SetFilters(&disabled);
    EXPECT_EQ(fresh.Filters().Count(), 0);
}

// Builds root -> a -> b plus a second top-level node beside the root, as a loaded file may.
FolderRecord* SmallTree() {
    FolderRecord* root = CreateNode(nullptr, "C:\\");
    FolderRecord* a = CreateNode(root, "a");
    CreateNode(a, "b");
    FolderRecord* sibling = CreateNode(nullptr, "D:\\");
    root->nextSibling = sibling;
    sibling->prevSibling = root;
    return root;
}

// Leaks of the trees below show up under the sanitizer build.
TEST(Report, OwnsAndDeletesItsTreeAndPolicy) {
    Report report;
    report.SetRoot(SmallTree());
    report.SetPolicy(std::make_unique<ClusterPolicy>());
    ASSERT_NE(report.Root(), nullptr);
    report.SetRoot(SmallTree());  // the first tree goes
    report.Clear();
    EXPECT_EQ(report.Root(), nullptr);
    EXPECT_EQ(report.Policy(), nullptr);

    report.SetRoot(SmallTree());
    FolderRecord* taken = report.ReleaseRoot();
    EXPECT_EQ(report.Root(), nullptr);
    ASSERT_NE(taken, nullptr);
    EXPECT_STREQ(taken->nextSibling->name, "D:\\");
    DeleteNode(taken->nextSibling);
    DeleteNode(taken);

    Report destroyed;
    destroyed.SetRoot(SmallTree());
    destroyed.SetPolicy(std::make_unique<ClusterPolicy>());
}

TEST(Report, CreatedTextJoinsLocalDateAndTime) {
    const platform::FileTime time = 126291312000000000ULL;
    std::string date;
    std::string clock;
    ASSERT_TRUE(FormatDate(time, &date));
    ASSERT_TRUE(FormatTime(time, &clock));
    EXPECT_EQ(CreatedText(time), date + " at " + clock);

    Report report;
    report.SetCreated(std::string(600, 'c'));
    EXPECT_EQ(report.Created().size(), kMaxReportText);
}

TEST(FolderRecord, KeysAndStatistics) {
    EXPECT_EQ(FilterKey(kFilterFiles, "Documents"), "1N@F:Documents");
    EXPECT_EQ(FilterKey(kFilterDirectAllocated, "Temporary"), "6A@F:Temporary");
    EXPECT_EQ(FilterKey(kFilterSize, ""), "2S@F:");

    FolderRecord* record = CreateNode(nullptr, "r");
    record->attrs.Set(LFN, AttrValue(std::int64_t{5000000000}), false);
    record->attrs.Set(FCA, AttrValue(std::int32_t{-1}), false);
    record->attrs.Set(ALC, AttrValue("C:\\x"), false);
    record->attrs.Set(ELT, AttrValue(2.5), false);
    EXPECT_EQ(ReadStat(record, LFN), 5000000000);
    EXPECT_EQ(ReadStat(record, FCA), -1);
    EXPECT_EQ(ReadStat(record, ALC), 0);  // a text is not a statistic
    EXPECT_EQ(ReadStat(record, ELT), 0);
    EXPECT_EQ(ReadStat(record, MFS), 0);  // missing
    EXPECT_EQ(ReadStat(nullptr, MFS), 0);
    EXPECT_STREQ(ReadText(record, ALC), "C:\\x");
    EXPECT_EQ(ReadText(record, LFN), nullptr);
    EXPECT_EQ(ReadText(nullptr, ALC), nullptr);

    EXPECT_TRUE(WriteStat(record, LFN, 7, true));  // replaces, does not append
    EXPECT_EQ(ReadStat(record, LFN), 7);
    EXPECT_EQ(record->attrs.Count(), 4u);
    DeleteNode(record);
}

}  // namespace
}  // namespace qv
