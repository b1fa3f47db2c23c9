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
    FilterSet source, other;
    ASSERT_TRUE(test::FillFilters(&source, {Filter("Docs", "*.doc;*.txt;"), Filter("Off", "*.off;", false, 0, false),
                                            Filter("Temporary", "*.tmp;~*.*;", true)}));
    ASSERT_TRUE(test::FillFilters(&other, {Filter("Images", "*.bmp;")}));
    Report report, fresh;
    report.SetCreated("yesterday");
    report.SetFilters(&source);
    bool temporary = false;  // the copy is compiled and matches on its own
    const bool matched = test::MatchName(&report.Filters(), "~old.tmp", 10, &temporary);
    EXPECT_EQ(test::Join(report.Created().empty(), Names(report.Filters()), matched, temporary,
                         test::MatchName(&report.Filters(), "x.off")),
              test::Join(true, "Docs=1,Temporary=2", true, true, false));
    // A second call replaces the filters; a disabled or missing source keeps them but still
    // clears the created text.
    report.SetFilters(&other);
    const std::string replaced = Names(report.Filters());
    other.SetEnabled(false);
    report.SetCreated("today");
    report.SetFilters(&other);
    const bool cleared = report.Created().empty();
    report.SetFilters(nullptr);
    fresh.SetFilters(&other);
    EXPECT_EQ(test::Join(replaced, cleared, Names(report.Filters()), fresh.Filters().Count()), "Images=1 1 Images=1 0");
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

// A new tree replaces the old one, and the report deletes its last tree and policy with it:
// leaks show up under the sanitizer build.
TEST(Report, OwnsAndDeletesItsTreeAndPolicy) {
    Report report;
    report.SetRoot(SmallTree());
    report.SetPolicy(std::make_unique<ClusterPolicy>());
    report.SetRoot(SmallTree());
    EXPECT_STREQ(report.Root()->nextSibling->name, "D:\\");
}

}  // namespace
}  // namespace qv
