// The mask language: list items, normalising, folding, splitting and the one-pass matcher.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "filters/FileMask.h"

namespace qv {
namespace {

std::vector<std::string> Items(const std::string& text, char sep = ';') {
    std::vector<std::string> items;
    std::size_t length = 0;
    for (int k = 1;; ++k) {
        const char* item = GetListItem(text.c_str(), k, sep, &length);
        if (item == nullptr) {
            return items;
        }
        items.emplace_back(item, length);
    }
}

TEST(ListItems, EmptyItemsEndTheListWithTheRestOfTheText) {
    const struct {
        const char* text;
        std::vector<std::string> items;
    } cases[] = {
        {"*.tmp;~*.*;*.bak;", {"*.tmp", "~*.*", "*.bak"}},
        {"*.tmp;~*.*;*.bak", {"*.tmp", "~*.*", "*.bak"}},
        {"*.a;;*.b", {"*.a", ";*.b"}},
        {";*.tmp", {";*.tmp"}},
        {"a;;", {"a", ";"}},
        {";", {";"}},
        {"", {}},
        {"single", {"single"}},
        {"a;b;;c;d", {"a", "b", ";c;d"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Items(c.text), c.items) << c.text;
    }
}

TEST(ListItems, RefusesBadIndexesAndHonoursLengthAndSeparator) {
    std::size_t length = 99;
    EXPECT_EQ(GetListItem(nullptr, 1, ';', &length), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(GetListItem("a;b", 0, ';', &length), nullptr);
    EXPECT_EQ(GetListItem("a;b", -3, ';', &length), nullptr);
    EXPECT_EQ(GetListItem("a;b", 3, ';', &length), nullptr);

    // Only the first 4 bytes count: "ab;c".
    const char* item = GetListItem("ab;cd;ef", 2, ';', &length, 4);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::string(item, length), "c");
    EXPECT_EQ(GetListItem("ab;cd;ef", 3, ';', &length, 4), nullptr);
    EXPECT_EQ(GetListItem("ab;cd", 1, ';', &length, 0), nullptr);

    EXPECT_EQ(Items("x|y||z", '|'), (std::vector<std::string>{"x", "y", "|z"}));
}

TEST(NormaliseMaskText, RemovesEverySpaceAndTurnsCommasIntoSemicolons) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {" *.tmp , *.bak ", "*.tmp;*.bak"},
        {"my file.txt", "myfile.txt"},
        {";;a,,b;", ";;a;;b;"},
        {"   ", ""},
        {"\t*.x", "\t*.x"},  // only spaces are removed
    };
    for (const auto& c : cases) {
        std::string text = c.in;
        NormaliseMaskText(&text);
        EXPECT_EQ(text, c.out) << c.in;
    }
}

TEST(FoldLower, FoldsAsciiAndLeavesMultiByteSequencesAlone) {
    // "ÄÖ.TXT" and "日本.DOC" in UTF-8: only the ASCII letters change.
    std::string text = "\xC3\x84\xC3\x96.TXT \xE6\x97\xA5\xE6\x9C\xAC.DOC @[`{Z";
    const std::string expected = "\xC3\x84\xC3\x96.txt \xE6\x97\xA5\xE6\x9C\xAC.doc @[`{z";
    FoldLowerInPlace(text.data(), text.size());
    EXPECT_EQ(text, expected);
    FoldLowerInPlace(text.data(), text.size());
    EXPECT_EQ(text, expected);  // folding twice changes nothing more

    std::string all(256, '\0');
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<char>(i);
    }
    FoldLowerInPlace(all.data(), all.size());
    for (int i = 0; i < 256; ++i) {
        const int want = (i >= 'A' && i <= 'Z') ? i + 32 : i;
        EXPECT_EQ(static_cast<unsigned char>(all[i]), want) << i;
    }
}

TEST(SplitFileName, SplitsAtTheLastUsableDot) {
    const struct {
        const char* name;
        const char* namePart;
        const char* ext;  // null: no extension
    } cases[] = {
        {"readme.txt", "readme", "txt"},
        {"readme.txt.bak", "readme.txt", "bak"},
        {"makefile", "makefile", nullptr},
        {".bak", ".bak", nullptr},
        {"ab", "ab", nullptr},
        {"a.", "a.", nullptr},  // too short to split
        {"ab.", "ab", ""},
        {"a.b", "a", "b"},
        {"x.y\\z/w", "x.y\\z/w", nullptr},  // both separators after the dot
        {"x.y\\z", "x", "y\\z"},
        {"x.y/z", "x", "y/z"},
        {"\xE6\x97\xA5\xE6\x9C\xAC.doc", "\xE6\x97\xA5\xE6\x9C\xAC", "doc"},
        {"a.\xE6\x97\xA5", "a", "\xE6\x97\xA5"},
    };
    for (const auto& c : cases) {
        const std::string name = c.name;
        const SplitName split = SplitFileName(name.data(), name.size());
        EXPECT_EQ(std::string(split.name, split.nameLength), c.namePart) << c.name;
        if (c.ext == nullptr) {
            EXPECT_EQ(split.ext, nullptr) << c.name;
        } else {
            ASSERT_NE(split.ext, nullptr) << c.name;
            EXPECT_EQ(std::string(split.ext, split.extLength), c.ext) << c.name;
        }
    }
}

TEST(MaskList, MatchesNamesExactlyAsTheOnePassRuleSays) {
    // Each mask list with the names it matches and the names it does not.
    const struct {
        const char* masks;
        std::vector<const char*> matched;
        std::vector<const char*> unmatched;
    } cases[] = {
        {"*.txt", {"Readme.TXT"}, {"readme.txt.bak", "txt"}},
        {"*.TXT", {"readme.txt"}, {}},
        {"*.*", {"makefile", "a.b.c"}, {}},
        {"*", {"makefile", ".bak"}, {}},
        {"readme", {"readme", "README.txt", "readme.doc"}, {"readme2"}},
        {".bak", {".bak"}, {"x.bak"}},
        {"ab", {"ab", "ab.txt"}, {}},
        {"x.", {}, {"x.", "x"}},
        {"readme.", {}, {"readme.", "readme"}},
        {"*x", {"ax"}, {"axbx"}},
        {"*_old", {"a_old"}, {"a_b_old"}},
        {"a?c", {"a", "ab", "abc"}, {"abd", "abcd"}},
        {"ab?d", {"ab"}, {}},
        {"a*", {"a", "abc"}, {"b"}},
        {"*a*", {"bab"}, {"bbb"}},
        {"<a-c>x", {"bx", "cx"}, {"-x", "dx"}},
        {"<abc>x", {"cx"}, {"dx"}},
        {"<>x", {"x"}, {"ax"}},
        {"<a-c", {"b"}, {}},      // no closing '>': the rest is the class
        {"<a->x", {"x"}, {"a"}},  // 'a', '-', '>' form one (empty) range, then 'x' is a member
        {"*<x>", {"x"}, {"ax"}},  // a class after '*' is tested at the current position only
        {"abc", {"ABC"}, {"abcd"}},
        {"?", {}, {""}},
        {"??", {"a"}, {}},
        {"*.t?t", {"a.txt", "a.tx", "a.t"}, {"a."}},  // the empty extension does not match a Sequence
        {"*.", {}, {"a."}},
        {"~*.*", {"~Draft.doc", "~lock"}, {"draft~.doc"}},
        {"*.tmp;~*.*;*.bak;", {"x.BAK"}, {"x.bak2"}},
        {"*.a;;*.b", {";x.b"}, {"x.b"}},  // the second item is ';*.b'
        {"*.doc", {"\xE6\x97\xA5\xE6\x9C\xAC.DOC"}, {}},
        {"\xC3\x84*", {"\xC3\x84rger.txt"}, {}},
        {"?.txt", {}, {"\xC3\x84.txt"}},  // '?' is one byte, not one character
        {"??.txt", {"\xC3\x84.txt"}, {}},
        {"x.y\\z/w", {"x.y\\z/w"}, {}},
        {"", {}, {"anything"}},
    };
    for (const auto& c : cases) {
        MaskList list(c.masks);
        for (bool match : {true, false}) {
            for (const char* name : match ? c.matched : c.unmatched) {
                std::string buffer = name;
                EXPECT_EQ(list.Match(buffer.data()), match) << "mask '" << c.masks << "' name '" << name << "'";
            }
        }
    }
}

TEST(MaskList, MatchingFoldsTheCallersBuffer) {
    MaskList list("*.png");
    char name[] = "Photo.JPG";
    EXPECT_FALSE(list.Match(name));
    EXPECT_STREQ(name, "photo.jpg");

    MaskList empty("");
    char untouched[] = "Photo.JPG";
    EXPECT_FALSE(empty.Match(untouched));
    EXPECT_STREQ(untouched, "Photo.JPG");
    EXPECT_FALSE(list.Match(nullptr));
}

TEST(CompileMask, KeepsTheItemTextAndCompilesBothParts) {
    const struct {
        const char* item;
        bool hasName;
        MaskPattern::Kind name;
        bool hasExt;
        MaskPattern::Kind ext;
    } cases[] = {
        {"*.TMP", true, MaskPattern::Kind::MatchAll, true, MaskPattern::Kind::Exact},
        {"~*.*", true, MaskPattern::Kind::Sequence, true, MaskPattern::Kind::MatchAll},
        {"readme", true, MaskPattern::Kind::Exact, true, MaskPattern::Kind::MatchAll},
        {"x.", true, MaskPattern::Kind::Exact, false, MaskPattern::Kind::MatchAll},
        {"abc.", true, MaskPattern::Kind::Exact, true, MaskPattern::Kind::Exact},
    };
    for (const auto& c : cases) {
        const FileMask mask = CompileMask(c.item, std::strlen(c.item));
        EXPECT_EQ(mask.item, c.item);
        ASSERT_EQ(mask.namePattern != nullptr, c.hasName) << c.item;
        ASSERT_EQ(mask.extPattern != nullptr, c.hasExt) << c.item;
        EXPECT_EQ(mask.namePattern->kind, c.name) << c.item;
        if (c.hasExt) {
            EXPECT_EQ(mask.extPattern->kind, c.ext) << c.item;
        }
    }
    const FileMask upper = CompileMask("*.TMP", 5);
    EXPECT_EQ(upper.extPattern->exact, "tmp");

    const FileMask empty = CompileMask("", 0);
    EXPECT_EQ(empty.namePattern, nullptr);
    EXPECT_EQ(empty.extPattern, nullptr);
}

TEST(CompilePattern, StoresRangesWithHighAboveLow) {
    const auto pattern = CompilePattern("<A-Cx>?", 7);
    ASSERT_EQ(pattern->kind, MaskPattern::Kind::Sequence);
    ASSERT_EQ(pattern->elements.size(), 2u);
    EXPECT_EQ(pattern->elements[0].tag, MaskElement::Class);
    EXPECT_EQ(pattern->elements[1].tag, MaskElement::AnyOne);
    ASSERT_EQ(pattern->members.size(), 2u);
    EXPECT_EQ(pattern->members[0].tag, 'i');
    EXPECT_EQ(pattern->members[0].value, (static_cast<std::uint32_t>('c') << 16) | 'a');  // folded
    EXPECT_EQ(pattern->members[1].tag, 's');
    EXPECT_EQ(pattern->members[1].value, static_cast<std::uint32_t>('x'));
}

TEST(MatchPattern, AbsentPartsAndPatterns) {
    const auto all = CompilePattern("*", 1);
    const auto exact = CompilePattern("", 0);
    const auto seq = CompilePattern("a*", 2);
    EXPECT_TRUE(MatchPattern(all.get(), nullptr, 0, false));
    EXPECT_FALSE(MatchPattern(exact.get(), nullptr, 0, false));
    EXPECT_TRUE(MatchPattern(exact.get(), "", 0, true));
    EXPECT_FALSE(MatchPattern(seq.get(), nullptr, 0, false));
    EXPECT_FALSE(MatchPattern(nullptr, "a", 1, true));

    MaskPattern noElements;
    noElements.kind = MaskPattern::Kind::Sequence;
    EXPECT_TRUE(MatchPattern(&noElements, "", 0, true));
    EXPECT_FALSE(MatchPattern(&noElements, "a", 1, true));
}

}  // namespace
}  // namespace qv
