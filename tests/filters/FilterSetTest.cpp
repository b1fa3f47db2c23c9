// Filter sets: ids and renumbering, refusals, the shared matcher list, counting, copying, the
// built-in set and the file tools' accept/except lists.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "filters/FilterSet.h"

namespace qv {
namespace {

FilterInfo Info(const std::string& name, const std::string& masks, std::int32_t id = 0, bool temporary = false) {
    FilterInfo info;
    info.id = id;
    info.name = name;
    info.masks = masks;
    info.temporary = temporary;
    return info;
}

// (name, id) of every filter in list order.
std::vector<std::pair<std::string, int>> Ids(const FilterSet& set) {
    std::vector<std::pair<std::string, int>> ids;
    FilterInfo info;
    for (int position = 1; set.GetFilterAt(position, &info); ++position) {
        ids.emplace_back(info.name, info.id);
    }
    return ids;
}

// A compiled set made of the given filters.
void Fill(FilterSet* set, const std::vector<FilterInfo>& filters) {
    set->SetEditing(true);
    for (const FilterInfo& info : filters) {
        ASSERT_NE(set->AddFilter(info), 0) << info.name;
    }
    set->SetEditing(false);
}

bool Match(FilterSet* set, const std::string& name, std::int64_t size = 1, bool* temporary = nullptr) {
    std::string buffer = name;
    return set->MatchFile(buffer.data(), size, size * 2, temporary);
}

FilterInfo Get(const FilterSet& set, const std::string& name) {
    FilterInfo info;
    EXPECT_TRUE(set.FindByName(name, &info)) << name;
    return info;
}

// A filter's counters: files, bytes, allocated bytes.
std::tuple<std::uint32_t, std::int64_t, std::int64_t> Counters(const FilterSet& set, const std::string& name) {
    const FilterInfo info = Get(set, name);
    return {info.count, info.bytes, info.allocated};
}
using CounterTuple = std::tuple<std::uint32_t, std::int64_t, std::int64_t>;

using IdList = std::vector<std::pair<std::string, int>>;

TEST(FilterSetIds, AddingAtATakenIdMovesTheRestUp) {
    FilterSet set;
    Fill(&set, {Info("a", "*.a"), Info("b", "*.b"), Info("c", "*.c")});
    EXPECT_EQ(Ids(set), (IdList{{"a", 1}, {"b", 2}, {"c", 3}}));

    set.SetEditing(true);
    EXPECT_EQ(set.AddFilter(Info("new", "*.n", 2)), 4);
    EXPECT_EQ(Ids(set), (IdList{{"a", 1}, {"b", 3}, {"c", 4}, {"new", 2}}));
    // Without an id the filter takes the last filter's id plus one, even when that is taken.
    EXPECT_NE(set.AddFilter(Info("next", "*.x")), 0);
    EXPECT_EQ(Ids(set), (IdList{{"a", 1}, {"b", 4}, {"c", 5}, {"new", 2}, {"next", 3}}));
    // A free id is simply used.
    EXPECT_NE(set.AddFilter(Info("far", "*.f", 40)), 0);
    EXPECT_EQ(Ids(set).back(), (std::pair<std::string, int>{"far", 40}));
    EXPECT_EQ(set.Count(), 6);
}

TEST(FilterSetIds, RemovingRenumbersOnlyWhenTheIdIsWithinTheNewCount) {
    const struct {
        const char* remove;
        IdList after;
    } cases[] = {
        {"f2", {{"f1", 1}, {"f3", 2}, {"f4", 3}}},
        {"f4", {{"f1", 1}, {"f2", 2}, {"f3", 3}}},
        {"f1", {{"f2", 1}, {"f3", 2}, {"f4", 3}}},
    };
    for (const auto& c : cases) {
        FilterSet set;
        Fill(&set, {Info("f1", "*.1"), Info("f2", "*.2"), Info("f3", "*.3"), Info("f4", "*.4")});
        EXPECT_TRUE(set.RemoveFilter(c.remove));
        EXPECT_EQ(Ids(set), c.after) << c.remove;
        EXPECT_FALSE(set.RemoveFilter(c.remove));
    }

    // An id beyond the new count renumbers nothing, even when larger ids exist.
    FilterSet gaps;
    Fill(&gaps, {Info("a", "*.a", 1), Info("b", "*.b", 5), Info("c", "*.c", 9)});
    EXPECT_TRUE(gaps.RemoveFilter("b"));
    EXPECT_EQ(Ids(gaps), (IdList{{"a", 1}, {"c", 9}}));
}

TEST(FilterSetIds, SwapExchangesOnlyTwoExistingDifferentIds) {
    FilterSet set;
    Fill(&set, {Info("a", "*.a"), Info("b", "*.b"), Info("c", "*.c")});
    set.SwapIds(1, 3);
    EXPECT_EQ(Ids(set), (IdList{{"a", 3}, {"b", 2}, {"c", 1}}));
    set.SwapIds(2, 7);
    set.SwapIds(2, 2);
    EXPECT_EQ(Ids(set), (IdList{{"a", 3}, {"b", 2}, {"c", 1}}));
    FilterInfo info;
    ASSERT_TRUE(set.FindById(1, &info));
    EXPECT_EQ(info.name, "c");
    EXPECT_FALSE(set.FindById(4, &info));
}

TEST(FilterSetAdd, RefusalsRecordTheirReason) {
    FilterSet set;
    EXPECT_EQ(set.AddFilter(Info("a", "*.a")), 0);  // not editing: no error recorded
    EXPECT_EQ(set.LastError(), FilterError::None);

    set.SetEditing(true);
    const struct {
        FilterInfo info;
        FilterError error;
    } cases[] = {
        {Info("", "*.a"), FilterError::Empty},
        {Info("x", ""), FilterError::Empty},
        {Info("a", "*.other"), FilterError::NameExists},
    };
    ASSERT_NE(set.AddFilter(Info("a", "*.a")), 0);
    for (const auto& c : cases) {
        EXPECT_EQ(set.AddFilter(c.info), 0) << c.info.name;
        EXPECT_EQ(set.LastError(), c.error) << c.info.name;
    }
    EXPECT_NE(set.AddFilter(Info("A", "*.a")), 0);  // names compare case-sensitively
    set.SetEditing(false);
    EXPECT_EQ(set.AddFilter(Info("z", "*.z")), 0);
    EXPECT_EQ(set.LastError(), FilterError::NameExists);  // unchanged
    EXPECT_EQ(set.Count(), 2);
}

TEST(FilterSetAdd, AFullSetRefusesMore) {
    FilterSet set;
    set.SetEditing(true);
    while (set.Count() < FilterSet::kMaxFilters) {
        ASSERT_NE(set.AddFilter(Info("n" + std::to_string(set.Count()), "*.n")), 0);
    }
    EXPECT_EQ(set.AddFilter(Info("one too many", "*.x")), 0);
    EXPECT_EQ(set.LastError(), FilterError::CannotCreate);
    ASSERT_TRUE(set.RemoveFilter("n7"));
    EXPECT_NE(set.AddFilter(Info("one too many", "*.x")), 0);
}

TEST(FilterSetMatch, SharedItemsCompileOnceAndCountEachFilterOnce) {
    FilterSet set;
    Fill(&set, {Info("A", "*.tmp;~*.*", 0, true), Info("B", "*.tmp;*.TMP;*.tmp")});
    EXPECT_EQ(set.MatcherCount(), 3u);  // '*.tmp', '~*.*', '*.TMP'

    bool temporary = false;
    EXPECT_TRUE(Match(&set, "~X.tmp", 10, &temporary));
    EXPECT_TRUE(temporary);
    EXPECT_EQ(Counters(set, "A"), CounterTuple(1, 10, 20));
    EXPECT_EQ(Get(set, "B").count, 1u);
    EXPECT_EQ(set.TotalHits(), 2u);

    EXPECT_TRUE(Match(&set, "~draft.doc", 5, &temporary));
    EXPECT_TRUE(temporary);
    EXPECT_FALSE(Match(&set, "report.doc", 5, &temporary));
    EXPECT_FALSE(temporary);
    EXPECT_EQ(Counters(set, "A"), CounterTuple(2, 15, 30));
    EXPECT_EQ(Get(set, "B").count, 1u);
    EXPECT_EQ(set.TotalHits(), 3u);
}

TEST(FilterSetMatch, AnyTemporaryFilterSharingAnItemRaisesTheMark) {
    FilterSet set;
    Fill(&set, {Info("plain", "*.tmp;*.log"), Info("temp", "*.old;*.tmp", 0, true)});
    // 'a.tmp': the owner 'plain' is not temporary, the further filter is.
    for (const auto& [name, expected] : {std::pair{"a.tmp", true}, {"a.log", false}, {"a.old", true}}) {
        bool temporary = !expected;
        EXPECT_TRUE(Match(&set, name, 1, &temporary)) << name;
        EXPECT_EQ(temporary, expected) << name;
    }
}

TEST(FilterSetMatch, EditingAndDisabledSets) {
    FilterSet set;
    Fill(&set, {Info("docs", "*.doc")});
    set.SetEditing(true);
    EXPECT_EQ(set.MatcherCount(), 0u);
    char name[] = "A.DOC";
    EXPECT_FALSE(set.MatchFile(name, 1, 1, nullptr));
    EXPECT_STREQ(name, "A.DOC");  // nothing is matched or folded while editing
    set.SetEditing(false);
    EXPECT_TRUE(set.MatchFile(name, 1, 1, nullptr));
    EXPECT_STREQ(name, "a.doc");

    bool temporary = true;
    EXPECT_FALSE(set.MatchFile(nullptr, 0, 0, &temporary));
    EXPECT_FALSE(temporary);
    set.SetEnabled(false);
    EXPECT_TRUE(set.MatchFile(nullptr, 0, 0, nullptr));
}

TEST(FilterSetMatch, RemovingWhileCompiledKeepsMatchingTheRest) {
    FilterSet set;
    Fill(&set, {Info("a", "*.x;*.a"), Info("b", "*.x;*.b"), Info("c", "*.c")});
    ASSERT_TRUE(set.RemoveFilter("a"));
    EXPECT_FALSE(Match(&set, "f.a"));
    EXPECT_TRUE(Match(&set, "f.x"));
    EXPECT_TRUE(Match(&set, "f.c"));
    EXPECT_EQ(Get(set, "b").count, 1u);
    EXPECT_EQ(Get(set, "c").count, 1u);
    EXPECT_EQ(set.TotalHits(), 2u);
}

TEST(FilterSetHits, HitFiltersAreThoseWithBytes) {
    FilterSet set;
    Fill(&set, {Info("a", "*.a"), Info("b", "*.b"), Info("c", "*.c")});
    FilterInfo info;
    EXPECT_FALSE(set.GetHitFilter(1, &info));

    Match(&set, "empty.a", 0);
    EXPECT_EQ(set.TotalHits(), 1u);
    EXPECT_FALSE(set.GetHitFilter(1, &info));  // hits, but no bytes

    Match(&set, "x.c", 7);
    Match(&set, "y.b", 3);
    ASSERT_TRUE(set.GetHitFilter(1, &info));
    EXPECT_EQ(info.name, "b");
    ASSERT_TRUE(set.GetHitFilter(2, &info));
    EXPECT_EQ(info.name, "c");
    EXPECT_EQ(info.bytes, 7);
    EXPECT_FALSE(set.GetHitFilter(3, &info));
    EXPECT_FALSE(set.GetHitFilter(0, &info));

    set.ResetCounters();
    EXPECT_EQ(set.TotalHits(), 0u);
    EXPECT_FALSE(set.GetHitFilter(1, &info));
    EXPECT_EQ(Counters(set, "c"), CounterTuple(0, 0, 0));
}

TEST(FilterSetClear, KeepsHitsAndFileNameButDropsFilters) {
    FilterSet set;
    Fill(&set, {Info("a", "*.a")});
    set.SetFileName("summary");
    Match(&set, "x.a");
    set.Clear();
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(set.TotalHits(), 1u);
    EXPECT_EQ(set.FileName(), "summary");
    EXPECT_FALSE(Match(&set, "x.a"));
}

TEST(FilterSetCopy, CopiesAtMost99FiltersInIdOrder) {
    FilterSet source;
    source.SetEditing(true);
    for (int i = 0; i < 120; ++i) {
        ASSERT_NE(source.AddFilter(Info("f" + std::to_string(i + 1), "*.e" + std::to_string(i + 1))), 0);
    }
    source.SetEditing(false);
    source.SwapIds(1, 2);
    source.SetEnabled(false);
    Match(&source, "x.e5");

    FilterSet copy;
    Fill(&copy, {Info("old", "*.old")});
    copy.CopyFrom(source);
    EXPECT_EQ(copy.Count(), 99);
    EXPECT_FALSE(copy.Editing());
    EXPECT_FALSE(copy.Enabled());
    const IdList ids = Ids(copy);
    EXPECT_EQ(ids[0], (std::pair<std::string, int>{"f2", 1}));  // list order follows ids
    EXPECT_EQ(ids[1], (std::pair<std::string, int>{"f1", 2}));
    EXPECT_EQ(ids[98], (std::pair<std::string, int>{"f99", 99}));
    EXPECT_EQ(Get(copy, "f5").count, 0u);  // counters are not copied
    EXPECT_TRUE(Match(&copy, "x.e99"));
    EXPECT_FALSE(Match(&copy, "x.e100"));
    EXPECT_FALSE(Match(&copy, "x.old"));
}

TEST(FilterSetCopy, StopsAtTheFirstMissingId) {
    FilterSet source;
    Fill(&source, {Info("a", "*.a", 1), Info("b", "*.b", 2), Info("d", "*.d", 4)});
    FilterSet copy;
    copy.CopyFrom(source);
    EXPECT_EQ(Ids(copy), (IdList{{"a", 1}, {"b", 2}}));
}

TEST(FilterSetBuiltIn, SixFiltersWithTheirMasks) {
    FilterSet set;
    set.SetEnabled(false);
    Fill(&set, {Info("mine", "*.mine")});
    set.SetBuiltIn();
    EXPECT_TRUE(set.Enabled());
    EXPECT_FALSE(set.Editing());
    const struct {
        const char* name;
        const char* masks;
        bool temporary;
    } expected[] = {
        {"Executable, Libraries", "*.exe;*.dll;*.ocx;", false},
        {"Internet files", "*.htm;*.html;", false},
        {"Documents", "*.doc;*.txt;*.pdf;", false},
        {"Images", "*.bmp;*.gif;*.jpg;", false},
        {"Archives", "*.zip;*.arj;", false},
        {"Temporary", "*.tmp;~*.*;*.bak;", true},
    };
    ASSERT_EQ(set.Count(), 6);
    for (int i = 0; i < 6; ++i) {
        FilterInfo info;
        ASSERT_TRUE(set.GetFilterAt(i + 1, &info));
        EXPECT_EQ(std::tie(info.id, info.name, info.masks, info.temporary, info.enabled),
                  std::make_tuple(i + 1, expected[i].name, expected[i].masks, expected[i].temporary, true));
    }

    const struct {
        const char* file;
        bool match;
        bool temporary;
    } files[] = {
        {"SETUP.EXE", true, false}, {"index.html", true, false}, {"~$report.doc", true, true},
        {"x.bak", true, true},      {"makefile", false, false},  {"archive.tar", false, false},
    };
    for (const auto& f : files) {
        bool temporary = !f.temporary;
        EXPECT_EQ(Match(&set, f.file, 1, &temporary), f.match) << f.file;
        EXPECT_EQ(temporary, f.temporary) << f.file;
    }
    EXPECT_EQ(Get(set, "Documents").count, 1u);
    EXPECT_EQ(Get(set, "Temporary").count, 2u);
    EXPECT_EQ(set.TotalHits(), 5u);
}

TEST(AcceptExceptLists, AcceptMinusExcept) {
    const struct {
        const char* accept;
        const char* except;
        const char* name;
        bool qualifies;
    } cases[] = {
        {"*.txt, *.doc", "", "a.DOC", true},
        {"*.txt,*.doc", "secret*", "Secret.txt", false},
        {"*.txt", "secret*", "open.txt", true},
        {"", "", "a.txt", false},     // an empty accept list accepts nothing
        {"*", "   ", "a.txt", true},  // an except text of spaces excludes nothing
        {"*.*", "*.bak;~*", "~a.txt", false},
        {"*.*", "*.bak;~*", "a.bak", false},
    };
    for (const auto& c : cases) {
        AcceptExceptLists lists;
        lists.Build(c.accept, c.except);
        std::string name = c.name;
        EXPECT_EQ(lists.Qualifies(name.data()), c.qualifies) << c.accept << " / " << c.except << " / " << c.name;
    }
}

}  // namespace
}  // namespace qv
