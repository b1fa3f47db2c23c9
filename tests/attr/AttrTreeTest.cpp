// Values, attribute lists with their cursor and error state, name interning, serials, node
// links and the node searches.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "attr/AttrTree.h"

namespace qv {
namespace {

std::string TextOf(const char* text) {
    return text == nullptr ? std::string("<null>") : std::string(text);
}

TEST(AttrValue, AccessorsFollowTheTypeLetter) {
    static const char kBorrowed[] = " -7x";
    struct Case {
        AttrValue value;
        char type;
        std::int64_t asInt64;
        double asDouble;
        const char* asText;
        std::int32_t lenient;
        const char* toText;
    };
    const Case cases[] = {
        {AttrValue("12abc"), 's', 0, 0.0, "12abc", 12, "12abc"},
        {AttrValue(static_cast<const char*>(nullptr)), 's', 0, 0.0, nullptr, 0, nullptr},
        {AttrValue("99999999999"), 's', 0, 0.0, "99999999999", INT32_MAX, "99999999999"},
        {AttrValue::Borrowed(kBorrowed), 'f', 0, 0.0, kBorrowed, -7, kBorrowed},
        {AttrValue(std::int32_t{-5}), 'i', -5, -5.0, nullptr, -5, "-5"},
        {AttrValue(std::int32_t{INT32_MIN}), 'i', INT32_MIN, INT32_MIN, nullptr, INT32_MIN, "-2147483648"},
        {AttrValue(std::int64_t{0x100000005}), 'q', 0x100000005, 0.0, nullptr, 5, "4294967301"},
        {AttrValue(std::int64_t{-1}), 'q', -1, 0.0, nullptr, -1, "-1"},
        {AttrValue(std::int64_t{INT64_MIN}), 'q', INT64_MIN, 0.0, nullptr, 0, "-9223372036854775808"},
        {AttrValue(2.5), 'r', 0, 2.5, nullptr, 0, "2.500000"},
        {AttrValue(-0.125), 'r', 0, -0.125, nullptr, 0, "-0.125000"},
        {AttrValue(), 'u', 0, 0.0, nullptr, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.type) + " " + TextOf(c.toText));
        EXPECT_EQ(c.value.Type(), c.type);
        EXPECT_EQ(c.value.AsInt64(), c.asInt64);
        EXPECT_EQ(c.value.AsDouble(), c.asDouble);
        EXPECT_EQ(TextOf(c.value.AsText()), TextOf(c.asText));
        EXPECT_EQ(c.value.AsLenientInt(), c.lenient);
        char buffer[kValueTextSize];
        EXPECT_EQ(TextOf(c.value.ToText(buffer, sizeof buffer)), TextOf(c.toText));
    }
    // Borrowed texts are handed out as they are, not copied.
    EXPECT_EQ(AttrValue::Borrowed(kBorrowed).AsText(), kBorrowed);
}

TEST(AttrValue, ToTextNeverWritesPastTheBuffer) {
    for (const double value : {1e308, -1.7976931348623157e308, 123456789.0}) {
        std::vector<char> big(2000);
        std::snprintf(big.data(), big.size(), "%f", value);
        char buffer[kValueTextSize];
        EXPECT_STREQ(AttrValue(value).ToText(buffer, sizeof buffer), big.data());
    }
    char small[12];
    std::memset(small, '#', sizeof small);
    const char* text = AttrValue(12345678.0).ToText(small, 8);
    EXPECT_STREQ(text, "1234567");  // cut short, terminated within the 8 bytes
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
    EXPECT_EQ(borrowedCopy.Type(), 'f');
    EXPECT_EQ(borrowedCopy.AsText(), kShared);

    AttrValue moved(std::move(copy));
    EXPECT_STREQ(moved.AsText(), "note");
    EXPECT_EQ(copy.Type(), 'u');  // NOLINT(bugprone-use-after-move): moving leaves an unset value

    moved.ClearPayload();
    EXPECT_EQ(moved.Type(), 's');
    EXPECT_EQ(moved.AsText(), nullptr);
    AttrValue big(std::int64_t{77});
    big.ClearPayload();
    EXPECT_EQ(big.Type(), 'q');
    EXPECT_EQ(big.AsInt64(), 0);

    char* adopted = static_cast<char*>(std::malloc(4));
    std::memcpy(adopted, "own", 4);
    EXPECT_EQ(AttrValue::Adopt(adopted).AsText(), adopted);  // freed by the temporary
}

TEST(AttrList, FailedLookupsGiveAnUnsetValue) {
    AttrList list;
    EXPECT_EQ(list.ErrorCode(), AttrError::None);
    EXPECT_STREQ(list.ErrorText(), "");
    list.Set("present", AttrValue(std::int32_t{1}), false);
    const AttrView missing = list.Get("absent");
    EXPECT_EQ(missing.Type(), 'u');
    EXPECT_EQ(missing.AsInt64(), 0);
    EXPECT_EQ(missing.AsText(), nullptr);
    EXPECT_EQ(list.ErrorCode(), AttrError::NotFound);
    EXPECT_STREQ(list.ErrorText(), "Not found");
    // An entry holding an unset value is not a value either.
    list.Set("blank", AttrValue(), false);
    EXPECT_EQ(list.Get("blank").Type(), 'u');
    EXPECT_EQ(list.Get("present").AsInt64(), 1);
}

TEST(AttrList, ErrorStates) {
    AttrList list;
    EXPECT_TRUE(list.Clear());
    EXPECT_STREQ(list.ErrorText(), "");  // nothing was ever recorded

    EXPECT_FALSE(list.Set(nullptr, AttrValue(std::int32_t{1}), false));
    EXPECT_EQ(list.ErrorCode(), AttrError::Generic);
    EXPECT_STREQ(list.ErrorText(), "Generic error");
    EXPECT_FALSE(list.Set("", AttrValue(std::int32_t{1}), true));
    EXPECT_EQ(list.Count(), 0u);

    EXPECT_TRUE(list.Clear());
    EXPECT_EQ(list.ErrorCode(), AttrError::None);
    EXPECT_STREQ(list.ErrorText(), "No error");

    list.Set("a", AttrValue("x"), false);
    EXPECT_FALSE(list.At(1));
    EXPECT_STREQ(list.ErrorText(), "Not found");
    ASSERT_TRUE(list.At(0));
    EXPECT_STREQ(list.At(0).Name(), "a");

    list.Clear();
    EXPECT_TRUE(list.Remove("a"));  // removing succeeds even when nothing matches
    EXPECT_EQ(list.ErrorCode(), AttrError::NotFound);
}

TEST(AttrList, CursorDecidesWhichDuplicateIsFound) {
    AttrList list;
    list.Set("a", AttrValue(std::int32_t{1}), false);
    list.Set("b", AttrValue(std::int32_t{2}), false);
    list.Set("a", AttrValue(std::int32_t{3}), false);
    list.Set("c", AttrValue(std::int32_t{4}), false);
    struct Step {
        const char* op;  // "find", "set" (append "d"), "remove" ("d")
        const char* key;
        std::int64_t expected;  // -1: a miss
    };
    const Step steps[] = {
        {"find", "a", 1}, {"find", "a", 1},  // the cursor stays on a match
        {"find", "b", 2}, {"find", "a", 3},  // searching on from b finds the later a
        {"find", "c", 4}, {"find", "a", 1},  // wraps around to the start
        {"find", "b", 2}, {"find", "a", 3},   {"find", "x", -1},
        {"find", "a", 1},                                        // after a miss the search starts at the first entry
        {"find", "b", 2}, {"set", "d", 0},    {"find", "a", 1},  // Set resets the cursor
        {"find", "b", 2}, {"remove", "d", 0}, {"find", "a", 1},  // and so does Remove
    };
    int index = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE("step " + std::to_string(index++));
        if (std::strcmp(step.op, "set") == 0) {
            list.Set(step.key, AttrValue(std::int32_t{9}), false);
            continue;
        }
        if (std::strcmp(step.op, "remove") == 0) {
            list.Remove(step.key);
            continue;
        }
        const AttrEntry entry = list.Find(step.key);
        if (step.expected < 0) {
            EXPECT_FALSE(entry);
            EXPECT_EQ(list.ErrorCode(), AttrError::NotFound);
        } else {
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry.value.AsInt64(), step.expected);
        }
    }
}

TEST(AttrList, SetFindsExactlyRemoveIgnoresCase) {
    AttrList list;
    list.Set("a", AttrValue(std::int32_t{1}), false);
    list.Set("b", AttrValue("keep"), false);
    EXPECT_TRUE(list.Set("A", AttrValue(std::int32_t{2}), true));
    ASSERT_EQ(list.Count(), 3u);  // "A" did not find "a": appended
    EXPECT_TRUE(list.Set("a", AttrValue(std::int32_t{5}), true));
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0).value.AsInt64(), 5);  // replaced in place

    EXPECT_TRUE(list.Remove("A"));  // removes the first match ignoring case: "a"
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_STREQ(list.At(0).Name(), "b");
    EXPECT_STREQ(list.At(0).value.AsText(), "keep");
    EXPECT_STREQ(list.At(1).Name(), "A");
    EXPECT_EQ(list.At(1).value.AsInt64(), 2);
}

TEST(AttrList, RemoveFoldsOnlyAsciiLetters) {
    struct Case {
        std::vector<std::string> names;
        const char* key;
        std::vector<std::string> remaining;
    };
    const Case cases[] = {
        {{"x", "Größe", "y"}, "gRößE", {"x", "y"}},
        {{"Ä", "ä"}, "ä", {"Ä"}},  // only ASCII letters fold
        {{"Ä"}, "ä", {"Ä"}},
        {{"1N@F:Temp", "2S@F:Temp"}, "2s@f:TEMP", {"1N@F:Temp"}},
        {{"ab", "abc"}, "ABC", {"ab"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        AttrList list;
        for (const std::string& name : c.names) {
            list.Set(name.c_str(), AttrValue(name.c_str()), false);
        }
        list.Remove(c.key);
        ASSERT_EQ(list.Count(), c.remaining.size());
        for (std::size_t i = 0; i < c.remaining.size(); ++i) {
            EXPECT_EQ(list.At(i).Name(), c.remaining[i]);
            EXPECT_EQ(list.At(i).value.AsText(), c.remaining[i]);  // values moved with their names
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

TEST(AttrList, ListsSharingNamesStayIndependent) {
    auto model = std::make_unique<AttrList>();
    model->Set("a", AttrValue(std::int32_t{1}), false);
    model->Set("b", AttrValue("x"), false);
    model->Set("c", AttrValue(std::int64_t{3}), false);
    AttrList same;   // filled like the model
    AttrList other;  // leaves the model's order after one entry
    AttrList retyped;
    for (AttrList* list : {&same, &other, &retyped}) {
        ASSERT_TRUE(list->ShareNamesWith(*model));
    }
    same.Append(InternAttrName("a"), AttrValue(std::int32_t{7}));
    same.Append(InternAttrName("b"), AttrValue("y"));
    same.Append(InternAttrName("c"), AttrValue(std::int64_t{9}));
    other.Append(InternAttrName("a"), AttrValue(std::int32_t{8}));
    other.Append(InternAttrName("d"), AttrValue("z"));
    retyped.Append(InternAttrName("a"), AttrValue(std::int32_t{2}));
    retyped.Append(InternAttrName("b"), AttrValue(std::int64_t{5}));  // another letter at b
    EXPECT_FALSE(same.ShareNamesWith(*model));                        // only an empty list may
    ASSERT_TRUE(same.SetAt(1, AttrValue(std::int32_t{4})));           // changes its letter alone
    EXPECT_TRUE(model->Set("e", AttrValue(std::int32_t{6}), false));  // the model grows alone
    EXPECT_TRUE(model->Remove("A"));
    EXPECT_TRUE(other.Set("a", AttrValue("w"), true));

    EXPECT_EQ(Dump(*model), "b=s:x,c=q:3,e=i:6");
    EXPECT_EQ(Dump(same), "a=i:7,b=i:4,c=q:9");
    EXPECT_EQ(Dump(other), "a=s:w,d=s:z");
    EXPECT_EQ(Dump(retyped), "a=i:2,b=q:5");
    model.reset();  // the lists keep the names they use
    EXPECT_EQ(same.Get("c").AsInt64(), 9);
    EXPECT_STREQ(other.Get("d").AsText(), "z");
    EXPECT_EQ(Dump(retyped), "a=i:2,b=q:5");
    EXPECT_TRUE(retyped.Remove("a"));
    EXPECT_EQ(Dump(retyped), "b=q:5");
}

TEST(AttrList, ManyEntriesSurviveGrowthAndRemoval) {
    for (const bool reserve : {false, true}) {
        AttrList list;
        if (reserve) {
            ASSERT_TRUE(list.Reserve(1000));
        }
        for (int i = 0; i < 1000; ++i) {
            const std::string key = "k" + std::to_string(i);
            ASSERT_TRUE(list.Set(key.c_str(), AttrValue(key.c_str()), false));
        }
        list.Remove("k500");
        ASSERT_EQ(list.Count(), 999u);
        for (int i = 0; i < 1000; ++i) {
            const std::string key = "k" + std::to_string(i);
            const AttrView value = list.Get(key.c_str());
            EXPECT_EQ(TextOf(value.AsText()), i == 500 ? "<null>" : key);
        }
    }
}

TEST(AttrNames, AreInternedOnceAndSharedByAllLists) {
    AttrList first;
    AttrList second;
    first.Set("ALC", AttrValue("C:\\"), false);
    second.Set("ALC", AttrValue("D:\\"), false);
    second.Set("LFN", AttrValue(std::int64_t{1}), false);
    EXPECT_EQ(first.At(0).nameId, second.At(0).nameId);
    EXPECT_EQ(first.At(0).Name(), second.At(0).Name());  // one copy of the text
    EXPECT_NE(second.At(0).nameId, second.At(1).nameId);
    EXPECT_EQ(InternAttrName("ALC"), first.At(0).nameId);
    EXPECT_EQ(InternAttrName("ALC\0tail", 3), first.At(0).nameId);

    EXPECT_EQ(InternAttrName(""), 0u);
    EXPECT_EQ(InternAttrName(nullptr), 0u);
    EXPECT_EQ(AttrNameText(0), nullptr);
    EXPECT_EQ(AttrNameText(0xFFFFFFF0u), nullptr);
    const std::string tooLong(kMaxAttrNameLength + 1, 'n');
    EXPECT_EQ(InternAttrName(tooLong.c_str()), 0u);
    EXPECT_FALSE(first.Set(tooLong.c_str(), AttrValue(std::int32_t{1}), false));
    EXPECT_EQ(first.ErrorCode(), AttrError::Generic);
}

TEST(AttrNames, ConcurrentInterningAgrees) {
    constexpr int kThreads = 4;
    constexpr int kNames = 20000;
    std::vector<std::vector<std::uint32_t>> ids(kThreads, std::vector<std::uint32_t>(kNames));
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &ids, &mismatches] {
            for (int n = 0; n < kNames; ++n) {
                const int k = (n * 7 + t * 5003) % kNames;  // each thread in its own order
                const std::string name = "concurrent-" + std::to_string(k);
                const std::uint32_t id = InternAttrName(name.c_str());
                ids[t][k] = id;
                const char* text = AttrNameText(id);
                if (text == nullptr || name != text) {
                    ++mismatches;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches.load(), 0);
    std::set<std::uint32_t> distinct;
    for (int k = 0; k < kNames; ++k) {
        for (int t = 1; t < kThreads; ++t) {
            ASSERT_EQ(ids[t][k], ids[0][k]) << k;
        }
        distinct.insert(ids[0][k]);
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kNames));
}

TEST(AttrSerials, AreUniqueAcrossThreadsAndStepByTwo) {
    const std::int32_t first = NextNodeSerial();
    EXPECT_EQ(NextNodeSerial(), first + 2);  // increment, use, increment again
    const std::int32_t report = NextReportSerial();
    EXPECT_EQ(NextReportSerial(), report + 2);  // its own counter

    constexpr int kThreads = 4;
    constexpr int kTakes = 20000;
    std::vector<std::vector<std::int32_t>> taken(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &taken] {
            for (int i = 0; i < kTakes; ++i) {
                taken[t].push_back(NextNodeSerial());
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::set<std::int32_t> distinct;
    for (const auto& list : taken) {
        distinct.insert(list.begin(), list.end());
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads * kTakes));
}

TEST(AttrNodes, CreateLinksAndDeleteUnlinks) {
    AttrNode* top = CreateNode(nullptr, "top");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->depth, 0);
    AttrNode* a = CreateNode(top, "a");
    AttrNode* b = CreateNode(top, nullptr);
    AttrNode* c = CreateNode(top, "c");
    AttrNode* grandchild = CreateNode(b, "g");
    CreateNode(grandchild, "gg")->attrs.Set("note", AttrValue("freed with the sub-tree"), false);
    EXPECT_EQ(b->name, nullptr);
    EXPECT_EQ(grandchild->depth, 2);
    EXPECT_EQ(top->firstChild, a);
    EXPECT_EQ(top->lastChild, c);
    EXPECT_EQ(b->prevSibling, a);
    EXPECT_EQ(b->nextSibling, c);
    EXPECT_EQ(grandchild->parent, b);
    EXPECT_NE(a->serial, b->serial);

    DeleteNode(b);  // the middle one, with two levels below it
    EXPECT_EQ(a->nextSibling, c);
    EXPECT_EQ(c->prevSibling, a);
    DeleteNode(a);
    EXPECT_EQ(top->firstChild, c);
    EXPECT_EQ(c->prevSibling, nullptr);
    AttrNode* d = CreateNode(top, "d");
    DeleteNode(d);
    EXPECT_EQ(top->lastChild, c);
    EXPECT_EQ(c->nextSibling, nullptr);
    DeleteNode(c);
    EXPECT_EQ(top->firstChild, nullptr);
    EXPECT_EQ(top->lastChild, nullptr);

    top->SetName(top->name);  // setting a node's own name again must not read freed memory
    EXPECT_STREQ(top->name, "top");
    top->SetDesc("d");
    top->SetDesc(nullptr);
    EXPECT_EQ(top->desc, nullptr);
    DeleteNode(top);
    DeleteNode(nullptr);
}

TEST(AttrNodes, TopClimbsParentsThenPreviousSiblings) {
    AttrNode* first = CreateNode(nullptr, "first");
    AttrNode* second = CreateNode(nullptr, "second");
    first->nextSibling = second;  // two top-level nodes side by side
    second->prevSibling = first;
    AttrNode* deep = CreateNode(CreateNode(CreateNode(second, "x"), "y"), "z");
    EXPECT_EQ(Top(deep), first);
    EXPECT_EQ(Top(first), first);
    EXPECT_EQ(Top(nullptr), nullptr);
    first->nextSibling = nullptr;
    second->prevSibling = nullptr;
    DeleteNode(first);
    DeleteNode(second);
}

// R
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
    }
    void TearDown() override { DeleteNode(r); }
    AttrNode *r, *a, *b, *c, *a1, *a2, *x;
};

TEST_F(AttrSearchTest, FindByNameModes) {
    struct Case {
        AttrNode* start;
        const char* name;
        int mode;
        AttrNode* expected;
    };
    const Case cases[] = {
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
    for (const Case& t : cases) {
        SCOPED_TRACE(TextOf(t.name) + " mode " + std::to_string(t.mode));
        EXPECT_EQ(FindByName(t.start, t.name, t.mode), t.expected);
    }
}

TEST_F(AttrSearchTest, FindByDescSkipsNodesWithoutDesc) {
    EXPECT_EQ(FindByDesc(r, "folder", 0xF0), a1);
    EXPECT_EQ(FindByDesc(a1, "folder", 0x30), a1);
    EXPECT_EQ(FindByDesc(r, "folder", 0x50), nullptr);
    EXPECT_EQ(FindByDesc(r, "B", 0x50), b);
    EXPECT_EQ(FindByDesc(r, "R", 0xF0), nullptr);  // names are not descs
    EXPECT_EQ(FindByDesc(r, nullptr, 0xF0), nullptr);
}

TEST(AttrNodes, FindPathWalksFromTheTop) {
    AttrNode* settings = CreateNode(nullptr, "settings");
    AttrNode* common = CreateNode(settings, "common");
    AttrNode* cluster = CreateNode(common, "cluster");
    CreateNode(common, "filter");
    AttrNode* tree = CreateNode(settings, "tree");
    AttrNode* size = CreateNode(tree, "size");
    AttrNode* empty = CreateNode(tree, "");
    struct Case {
        AttrNode* start;
        const char* path;
        char separator;
        AttrNode* expected;
    };
    const Case cases[] = {
        {settings, "common:cluster", ':', cluster},
        {settings, "settings:common:cluster", ':', cluster},  // the first step may match the top
        {cluster, "tree:size", ':', size},                    // any start node: search from its top
        {settings, "common", ':', common},
        {settings, "cluster", ':', nullptr},  // not a direct child of the top
        {settings, "common:nope", ':', nullptr},
        {settings, "common/cluster", '/', cluster},
        {settings, "common/cluster", ':', nullptr},
        {settings, "tree:", ':', empty},  // an empty part names an empty name
        {settings, "", ':', nullptr},
        {settings, nullptr, ':', nullptr},
        {nullptr, "common", ':', nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(TextOf(c.path));
        EXPECT_EQ(FindPath(c.start, c.path, c.separator), c.expected);
    }
    DeleteNode(settings);
}

TEST(AttrNodes, GetInt64ReadsOnlyIntegerStatistics) {
    AttrNode* node = CreateNode(nullptr, "folder");
    node->attrs.Set("LFN", AttrValue(std::int32_t{-3}), false);
    node->attrs.Set("MFS", AttrValue(std::int64_t{5000000000}), false);
    node->attrs.Set("ALC", AttrValue("12"), false);
    node->attrs.Set("ELT", AttrValue(1.5), false);
    EXPECT_EQ(GetInt64(node, "LFN"), -3);
    EXPECT_EQ(GetInt64(node, "MFS"), 5000000000);
    EXPECT_EQ(GetInt64(node, "ALC"), 0);
    EXPECT_EQ(GetInt64(node, "ELT"), 0);
    EXPECT_EQ(GetInt64(node, "NFA"), 0);
    EXPECT_EQ(GetInt64(nullptr, "LFN"), 0);
    DeleteNode(node);
}

}  // namespace
}  // namespace qv
