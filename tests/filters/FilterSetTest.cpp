// Filter sets: ids and renumbering, refusals, the shared matcher list, counting, copying, the
// built-in set and the file tools' accept/except lists.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "TestUtil.h"
#include "filters/FilterSet.h"

namespace qv {
namespace {

using test::FillFilters;
using test::Filter;
using test::MatchName;

// "name=id" of every filter in list order.
std::string Ids(const FilterSet& set) {
    std::string ids;
    FilterInfo info;
    for (int position = 1; set.GetFilterAt(position, &info); ++position) {
        ids += (position > 1 ? " " : "") + info.name + "=" + std::to_string(info.id);
    }
    return ids;
}

// A filter's counters: files, bytes, allocated bytes.
std::tuple<std::uint32_t, std::int64_t, std::int64_t> Counters(const FilterSet& set, const std::string& name) {
    FilterInfo info;
    EXPECT_TRUE(set.FindByName(name, &info)) << name;
    return {info.count, info.bytes, info.allocated};
}
using CounterTuple = std::tuple<std::uint32_t, std::int64_t, std::int64_t>;

TEST(FilterSetIds, AddingAtATakenIdMovesTheRestUp) {
    FilterSet set;
    FillFilters(&set, {Filter("a", "*.a"), Filter("b", "*.b"), Filter("c", "*.c")});
    set.SetEditing(true);
    EXPECT_EQ(set.AddFilter(Filter("new", "*.n", false, 2)), 4);
    EXPECT_EQ(Ids(set), "a=1 b=3 c=4 new=2");
    // Without an id the filter takes the last filter's id plus one, even when that is taken.
    EXPECT_NE(set.AddFilter(Filter("next", "*.x")), 0);
    EXPECT_EQ(Ids(set), "a=1 b=4 c=5 new=2 next=3");
    EXPECT_NE(set.AddFilter(Filter("far", "*.f", false, 40)), 0);  // a free id is simply used
    EXPECT_EQ(Ids(set), "a=1 b=4 c=5 new=2 next=3 far=40");
}

TEST(FilterSetIds, RemovingRenumbersOnlyWhenTheIdIsWithinTheNewCount) {
    for (const auto& [remove, after] : {std::pair{"f2", "f1=1 f3=2 f4=3"}, {"f4", "f1=1 f2=2 f3=3"}}) {
        FilterSet set;
        FillFilters(&set, {Filter("f1", "*.1"), Filter("f2", "*.2"), Filter("f3", "*.3"), Filter("f4", "*.4")});
        EXPECT_TRUE(set.RemoveFilter(remove));
        EXPECT_EQ(Ids(set), after) << remove;
        EXPECT_FALSE(set.RemoveFilter(remove));
    }
    // An id beyond the new count renumbers nothing, even when larger ids exist.
    FilterSet gaps;
    FillFilters(&gaps, {Filter("a", "*.a", false, 1), Filter("b", "*.b", false, 5), Filter("c", "*.c", false, 9)});
    EXPECT_TRUE(gaps.RemoveFilter("b"));
    EXPECT_EQ(Ids(gaps), "a=1 c=9");
}

TEST(FilterSetAdd, RefusalsRecordTheirReason) {
    FilterSet set;
    EXPECT_EQ(set.AddFilter(Filter("a", "*.a")), 0);  // not editing: no error recorded
    EXPECT_EQ(set.LastError(), FilterError::None);
    set.SetEditing(true);
    ASSERT_NE(set.AddFilter(Filter("a", "*.a")), 0);
    const std::pair<FilterInfo, FilterError> cases[] = {
        {Filter("", "*.a"), FilterError::Empty},
        {Filter("x", ""), FilterError::Empty},
        {Filter("a", "*.other"), FilterError::NameExists},
    };
    for (const auto& [info, error] : cases) {
        EXPECT_EQ(set.AddFilter(info), 0) << info.name;
        EXPECT_EQ(set.LastError(), error) << info.name;
    }
    EXPECT_NE(set.AddFilter(Filter("A", "*.a")), 0);  // names compare case-sensitively
    while (set.Count() < FilterSet::kMaxFilters) {
        ASSERT_NE(set.AddFilter(Filter("n" + std::to_string(set.Count()), "*.n")), 0);
    }
    EXPECT_EQ(set.AddFilter(Filter("one too many", "*.x")), 0);
    EXPECT_EQ(set.LastError(), FilterError::CannotCreate);
    ASSERT_TRUE(set.RemoveFilter("n7"));
    EXPECT_NE(set.AddFilter(Filter("one too many", "*.x")), 0);
}

// A mask item shared by filters compiles once; a file counts once per filter; any temporary
// filter sharing the matched item marks the file, not only the item's first owner.
TEST(FilterSetMatch, SharedItemsCompileOnceCountEachFilterOnceAndMarkTemporary) {
    FilterSet set;
    FillFilters(&set, {Filter("plain", "*.tmp;*.log"), Filter("temp", "*.old;*.tmp;~*.*", true),
                       Filter("B", "*.tmp;*.TMP;*.tmp")});
    EXPECT_EQ(set.MatcherCount(), 5u);  // '*.tmp', '*.log', '*.old', '~*.*', '*.TMP'
    // name, size, matched, temporary
    const std::tuple<const char*, std::int64_t, bool, bool> cases[] = {
        {"x.TMP", 10, true, true},
        {"~draft.doc", 5, true, true},
        {"a.log", 1, true, false},
        {"report.doc", 1, false, false},
    };
    for (const auto& [name, size, matched, expected] : cases) {
        bool temporary = !expected;
        EXPECT_EQ(MatchName(&set, name, size, &temporary), matched) << name;
        EXPECT_EQ(temporary, expected) << name;
    }
    EXPECT_EQ(std::tuple(Counters(set, "plain"), Counters(set, "temp"), Counters(set, "B"), set.TotalHits()),
              std::tuple(CounterTuple(2, 11, 22), CounterTuple(2, 15, 30), CounterTuple(1, 10, 20), 5u));
}

TEST(FilterSetMatch, EditingAndDisabledSets) {
    FilterSet set;
    FillFilters(&set, {Filter("docs", "*.doc")});
    set.SetEditing(true);
    EXPECT_EQ(set.MatcherCount(), 0u);
    char name[] = "A.DOC";
    EXPECT_FALSE(set.MatchFile(name, 1, 1, nullptr));
    EXPECT_STREQ(name, "A.DOC");  // nothing is matched or folded while editing
    set.SetEditing(false);
    EXPECT_TRUE(set.MatchFile(name, 1, 1, nullptr));
    bool temporary = true;
    EXPECT_FALSE(set.MatchFile(nullptr, 0, 0, &temporary));
    EXPECT_FALSE(temporary);
    set.SetEnabled(false);
    EXPECT_TRUE(set.MatchFile(nullptr, 0, 0, nullptr));
}

// ResetCounters clears the counters; Clear drops the filters but keeps the hits and the file name.
TEST(FilterSetHits, ResetCountersAndClear) {
    FilterSet set;
    FillFilters(&set, {Filter("a", "*.a"), Filter("c", "*.c")});
    MatchName(&set, "x.c", 7);
    set.ResetCounters();
    EXPECT_EQ(std::tuple(set.TotalHits(), Counters(set, "c")), std::tuple(0u, CounterTuple(0, 0, 0)));

    MatchName(&set, "x.a");
    set.SetFileName("summary");
    set.Clear();
    EXPECT_EQ(std::tuple(set.Count(), set.TotalHits(), set.FileName(), MatchName(&set, "x.a")),
              std::tuple(0, 1u, "summary", false));
}

TEST(FilterSetCopy, CopiesAtMost99FiltersInIdOrderUpToAMissingId) {
    FilterSet source;
    source.SetEditing(true);
    for (int i = 1; i <= 120; ++i) {
        ASSERT_NE(source.AddFilter(Filter("f" + std::to_string(i), "*.e" + std::to_string(i))), 0);
    }
    source.SetEditing(false);
    source.SwapIds(1, 2);
    source.SetEnabled(false);
    MatchName(&source, "x.e5");

    FilterSet copy;
    FillFilters(&copy, {Filter("old", "*.old")});
    copy.CopyFrom(source);
    // List order follows ids; counters are not copied.
    EXPECT_EQ(std::tuple(copy.Count(), copy.Editing(), copy.Enabled(), Ids(copy).substr(0, 14), Counters(copy, "f5")),
              std::tuple(99, false, false, "f2=1 f1=2 f3=3", CounterTuple(0, 0, 0)));
    EXPECT_EQ(std::tuple(MatchName(&copy, "x.e99"), MatchName(&copy, "x.e100"), MatchName(&copy, "x.old")),
              std::tuple(true, false, false));

    FilterSet gaps;
    FillFilters(&gaps, {Filter("a", "*.a", false, 1), Filter("b", "*.b", false, 2), Filter("d", "*.d", false, 4)});
    copy.CopyFrom(gaps);
    EXPECT_EQ(Ids(copy), "a=1 b=2");
}

TEST(AcceptExceptLists, AcceptMinusExcept) {
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {
        {"*.txt, *.doc", "", "a.DOC", true},
        {"*.txt,*.doc", "secret*", "Secret.txt", false},
        {"", "", "a.txt", false},     // an empty accept list accepts nothing
        {"*", "   ", "a.txt", true},  // an except text of spaces excludes nothing
    };
    for (const auto& [accept, except, name, qualifies] : cases) {
        AcceptExceptLists lists;
        lists.Build(accept, except);
        std::string buffer = name;
        EXPECT_EQ(lists.Qualifies(buffer.data()), qualifies) << accept << " / " << except << " / " << name;
    }
}

}  // namespace
}  // namespace qv
