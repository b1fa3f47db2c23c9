// The mask language: list items, folding, splitting and the one-pass matcher.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "filters/FileMask.h"

namespace qv {
namespace {

std::vector<std::string> Items(const std::string& text, char sep = ';', std::ptrdiff_t length = -1) {
    std::vector<std::string> items;
    std::size_t itemLength = 0;
    for (int k = 1;; ++k) {
        const char* item = GetListItem(text.c_str(), k, sep, &itemLength, length);
        if (item == nullptr) {
            return items;
        }
        items.emplace_back(item, itemLength);
    }
}

// An empty item ends the list: the rest of the text is the last item.
TEST(ListItems, EmptyItemsEndTheListWithTheRestOfTheText) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"*.tmp;~*.*;*.bak;", {"*.tmp", "~*.*", "*.bak"}},
        {"*.a;;*.b", {"*.a", ";*.b"}},
        {";*.tmp", {";*.tmp"}},
        {"", {}},
    };
    for (const auto& [text, items] : cases) {
        EXPECT_EQ(Items(text), items) << text;
    }
    EXPECT_EQ(Items("ab;cd;ef", ';', 4), (std::vector<std::string>{"ab", "c"}));  // only the first 4 bytes count
    EXPECT_EQ(Items("ab;cd", ';', 0), std::vector<std::string>{});
    std::size_t length = 99;
    EXPECT_EQ(GetListItem(nullptr, 1, ';', &length), nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(GetListItem("a;b", 0, ';', &length), nullptr);
}

TEST(FoldLower, FoldsAsciiLettersOnly) {
    std::string text("\0@AZ[`az{\xC3\x84\xFF", 12);  // the neighbours of both letter ranges
    FoldLowerInPlace(text.data(), text.size());
    EXPECT_EQ(text, std::string("\0@az[`az{\xC3\x84\xFF", 12));
}

TEST(SplitFileName, SplitsAtTheLastUsableDot) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // name, name part, extension
        {"readme.txt.bak", "readme.txt", "bak"},
        {"makefile", "makefile", nullptr},
        {".bak", ".bak", nullptr},
        {"a.", "a.", nullptr},  // too short to split
        {"ab.", "ab", ""},
        {"x.y\\z/w", "x.y\\z/w", nullptr},  // both separators after the dot
        {"x.y\\z", "x", "y\\z"},
        {"a.\xE6\x97\xA5", "a", "\xE6\x97\xA5"},
    };
    for (const auto& [name, namePart, ext] : cases) {
        const SplitName split = SplitFileName(name, std::string(name).size());
        EXPECT_EQ(std::string(split.name, split.nameLength), namePart) << name;
        EXPECT_EQ(split.ext ? std::string(split.ext, split.extLength) : "<none>", ext ? ext : "<none>") << name;
    }
}

TEST(MaskList, MatchesNamesExactlyAsTheOnePassRuleSays) {
    // Each mask list with the names it matches and the names it does not.
    const std::tuple<const char*, std::vector<const char*>, std::vector<const char*>> cases[] = {
        {"*.txt", {"Readme.TXT"}, {"readme.txt.bak", "txt"}},
        {"*.*", {"makefile", "a.b.c"}, {}},
        {"readme", {"readme", "README.txt", "readme.doc"}, {"readme2"}},
        {".bak", {".bak"}, {"x.bak"}},
        {"x.", {}, {"x.", "x"}},
        {"*x", {"ax"}, {"axbx"}},
        {"a?c", {"a", "ab", "abc"}, {"abd", "abcd"}},
        {"*a*", {"bab"}, {"bbb"}},
        {"<a-c>x", {"bx", "cx"}, {"-x", "dx"}},
        {"<>x", {"x"}, {"ax"}},
        {"<a-c", {"b"}, {}},      // no closing '>': the rest is the class
        {"<a->x", {"x"}, {"a"}},  // 'a', '-', '>' form one (empty) range, then 'x' is a member
        {"*<x>", {"x"}, {"ax"}},  // a class after '*' is tested at the current position only
        {"<A-C>?", {"bz"}, {"dz"}},  // masks fold like names
        {"*.t?t", {"a.txt", "a.tx", "a.t"}, {"a."}},  // the empty extension does not match a Sequence
        {"*.", {}, {"a."}},
        {"*.tmp;~*.*;*.bak;", {"x.BAK"}, {"x.bak2"}},
        {"*.a;;*.b", {";x.b"}, {"x.b"}},  // the second item is ';*.b'
        {"?.txt", {}, {"\xC3\x84.txt"}},  // '?' is one byte, not one character
        {"x.y\\z/w", {"x.y\\z/w"}, {}},
        {"", {}, {"anything"}},
    };
    for (const auto& [masks, matched, unmatched] : cases) {
        MaskList list(masks);
        for (bool match : {true, false}) {
            for (const char* name : match ? matched : unmatched) {
                std::string buffer = name;
                EXPECT_EQ(list.Match(buffer.data()), match) << "mask '" << masks << "' name '" << name << "'";
            }
        }
    }
}

// Matching folds the caller's buffer, except for an empty list, which matches nothing.
TEST(MaskList, MatchingFoldsTheCallersBuffer) {
    char name[] = "Photo.JPG";
    EXPECT_FALSE(MaskList("").Match(name));
    EXPECT_STREQ(name, "Photo.JPG");
    EXPECT_FALSE(MaskList("*.png").Match(name));
    EXPECT_STREQ(name, "photo.jpg");
    EXPECT_FALSE(MaskList("*").Match(nullptr));
}

}  // namespace
}  // namespace qv
