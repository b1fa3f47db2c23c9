// The XML form: the writer's exact bytes, the reader's tolerances and refusals, escaping,
// round trips, files, and trees deep enough to break anything recursive.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "RunWithStack.h"
#include "TestUtil.h"
#include "attr/AttrXml.h"

namespace qv {
namespace {

struct TreeDeleter {
    void operator()(AttrNode* node) const { DeleteNode(node); }
};
using TreePtr = std::unique_ptr<AttrNode, TreeDeleter>;

TreePtr Read(std::string_view text) {
    return TreePtr(ReadTreeFromMemory(text.data(), text.size()));
}

std::string Write(const AttrNode* node, bool skipEmpty = false, const char* stylesheet = nullptr) {
    std::string out;
    EXPECT_TRUE(WriteTreeToString(node, skipEmpty, stylesheet, &out));
    return out;
}

// What the reader made of `text`, in the writer's form, with " (cut)" when the top node was
// never closed; "none" when it gave no tree.
std::string Reread(std::string_view text) {
    ReadEnd end = ReadEnd::TooManyNames;
    const TreePtr tree(ReadTreeFromMemory(text.data(), text.size(), &end));
    if (!tree) {
        return end == ReadEnd::Incomplete ? "none" : "refused";
    }
    return Write(tree.get()) + (end == ReadEnd::Complete ? "" : " (cut)");
}

constexpr std::size_t kOneMegabyte = 1 << 20;

// settings
// ├─ common  (id, kind, one attribute of every kind, numbers at their limits)
// ├─ blank   (only an attribute that counts as empty)
// └─ tree    (every numeric field, no attributes, no children)
TreePtr MakeSettingsTree() {
    static const char kBorrowed[] = "x";
    TreePtr top(CreateNode(nullptr, "settings"));
    AttrNode* common = CreateNode(top.get(), "common");
    common->id = INT32_MIN;
    common->kind = INT32_MAX;
    common->attrs.Set("cluster", AttrValue(std::int32_t{INT32_MIN}), false);
    common->attrs.Set("size", AttrValue(std::int64_t{INT64_MIN}), false);
    common->attrs.Set("most", AttrValue(std::int64_t{INT64_MAX}), false);
    common->attrs.Set("ratio", AttrValue(-0.125), false);
    common->attrs.Set("huge", AttrValue(1e20), false);
    common->attrs.Set("empty", AttrValue(""), false);
    common->attrs.Set("nulltext", AttrValue(static_cast<const char*>(nullptr)), false);
    common->attrs.Set("zero", AttrValue(std::int32_t{0}), false);
    common->attrs.Set("unset", AttrValue(), false);
    common->attrs.Set("borrowed", AttrValue::Borrowed(kBorrowed), false);
    CreateNode(top.get(), "blank")->attrs.Set("z", AttrValue(0.0), false);
    AttrNode* tree = CreateNode(top.get(), "tree");
    tree->SetDesc("d");
    tree->group = 3;
    tree->val = INT64_MIN;
    tree->val2 = INT64_MAX;
    return top;
}

const char kTreeLine[] =
    "\r\n\t<node name=\"tree\" desc=\"d\" group=\"3\" val=\"-9223372036854775808\" val2=\"9223372036854775807\"/>";

const std::string kSettingsAll = std::string() +
                                 "\r\n<node name=\"settings\">"
                                 "\r\n\t<node name=\"common\" id=\"-2147483648\" kind=\"2147483647\">"
                                 "\r\n\t\t<attr name=\"cluster\" type=\"i\">-2147483648</attr>"
                                 "\r\n\t\t<attr name=\"size\" type=\"q\">-9223372036854775808</attr>"
                                 "\r\n\t\t<attr name=\"most\" type=\"q\">9223372036854775807</attr>"
                                 "\r\n\t\t<attr name=\"ratio\" type=\"r\">-0.125000</attr>"
                                 "\r\n\t\t<attr name=\"huge\" type=\"r\">100000000000000000000.000000</attr>"
                                 "\r\n\t\t<attr name=\"empty\"></attr>"
                                 "\r\n\t\t<attr name=\"nulltext\"></attr>"
                                 "\r\n\t\t<attr name=\"zero\" type=\"i\">0</attr>"
                                 "\r\n\t\t<attr name=\"borrowed\">x</attr>"
                                 "\r\n\t</node>"
                                 "\r\n\t<node name=\"blank\">"
                                 "\r\n\t\t<attr name=\"z\" type=\"r\">0.000000</attr>"
                                 "\r\n\t</node>" +
                                 kTreeLine + "\r\n</node>";

// Leaving out empty values drops the lines of "empty", "nulltext", "zero" and "z".
std::string SkippingEmpty(std::string text) {
    for (const char* name : {"empty", "nulltext", "zero", "z"}) {
        const std::size_t at = text.find(std::string("\r\n\t\t<attr name=\"") + name + "\"");
        text.erase(at, text.find("</attr>", at) + 7 - at);
    }
    return text;
}
const std::string kSettingsSkipEmpty = SkippingEmpty(kSettingsAll);

const char kReportHeader[] = "<?xml version=\"1.0\"?><?xml-stylesheet type=\"text/xsl\" href=\"report.xsl\" ?>\r\n";

TEST(AttrXmlWriter, GoldenBytes) {
    const TreePtr tree = MakeSettingsTree();
    // An empty stylesheet name writes no header; a sub-tree is indented by its nodes' own depths.
    const TreePtr bare(CreateNode(nullptr, nullptr));
    EXPECT_EQ((std::vector<std::string>{Write(tree.get(), false, nullptr), Write(tree.get(), false, ""),
                                        Write(tree.get(), true, nullptr), Write(tree.get(), true, "report.xsl"),
                                        Write(tree->lastChild), Write(bare.get())}),
              (std::vector<std::string>{kSettingsAll, kSettingsAll, kSettingsSkipEmpty, kReportHeader + kSettingsSkipEmpty,
                                        kTreeLine, "\r\n<node/>"}));
}

TEST(AttrXmlRoundTrip, WriteReadWriteGivesTheSameBytes) {
    const TreePtr tree = MakeSettingsTree();
    for (const char* stylesheet : {static_cast<const char*>(nullptr), "mcfilter.xsl"}) {
        const std::string first = Write(tree.get(), false, stylesheet);
        const TreePtr back = Read(first);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(Write(back.get(), false, stylesheet), first);
    }
    // Leaving out empty values loses one thing: a node whose attributes were all left out is
    // written open and closed, reads back without attributes and is then written "/>".
    std::string collapsed = kSettingsSkipEmpty;
    const std::string openBlank = "<node name=\"blank\">\r\n\t</node>";
    collapsed.replace(collapsed.find(openBlank), openBlank.size(), "<node name=\"blank\"/>");
    EXPECT_EQ(Write(Read(kSettingsSkipEmpty).get(), true, nullptr), collapsed);
    EXPECT_EQ(Write(Read(collapsed).get(), true, nullptr), collapsed);
    // The bytes do not show that the reader never makes 'f' (a text borrowed from its buffer).
    const TreePtr back = Read(kSettingsAll);
    ASSERT_NE(FindPath(back.get(), "common"), nullptr);
    EXPECT_EQ(FindPath(back.get(), "common")->attrs.Get("borrowed").Type(), 's');
}

TEST(AttrXmlReader, SpellingsThatReadAsTheSameTree) {
    const std::string expected =
        "\r\n<node name=\"a\" kind=\"1\">"
        "\r\n\t<attr name=\"k\" type=\"i\">5</attr>"
        "\r\n\t<node name=\"b\"/>"
        "\r\n</node>";
    const std::string spellings[] = {
        std::string(kReportHeader) + expected,
        "<NODE name=\"a\" kind=\"1\"><ATTR name=\"k\" type=\"i\">5</Attr><Node name=\"b\"/></nOdE>",
        "<?xml version=\"1.0\"?><!-- note --><node name=\"a\" kind=\"1\"><x/><attr name=\"k\" type=\"i\">5</attr>"
        "</stray><node name=\"b\"></node><nodes name=\"ignored\"/></node>trailing<node name=\"after\"/>",
        "<node x=\"1\" name=\"a\" q=\"z\" =\"e\" kind=\"1\" name=\"second\"><attr name=\"k\" type=\"i\">5</attr>"
        "<node name=\"b\"/></node>",
        "<node name=\"a\" kind=\" +1x\"><attr name=\"k\" type=\"int\"> 5 apples</attr><node name=\"b\"/></node>",
        "<node name=\"a\" kind=\"1\"><attr name=\"k\" type=\"i\">5<node name=\"lost\"/></attr><node "
        "name=\"b\"/></node>",
    };
    for (const std::string& text : spellings) {
        EXPECT_EQ(Reread(text), expected) << text;
    }
}

TEST(AttrXmlReader, ValueConversionsByTypeLetter) {
    // element, letter, AsInt64, AsDouble, AsText
    const std::tuple<const char*, char, std::int64_t, double, const char*> cases[] = {
        {"<attr name=\"v\" type=\"x\">-5</attr>", 's', 0, 0.0, "-5"},
        {"<attr name=\"v\"></attr>", 's', 0, 0.0, nullptr},
        {"<attr name=\"v\" type=\"i\">99999999999</attr>", 'i', INT32_MAX, INT32_MAX, nullptr},
        {"<attr name=\"v\" type=\"q\">-99999999999999999999</attr>", 'q', INT64_MIN, 0.0, nullptr},
        {"<attr name=\"v\" type=\"i\">\r\n\t 12</attr>", 'i', 12, 12.0, nullptr},
        {"<attr name=\"v\" type=\"r\"> 2.5e3</attr>", 'r', 0, 2500.0, nullptr},
        {"<attr name=\"v\" type=\"i\">&#52;2</attr>", 'i', 42, 42.0, nullptr},
        {"<attr name=\"v\">a>b</attr>", 's', 0, 0.0, "a>b"},
        {"<attr name=\"v\">&#999;&#0;&#x41;&#65</attr>", 's', 0, 0.0, "&#999;&#0;&#x41;&#65"},
        {"<attr name=\"v\">&amp;&lt;</attr>", 's', 0, 0.0, "&amp;&lt;"},  // no named entities
        {"<attr name=\"v\" type=\"i\"/>", 'i', 0, 0.0, nullptr},
    };
    for (const auto& [element, type, asInt64, asDouble, asText] : cases) {
        SCOPED_TRACE(element);
        const TreePtr tree = Read(std::string("<node>") + element);
        ASSERT_NE(tree, nullptr);
        ASSERT_EQ(tree->attrs.Count(), 1u);
        const AttrView v = tree->attrs.At(0).value;
        EXPECT_EQ(std::tuple(v.Type(), v.AsInt64(), v.AsDouble(), std::string(v.AsText() ? v.AsText() : "-")),
                  std::tuple(type, asInt64, asDouble, std::string(asText ? asText : "-")));
    }
}

// A document is whole only when its top node was closed; whatever stops the read before that
// leaves the nodes read so far, marked cut.
TEST(AttrXmlReader, RefusalsPartialTreesAndQuirks) {
    const std::string cutB = "\r\n<node name=\"a\">\r\n\t<node name=\"b\"/>\r\n</node> (cut)";
    const std::pair<std::string, std::string> cases[] = {
        // text, Reread's answer
        {"", "none"},
        {"<attr name=\"a\">1</attr><node name=\"x\"/>", "none"},  // attr before the first node
        {"</node><node name=\"x\"/>", "none"},                    // closing tag before it
        {"<nodes name=\"x\"/>", "none"},
        {"<node\tname=\"x\"/>", "none"},
        {"<" + std::string(600, 'a') + "><node name=\"x\"/>", "none"},  // a tag name over 511 bytes stops
        {"< node name=\"x\"/>", "none"},                                // so does an empty one
        {"<node", "none"},                                              // the tag name never ends
        // A malformed tag ends the read with what was built; the node it opened has no fields.
        {"<node name='x'/>", "\r\n<node/> (cut)"},
        {"<node name=\"a\"><attr name=\"k\">1</attr><node name=\"b\" desc=\"x>",
         "\r\n<node name=\"a\">\r\n\t<attr name=\"k\">1</attr>\r\n\t<node/>\r\n</node> (cut)"},
        {"<node name=\"a\"><node " + std::string(512, 'n') + "=\"1\"/><node name=\"c\"/></node>",
         "\r\n<node name=\"a\">\r\n\t<node/>\r\n</node> (cut)"},
        {"<node name=\"a\"><node " + std::string(511, 'n') + "=\"1\"/><node name=\"c\"/></node>",
         "\r\n<node name=\"a\">\r\n\t<node/>\r\n\t<node name=\"c\"/>\r\n</node>"},
        {"<node name=\"a\" desc><node name=\"c\"/></node>", "\r\n<node/> (cut)"},
        {"<node name=\"x\"", "\r\n<node/> (cut)"},
        // A name without '=' takes the value after the next '=': the pair is (name"x", a).
        {"<node name\"x\" name=\"a\"/>", "\r\n<node/>"},
        {"<node name=\"a\"><attr name=\"k\" type=\"i\">5</attr><attr type=\"i\">6</attr><attr name=\"\">7</attr>",
         "\r\n<node name=\"a\">\r\n\t<attr name=\"k\" type=\"i\">5</attr>\r\n</node> (cut)"},  // nameless attrs refused
        // A self-closing attr has no body: the next attr is not swallowed.
        {"<node name=\"a\"><attr name=\"k\"/><attr name=\"m\">5</attr></node>",
         "\r\n<node name=\"a\">\r\n\t<attr name=\"k\"></attr>\r\n\t<attr name=\"m\">5</attr>\r\n</node>"},
        {"<node name=\"a\"><node name=\"b\">", cutB},
        {"<node name=\"a\"><attr name=\"k\">1",
         "\r\n<node name=\"a\">\r\n\t<attr name=\"k\">1</attr>\r\n</node> (cut)"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(Reread(text), expected) << text.substr(0, 80);
    }
}

TEST(AttrXmlEscaping, EveryTextReadsBackUnchanged) {
    const char* const texts[] = {
        "&#", "&#38;", "&", "a\"b", "a<b>c", "x&#60;y", "end&", "&#34;", "\"", "&#60", "&#&#",
        "line\r\nbreak", "</attr>", "name=\"x\"", "日本 Größe", "",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        TreePtr node(CreateNode(nullptr, text));
        node->SetDesc(text);
        if (*text != '\0') {
            node->attrs.Set(text, AttrValue(text), false);
        }
        node->attrs.Set("t", AttrValue(text), false);
        const TreePtr back = Read(Write(node.get()));
        ASSERT_NE(back, nullptr);
        const char* t = back->attrs.Get("t").AsText();
        EXPECT_EQ(std::tuple(std::string(back->name), std::string(back->desc), back->attrs.Count(),
                             std::string(back->attrs.At(0).Name()), std::string(t ? t : "")),
                  std::tuple(std::string(text), std::string(text), node->attrs.Count(),
                             std::string(node->attrs.At(0).Name()), std::string(text)));
    }
}

TEST(AttrXmlEscaping, OnlyTheNecessaryCharactersAreEscaped) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // text, in name="...", as content
        {"C:\\Program Files\\x", "C:\\Program Files\\x", "C:\\Program Files\\x"},
        {"a\"b", "a&#34;b", "a\"b"},
        {"a<b>c", "a<b>c", "a&#60;b&#62;c"},
        {"R&D", "R&D", "R&D"},
        {"x&#60;y", "x&#38;#60;y", "x&#38;#60;y"},
        {"&&#", "&&#38;#", "&&#38;#"},
    };
    for (const auto& [text, asField, asText] : cases) {
        TreePtr node(CreateNode(nullptr, text));
        node->attrs.Set("t", AttrValue(text), false);
        EXPECT_EQ(Write(node.get()), std::string("\r\n<node name=\"") + asField + "\">\r\n\t<attr name=\"t\">" +
                                         asText + "</attr>\r\n</node>");
    }
}

platform::File OpenForReading(const std::string& path) {
    return platform::File::Open(path, platform::FileAccess::Read, platform::FileDisposition::OpenExisting,
                                platform::FileShare::Read);
}

// Enough nodes to pass through the write buffer many times; reading starts at the file's
// current position.
TEST(AttrXmlFiles, WriteAndReadThroughFiles) {
    test::ScratchDir dir;
    const std::string path = dir.Sub("report.mcr");
    TreePtr top(CreateNode(nullptr, "root"));
    for (int i = 0; i < 5000; ++i) {
        AttrNode* child = CreateNode(top.get(), ("folder " + std::to_string(i)).c_str());
        child->attrs.Set("MFS", AttrValue(std::int64_t{i} * 1000003), false);
        child->attrs.Set("notes", AttrValue("a<b"), false);
    }
    const std::string expected = Write(top.get(), true, "report.xsl");
    ASSERT_GT(expected.size(), 4u * 65536);
    {
        platform::File file = platform::File::Open(path, platform::FileAccess::ReadWrite,
                                                   platform::FileDisposition::CreateNew, platform::FileShare::None);
        EXPECT_TRUE(WriteTree(top.get(), &file, true, "report.xsl"));
        EXPECT_FALSE(WriteTree(nullptr, &file, true, nullptr));
    }
    EXPECT_EQ(test::ReadAll(path), expected);

    platform::File file = OpenForReading(path);
    // A file opened for reading refuses writes.
    EXPECT_FALSE(WriteTree(top.get(), &file, true, nullptr) || WriteTree(top.get(), nullptr, true, nullptr));
    EXPECT_EQ(Write(TreePtr(ReadTree(&file)).get(), true, "report.xsl"), expected);
    EXPECT_EQ(std::tuple(ReadTree(&file), ReadTree(nullptr)), std::tuple(nullptr, nullptr));  // nothing left

    dir.WriteText("two.xml", "<node name=\"first\"/><node name=\"second\"/>");
    platform::File two = OpenForReading(dir.Sub("two.xml"));
    std::string skipped(20, '\0');
    std::size_t got = 0;
    ASSERT_TRUE(two.Read(skipped.data(), skipped.size(), &got));
    const TreePtr second(ReadTree(&two));
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second->name, "second");
}

// Nothing on the way in or out may recurse: a 1 MB stack must do for any depth.
TEST(AttrXmlDeep, DeepTreesReadWriteSearchAndFreeOnASmallStack) {
    EXPECT_TRUE(test::RunWithStack(kOneMegabyte, [] {
        std::string hostile;
        for (int i = 0; i < 100000; ++i) {
            hostile += "<node>";
        }
        TreePtr tree = Read(hostile);
        ASSERT_NE(tree, nullptr);
        int levels = 0;
        for (const AttrNode* node = tree.get(); node->firstChild != nullptr; node = node->firstChild) {
            ++levels;
        }
        EXPECT_EQ(levels, 99999);
        tree.reset();

        constexpr int kDepth = 10000;
        TreePtr top(CreateNode(nullptr, "d0"));
        std::string path = "d0";
        AttrNode* node = top.get();
        for (int i = 1; i < kDepth; ++i) {
            const std::string name = "d" + std::to_string(i);
            node = CreateNode(node, name.c_str());
            node->attrs.Set("i", AttrValue(std::int32_t{i}), false);
            path += ":" + name;
        }
        const std::string written = Write(top.get(), true, "report.xsl");
        TreePtr back = Read(written);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(Write(back.get(), true, "report.xsl"), written);
        AttrNode* deepest = FindByName(back.get(), "d9999", 0xF0);
        ASSERT_NE(deepest, nullptr);
        EXPECT_EQ(std::tuple(deepest->depth, deepest->attrs.Get("i").AsInt64()), std::tuple(kDepth - 1, kDepth - 1));
        EXPECT_EQ(FindPath(deepest, path.c_str()), deepest);
    }));
}

// Inputs that would take quadratic time (or never end) in a reader that rescans.
TEST(AttrXmlReader, HostileInputsEndInLinearTime) {
    const auto repeat = [](std::string text, const char* piece, int times) {
        for (int i = 0; i < times; ++i) {
            text += piece;
        }
        return text;
    };
    const std::pair<std::string, std::size_t> cases[] = {
        // text, attributes of the top node (-1: no tree)
        {std::string(2 * kOneMegabyte, '<'), std::size_t(-1)},
        {"<node>" + std::string(2 * kOneMegabyte, '<'), 0},
        {"<node name=\"" + std::string(2 * kOneMegabyte, 'x'), 0},
        {repeat("<node>", "<a b", 300000), 0},
        {repeat("<node>", "<attr name=\"x\">", 200000), 1},
        {repeat("<node><attr name=\"t\">", "&#&#60;", 500000), 1},
        {repeat("<node>", "<a><b x=\"1\">", 300000), 0},
    };
    for (const auto& [text, attributes] : cases) {
        const TreePtr tree = Read(text);
        EXPECT_EQ(tree ? tree->attrs.Count() : std::size_t(-1), attributes) << text.substr(0, 40);
    }
}

}  // namespace
}  // namespace qv
