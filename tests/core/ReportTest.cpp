// The report object: its filter copy, its ownership of the tree and policy, its created text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestUtil.h"
#include "core/Report.h"
#include "view/Formatters.h"

namespace qv {
namespace {

using test::Filter;

// The (name, id) of every filter of `set` in list order, joined: "Docs=1,Temporary=2".
std::string Names(const FilterSet& set) {
    std::string text;
    FilterInfo info;
    for (int position = 1; set.GetFilterAt(position, &info); ++position) {
        text += (position > 1 ? "," : "") + info.name + "=" + std::to_string(info.id);
    }
    return text;
}

TEST(Report, SetFiltersCopiesOnlyEnabledFiltersInOrder) {
    FilterSet source;
    ASSERT_TRUE(test::FillFilters(&source, {Filter("Docs", "*.doc;*.txt;"), Filter("Off", "*.off;", false, 0, false),
                                            Filter("Temporary", "*.tmp;~*.*;", true)}));
    Report report;
    report.SetCreated("yesterday");
    report.SetFilters(&source);
    EXPECT_EQ(report.Created(), "");
    EXPECT_EQ(Names(report.Filters()), "Docs=1,Temporary=2");
    // The copy is compiled and matches on its own.
    bool temporary = false;
    EXPECT_TRUE(test::MatchName(&report.Filters(), "~old.tmp", 10, &temporary));
    EXPECT_TRUE(temporary);
    EXPECT_FALSE(test::MatchName(&report.Filters(), "x.off"));

    // A second call replaces the filters; a disabled or missing source keeps them.
    FilterSet other;
    ASSERT_TRUE(test::FillFilters(&other, {Filter("Images", "*.bmp;")}));
    report.SetFilters(&other);
    EXPECT_EQ(Names(report.Filters()), "Images=1");
    other.SetEnabled(false);
    report.SetCreated("today");
    report.SetFilters(&other);
    EXPECT_EQ(report.Created(), "");
    report.SetFilters(nullptr);
    EXPECT_EQ(Names(report.Filters()), "Images=1");
    Report fresh;
    fresh.SetFilters(&other);
    EXPECT_EQ(fresh.Filters().Count(), 0);
}

// Builds root -> a -> b plus a second top-level node beside the root, as a loaded file may.
FolderRecord* SmallTree() {
    FolderRecord* root = CreateNode(nullptr, "C:\\");
    CreateNode(CreateNode(root, "a"), "b");
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
    EXPECT_EQ(CreatedText(time), platform::LocalDateText(time) + " at " + platform::LocalTimeText(time));
    Report report;
    report.SetCreated(std::string(600, 'c'));
    EXPECT_EQ(report.Created().size(), kMaxReportText);
}

}  // namespace
}  // namespace qv
