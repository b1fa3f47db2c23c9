// Values, attribute lists with their cursor and error state, name interning, serials, node
// links and the node searches.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "attr/AttrTree.h"

namespace qv {
namespace {

std::string TextOf(const char* text) {
    return text == nullptr ? std::string("<null>") : std::string(text);
}

TEST(AttrValue, AccessorsFollowTheTypeLetter) {
    static const char kBorrowed[] = " -7x";
    // value, letter, AsInt64, AsDouble, AsText, AsLenientInt, ToText
    const std::tuple<AttrValue, char, std::int64_t, double, const char*, std::int32_t, const char*> cases[] = {
        {AttrValue("12abc"), 's', 0, 0.0, "12abc", 12, "12abc"},
        {AttrValue(static_cast<const char*>(nullptr)), 's', 0, 0.0, nullptr, 0, nullptr},
        {AttrValue("99999999999"), 's', 0, 0.0, "99999999999", INT32_MAX, "99999999999"},
        {AttrValue::Borrowed(kBorrowed), 'f', 0, 0.0, kBorrowed, -7, kBorrowed},
        {AttrValue(std::int32_t{INT32_MIN}), 'i', INT32_MIN, INT32_MIN, nullptr, INT32_MIN, "-2147483648"},
        {AttrValue(std::int64_t{0x100000005}), 'q', 0x100000005, 0.0, nullptr, 5, "4294967301"},
        {AttrValue(std::int64_t{INT64_MIN}), 'q', INT64_MIN, 0.0, nullptr, 0, "-9223372036854775808"},
        {AttrValue(-0.125), 'r', 0, -0.125, nullptr, 0, "-0.125000"},
        {AttrValue(), 'u', 0, 0.0, nullptr, 0, nullptr},
    };
    for (const auto& [value, type, asInt64, asDouble, asText, lenient, toText] : cases) {
        char buffer[kValueTextSize];
        EXPECT_EQ(std::tuple(value.Type(), value.AsInt64(), value.AsDouble(), TextOf(value.AsText()),
                             value.AsLenientInt(), TextOf(value.ToText(buffer, sizeof buffer))),
                  std::tuple(type, asInt64, asDouble, TextOf(asText), lenient, TextOf(toText)));
    }
}

TEST(AttrValue, ToTextNeverWritesPastTheBuffer) {
    char widest[400];
    std::snprintf(widest, sizeof widest, "%f", -1.7976931348623157e308);
    char buffer[kValueTextSize];
    EXPECT_STREQ(AttrValue(-1.7976931348623157e308).ToText(buffer, sizeof buffer), widest);
    char small[12];
    std::memset(small, '#', sizeof small);
    EXPECT_STREQ(AttrValue(12345678.0).ToText(small, 8), "1234567");  // cut short, terminated within the 8 bytes
    EXPECT_EQ(std::string(small + 8, 4), "####");
}

TEST(AttrValue, CopiesOwnTheirTextBorrowedTextsStayShared) {
    AttrValue original("note");
    AttrValue copy(original);
    EXPECT_NE(copy.AsText(), original.AsText());
    original = AttrValue(std::int32_t{3});  // frees the old text (the leak checker would notice)
    EXPECT_STREQ(copy.AsText(), "note");

    static const char kShared[] = "shared";
    const AttrValue borrowed = AttrValue::Borrowed(kShared);
    AttrValue borrowedCopy = copy;
    borrowedCopy = borrowed;
    EXPECT_EQ(borrowedCopy.AsText(), kShared);

    AttrValue moved(std::move(copy));
    EXPECT_STREQ(moved.AsText(), "note");
    EXPECT_EQ(copy.Type(), 'u');  // NOLINT(bugprone-use-after-move): moving leaves an unset value
    moved.ClearPayload();
    EXPECT_EQ(std::tuple(moved.Type(), moved.AsText()), std::tuple('s', nullptr));

    char* adopted = static_cast<char*>(std::malloc(4));
    std::memcpy(adopted, "own", 4);
    EXPECT_EQ(AttrValue::Adopt(adopted).AsText(), adopted);  // freed by the temporary
}

TEST(AttrList, LookupsAndRefusalsRecordTheirError) {
    AttrList list;
    EXPECT_FALSE(list.Set(nullptr, AttrValue(std::int32_t{1}), false));
    EXPECT_EQ(list.ErrorCode(), AttrError::Generic);
    EXPECT_FALSE(list.Set("", AttrValue(std::int32_t{1}), true));
    EXPECT_TRUE(list.Clear());
    EXPECT_EQ(list.ErrorCode(), AttrError::None);

    list.Set("present", AttrValue(std::int32_t{1}), false);
    list.Set("blank", AttrValue(), false);  // an entry holding an unset value is not a value either
    EXPECT_EQ(list.Get("blank").Type(), 'u');
    const AttrView missing = list.Get("absent");
    EXPECT_EQ(std::tuple(missing.Type(), missing.AsText(), list.ErrorCode(), TextOf(list.ErrorText())),
              std::tuple('u', nullptr, AttrError::NotFound, std::string("Not found")));
    EXPECT_FALSE(list.At(2));

    list.Clear();
    EXPECT_TRUE(list.Remove("present"));  // removing succeeds even when nothing matches
    EXPECT_EQ(list.ErrorCode(), AttrError::NotFound);
}

// Find searches on from the entry it found last, wrapping around; a miss, Set and Remove send
// it back to the first entry.
TEST(AttrList, CursorDecidesWhichDuplicateIsFound) {
    AttrList list;
    list.Set("a", AttrValue(std::int32_t{1}), false);
    list.Set("b", AttrValue(std::int32_t{2}), false);
    list.Set("a", AttrValue(std::int32_t{3}), false);
    list.Set("c", AttrValue(std::int32_t{4}), false);
    // "a1" finds a with value 1, "x-" misses x, "+d" sets d, "-d" removes it.
    std::istringstream steps("a1 a1 b2 a3 c4 a1 b2 a3 x- a1 b2 +d a1 b2 -d a1");
    int index = 0;
    for (std::string step; steps >> step; ++index) {
        SCOPED_TRACE("step " + std::to_string(index) + " " + step);
        const std::string key = step.substr(step[0] == '+' || step[0] == '-' ? 1 : 0, 1);
        if (step[0] == '+') {
            list.Set(key.c_str(), AttrValue(std::int32_t{9}), false);
        } else if (step[0] == '-') {
            list.Remove(key.c_str());
        } else if (step[1] == '-') {
            EXPECT_FALSE(list.Find(key.c_str()));
        } else {
            const AttrEntry entry = list.Find(key.c_str());
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry.value.AsInt64(), step[1] - '0');
        }
    }
}

// "name=letter:value,..." of a whole list.
std::string Dump(const AttrList& list) {
    std::string text;
    char buffer[kValueTextSize];
    for (std::size_t i = 0; i < list.Count(); ++i) {
        const AttrEntry entry = list.Entry(i);
        text += std::string(i == 0 ? "" : ",") + entry.Name() + "=" + entry.value.Type() + ":" +
                TextOf(entry.value.ToText(buffer, sizeof buffer));
    }
    return text;
}

// Set matches names exactly; Remove takes the first match ignoring the case of ASCII letters.
TEST(AttrList, SetFindsExactlyRemoveIgnoresAsciiCase) {
    const std::tuple<std::vector<std::string>, const char*, const char*> cases[] = {
        {{"a", "b", "A"}, "A", "b=s:b,A=s:A"},
        {{"x", "Größe", "y"}, "gRößE", "x=s:x,y=s:y"},
        {{"Ä", "ä"}, "ä", "Ä=s:Ä"},  // only ASCII letters fold
        {{"ab", "abc"}, "ABC", "ab=s:ab"},
    };
    for (const auto& [names, key, remaining] : cases) {
        SCOPED_TRACE(key);
        AttrList list;
        for (const std::string& name : names) {
            list.Set(name.c_str(), AttrValue(name.c_str()), false);
        }
        list.Remove(key);
        EXPECT_EQ(Dump(list), remaining);  // values moved with their names
    }
    AttrList list;
    list.Set("a", AttrValue(std::int32_t{1}), false);
    EXPECT_TRUE(list.Set("A", AttrValue(std::int32_t{2}), true));  // "A" does not find "a": appended
    EXPECT_TRUE(list.Set("a", AttrValue(std::int64_t{5}), true));  // replaced in place
    EXPECT_EQ(Dump(list), "a=q:5,A=i:2");
}

// Four threads intern the same names in their own orders and take node serials at once.
TEST(AttrNames, InternedOnceAlsoUnderConcurrentUseWithSerials) {
    constexpr int kThreads = 4;
    constexpr int kNames = 20000;
    std::vector<std::vector<std::uint32_t>> ids(kThreads, std::vector<std::uint32_t>(kNames));
    std::vector<std::vector<std::int32_t>> serials(kThreads);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &ids, &serials, &mismatches] {
            for (int n = 0; n < kNames; ++n) {
                const int k = (n * 7 + t * 5003) % kNames;
                const std::string name = "concurrent-" + std::to_string(k);
                ids[t][k] = InternAttrName(name.c_str());
                mismatches += TextOf(AttrNameText(ids[t][k])) != name ? 1 : 0;
                serials[t].push_back(NextNodeSerial());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    std::set<std::uint32_t> distinct;
    std::set<std::int32_t> distinctSerials;
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(ids[t], ids[0]);
        distinct.insert(ids[t].begin(), ids[t].end());
        distinctSerials.insert(serials[t].begin(), serials[t].end());
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kNames));
    EXPECT_EQ(distinctSerials.size(), static_cast<std::size_t>(kThreads * kNames));
    const std::int32_t report = NextReportSerial();
    EXPECT_EQ(NextReportSerial(), report + 2);  // increment, use, increment again

    // Lists share the one interned copy of a name; the length given counts, not a zero.
    AttrList first;
    AttrList second;
    first.Set("ALC", AttrValue("C:\\"), false);
    second.Set("ALC", AttrValue("D:\\"), false);
    EXPECT_EQ(first.At(0).Name(), second.At(0).Name());
    EXPECT_EQ(InternAttrName("ALC\0tail", 3), first.At(0).nameId);
    EXPECT_EQ(std::tuple(InternAttrName(""), InternAttrName(nullptr), AttrNameText(0), AttrNameText(0xFFFFFFF0u)),
              std::tuple(0u, 0u, nullptr, nullptr));
    EXPECT_FALSE(first.Set(std::string(kMaxAttrNameLength + 1, 'n').c_str(), AttrValue(std::int32_t{1}), false));
}

// R (and S beside it, as a loaded file may have)
// ├─ A ── A1 ── X
// │   ├─ (no name)
// │   └─ A2
// ├─ B
// └─ C
class AttrSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        r = CreateNode(nullptr, "R");
        a = CreateNode(r, "A");
        b = CreateNode(r, "B");
        c = CreateNode(r, "C");
        a1 = CreateNode(a, "A1");
        CreateNode(a, nullptr);
        a2 = CreateNode(a, "A2");
        x = CreateNode(a1, "X");
        a1->SetDesc("folder");
        x->SetDesc("folder");
        b->SetDesc("B");
        r->nextSibling = s;
        s->prevSibling = r;
    }
    void TearDown() override {
        r->nextSibling = s->prevSibling = nullptr;
        DeleteNode(r);
        DeleteNode(s);
    }
    AttrNode *r, *a, *b, *c, *a1, *a2, *x;
    AttrNode* s = CreateNode(nullptr, "S");
};

TEST_F(AttrSearchTest, FindByNameModes) {
    const std::tuple<AttrNode*, const char*, int, AttrNode*> cases[] = {
        {r, "R", 0x00, r},        {r, "A", 0x00, nullptr},    // only the node itself
        {r, "A", 0x50, a},        {r, "C", 0x50, c},          // itself or a direct child
        {r, "A1", 0x50, nullptr}, {r, "A1", 0xF0, a1},        // grandchildren need 0x80
        {r, "A2", 0xF0, a2},      {r, "X", 0xF0, x},          // first-child chain and siblings
        {r, "X", 0x70, nullptr},  {r, "X", 0xD0, x},          // one level down, or all of them
        {a, "C", 0x30, c},        {c, "A", 0x30, nullptr},    // siblings in the next direction
        {c, "A", 0x20, a},        {a, "C", 0x20, nullptr},    // and in the previous one
        {b, "X", 0xF0, nullptr},  {a2, "A1", 0xF0, nullptr},  // never back up or sideways down
        {r, "x", 0xF0, nullptr},  {r, nullptr, 0xF0, nullptr}, {nullptr, "R", 0xF0, nullptr},
    };
    for (const auto& [start, name, mode, expected] : cases) {
        EXPECT_EQ(FindByName(start, name, mode), expected) << TextOf(name) << " mode " << mode;
    }
    // Names are not descs; the top climbs parents, then previous siblings.
    EXPECT_EQ(std::vector<AttrNode*>({FindByDesc(r, "folder", 0xF0), FindByDesc(a1, "folder", 0x30),
                                      FindByDesc(r, "folder", 0x50), FindByDesc(r, "B", 0x50), FindByDesc(r, "R", 0xF0),
                                      FindByDesc(r, nullptr, 0xF0), Top(CreateNode(s, "s1")), Top(r), Top(nullptr)}),
              std::vector<AttrNode*>({a1, a1, nullptr, b, nullptr, nullptr, r, r, nullptr}));
}

TEST(AttrNodes, FindPathWalksFromTheTop) {
    AttrNode* settings = CreateNode(nullptr, "settings");
    AttrNode* common = CreateNode(settings, "common");
    AttrNode* cluster = CreateNode(common, "cluster");
    CreateNode(common, "filter");
    AttrNode* tree = CreateNode(settings, "tree");
    AttrNode* size = CreateNode(tree, "size");
    AttrNode* empty = CreateNode(tree, "");
    const std::tuple<AttrNode*, const char*, char, AttrNode*> cases[] = {
        {settings, "common:cluster", ':', cluster},
        {settings, "settings:common:cluster", ':', cluster},  // the first step may match the top
        {cluster, "tree:size", ':', size},                    // any start node: search from its top
        {settings, "cluster", ':', nullptr},                  // not a direct child of the top
        {settings, "common:nope", ':', nullptr},
        {settings, "common/cluster", '/', cluster},
        {settings, "tree:", ':', empty},  // an empty part names an empty name
        {settings, nullptr, ':', nullptr},
        {nullptr, "common", ':', nullptr},
    };
    for (const auto& [start, path, separator, expected] : cases) {
        EXPECT_EQ(FindPath(start, path, separator), expected) << TextOf(path);
    }
    settings->SetName(settings->name);  // setting a node's own name again must not read freed memory
    EXPECT_EQ(FindPath(cluster, "settings:tree"), tree);
    DeleteNode(settings);
    DeleteNode(nullptr);
}

}  // namespace
}  // namespace qv
